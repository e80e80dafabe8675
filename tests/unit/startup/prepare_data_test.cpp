// The data folder's place and the start-up preparation: on real folders in a temporary tree,
// with a real settings database.

#include "connection.h"
#include "data_folder.h"
#include "pop_mail_library.h"
#include "prepare_data.h"
#include "safe_file.h"
#include "settings_init.h"
#include "statements.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// The permission bits of path, not following a link; -1 when it is missing.
int modeOf(const QString& path)
{
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return -1;
    return int(status.st_mode & 07777);
}

void setMode(const QString& path, mode_t mode)
{
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content, mode_t mode)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content);
    file.close();
    setMode(path, mode);
}

// A temporary tree with a build folder (a plain writable folder), an installed layout
// (usr/bin beside usr/share/junkbane) and a home folder.
class Tree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(u"build/bin"_s));
        ASSERT_TRUE(QDir(root.path()).mkpath(u"usr/bin"_s));
        ASSERT_TRUE(QDir(root.path()).mkpath(u"usr/share/junkbane"_s));
        ASSERT_TRUE(QDir(root.path()).mkpath(u"home"_s));
    }
    QString path(const QString& relative) const { return root.filePath(relative); }
    QString buildBin() const { return path(u"build/bin"_s); }
    QString installedBin() const { return path(u"usr/bin"_s); }
    store::UserFolders user() const { return {{}, path(u"home"_s)}; }
    QString userData() const { return path(u"home/.local/share/junkbane"_s); }

    QTemporaryDir root;
};

TEST_F(Tree, DataFolderFollowsTheProgramsLayout)
{
    const QString home = path(u"home"_s);
    const QString xdg = path(u"xdg"_s);
    struct Row {
        const char* situation;
        QString programFolder;
        store::UserFolders user;
        QString expected;
        bool perUser;
    };
    const Row rows[] = {
        {"build folder: beside the program", buildBin(), {xdg, home}, buildBin(), false},
        {"installed: XDG_DATA_HOME", installedBin(), {xdg, home}, xdg + u"/junkbane"_s, true},
        {"installed: no XDG_DATA_HOME", installedBin(), {{}, home}, userData(), true},
        {"installed: relative XDG_DATA_HOME is ignored",
         installedBin(),
         {u"rel/x"_s, home},
         userData(),
         true},
        {"installed: neither variable", installedBin(), {}, QString(), true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation);
        const store::DataFolder data = store::dataFolderFor(row.programFolder, row.user);
        EXPECT_EQ(data.path, row.expected);
        EXPECT_EQ(data.perUser, row.perUser);
    }
}

TEST_F(Tree, AFolderTheUserCannotWriteIsTreatedAsInstalled)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write into any folder; the installed layout covers root";
    setMode(buildBin(), 0555);
    const store::DataFolder data = store::dataFolderFor(buildBin(), user());
    setMode(buildBin(), 0755);
    EXPECT_EQ(data.path, userData());
    EXPECT_TRUE(data.perUser);
}

TEST_F(Tree, InstalledFilesAreFoundBesideTheProgramFirst)
{
    const QString beside = buildBin() + u"/kv.chm"_s;
    EXPECT_EQ(store::programFilePath(buildBin(), u"kv.chm"_s), beside) << "neither: beside";
    ASSERT_TRUE(QDir(path(u"build"_s)).mkpath(u"share/junkbane"_s));
    writeFile(path(u"build/share/junkbane/kv.chm"_s), "ITSF", 0644);
    EXPECT_EQ(store::programFilePath(buildBin(), u"kv.chm"_s),
              path(u"build/share/junkbane/kv.chm"_s));
    writeFile(beside, "ITSF", 0644);
    EXPECT_EQ(store::programFilePath(buildBin(), u"kv.chm"_s), beside);
}

TEST_F(Tree, FirstStartMakesThePrivateUserDataFolder)
{
    ASSERT_EQ(startup::prepareDataFolder(installedBin(), user()), QString());

    for (const QString& folder : {path(u"home/.local"_s), path(u"home/.local/share"_s), userData(),
                                  userData() + u"/temp"_s}) {
        EXPECT_EQ(modeOf(folder), 0700) << folder.toStdString();
    }
    const QString database = userData() + u"/junkbane.mdb"_s;
    EXPECT_EQ(modeOf(database), 0600);
    const auto connection = store::Connection::open(database);
    EXPECT_TRUE(connection->Execute(store::SqlBlockList())->eof());
    EXPECT_TRUE(connection->Execute(u"SELECT * FROM cool"_s)->eof());
    EXPECT_EQ(QDir(userData()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{u"junkbane.mdb"_s, u"temp"_s}));
    EXPECT_EQ(modeOf(installedBin() + u"/junkbane.mdb"_s), -1) << "nothing beside the program";
}

