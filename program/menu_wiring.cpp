#include "menu_wiring.h"

#include "account_menu.h"
#include "block_list_menu.h"
#include "block_list_undo.h"
#include "deleted_mail_menu.h"
#include "help_menu.h"
#include "main_window.h"
#include "messages.h"

#include <QMenu>

namespace app {

void wireMenu(Form1& form, sweep::Messages& messages, dialogs::BlockListUndo& undo)
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
    dialogs::BlockListUndo* kept = &undo;
    form.setOpener(
        form.m4, [owner, boxes, kept] { dialogs::openDeleteAddressDialog(owner, *boxes, *kept); });
    open(form.m3, dialogs::openAddAddressDialog);
    form.setOpener(form.m5,
                   [owner, boxes, kept] { dialogs::openBlockListBrowser(owner, *boxes, *kept); });
    open(form.m11, dialogs::openDeletedMail);
    form.setOpener(form.m12, [boxes, kept] { dialogs::undoBlockListDeletion(*boxes, *kept); });
    // 元に戻す is offered only while there is a deletion to undo.
    QObject::connect(form.del, &QMenu::aboutToShow, &form,
                     [&form, kept] { form.m12->setEnabled(kept->canUndo()); });
    open(form.m10, dialogs::openHelp);
    form.setOpener(form.m9, [owner] { dialogs::openAboutBox(owner); });
}

} // namespace app
