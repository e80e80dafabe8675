#pragma once

#include "account_form.h"

// The new account dialog: registers one more receive account as a new row of the account
// table. It never changes the selected account.
class Form2 : public dialogs::AccountForm {
    Q_OBJECT

public:
    Form2(sweep::Messages& messages, QWidget* owner);

private:
    void save(store::Connection& db, const dialogs::AccountFields& fields) override;
};
