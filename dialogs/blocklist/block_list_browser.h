#pragma once

#include "settings_file.h"

#include "fixed_dialog.h"

class QListWidget;
class QListWidgetItem;

namespace sweep {
class Messages;
}

namespace dialogs {

// The block-list browser: every entry, newest first; picking one deletes that entry and closes.
//
// An entry is picked by a mouse click on it or by Enter while it is highlighted. Moving the
// highlight (arrow keys, Page Up/Down, Home/End, typing a letter) deletes nothing. Each item
// carries its row's id (Qt::UserRole), and the pick deletes that row alone: two equal entries
// are two items, and an entry contained in longer ones takes none of them along.
class Form5 : public FixedDialog {
    Q_OBJECT

public:
    Form5(sweep::Messages& messages, QWidget* owner);

    QListWidget* List1;

private:
    void load();
    void pick(QListWidgetItem* item);

    sweep::Messages& m_messages;
    bool m_picked = false; // one pick per opening: a double click must not delete twice
};

} // namespace dialogs
