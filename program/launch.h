#pragma once

namespace app {

// What every start of the program does once the application object exists and before its
// first window: the application's name and version, the font substitutions and default font,
// the window icon. main(), the start-up benchmark and the screenshot tool call it alike.
void prepareApplication();

} // namespace app
