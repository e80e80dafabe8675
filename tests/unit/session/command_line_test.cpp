#include "command_line.h"

#include <gtest/gtest.h>

namespace session {
namespace {

using namespace Qt::StringLiterals;
using Action = CommandLine::Action;

struct Row {
    const char* situation;
    QStringList arguments;
    Action action;
    bool minimized;
    bool checkStart;
    const char* errorPart; // a part of the error, for Action::Error
};

const Row kRows[] = {
    {"no arguments", {}, Action::Run, false, false, ""},
    {"tray start", {u"--minimized"_s}, Action::Run, true, false, ""},
    {"installation check", {u"--check-start"_s}, Action::Run, false, true, ""},
    {"help wins over the rest",
     {u"--minimized"_s, u"--help"_s, u"--bogus"_s},
     Action::Help,
     false,
     false,
     ""},
    {"short help", {u"-h"_s}, Action::Help, false, false, ""},
    {"version", {u"--version"_s}, Action::Version, false, false, ""},
    {"Qt's own option with its value",
     {u"-platform"_s, u"offscreen"_s, u"--minimized"_s},
     Action::Run,
     true,
     false,
     ""},
    {"Qt's option without its value", {u"-platform"_s}, Action::Error, false, false, "-platform"},
    {"unknown option", {u"--tray"_s}, Action::Error, false, false, "--tray"},
    {"unknown option after a good one",
     {u"--minimized"_s, u"-x"_s},
     Action::Error,
     true,
     false,
     "-x"},
    {"a stray argument", {u"mail.eml"_s}, Action::Error, false, false, "mail.eml"},
};

TEST(CommandLine, readsEachSituation)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.situation);
        const CommandLine line = parseCommandLine(row.arguments);
        EXPECT_EQ(line.action, row.action);
        if (row.action == Action::Run) {
            EXPECT_EQ(line.minimized, row.minimized);
            EXPECT_EQ(line.checkStart, row.checkStart);
        }
        if (row.action == Action::Error) {
            EXPECT_TRUE(line.error.contains(QString::fromUtf8(row.errorPart)))
                << line.error.toStdString();
            EXPECT_FALSE(line.error.contains(u'\n'));
        }
    }
}

TEST(CommandLine, usageNamesEveryOption)
{
    for (const char* option : {"--minimized", "--check-start", "--help", "--version"})
        EXPECT_TRUE(usageText().contains(QString::fromLatin1(option))) << option;
}

} // namespace
} // namespace session
