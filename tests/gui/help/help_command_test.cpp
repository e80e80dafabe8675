// The help command: what it hands the desktop, and when it says that nothing can open the file.

#include "help_command.h"
#include "help_menu.h"
#include "recording_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// "開けるアプリケーション", CR LF, "がありません", by code point.
const QString kNoApplication =
    QString::fromUtf16(u"\u958B\u3051\u308B\u30A2\u30D7\u30EA\u30B1\u30FC\u30B7\u30E7\u30F3"
                       u"\r\n\u304C\u3042\u308A\u307E\u305B\u3093");

QString helpPath()
{
    return QCoreApplication::applicationDirPath() + u"/kv.chm"_s;
}

// What lies at the help file's place in the test program's folder during one case; removed
// at the end of it, so that the folder holds no kv.chm between cases.
enum class AtHelpPath { Nothing, File, Folder };

class HelpPathContent {
public:
    explicit HelpPathContent(AtHelpPath what)
    {
        removeAll();
        if (what == AtHelpPath::File) {
            QFile file(helpPath());
            // The head of a compiled help file, by which the desktop knows its type.
            const QByteArray head("ITSF\x03\0\0\0\x60\0\0\0", 12);
            if (!file.open(QIODevice::WriteOnly) || file.write(head) != head.size())
                ADD_FAILURE() << "cannot write " << helpPath().toStdString();
        } else if (what == AtHelpPath::Folder) {
            if (!QDir().mkdir(helpPath()))
                ADD_FAILURE() << "cannot make " << helpPath().toStdString();
        }
    }
    ~HelpPathContent() { removeAll(); }
    HelpPathContent(const HelpPathContent&) = delete;
    HelpPathContent& operator=(const HelpPathContent&) = delete;

private:
    static void removeAll()
    {
        QFile::remove(helpPath());
        QDir().rmdir(helpPath());
    }
};

// Stands in for the desktop: records what it was asked to open and answers as told.
struct RecordingOpener {
    bool answer = true;
    QList<QUrl> asked;

    dialogs::DocumentOpener opener()
    {
        return [this](const QUrl& url) {
            asked.append(url);
            return answer;
        };
    }
};

// Stands in for the desktop's registry of applications: records the paths asked about.
struct RecordingFinder {
    bool registered = true;
    QStringList asked;

    dialogs::ApplicationFinder finder()
    {
        return [this](const QString& path) {
            asked.append(path);
            return registered;
        };
    }
};

struct HelpCase {
    const char* situation;
    AtHelpPath atPath;
    bool applicationRegistered;
    bool desktopTakesIt;
    bool desktopAsked;
    bool messageShown;
};

class HelpCommand : public testing::TestWithParam<HelpCase> {};

} // namespace

