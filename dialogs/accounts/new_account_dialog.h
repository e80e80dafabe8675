#pragma once

#include "db_owner.h"
#include "fixed_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class Messages;
}

// The new account dialog: registers one more receive account as a new row of the account
// table. It never changes the selected account.
class Form2 : public dialogs::FixedDialog, private store::DbOwner {
    Q_OBJECT

public:
    Form2(app::Messages& messages, QWidget* owner);

    QLabel* Label1;
    QLineEdit* Text1; // server address
    QLabel* Label2;
    QLineEdit* Text2; // user name
    QLabel* Label3;
    QLineEdit* Text3; // password, shown in clear
    QLabel* Label4;
    QLineEdit* Text4; // interval in seconds
    QPushButton* Command1;

private:
    void onCommand1Clicked();

    app::Messages& m_messages;
};
