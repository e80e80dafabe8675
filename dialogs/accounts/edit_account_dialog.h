#pragma once

#include "db_owner.h"
#include "fixed_dialog.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace app {
class Messages;
}

// The edit account dialog: shows the selected account and rewrites every row of the account
// table whose user name is the selected account's. The selected account itself stays as the
// picker loaded it, also after a save.
class Form8 : public dialogs::FixedDialog, private store::DbOwner {
    Q_OBJECT

public:
    Form8(app::Messages& messages, QWidget* owner);

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
