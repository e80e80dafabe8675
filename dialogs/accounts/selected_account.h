#pragma once

#include <QtGlobal>

namespace store {
class Connection;
}

namespace dialogs {

// Makes the account row with this id the selected account: its id and its four values, as the
// store returns them, all together. False, with the selected account left whole, when no row
// has that id.
bool selectAccountRow(store::Connection& db, qint64 id);

} // namespace dialogs
