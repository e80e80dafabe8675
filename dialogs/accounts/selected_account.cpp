#include "selected_account.h"

#include "connection.h"
#include "mdl_main.h"
#include "statements.h"

#include <utility>

using namespace Qt::StringLiterals;

namespace dialogs {

bool selectAccountRow(store::Connection& db, qint64 id)
{
    const auto rows = db.Execute(store::SqlAccountById(id));
    if (rows->eof())
        return false;
    // All five are read before any is written, so that a failed read leaves the selected
    // account whole.
    QVariant rowId = rows->value(u"id"_s);
    QVariant server = rows->value(u"d_server"_s);
    QVariant user = rows->value(u"d_user"_s);
    QVariant pass = rows->value(u"d_pass"_s);
    QVariant time = rows->value(u"d_time"_s);
    MdlMain::sel_id = std::move(rowId);
    MdlMain::sel_server = std::move(server);
    MdlMain::sel_user = std::move(user);
    MdlMain::sel_pass = std::move(pass);
    MdlMain::sel_time = std::move(time);
    return true;
}

} // namespace dialogs
