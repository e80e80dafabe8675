#include "block_list_menu.h"

#include "add_address_dialog.h"
#include "block_list_browser.h"
#include "delete_address_dialog.h"

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

} // namespace dialogs
