#pragma once

class Form1;

namespace app {
class Messages;

// Connects the main window's menu items to the dialogs they open.
void wireMenu(Form1& form, Messages& messages);

} // namespace app
