#include "new_account_dialog.h"

#include "connection.h"
#include "statements.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

namespace {

// The interval's label keeps its drawn place, 81 by 33 pixels. Its third line is 120 pixels
// wide at the 8.25 points of the other small labels, and three lines of 8.25 points are 36
// high: at 7.5 points the lines fit the height, and a face condensed to 72 percent fits the
// width while it stays readable (a plain face would have to shrink to 5.5 points).
// Made at each use, so that its texts are translated in the language of the running program.
dialogs::AccountFormLayout formLayout()
{
    return {
        .windowCaption = QCoreApplication::translate("dialogs", "受信設定ファイルの新規登録"),
        .clientWidth = 4320,
        .clientHeight = 3090,
        .fields = {{QCoreApplication::translate("dialogs", "受信メール\r\nサーバアドレス"),
                    8.25,
                    {120, 120, 1335, 375},
                    {1680, 120, 2295, 270}},
                   {QCoreApplication::translate("dialogs", "ユーザー"),
                    9.75,
                    {120, 720, 1335, 375},
                    {1680, 720, 2295, 270}},
                   {QCoreApplication::translate("dialogs", "パスワード"),
                    9.75,
                    {120, 1320, 1335, 375},
                    {1680, 1320, 2295, 270}},
                   {QCoreApplication::translate("dialogs",
                                                "受信間隔\r\n秒で記載\r\n例）300で5分間隔で受信"),
                    7.5,
                    {120, 2040, 1215, 495},
                    {1800, 2160, 975, 270},
                    72}},
        .buttonCaption = QCoreApplication::translate("dialogs", "この内容で作成"),
        .button = {1560, 2640, 1575, 375},
    };
}

} // namespace

Form2::Form2(sweep::Messages& messages, QWidget* owner) : AccountForm(messages, owner, formLayout())
{
}

void Form2::save(store::Connection& db, const dialogs::AccountFields& fields)
{
    db.Execute(store::SqlAccountInsert(fields.server, fields.user, fields.pass, fields.seconds));
}