TEST_P(HelpCommand, OpensTheHelpFileOrSaysNothingCanOpenIt)
{
    const HelpCase& row = GetParam();
    const HelpPathContent content(row.atPath);
    RecordingMessages messages;
    RecordingFinder registry;
    registry.registered = row.applicationRegistered;
    RecordingOpener desktop;
    desktop.answer = row.desktopTakesIt;

    dialogs::openHelpFile(messages, registry.finder(), desktop.opener());

    // Only a file that is there is looked up, by the same path the desktop is handed.
    EXPECT_EQ(registry.asked,
              row.atPath == AtHelpPath::File ? QStringList{helpPath()} : QStringList{});

    if (row.desktopAsked) {
        ASSERT_EQ(desktop.asked.size(), 1);
        EXPECT_EQ(desktop.asked.first(), QUrl::fromLocalFile(helpPath()));
        EXPECT_TRUE(desktop.asked.first().isLocalFile());
        EXPECT_EQ(desktop.asked.first().toLocalFile(), helpPath());
    } else {
        EXPECT_TRUE(desktop.asked.isEmpty());
    }
    if (row.messageShown) {
        ASSERT_EQ(messages.shown.size(), 1);
        EXPECT_EQ(messages.shown.first(), kNoApplication);
    } else {
        EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join(u'|').toStdString();
    }
    EXPECT_TRUE(messages.fatal.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Situations, HelpCommand,
    testing::Values(HelpCase{"help_file_missing", AtHelpPath::Nothing, true, true, false, true},
                    HelpCase{"help_file_present_and_a_viewer_takes_it", AtHelpPath::File, true,
                             true, true, false},
                    HelpCase{"no_application_registered_for_it", AtHelpPath::File, false, true,
                             false, true},
                    HelpCase{"registered_but_the_desktop_fails_to_open_it", AtHelpPath::File, true,
                             false, true, true},
                    HelpCase{"a_folder_named_kv_chm", AtHelpPath::Folder, true, true, false, true}),
    [](const testing::TestParamInfo<HelpCase>& row) { return std::string(row.param.situation); });

TEST(HelpCommandPath, IsTheProgramFolderFollowedByKvChm)
{
    EXPECT_EQ(dialogs::helpFilePath(), QCoreApplication::applicationDirPath() + u"/kv.chm"_s);
}

TEST(HelpCommandPath, EachChoiceAsksTheDesktopAgain)
{
    const HelpPathContent content(AtHelpPath::File);
    RecordingMessages messages;
    RecordingFinder registry;
    RecordingOpener desktop;
    dialogs::openHelpFile(messages, registry.finder(), desktop.opener());
    dialogs::openHelpFile(messages, registry.finder(), desktop.opener());
    EXPECT_EQ(registry.asked.size(), 2);
    EXPECT_EQ(desktop.asked.size(), 2);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST(HelpMenu, WithoutHelpFileShowsTheMessageOnce)
{
    // The menu's own function, with the real desktop opener: nothing is launched, because a
    // missing file never reaches the desktop.
    const HelpPathContent content(AtHelpPath::Nothing);
    RecordingMessages messages;
    dialogs::openHelp(nullptr, messages);
    EXPECT_EQ(messages.shown, QStringList{kNoApplication});
}

namespace {

// The desktop's own registry, asked through xdg-mime, in a desktop of the test's own: empty
// data and configuration folders, in which nothing is registered unless the case registers a
// viewer for the help file's type.
class IsolatedDesktop {
public:
    IsolatedDesktop()
    {
        EXPECT_TRUE(m_folder.isValid());
        for (const char* name : kVariables)
            m_saved.append({name, qEnvironmentVariableIsSet(name), qgetenv(name)});
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_folder.filePath(u"data"_s)));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(m_folder.filePath(u"system-data"_s)));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_folder.filePath(u"config"_s)));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_folder.filePath(u"system-config"_s)));
        // No desktop of a known kind, whose own tools would answer instead.
        for (const char* name : {"XDG_CURRENT_DESKTOP", "KDE_FULL_SESSION", "DESKTOP_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID"})
            qunsetenv(name);
        for (const QString& sub : {u"data/applications"_s, u"system-data/applications"_s,
                                   u"config"_s, u"system-config"_s})
            EXPECT_TRUE(QDir(m_folder.path()).mkpath(sub));
    }
    ~IsolatedDesktop()
    {
        for (const Saved& saved : m_saved) {
            if (saved.wasSet)
                qputenv(saved.name, saved.value);
            else
                qunsetenv(saved.name);
        }
    }
    IsolatedDesktop(const IsolatedDesktop&) = delete;
    IsolatedDesktop& operator=(const IsolatedDesktop&) = delete;

    // A viewer for compiled help files.
    void registerViewer()
    {
        QFile entry(m_folder.filePath(u"data/applications/junkbane-test-viewer.desktop"_s));
        ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
        entry.write("[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %f\n"
                    "MimeType=application/vnd.ms-htmlhelp;\n");
    }

private:
    static constexpr const char* kVariables[] = {
        "XDG_DATA_HOME",       "XDG_DATA_DIRS",    "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",
        "XDG_CURRENT_DESKTOP", "KDE_FULL_SESSION", "DESKTOP_SESSION", "GNOME_DESKTOP_SESSION_ID"};
    struct Saved {
        const char* name;
        bool wasSet;
        QByteArray value;
    };
    QTemporaryDir m_folder;
    QList<Saved> m_saved;
};

} // namespace

TEST(HelpCommandDesktop, SaysSoWhenNoApplicationIsRegisteredAndOpensWhenOneIs)
{
    const HelpPathContent content(AtHelpPath::File);
    for (const bool registered : {false, true}) {
        SCOPED_TRACE(registered ? "viewer registered" : "nothing registered");
        IsolatedDesktop desktopFolders;
        if (registered)
            desktopFolders.registerViewer();
        RecordingMessages messages;
        RecordingOpener desktop;
        dialogs::openHelpFile(messages, dialogs::desktopApplicationFinder(), desktop.opener());
        EXPECT_EQ(desktop.asked.size(), registered ? 1 : 0);
        EXPECT_EQ(messages.shown, registered ? QStringList{} : QStringList{kNoApplication});
    }
}
