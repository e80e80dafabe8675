#include "add_address_dialog.h"

#include "statements.h"

#include <QCoreApplication>

namespace dialogs {

using namespace Qt::StringLiterals;

// The insert is no pattern: "%" and "_" are stored as the characters they are, and an entry
// already in the table is added again.
Form3::Form3(sweep::Messages& messages, QWidget* owner)
    : AddressTextDialog(messages, owner,
                        QCoreApplication::translate("dialogs", "削除アドレスの追加"),
                        QCoreApplication::translate("dialogs", "登　録"), &store::SqlBlockInsert)
{
}

} // namespace dialogs
