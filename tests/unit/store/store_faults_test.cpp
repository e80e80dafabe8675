// The settings database when the file or the disk misbehaves: each failure says what is wrong,
// no row that was there is lost, and no file is left behind.

#include "connection.h"
#include "settings_fixture.h"
#include "statements.h"
#include "store_error.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/mount.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

QString failureOf(const std::function<void()>& work)
{
    try {
        work();
    } catch (const store::StoreError& error) {
        return error.description();
    }
    return {};
}

QStringList entries(const QString& path)
{
    QStringList values;
    const auto connection = store::Connection::open(path);
    for (auto rows = connection->Execute(store::SqlBlockList()); !rows->eof(); rows->moveNext())
        values.append(rows->value(u"addfrom"_s).toString());
    return values;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

// A database with three entries in a folder of its own.
struct Database {
    explicit Database(const QString& where) : folder(where)
    {
        EXPECT_EQ(runInitDb(where), 0);
        const auto connection = store::Connection::open(path());
        for (const QString& entry : {u"one@x.jp"_s, u"two@x.jp"_s, u"three@x.jp"_s})
            connection->Execute(store::SqlBlockInsert(entry));
    }
    QString path() const { return QDir(folder).filePath(u"junkbane.mdb"_s); }
    QString folder;
};

const QStringList kThree{u"three@x.jp"_s, u"two@x.jp"_s, u"one@x.jp"_s};

// A small file system of the test's own, so that it can be made read-only or full. Needs root
// (mount); skipped where mounting is not allowed.
class SmallFileSystem {
public:
    SmallFileSystem()
    {
        m_mounted = m_dir.isValid() && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(),
                                               "tmpfs", 0, "size=256k,mode=0755") == 0;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    bool remount(unsigned long flags)
    {
        return ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                       MS_REMOUNT | flags, "size=256k,mode=0755") == 0;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

TEST(StoreFaults, FileLockedByAnotherProgramsWriteTransaction)
{
    QTemporaryDir folder;
    Database db(folder.path());

    // The database's own shell, in another process, holds an exclusive write transaction.
    QProcess holder;
    holder.start(u"sqlcipher"_s, {db.path()});
    ASSERT_TRUE(holder.waitForStarted()) << "the sqlcipher shell is needed for this test";
    holder.write("PRAGMA key='wqzhtrp';\nBEGIN EXCLUSIVE;\n"
                 "INSERT INTO mymailchk(addfrom) VALUES('uncommitted');\nSELECT 'holding';\n");
    QByteArray said;
    while (!said.contains("holding") && holder.waitForReadyRead(5000))
        said += holder.readAllStandardOutput();
    ASSERT_TRUE(said.contains("holding")) << said.toStdString();

    QElapsedTimer timer;
    timer.start();
    const QString failure = failureOf([&] { entries(db.path()); });
    EXPECT_TRUE(failure.contains(u"使用中"_s)) << failure.toStdString();
    EXPECT_LT(timer.elapsed(), 10000) << "a lock must not make the program hang";

    holder.write("ROLLBACK;\n.quit\n");
    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(10000));
    EXPECT_EQ(entries(db.path()), kThree);
    EXPECT_EQ(filesIn(folder.path()), QStringList{u"junkbane.mdb"_s});
}

TEST(StoreFaults, DamagedFileIsRefusedAndNothingIsCreated)
{
    struct Row {
        const char* situation;
        qint64 firstPage; // garbage is written into this page and every later one
    } rows[] = {{"first page", 0}, {"the pages after the first", 1}};
    for (const Row& row : rows) {
        QTemporaryDir folder;
        Database db(folder.path());
        {
            constexpr qint64 kPage = 1024;
            QFile file(db.path());
            ASSERT_TRUE(file.open(QIODevice::ReadWrite));
            ASSERT_GT(file.size(), 2 * kPage);
            for (qint64 page = row.firstPage; (page + 1) * kPage <= file.size(); ++page) {
                file.seek(page * kPage + 100);
                file.write(QByteArray(512, '\x5a'));
            }
        }
        const QString failure = failureOf([&] { entries(db.path()); });
        EXPECT_TRUE(failure.contains(u"壊れて"_s))
            << row.situation << ": " << failure.toStdString();
        EXPECT_EQ(filesIn(folder.path()), QStringList{u"junkbane.mdb"_s}) << row.situation;
    }
}

TEST(StoreFaults, ReadOnlyFileSystemRefusesWritesAndKeepsTheRows)
{
    SmallFileSystem fs;
    if (!fs.mounted())
        GTEST_SKIP() << "mounting a small file system needs root";
    Database db(fs.path());
    ASSERT_TRUE(fs.remount(MS_RDONLY));

    EXPECT_EQ(entries(db.path()), kThree) << "reading still works";
    const QString failure = failureOf(
        [&] { store::Connection::open(db.path())->Execute(store::SqlBlockInsert(u"new"_s)); });
    EXPECT_TRUE(failure.contains(u"書き込めません"_s)) << failure.toStdString();
    EXPECT_EQ(entries(db.path()), kThree);
    EXPECT_EQ(filesIn(fs.path()), QStringList{u"junkbane.mdb"_s});
}

TEST(StoreFaults, FullDiskRefusesWritesAndKeepsTheRows)
{
    SmallFileSystem fs;
    if (!fs.mounted())
        GTEST_SKIP() << "mounting a small file system needs root";
    Database db(fs.path());
    {
        // Fill every byte that is left.
        QFile filler(QDir(fs.path()).filePath(u"filler"_s));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }
    const QString failure = failureOf([&] {
        store::Connection::open(db.path())->Execute(store::SqlBlockInsert(QString(20000, u'z')));
    });
    EXPECT_TRUE(failure.contains(u"空き"_s)) << failure.toStdString();
    QFile::remove(QDir(fs.path()).filePath(u"filler"_s));
    EXPECT_EQ(entries(db.path()), kThree);
    EXPECT_EQ(filesIn(fs.path()), QStringList{u"junkbane.mdb"_s});
}

TEST(StoreFaults, StatementWithANulCharacterIsRefused)
{
    QTemporaryDir folder;
    Database db(folder.path());
    const QString failure = failureOf([&] {
        store::Connection::open(db.path())->Execute(
            store::SqlBlockDelete(u"x"_s + QChar(0) + u"y"_s));
    });
    EXPECT_TRUE(failure.contains(u"NUL"_s)) << failure.toStdString();
    EXPECT_EQ(entries(db.path()), kThree);
}

} // namespace
