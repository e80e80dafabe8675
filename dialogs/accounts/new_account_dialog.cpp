#include "new_account_dialog.h"

#include "account_checks.h"
#include "messages.h"
#include "statements.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;
using dialogs::makeButton;
using dialogs::makeLabel;
using dialogs::makeTextBox;

Form2::Form2(app::Messages& messages, QWidget* owner)
    : FixedDialog(owner, 4320, 3090), m_messages(messages)
{
    Label1 = makeLabel(this, QString(), 8.25, 120, 120, 1335, 375);
    Text1 = makeTextBox(this, 1680, 120, 2295, 270);
    Label2 = makeLabel(this, u"ユーザー"_s, 9.75, 120, 720, 1335, 375);
    Text2 = makeTextBox(this, 1680, 720, 2295, 270);
    Label3 = makeLabel(this, u"パスワード"_s, 9.75, 120, 1320, 1335, 375);
    Text3 = makeTextBox(this, 1680, 1320, 2295, 270);
    Label4 = makeLabel(this, QString(), 8.25, 120, 2040, 1215, 495);
    Text4 = makeTextBox(this, 1800, 2160, 975, 270);
    Command1 = makeButton(this, u"この内容で作成"_s, 1560, 2640, 1575, 375);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Command1);
    connect(Command1, &QPushButton::clicked, this, &Form2::onCommand1Clicked);

    // Window load.
    setWindowTitle(u"受信設定ファイルの新規登録"_s);
    Label1->setText(u"受信メール\r\nサーバアドレス"_s);
    Label4->setText(u"受信間隔\r\n秒で記載\r\n例）300で5分間隔で受信"_s);
}

void Form2::onCommand1Clicked()
{
    app::runGuarded(m_messages, [this] {
        const dialogs::AccountCheck check =
            dialogs::checkAccountFields(Text1->text(), Text2->text(), Text3->text(), Text4->text());
        if (!check.passed()) {
            m_messages.showMessage(check.message);
            return;
        }
        DbOpen();
        DbConn->Execute(
            store::SqlAccountInsert(Text1->text(), Text2->text(), Text3->text(), check.seconds));
        DbClose();
        accept();
    });
}
