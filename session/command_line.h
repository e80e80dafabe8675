#pragma once

#include <QString>
#include <QStringList>

namespace session {

// What the command line asks the program to do. Read before the application object exists,
// so that --help and --version work without a display.
struct CommandLine {
    enum class Action {
        Run,     // open the program
        Help,    // print the usage to stdout, exit 0
        Version, // print the name and version to stdout, exit 0
        Error,   // print error and the usage to stderr, exit 2
    };
    Action action = Action::Run;
    bool minimized = false;  // --minimized: straight to the tray (or minimised without one)
    bool checkStart = false; // --check-start: show the window, print the folders, end
    QString error;           // Action::Error: one line saying what is wrong
};

// Reads the arguments after the program's name. Qt's own options (-platform, -display and
// the like, with their values) are left for the application object and accepted here.
CommandLine parseCommandLine(const QStringList& arguments);

// The usage text, ending in a line break.
QString usageText();

// "junkbane 1.0.0" and a line break.
QString versionLine();

} // namespace session
