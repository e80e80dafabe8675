#pragma once

#include "settings_file.h"

#include "fixed_dialog.h"

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace sweep {
class Messages;
}

namespace dialogs {

class BlockListUndo;

// The block-list browser: every entry, newest first; picking one deletes that entry and closes.
//
// An entry is picked by a mouse click on it or by Enter while it is highlighted. Moving the
// highlight (arrow keys, Page Up/Down, Home/End, typing a letter) deletes nothing. Each item
// carries its row's id (Qt::UserRole), and the pick deletes that row alone: two equal entries
// are two items, and an entry contained in longer ones takes none of them along. An empty list
// says how entries are added.
class Form5 : public FixedDialog {
    Q_OBJECT

public:
    // undo, when given, must outlive the dialog: a pick is kept in it, and Ctrl+Z puts the
    // entries of the last deletion back into the list.
    Form5(sweep::Messages& messages, QWidget* owner, BlockListUndo* undo = nullptr);

    QListWidget* List1;

private:
    void load();
    void pick(QListWidgetItem* item);
    void undoLastDeletion();

    sweep::Messages& m_messages;
    BlockListUndo* m_undo;
    QLabel* m_emptyHint;
    bool m_picked = false; // one pick per opening: a double click must not delete twice
};

} // namespace dialogs
