#pragma once

class Form1;

namespace sweep {
class Messages;
}

namespace app {

// Connects the main window's menu items to the dialogs they open.
void wireMenu(Form1& form, sweep::Messages& messages);

} // namespace app