TEST_F(Tree, LaterStartsKeepTheDatabaseByteForByte)
{
    ASSERT_EQ(startup::prepareDataFolder(installedBin(), user()), QString());
    const QString database = userData() + u"/junkbane.mdb"_s;
    store::Connection::open(database)->Execute(store::SqlBlockInsert(u"kept@example.jp"_s));
    const QByteArray before = contentOf(database);
    ASSERT_FALSE(before.isEmpty());
    QDir(userData()).rmdir(u"temp"_s);

    ASSERT_EQ(startup::prepareDataFolder(installedBin(), user()), QString());
    EXPECT_EQ(contentOf(database), before);
    EXPECT_EQ(modeOf(userData() + u"/temp"_s), 0700) << "a missing temp/ is made again";
}

TEST_F(Tree, PermissionsForOthersAreTakenAway)
{
    // Run from the build folder: the database and temp/ come from the run command.
    ASSERT_EQ(startup::prepareDataFolder(buildBin(), user()), QString());
    EXPECT_EQ(QDir(buildBin()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList())
        << "nothing is made in a build folder";

    ASSERT_EQ(store::createSettingsDatabase(buildBin()).outcome,
              store::InitResult::Outcome::Created);
    const QString database = buildBin() + u"/junkbane.mdb"_s;
    const QString temp = buildBin() + u"/temp"_s;
    EXPECT_EQ(modeOf(database), 0600) << "made private";
    ASSERT_TRUE(QDir().mkdir(temp));
    const QByteArray before = contentOf(database);
    for (const mode_t mode : {0644u, 0660u, 0606u}) {
        setMode(database, mode);
        setMode(temp, 0755);
        ASSERT_EQ(startup::prepareDataFolder(buildBin(), user()), QString());
        EXPECT_EQ(modeOf(database), 0600) << "from " << std::oct << mode;
        EXPECT_EQ(modeOf(temp), 0700);
    }
    setMode(database, 0400);
    ASSERT_EQ(startup::prepareDataFolder(buildBin(), user()), QString());
    EXPECT_EQ(modeOf(database), 0400) << "an owner-only mode is left as it is";
    EXPECT_EQ(contentOf(database), before);
}

TEST_F(Tree, OnlyTheProgramsOwnLeftoversAreRemoved)
{
    ASSERT_EQ(startup::prepareDataFolder(installedBin(), user()), QString());
    const QString temp = userData() + u"/temp"_s;
    const auto inTemp = [&](const QString& name) { return QDir(temp).filePath(name); };

    // A message a fetch saved, made as the fetch makes it.
    mail::TargetFolder folder(temp);
    QString error;
    std::optional<mail::NewFile> saved = folder.createUnique(u"mail-"_s, u".eml"_s, &error);
    ASSERT_TRUE(saved) << error.toStdString();
    saved->keep();
    const QString fetched = saved->path();
    ASSERT_TRUE(mail::isSavedMessageName(QFileInfo(fetched).fileName()));
    saved.reset();
    writeFile(inTemp(u"mail-0z.eml"_s), "From: a\r\n", 0600);

    // What is not provably the program's own.
    const QString outside = path(u"outside.eml"_s);
    writeFile(outside, "mine", 0600);
    const QStringList kept = {
        u"mail-1a.eml"_s,      // others may read it: not made by a fetch
        u"mail-ABC.eml"_s,     // capitals: not a fetch's name
        u"mail-.eml"_s,        // no random text
        u"mail-1a.eml.bak"_s,  // another name
        u"invoice.pdf"_s,      // an attachment, or the user's own file
        u"mail-link.eml"_s,    // a link
        u"mail-folder.eml"_s,  // a folder
        u"mail-nobody1.eml"_s, // another user's file (root only)
    };
    writeFile(inTemp(kept[0]), "x", 0644);
    writeFile(inTemp(kept[1]), "x", 0600);
    writeFile(inTemp(kept[2]), "x", 0600);
    writeFile(inTemp(kept[3]), "x", 0600);
    writeFile(inTemp(kept[4]), "x", 0600);
    ASSERT_TRUE(QFile::link(outside, inTemp(kept[5])));
    ASSERT_TRUE(QDir(temp).mkdir(kept[6]));
    QStringList expected = kept;
    if (::geteuid() == 0) {
        writeFile(inTemp(kept[7]), "x", 0600);
        ASSERT_EQ(::chown(QFile::encodeName(inTemp(kept[7])).constData(), 65534, 65534), 0);
    } else {
        expected.removeLast();
    }

    ASSERT_EQ(startup::prepareDataFolder(installedBin(), user()), QString());
    QStringList left =
        QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
    EXPECT_EQ(contentOf(outside), "mine");
}

TEST_F(Tree, AFolderThatCannotBeMadeIsNamed)
{
    writeFile(path(u"home/.local"_s), "a file in the way", 0600);
    const QString problem = startup::prepareDataFolder(installedBin(), user());
    EXPECT_TRUE(problem.contains(path(u"home/.local"_s))) << problem.toStdString();
    EXPECT_FALSE(startup::prepareDataFolder(installedBin(), {}).isEmpty())
        << "no home: the start is refused with a reason";
}

} // namespace
