#include "edit_account_dialog.h"

#include "account_checks.h"
#include "mdl_main.h"
#include "messages.h"
#include "statements.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;
using dialogs::makeButton;
using dialogs::makeLabel;
using dialogs::makeTextBox;

Form8::Form8(app::Messages& messages, QWidget* owner)
    : FixedDialog(owner, 4680, 3195), m_messages(messages)
{
    Label1 = makeLabel(this, u"受信サーバアドレス"_s, 8.25, 120, 240, 1455, 255);
    Text1 = makeTextBox(this, 2280, 240, 2055, 270);
    Label2 = makeLabel(this, u"ユーザー"_s, 8.25, 120, 840, 1455, 255);
    Text2 = makeTextBox(this, 2280, 840, 2055, 270);
    Label3 = makeLabel(this, u"パスワード"_s, 8.25, 120, 1560, 1575, 255);
    Text3 = makeTextBox(this, 2280, 1560, 2055, 270);
    Label4 = makeLabel(this, QString(), 8.25, 120, 2160, 1815, 495);
    Text4 = makeTextBox(this, 2280, 2160, 1335, 270);
    Command1 = makeButton(this, u"編　集　終　了"_s, 1320, 2760, 2055, 255);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Command1);
    connect(Command1, &QPushButton::clicked, this, &Form8::onCommand1Clicked);

    // Window load. The selected account holds the store's values untyped: a text as it is, a
    // number as its decimal text, an empty (or null) value as an empty box.
    setWindowTitle(u"受信設定ファイルの編集"_s);
    Label4->setText(u"受信間隔は秒で記載\r\n例）300で5分間隔で受信"_s);
    Text1->setText(MdlMain::sel_server.toString());
    Text2->setText(MdlMain::sel_user.toString());
    Text3->setText(MdlMain::sel_pass.toString());
    Text4->setText(MdlMain::sel_time.toString());
}

void Form8::onCommand1Clicked()
{
    app::runGuarded(m_messages, [this] {
        const dialogs::AccountCheck check =
            dialogs::checkAccountFields(Text1->text(), Text2->text(), Text3->text(), Text4->text());
        if (!check.passed()) {
            m_messages.showMessage(check.message);
            return;
        }
        DbOpen();
        // The rows to rewrite are found by the user name the picker loaded, not by Text2, so
        // a renamed account is rewritten rather than looked for under its new name.
        DbConn->Execute(store::SqlAccountUpdate(Text1->text(), Text2->text(), Text3->text(),
                                                check.seconds, MdlMain::sel_user.toString()));
        DbClose();
        accept();
    });
}
