// The settings database on a real SQLCipher file made by junkbane-initdb.

#include "connection.h"
#include "settings_file.h"
#include "settings_fixture.h"
#include "statements.h"
#include "store_error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class Store : public ::testing::Test {
protected:
    SettingsFixture settings;

    bool blockedLike(const QString& address)
    {
        return !settings.connect()->Execute(store::SqlBlockMatchLike(address))->eof();
    }
    bool blockedExact(const QString& sender)
    {
        return !settings.connect()->Execute(store::SqlBlockMatchExact(sender))->eof();
    }
};

// Makes a database file keyed with another password, or with none.
void makeOtherDatabase(const QString& path, const char* key)
{
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                              SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
              SQLITE_OK);
    if (key)
        sqlite3_key(raw, key, int(strlen(key)));
    EXPECT_EQ(sqlite3_exec(raw, "CREATE TABLE cool(id INTEGER PRIMARY KEY, d_user TEXT)", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
}

QString storeFailure(const QString& path, int* code = nullptr)
{
    try {
        store::Connection::open(path);
    } catch (const store::StoreError& error) {
        if (code)
            *code = error.primaryCode();
        return error.description();
    }
    return {};
}

TEST_F(Store, ComparisonsIgnoreTheCaseOfLetters)
{
    settings.execute(store::SqlBlockInsert(u"Spam@Example.COM"_s));
    EXPECT_TRUE(blockedExact(u"spam@example.com"_s));
    EXPECT_TRUE(blockedLike(u"SPAM@example.com"_s));
    EXPECT_FALSE(blockedExact(u"spam@example.co"_s));
}

TEST_F(Store, LikeFindsEntriesThatContainTheAddressNotTheReverse)
{
    settings.execute(store::SqlBlockInsert(u"abc@spam.example"_s));
    settings.execute(store::SqlBlockInsert(u"example.org"_s));
    EXPECT_TRUE(blockedLike(u"abc@spam.example"_s)) << "the whole address";
    EXPECT_TRUE(blockedLike(u"bc@spam.example"_s)) << "the tail of an entry";
    EXPECT_FALSE(blockedLike(u"xabc@spam.example"_s)) << "longer than every entry";
    EXPECT_FALSE(blockedLike(u"user@example.org"_s)) << "an entry of the domain only";
}

TEST_F(Store, PatternDeleteRemovesEveryRowContainingTheText)
{
    for (const QString& entry : {u"abc"_s, u"xabc"_s, u"abcx"_s, u"ab"_s, u"a%c"_s})
        settings.execute(store::SqlBlockInsert(entry));
    settings.execute(store::SqlBlockDelete(u"abc"_s));
    EXPECT_EQ(settings.column(store::SqlBlockList(), u"addfrom"_s),
              (QStringList{u"a%c"_s, u"ab"_s}));
    EXPECT_EQ(settings.column(u"select addfrom from mymailchk where addfrom='a%c'"_s, u"addfrom"_s),
              QStringList{u"a%c"_s})
        << "an insert stores % literally";
    settings.execute(store::SqlBlockDelete(u"%"_s));
    EXPECT_TRUE(settings.column(store::SqlBlockList(), u"addfrom"_s).isEmpty());
}

TEST_F(Store, IdsGrowSoListsShowTheNewestFirst)
{
    for (const QString& user : {u"a"_s, u"b"_s, u"c"_s})
        settings.execute(store::SqlAccountInsert(u"s"_s, user, u"p"_s, 60));
    EXPECT_EQ(settings.column(store::SqlAccountList(), u"d_user"_s),
              (QStringList{u"c"_s, u"b"_s, u"a"_s}));
    const QStringList ids = settings.column(store::SqlAccountList(), u"id"_s);
    ASSERT_EQ(ids.size(), 3);
    EXPECT_GT(ids[0].toInt(), ids[1].toInt());
    EXPECT_GT(ids[1].toInt(), ids[2].toInt());
}

TEST_F(Store, IntervalWrittenQuotedReadsBackAsANumber)
{
    settings.execute(store::SqlAccountInsert(u"s"_s, u"u"_s, u"p"_s, 60));
    const qint64 id = settings.column(store::SqlAccountList(), u"id"_s).value(0).toLongLong();
    settings.execute(store::SqlAccountUpdateById(u"s"_s, u"u"_s, u"p"_s, 300, id));
    const auto connection = settings.connect();
    const auto rows = connection->Execute(store::SqlAccountById(id));
    ASSERT_FALSE(rows->eof());
    const QVariant time = rows->value(u"d_time"_s);
    EXPECT_EQ(time.typeId(), QMetaType::LongLong);
    EXPECT_EQ(time.toLongLong(), 300);
    EXPECT_EQ(rows->value(u"d_server"_s).typeId(), QMetaType::QString);
}

TEST_F(Store, AccountTextsWithQuotesAreStoredAndMatchedAsTyped)
{
    const QString hostile = u"x');delete from cool;--"_s;
    settings.execute(store::SqlAccountInsert(u"pop'host"_s, u"o'neil"_s, hostile, 60));
    settings.execute(store::SqlAccountInsert(u"other"_s, u"keep"_s, u"p"_s, 60));
    EXPECT_EQ(settings.column(u"select d_pass from cool where d_server='pop''host'"_s, u"d_pass"_s),
              QStringList{hostile});
    const qint64 id = settings.column(u"select id from cool where d_user='o''neil'"_s, u"id"_s)
                          .value(0)
                          .toLongLong();
    settings.execute(store::SqlAccountUpdateById(u"s2"_s, u"o'neil"_s, u"p2"_s, 5, id));
    EXPECT_EQ(settings.column(u"select d_server from cool order by id"_s, u"d_server"_s),
              (QStringList{u"s2"_s, u"other"_s}));
}

TEST_F(Store, OnlyOneStatementRunsPerCall)
{
    settings.execute(store::SqlBlockInsert(u"keep"_s));
    EXPECT_THROW(settings.execute(u"select 1; delete from mymailchk"_s), store::StoreError);
    EXPECT_EQ(settings.column(store::SqlBlockList(), u"addfrom"_s), QStringList{u"keep"_s});
}

TEST_F(Store, ValueOfANullColumnIsNullAndAMissingColumnIsAnError)
{
    settings.execute(u"insert into mymailchk (addfrom) values (null)"_s);
    const auto connection = settings.connect();
    const auto rows = connection->Execute(store::SqlBlockList());
    ASSERT_FALSE(rows->eof());
    EXPECT_TRUE(rows->value(u"addfrom"_s).isNull());
    EXPECT_THROW(rows->value(u"d_user"_s), store::StoreError);
    rows->moveNext();
    EXPECT_TRUE(rows->eof());
    EXPECT_THROW(rows->moveNext(), store::StoreError);
}

TEST_F(Store, TheFileIsNotReadableWithoutTheKey)
{
    QFile file(SettingsFixture::databasePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.read(16).startsWith("SQLite format 3"));
}

TEST_F(Store, ReopeningAfterTheFileWasMadeAnewStillWorks)
{
    settings.execute(store::SqlBlockInsert(u"first"_s));
    // A new file has a new salt, so the remembered key of the old one must not be used.
    QFile::remove(SettingsFixture::databasePath());
    ASSERT_EQ(runInitDb(SettingsFixture::folder()), 0);
    EXPECT_TRUE(settings.column(store::SqlBlockList(), u"addfrom"_s).isEmpty());
}

TEST(StoreOpen, RefusesWhatIsNotTheSettingsDatabase)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString missing = folder.filePath(u"junkbane.mdb"_s);
    const QString otherKey = folder.filePath(u"other.mdb"_s);
    const QString plain = folder.filePath(u"plain.mdb"_s);
    const QString garbage = folder.filePath(u"garbage.mdb"_s);
    makeOtherDatabase(otherKey, "not-the-key");
    makeOtherDatabase(plain, nullptr);
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    }

    const QString missingFailure = storeFailure(missing);
    EXPECT_TRUE(missingFailure.contains(u"junkbane-initdb"_s)) << missingFailure.toStdString();
    EXPECT_FALSE(QFile::exists(missing)) << "opening must never create the file";

    for (const QString& path : {otherKey, plain, garbage}) {
        int code = 0;
        const QString failure = storeFailure(path, &code);
        EXPECT_EQ(code, store::StoreError::kNotADb) << path.toStdString();
        EXPECT_TRUE(failure.contains(u"パスワードが合わない"_s))
            << path.toStdString() << ": " << failure.toStdString();
        EXPECT_TRUE(failure.contains(QDir::toNativeSeparators(path))) << failure.toStdString();
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 3) << "no file was created";
}

