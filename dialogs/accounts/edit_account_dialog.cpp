#include "edit_account_dialog.h"

#include "connection.h"
#include "mdl_main.h"
#include "selected_account.h"
#include "statements.h"

#include <QCoreApplication>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace {

// Made at each use, so that its texts are translated in the language of the running program.
dialogs::AccountFormLayout formLayout()
{
    return {
        .windowCaption = QCoreApplication::translate("dialogs", "受信設定ファイルの編集"),
        .clientWidth = 4680,
        .clientHeight = 3195,
        .fields = {{QCoreApplication::translate("dialogs", "受信サーバアドレス"),
                    8.25,
                    {120, 240, 1455, 255},
                    {2280, 240, 2055, 270}},
                   {QCoreApplication::translate("dialogs", "ユーザー"),
                    8.25,
                    {120, 840, 1455, 255},
                    {2280, 840, 2055, 270}},
                   {QCoreApplication::translate("dialogs", "パスワード"),
                    8.25,
                    {120, 1560, 1575, 255},
                    {2280, 1560, 2055, 270}},
                   {QCoreApplication::translate("dialogs",
                                                "受信間隔は秒で記載\r\n例）300で5分間隔で受信"),
                    8.25,
                    {120, 2160, 1815, 495},
                    {2280, 2160, 1335, 270}}},
        .buttonCaption = QCoreApplication::translate("dialogs", "編　集　終　了"),
        .button = {1320, 2760, 2055, 255},
    };
}

} // namespace

Form8::Form8(sweep::Messages& messages, QWidget* owner)
    : AccountForm(messages, owner, formLayout()), m_id(MdlMain::sel_id)
{
    // Window load. The selected account holds the store's values untyped: a text as it is, a
    // number as its decimal text, an empty (or null) value as an empty box.
    Text1->setText(MdlMain::sel_server.toString());
    Text2->setText(MdlMain::sel_user.toString());
    Text3->setText(MdlMain::sel_pass.toString());
    Text4->setText(MdlMain::sel_time.toString());
}

void Form8::save(store::Connection& db, const dialogs::AccountFields& fields)
{
    // Without a picked row there is nothing to rewrite; the dialog closes as after any save.
    bool hasId = false;
    const qint64 id = m_id.toLongLong(&hasId);
    if (!hasId)
        return;
    db.Execute(
        store::SqlAccountUpdateById(fields.server, fields.user, fields.pass, fields.seconds, id));
    // The account being swept was just corrected: sweep with what is stored now, as the store
    // returns it, rather than with the values picked before.
    if (MdlMain::sel_id == m_id)
        dialogs::selectAccountRow(db, id);
}
