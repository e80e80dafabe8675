#include "autostart.h"
#include "notifier.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace session {
namespace {

using namespace Qt::StringLiterals;

struct ExecRow {
    const char* situation;
    QString program;
    const char* execLine; // as it stands in the file
};

const ExecRow kExecRows[] = {
    {"found on PATH", u"junkbane"_s, "Exec=junkbane --minimized"},
    {"a plain path", u"/opt/jb/bin/junkbane"_s, "Exec=/opt/jb/bin/junkbane --minimized"},
    {"a path with a space", u"/home/u/my apps/junkbane"_s,
     "Exec=\"/home/u/my apps/junkbane\" --minimized"},
    {"quote, dollar and percent", u"/tmp/a\"$b%/junkbane"_s,
     "Exec=\"/tmp/a\\\\\"\\\\$b%%/junkbane\" --minimized"},
};

// The entry as the desktop reads it, checked by the desktop's own validator.
TEST(Autostart, entryValidatesAndStartsTheProgramInTheTray)
{
    for (const ExecRow& row : kExecRows) {
        SCOPED_TRACE(row.situation);
        QTemporaryDir config;
        const Autostart entry(config.path(), u"/nonexistent"_s, row.program);
        EXPECT_EQ(entry.path(), config.filePath(u"autostart/junkbane.desktop"_s));
        EXPECT_FALSE(entry.isOn());
        ASSERT_EQ(entry.setOn(true), QString());
        ASSERT_TRUE(entry.isOn());
        QFile file(entry.path());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.readAll().split('\n').contains(QByteArray(row.execLine)));

        QProcess validate;
        validate.start(u"desktop-file-validate"_s, {entry.path()});
        ASSERT_TRUE(validate.waitForFinished(30000));
        EXPECT_EQ(validate.exitCode(), 0) << validate.readAll().toStdString();
        EXPECT_EQ(validate.readAll(), QByteArray());

        ASSERT_EQ(entry.setOn(false), QString());
        EXPECT_FALSE(entry.isOn());
        EXPECT_EQ(entry.setOn(false), QString()); // nothing to remove is no failure
    }
}

TEST(Autostart, defaultsToTheHomeConfigFolderAndSaysWhyItCannotWrite)
{
    QTemporaryDir home;
    EXPECT_EQ(Autostart(u"relative/config"_s, home.path(), u"junkbane"_s).path(),
              home.filePath(u".config/autostart/junkbane.desktop"_s));
    QFile blocker(home.filePath(u"file"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    const Autostart entry(home.filePath(u"file"_s), {}, u"junkbane"_s);
    EXPECT_TRUE(entry.setOn(true).contains(u"自動起動"_s));
    EXPECT_FALSE(entry.isOn());
}

struct SummaryRow {
    qint64 second; // since the first count
    int deletedToday;
    const char* said; // "" when nothing is said
};

// At most one summary a minute, and nothing deleted goes unsaid.
TEST(DeletionSummary, saysWhatWasDeletedAtMostOnceAMinute)
{
    const SummaryRow rows[] = {
        {0, 5, ""}, // where it starts: what was deleted before is no news
        {1, 5, ""},
        {2, 8, "3 通削除しました"},
        {30, 9, ""},
        {61, 9, ""}, // 59 seconds after the last summary
        {62, 10, "2 通削除しました"},
        {63, 10, ""},
        {200, 2, "2 通削除しました"}, // a new day began
    };
    DeletionSummary summary;
    const QDateTime start(QDate(2026, 3, 1), QTime(23, 50));
    for (const SummaryRow& row : rows) {
        SCOPED_TRACE(row.second);
        EXPECT_EQ(summary.update(row.deletedToday, start.addSecs(row.second)),
                  QString::fromUtf8(row.said));
    }
}

} // namespace
} // namespace session
