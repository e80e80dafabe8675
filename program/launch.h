#pragma once

namespace app {

// What every start of the program does once the application object exists and before its
// first window: the application's name and version, its language (ui_language.h), the font
// substitutions and default font, the window icon. main(), the start-up benchmark and the
// screenshot tool call it alike.
void prepareApplication();

// Makes the data folder ready before the window opens (see startup::prepareDataFolder). On a
// problem it tells the user, in a message box or, when checking an installation, on stderr,
// and returns false: the program then ends.
bool prepareData(bool toStderr);

} // namespace app
