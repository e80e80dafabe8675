#include "delete_address_dialog.h"

#include "statements.h"

namespace dialogs {

using namespace Qt::StringLiterals;

// The fragment goes between the two "%" of the delete unescaped, so a "%" or "_" typed into it
// is a wildcard too: "%" empties the list. The user deletes by pattern on purpose here.
Form4::Form4(sweep::Messages& messages, QWidget* owner)
    : AddressTextDialog(messages, owner, u"アドレスの削除"_s, u"削　除"_s, &store::SqlBlockDelete)
{
}

} // namespace dialogs
