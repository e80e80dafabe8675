#include "delete_address_dialog.h"

#include "statements.h"

#include <QCoreApplication>

namespace dialogs {

using namespace Qt::StringLiterals;

// The fragment goes between the two "%" of the delete unescaped, so a "%" or "_" typed into it
// is a wildcard too: "%" empties the list. The user deletes by pattern on purpose here.
Form4::Form4(sweep::Messages& messages, QWidget* owner)
    : AddressTextDialog(messages, owner, QCoreApplication::translate("dialogs", "アドレスの削除"),
                        QCoreApplication::translate("dialogs", "削　除"), &store::SqlBlockDelete)
{
}

} // namespace dialogs
