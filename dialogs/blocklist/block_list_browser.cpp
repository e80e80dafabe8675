#include "block_list_browser.h"

#include "app_info.h"
#include "block_list_undo.h"
#include "connection.h"
#include "empty_hint.h"
#include "messages.h"
#include "statements.h"
#include "store_error.h"

#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QShortcut>

namespace dialogs {

using namespace Qt::StringLiterals;

namespace {

constexpr int kWidthTwips = 4800;
constexpr int kHeightTwips = 3000;

// The browser's list: while nothing is highlighted it keeps no current item either, so the
// first key the user presses (Down, Home, a letter) highlights an entry, the first one
// included. Qt would otherwise place an invisible current item on the first entry when the
// list takes the focus, and Down would skip that entry.
class EntryList final : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void focusInEvent(QFocusEvent* event) override
    {
        QListWidget::focusInEvent(event);
        if (selectedItems().isEmpty())
            selectionModel()->clearCurrentIndex();
    }
};

} // namespace

Form5::Form5(sweep::Messages& messages, QWidget* owner, BlockListUndo* undo)
    : FixedDialog(owner, kWidthTwips, kHeightTwips), m_messages(messages), m_undo(undo)
{
    setFont(app::uiFont());

    List1 = new EntryList(this);
    List1->setGeometry(0, 0, app::twips(kWidthTwips), app::twips(kHeightTwips));
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setTextElideMode(Qt::ElideNone);

    connect(List1, &QListWidget::itemClicked, this, &Form5::pick);
    // Enter on the highlighted item (and a double click, which the first click already took).
    connect(List1, &QListWidget::itemActivated, this, &Form5::pick);

    if (m_undo) {
        auto* undoKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), this);
        connect(undoKey, &QShortcut::activated, this, &Form5::undoLastDeletion);
    }
    m_emptyHint = app::emptyListHint(
        List1, QCoreApplication::translate("dialogs",
                                           "削除 → アドレスの追加 でアドレスを登録してください"));

    load();
}

void Form5::undoLastDeletion()
{
    if (!m_undo || !m_undo->canUndo())
        return;
    sweep::runGuarded(m_messages, [this] { m_undo->undo(*store::openSettings()); });
    load();
}

void Form5::load()
{
    setWindowTitle(QCoreApplication::translate("dialogs", "一覧から削除"));
    List1->clear();
    sweep::runGuarded(m_messages, [this] {
        const auto settings = store::openSettings();
        for (auto rows = settings->Execute(store::SqlBlockList()); !rows->eof(); rows->moveNext()) {
            // A row without an address (never written by this program) is listed as an empty
            // item, so that it can be seen and deleted like any other.
            auto* item = new QListWidgetItem(rows->value(u"addfrom"_s).toString(), List1);
            item->setData(Qt::UserRole, rows->value(u"id"_s));
        }
    });
    List1->setCurrentItem(nullptr);
    List1->clearSelection();
    m_emptyHint->setVisible(List1->count() == 0);
}

void Form5::pick(QListWidgetItem* item)
{
    // Only the highlighted entry can be picked: Enter while the list shows no highlight (the
    // focus frame alone sits on an item) deletes nothing.
    if (m_picked || item == nullptr || !item->isSelected())
        return;
    m_picked = true;
    sweep::runGuarded(m_messages, [this, item] {
        bool isNumber = false;
        const qint64 id = item->data(Qt::UserRole).toLongLong(&isNumber);
        if (!isNumber) {
            throw store::StoreError(
                QCoreApplication::translate(
                    "dialogs", "ブロックリストの項目「%1」に行番号がないため削除できません")
                    .arg(item->text()),
                store::StoreError::kError);
        }
        if (m_undo)
            m_undo->deleteById(*store::openSettings(), id);
        else
            store::openSettings()->Execute(store::SqlBlockDeleteById(id));
        accept();
    });
}

} // namespace dialogs
