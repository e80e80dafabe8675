#pragma once

#include "account_form.h"

#include <QVariant>

// The edit account dialog: shows the selected account and rewrites its row of the account
// table, found by the row's id. When that row is still the selected account, the selected
// account takes the saved values at once.
class Form8 : public dialogs::AccountForm {
    Q_OBJECT

public:
    Form8(sweep::Messages& messages, QWidget* owner);

private:
    void save(store::Connection& db, const dialogs::AccountFields& fields) override;

    QVariant m_id; // the row shown, as the selected account held it at load
};
