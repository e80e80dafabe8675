// The help command: what it hands the desktop, and when it says that nothing can open the file.

#include "help_command.h"
#include "help_menu.h"
#include "recording_messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

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
            if (!file.open(QIODevice::WriteOnly) || file.write("ITSF") != 4)
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

struct HelpCase {
    const char* situation;
    AtHelpPath atPath;
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
    RecordingOpener desktop;
    desktop.answer = row.desktopTakesIt;

    dialogs::openHelpFile(messages, desktop.opener());

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
    testing::Values(
        HelpCase{"help_file_missing", AtHelpPath::Nothing, true, false, true},
        HelpCase{"help_file_present_and_a_viewer_takes_it", AtHelpPath::File, true, true, false},
        HelpCase{"help_file_present_but_no_viewer_for_it", AtHelpPath::File, false, true, true},
        HelpCase{"a_folder_named_kv_chm", AtHelpPath::Folder, true, false, true}),
    [](const testing::TestParamInfo<HelpCase>& row) { return std::string(row.param.situation); });

TEST(HelpCommandPath, IsTheProgramFolderFollowedByKvChm)
{
    EXPECT_EQ(dialogs::helpFilePath(), QCoreApplication::applicationDirPath() + u"/kv.chm"_s);
}

TEST(HelpCommandPath, EachChoiceAsksTheDesktopAgain)
{
    const HelpPathContent content(AtHelpPath::File);
    RecordingMessages messages;
    RecordingOpener desktop;
    dialogs::openHelpFile(messages, desktop.opener());
    dialogs::openHelpFile(messages, desktop.opener());
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
