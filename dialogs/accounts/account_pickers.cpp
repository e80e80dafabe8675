#include "account_pickers.h"

#include "app_info.h"
#include "edit_account_dialog.h"
#include "empty_hint.h"
#include "messages.h"
#include "plain_text.h"
#include "selected_account.h"
#include "statements.h"

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>

#include <utility>

using namespace Qt::StringLiterals;
using app::twips;

namespace dialogs {

AccountPicker::AccountPicker(sweep::Messages& messages, QWidget* owner, int widthTwips,
                             int heightTwips, int listWidthTwips, int listHeightTwips)
    : FixedDialog(owner, widthTwips, heightTwips), m_messages(messages)
{
    List1 = new QListWidget(this);
    List1->setGeometry(0, 0, twips(listWidthTwips), twips(listHeightTwips));
    List1->setSortingEnabled(false);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    // A mouse click or Enter picks; moving the highlight with the keyboard only moves it.
    connect(List1, &QListWidget::itemClicked, this, &AccountPicker::pick);
    connect(List1, &QListWidget::itemActivated, this, &AccountPicker::pick);
    m_emptyHint = app::emptyListHint(
        List1, QCoreApplication::translate("dialogs",
                                           "受信 → 受信設定の登録 でアカウントを登録してください"));
    load();
}

QString AccountPicker::entryText(const QString& user, const QString& server)
{
    // Two accounts may share a user name: the server beside it tells them apart.
    return QCoreApplication::translate("dialogs", "%1（%2）")
        .arg(app::plainLine(user), app::plainLine(server));
}

void AccountPicker::load()
{
    setWindowTitle(QCoreApplication::translate("dialogs", "一覧から選択"));
    sweep::runGuarded(m_messages, [this] {
        const auto settings = store::openSettings();
        for (auto rows = settings->Execute(store::SqlAccountPickList()); !rows->eof();
             rows->moveNext()) {
            // A row without a user name (only written by hand, never by the dialogs) is
            // listed as an empty entry rather than ending the program each time a picker
            // opens.
            auto* entry = new QListWidgetItem(entryText(rows->value(u"d_user"_s).toString(),
                                                        rows->value(u"d_server"_s).toString()),
                                              List1);
            entry->setData(Qt::UserRole, rows->value(u"id"_s));
        }
    });
    m_emptyHint->setVisible(List1->count() == 0);
}

void AccountPicker::pick(const QListWidgetItem* item)
{
    if (m_picked || item == nullptr)
        return;
    m_picked = true;

    bool loaded = false;
    sweep::runGuarded(m_messages, [this, item, &loaded] {
        // The entry's row, by its id: equal names are different accounts, and the name itself
        // (quotes and all) plays no part in finding it.
        bool hasId = false;
        const qint64 id = item->data(Qt::UserRole).toLongLong(&hasId);
        if (hasId) {
            // A row removed since the list was read leaves the selected account as it was.
            selectAccountRow(*store::openSettings(), id);
        }
        loaded = true;
    });
    if (!loaded)
        return; // the failure has been reported and ends the program
    accept();
    afterPick();
}

} // namespace dialogs

Form7::Form7(sweep::Messages& messages, QWidget* owner)
    : AccountPicker(messages, owner, 2670, 3120, 2655, 3120)
{
}

Form6::Form6(sweep::Messages& messages, QWidget* owner, EditorOpener openEditor)
    : AccountPicker(messages, owner, 3165, 2580, 3135, 2580),
      m_openEditor(openEditor ? std::move(openEditor) : EditorOpener(&Form6::showEditDialog))
{
}

void Form6::showEditDialog(QWidget* owner, sweep::Messages& messages)
{
    Form8 editor(messages, owner);
    editor.exec();
}

void Form6::afterPick()
{
    m_openEditor(parentWidget(), m_messages);
}
