#pragma once

#include "fixed_dialog.h"
#include "settings_file.h"

#include <functional>

class QLabel;
class QListWidget;
class QListWidgetItem;

namespace sweep {
class Messages;
}

namespace dialogs {

// A list of the receive accounts by user name and server, newest first, from which one pick makes
// an account the selected account. Each entry keeps its row's id (Qt::UserRole), and a pick loads
// exactly that row. The two pickers differ in size and in what follows a pick.
class AccountPicker : public FixedDialog {
    Q_OBJECT

public:
    QListWidget* List1;

    // An entry's text: the user name with the server beside it, as plain text.
    static QString entryText(const QString& user, const QString& server);

protected:
    // Sizes in twips; the list fills the given size from the client area's top left.
    AccountPicker(sweep::Messages& messages, QWidget* owner, int widthTwips, int heightTwips,
                  int listWidthTwips, int listHeightTwips);

    // Runs after the picker has closed, for every pick (also one that loaded nothing).
    virtual void afterPick() {}

    sweep::Messages& m_messages;

private:
    void load();
    void pick(const QListWidgetItem* item);

    bool m_picked = false; // a double click reports a click and an activation: pick once
    QLabel* m_emptyHint;
};

} // namespace dialogs

// The picker for sweeping: a pick loads the account and closes the list.
class Form7 : public dialogs::AccountPicker {
    Q_OBJECT

public:
    Form7(sweep::Messages& messages, QWidget* owner);
};

// The picker for editing: a pick loads the account, closes the list and then opens the edit
// dialog, whatever the pick found.
class Form6 : public dialogs::AccountPicker {
    Q_OBJECT

public:
    // Opens what follows a pick; owner is the picker's owner, as the picker is gone by then.
    using EditorOpener = std::function<void(QWidget* owner, sweep::Messages& messages)>;

    // Without an opener, a pick shows the edit dialog modally.
    Form6(sweep::Messages& messages, QWidget* owner, EditorOpener openEditor = {});

    // Shows the edit dialog over the owner and returns when it has closed.
    static void showEditDialog(QWidget* owner, sweep::Messages& messages);

protected:
    void afterPick() override;

private:
    EditorOpener m_openEditor;
};
