#include "menu_wiring.h"

#include "account_menu.h"
#include "block_list_menu.h"
#include "deleted_mail_menu.h"
#include "help_menu.h"
#include "main_window.h"
#include "messages.h"

namespace app {

void wireMenu(Form1& form, sweep::Messages& messages)
{
    Form1* owner = &form;
    sweep::Messages* boxes = &messages;
    const auto open = [&form, owner, boxes](QAction* item,
                                            void (*dialog)(QWidget*, sweep::Messages&)) {
        form.setOpener(item, [owner, boxes, dialog] { dialog(owner, *boxes); });
    };
    open(form.m8, dialogs::openSweepPicker);
    open(form.m2, dialogs::openNewAccountDialog);
    open(form.m6, dialogs::openEditPicker);
    open(form.m4, dialogs::openDeleteAddressDialog);
    open(form.m3, dialogs::openAddAddressDialog);
    open(form.m5, dialogs::openBlockListBrowser);
    open(form.m11, dialogs::openDeletedMail);
    open(form.m10, dialogs::openHelp);
    form.setOpener(form.m9, [owner] { dialogs::openAboutBox(owner); });
}

} // namespace app
