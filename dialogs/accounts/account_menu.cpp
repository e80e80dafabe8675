#include "account_menu.h"

#include "account_pickers.h"
#include "new_account_dialog.h"

namespace dialogs {

void openNewAccountDialog(QWidget* owner, sweep::Messages& messages)
{
    Form2 dialog(messages, owner);
    dialog.exec();
}

void openSweepPicker(QWidget* owner, sweep::Messages& messages)
{
    Form7 picker(messages, owner);
    picker.exec();
}

void openEditPicker(QWidget* owner, sweep::Messages& messages)
{
    Form6 picker(messages, owner);
    picker.exec();
}

} // namespace dialogs
