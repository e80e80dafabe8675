#pragma once

#include <QString>

namespace app {

// What every start of the program does once the application object exists and before its
// first window: the application's name and version, its language (ui_language.h), the font
// substitutions and default font, the window icon. main(), the start-up benchmark and the
// screenshot tool call it alike.
void prepareApplication();

// The program's language for this process (ui_language.h): its own translations and Qt's,
// installed on the application object, which may be a QCoreApplication (no display).
void installLanguage();

// Makes the data folder ready before the window opens (see startup::prepareDataFolder). On a
// problem it tells the user, in a message box or, when checking an installation, on stderr,
// and returns false: the program then ends.
bool prepareData(bool toStderr);

// Makes the per-user data folder when it is missing (nothing in it yet), so that the lock of
// one running program per folder can be taken before anything in it is touched. On a problem
// it tells the user as prepareData does and returns false; prepareData then says it again.
bool makeDataFolder(const QString& folder, bool toStderr);

// Tells the user of a problem that ends the program: a message box, or stderr when checking
// an installation.
void tellProblem(const QString& problem, bool toStderr);

} // namespace app