TEST(StoreOpen, OpenSettingsOpensTheFileInTheDataFolder)
{
    {
        SettingsFixture settings;
        EXPECT_TRUE(store::openSettings()->Execute(store::SqlBlockList())->eof());
    }
    try {
        store::openSettings();
        ADD_FAILURE() << "a missing database must not open";
    } catch (const store::StoreError& error) {
        EXPECT_EQ(error.primaryCode(), store::StoreError::kCantOpen);
    }
    EXPECT_FALSE(QFile::exists(SettingsFixture::databasePath())) << "no file was created";
}

TEST(InitDb, RefusesToOverwriteAndSaysWhy)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QString output;
    ASSERT_EQ(runInitDb(folder.path(), &output), 0) << output.toStdString();
    EXPECT_TRUE(output.contains(u"created"_s)) << output.toStdString();

    const QString path = folder.filePath(u"junkbane.mdb"_s);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u) << "the passwords inside are the user's alone";
    store::Connection::open(path)->Execute(store::SqlBlockInsert(u"kept"_s));
    EXPECT_NE(runInitDb(folder.path(), &output), 0);
    EXPECT_TRUE(output.contains(u"already exists"_s)) << output.toStdString();
    const auto rows = store::Connection::open(path)->Execute(store::SqlBlockList());
    ASSERT_FALSE(rows->eof()) << "the existing rows are untouched";
    EXPECT_EQ(rows->value(u"addfrom"_s).toString(), u"kept"_s);

    EXPECT_NE(runInitDb(folder.filePath(u"no-such-folder"_s), &output), 0);
    EXPECT_TRUE(output.contains(u"does not exist"_s)) << output.toStdString();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{u"junkbane.mdb"_s});
}

} // namespace
