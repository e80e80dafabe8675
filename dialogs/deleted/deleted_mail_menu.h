#pragma once

class QWidget;

namespace sweep {
class Messages;
}

namespace dialogs {

// The main window's "削除したメール": shows the deleted-mail dialog modally over the owner, for
// deleted/ beside the settings database, and returns when it closes.
void openDeletedMail(QWidget* owner, sweep::Messages& messages);

} // namespace dialogs
