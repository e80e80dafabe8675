#pragma once

class Form1;

namespace sweep {
class Messages;
}

namespace dialogs {
class BlockListUndo;
}

namespace app {

// Connects the main window's menu items to the dialogs they open. undo keeps block-list
// deletions until the program exits and must outlive the window.
void wireMenu(Form1& form, sweep::Messages& messages, dialogs::BlockListUndo& undo);

} // namespace app
