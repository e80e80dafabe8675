#pragma once

#include "account_form.h"

// The edit account dialog: shows the selected account and rewrites every row of the account
// table whose user name is the selected account's. The selected account itself stays as the
// picker loaded it, also after a save.
class Form8 : public dialogs::AccountForm {
    Q_OBJECT

public:
    Form8(app::Messages& messages, QWidget* owner);

private:
    void save(store::Connection& db, const dialogs::AccountFields& fields) override;
};
