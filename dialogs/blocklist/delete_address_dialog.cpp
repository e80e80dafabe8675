#include "delete_address_dialog.h"

#include "block_list_undo.h"
#include "connection.h"
#include "statements.h"

#include <QCoreApplication>

namespace dialogs {

using namespace Qt::StringLiterals;

// The fragment goes between the two "%" of the delete unescaped, so a "%" or "_" typed into it
// is a wildcard too: "%" empties the list. The user deletes by pattern on purpose here.
Form4::Form4(sweep::Messages& messages, QWidget* owner, BlockListUndo* undo)
    : AddressTextDialog(messages, owner, QCoreApplication::translate("dialogs", "アドレスの削除"),
                        QCoreApplication::translate("dialogs", "削　除"), &store::SqlBlockDelete),
      m_undo(undo)
{
}

void Form4::apply(store::Connection& settings, const QString& cleaned)
{
    if (m_undo)
        m_undo->deleteMatching(settings, cleaned);
    else
        AddressTextDialog::apply(settings, cleaned);
}

} // namespace dialogs
