#include "block_list_menu.h"

#include "add_address_dialog.h"
#include "block_list_browser.h"
#include "block_list_undo.h"
#include "connection.h"
#include "delete_address_dialog.h"
#include "messages.h"
#include "settings_file.h"

namespace dialogs {

void openAddAddressDialog(QWidget* owner, sweep::Messages& messages)
{
    Form3 dialog(messages, owner);
    dialog.exec();
}

void openDeleteAddressDialog(QWidget* owner, sweep::Messages& messages)
{
    Form4 dialog(messages, owner);
    dialog.exec();
}

void openBlockListBrowser(QWidget* owner, sweep::Messages& messages)
{
    Form5 dialog(messages, owner);
    dialog.exec();
}

void openDeleteAddressDialog(QWidget* owner, sweep::Messages& messages, BlockListUndo& undo)
{
    Form4 dialog(messages, owner, &undo);
    dialog.exec();
}

void openBlockListBrowser(QWidget* owner, sweep::Messages& messages, BlockListUndo& undo)
{
    Form5 dialog(messages, owner, &undo);
    dialog.exec();
}

void undoBlockListDeletion(sweep::Messages& messages, BlockListUndo& undo)
{
    if (undo.canUndo())
        sweep::runGuarded(messages, [&undo] { undo.undo(*store::openSettings()); });
}

} // namespace dialogs
