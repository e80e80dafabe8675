// The block-list browser, clicked and keyed for real against a real settings database.

#include "block_list_browser.h"
#include "block_list_menu.h"
#include "block_list_rows.h"
#include "block_list_undo.h"
#include "delete_address_dialog.h"
#include "recording_messages.h"
#include "settings_fixture.h"
#include "statements.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using dialogs::Form5;

namespace {

QList<QVariant> texts(std::initializer_list<QString> list)
{
    QList<QVariant> entries;
    for (const QString& text : list)
        entries.append(text);
    return entries;
}

void showAndWait(Form5& dialog)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
}

void clickRow(Form5& dialog, int row)
{
    const QRect place = dialog.List1->visualItemRect(dialog.List1->item(row));
    QTest::mouseClick(dialog.List1->viewport(), Qt::LeftButton, {}, place.center());
}

// Highlights a row with the keys a user would press: Home, then Down.
void keyToRow(Form5& dialog, int row)
{
    dialog.List1->setFocus();
    QTest::keyClick(dialog.List1, Qt::Key_Home);
    for (int i = 0; i < row; ++i)
        QTest::keyClick(dialog.List1, Qt::Key_Down);
}

QList<BlockRow> without(QList<BlockRow> rows, qint64 id)
{
    rows.removeIf([id](const BlockRow& row) { return row.id == id; });
    return rows;
}

// ---------------------------------------------------------------------------------------------

TEST(BlockListBrowser, ListsEveryEntryNewestFirstExactlyAsStored)
{
    SettingsFixture settings;
    const QList<BlockRow> rows = seedBlockList(
        settings, {u"a@example.jp"_s, u"  spaced  "_s, QVariant(), u""_s, u"ｆｕｌｌ＠ｗｉｄｔｈ"_s,
                   u"a@example.jp"_s, u"%_"_s, u"tab\there"_s});
    RecordingMessages messages;
    Form5 dialog(messages, nullptr);
    showAndWait(dialog);

    EXPECT_EQ(dialog.windowTitle(), u"一覧から削除"_s);
    EXPECT_EQ(dialog.List1->geometry(), dialog.rect());
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(dialog.font().family(), u"ＭＳ Ｐゴシック"_s);
    EXPECT_TRUE(dialog.List1->selectedItems().isEmpty());
    ASSERT_EQ(dialog.List1->count(), rows.size());
    for (int i = 0; i < dialog.List1->count(); ++i) {
        const BlockRow& row = rows.at(rows.size() - 1 - i);
        const QListWidgetItem* item = dialog.List1->item(i);
        EXPECT_EQ(item->text(), row.addfrom.toString()) << "item " << i;
        EXPECT_EQ(item->data(Qt::UserRole).toLongLong(), row.id) << "item " << i;
    }
    EXPECT_TRUE(messages.fatal.isEmpty()) << messages.fatal.join(u'\n').toStdString();
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST(BlockListBrowser, EmptyTableGivesEmptyListAndClosingTouchesNothing)
{
    SettingsFixture settings;
    settings.execute(u"insert into cool(d_server,d_user,d_pass,d_time)values('s','u','p',1)"_s);
    const QStringList accounts = accountRows(settings);
    RecordingMessages messages;
    Form5 dialog(messages, nullptr);
    showAndWait(dialog);

    EXPECT_EQ(dialog.List1->count(), 0);
    const QLabel* hint = dialog.findChild<QLabel*>(u"emptyHint"_s);
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible()) << "an empty list says how entries are added";
    EXPECT_EQ(hint->text(), u"削除 → アドレスの追加 でアドレスを登録してください"_s);
    dialog.close();

    EXPECT_TRUE(blockRows(settings).isEmpty());
    EXPECT_EQ(accountRows(settings), accounts);
    EXPECT_TRUE(messages.fatal.isEmpty());
}

// ---------------------------------------------------------------------------------------------

enum class Pick { MouseClick, EnterKey, ReturnKey };

struct PickRow {
    std::string name;
    QList<QVariant> entries; // oldest first
    int listRow;             // the item picked; the list shows the newest first
};

class PickingAnEntry : public ::testing::TestWithParam<std::tuple<Pick, PickRow>> {};

TEST_P(PickingAnEntry, DeletesThatEntryAloneAndCloses)
{
    const auto& [how, row] = GetParam();
    SettingsFixture settings;
    const QList<BlockRow> before = seedBlockList(settings, row.entries);
    RecordingMessages messages;
    Form5 dialog(messages, nullptr);
    showAndWait(dialog);
    ASSERT_EQ(dialog.List1->count(), before.size());
    const qint64 picked = dialog.List1->item(row.listRow)->data(Qt::UserRole).toLongLong();
    ASSERT_EQ(picked, before.at(before.size() - 1 - row.listRow).id);

    if (how == Pick::MouseClick) {
        clickRow(dialog, row.listRow);
    } else {
        keyToRow(dialog, row.listRow);
        ASSERT_TRUE(dialog.isVisible()) << "moving the highlight closed the window";
        ASSERT_EQ(blockRows(settings).size(), before.size()) << "moving the highlight deleted";
        QTest::keyClick(dialog.List1, how == Pick::EnterKey ? Qt::Key_Enter : Qt::Key_Return);
    }

    const QList<BlockRow> after = blockRows(settings);
    EXPECT_EQ(idsOf(after), idsOf(without(before, picked)));
    EXPECT_EQ(printable(after), printable(without(before, picked)));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(messages.fatal.isEmpty()) << messages.fatal.join(u'\n').toStdString();
    EXPECT_TRUE(messages.shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, PickingAnEntry,
    ::testing::Combine(
        ::testing::Values(Pick::MouseClick, Pick::EnterKey, Pick::ReturnKey),
        ::testing::Values(
            PickRow{"contained_in_longer_entries", texts({u"xabcx"_s, u"abc"_s, u"abcd"_s}), 1},
            PickRow{"newer_of_two_equal_entries", texts({u"dup"_s, u"other"_s, u"dup"_s}), 0},
            PickRow{"older_of_two_equal_entries", texts({u"dup"_s, u"other"_s, u"dup"_s}), 2},
            PickRow{"percent_entry", texts({u"a"_s, u"%"_s, u"b"_s}), 1},
            PickRow{"underscore_entry", texts({u"a"_s, u"_"_s, u"bb"_s}), 1},
            PickRow{"spaces_around", texts({u"a"_s, u" a "_s, u"x a y"_s}), 1},
            PickRow{"capitals_of_another_entry", texts({u"abc"_s, u"ABC"_s}), 0},
            PickRow{"empty_entry", texts({u""_s, u"a"_s}), 1},
            PickRow{"entry_without_value", {QVariant(), u"a"_s}, 1},
            PickRow{"hostile_text", texts({u"x;--/*[a]\""_s, u"x"_s}), 1},
            PickRow{"only_entry", texts({u"alone"_s}), 0})),
    [](const auto& p) {
        const Pick how = std::get<0>(p.param);
        return std::string(how == Pick::MouseClick ? "click_"
                           : how == Pick::EnterKey ? "enter_"
                                                   : "return_") +
               std::get<1>(p.param).name;
    });

// ---------------------------------------------------------------------------------------------

TEST(BlockListBrowser, MovingTheHighlightDeletesNothingAndEnterDeletesTheHighlightedOne)
{
    SettingsFixture settings;
    const QList<BlockRow> before =
        seedBlockList(settings, texts({u"a1"_s, u"b2"_s, u"c3"_s, u"d4"_s, u"e5"_s}));
    RecordingMessages messages;
    Form5 dialog(messages, nullptr);
    showAndWait(dialog);
    dialog.List1->setFocus();

    for (const Qt::Key key :
         {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_Home, Qt::Key_PageDown,
          Qt::Key_PageUp, Qt::Key_Space, Qt::Key_Down, Qt::Key_Tab}) {
        QTest::keyClick(dialog.List1, key);
        ASSERT_TRUE(dialog.isVisible()) << "key " << key;
        ASSERT_EQ(idsOf(blockRows(settings)), idsOf(before)) << "key " << key;
    }
    dialog.List1->setFocus();
    const QListWidgetItem* highlighted = dialog.List1->currentItem();
    ASSERT_NE(highlighted, nullptr);
    ASSERT_TRUE(highlighted->isSelected());
    const qint64 id = highlighted->data(Qt::UserRole).toLongLong();
    EXPECT_EQ(highlighted->text(), u"d4"_s); // PageUp went back to e5, Down on to d4

    QTest::keyClick(dialog.List1, Qt::Key_Return);

    EXPECT_EQ(idsOf(blockRows(settings)), idsOf(without(before, id)));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(messages.fatal.isEmpty());
}

TEST(BlockListBrowser, EnterWithoutHighlightDeletesNothing)
{
    SettingsFixture settings;
    const QList<BlockRow> before = seedBlockList(settings, texts({u"a"_s, u"b"_s}));
    RecordingMessages messages;
    Form5 dialog(messages, nullptr);
    showAndWait(dialog);
    dialog.List1->setFocus();

    QTest::keyClick(dialog.List1, Qt::Key_Return);

    EXPECT_EQ(idsOf(blockRows(settings)), idsOf(before));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(messages.fatal.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST(BlockListBrowser, ASecondEnterAfterThePickDeletesNothingMore)
{
    SettingsFixture settings;
    const QList<BlockRow> before = seedBlockList(settings, texts({u"a"_s, u"b"_s, u"c"_s}));
    RecordingMessages messages;
    Form5 dialog(messages, nullptr);
    showAndWait(dialog);
    keyToRow(dialog, 1);

    // A repeated key reaches the list after the pick closed the window.
    QTest::keyClick(dialog.List1, Qt::Key_Return);
    QTest::keyClick(dialog.List1, Qt::Key_Down);
    QTest::keyClick(dialog.List1, Qt::Key_Return);

    EXPECT_EQ(idsOf(blockRows(settings)), idsOf(without(before, before[1].id)));
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(messages.fatal.isEmpty());
}

TEST(BlockListBrowser, ClickBelowTheEntriesDeletesNothing)
{
    SettingsFixture settings;
    const QList<BlockRow> before = seedBlockList(settings, texts({u"a"_s}));
    RecordingMessages messages;
    Form5 dialog(messages, nullptr);
    showAndWait(dialog);
    const QRect place = dialog.List1->visualItemRect(dialog.List1->item(0));

    QTest::mouseClick(dialog.List1->viewport(), Qt::LeftButton, {},
                      QPoint(place.center().x(), dialog.List1->viewport()->height() - 2));

    EXPECT_EQ(idsOf(blockRows(settings)), idsOf(before));
    EXPECT_TRUE(dialog.isVisible());
}

enum class Closing { CloseButton, EscapeKey };

class ClosingTheBrowser : public ::testing::TestWithParam<Closing> {};

TEST_P(ClosingTheBrowser, DeletesNothing)
{
    SettingsFixture settings;
    const QList<BlockRow> before = seedBlockList(settings, texts({u"a"_s, u"b"_s}));
    RecordingMessages messages;
    Form5 dialog(messages, nullptr);
    showAndWait(dialog);
    keyToRow(dialog, 1);

    if (GetParam() == Closing::CloseButton)
        dialog.close();
    else
        QTest::keyClick(dialog.List1, Qt::Key_Escape);

    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(idsOf(blockRows(settings)), idsOf(before));
    EXPECT_TRUE(messages.fatal.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosingTheBrowser,
                         ::testing::Values(Closing::CloseButton, Closing::EscapeKey),
                         [](const auto& p) {
                             return p.param == Closing::CloseButton ? "close_button" : "escape_key";
                         });

// ---------------------------------------------------------------------------------------------

TEST(BlockListBrowser, DeleteByIdNamesOnlyTheRow)
{
    EXPECT_EQ(store::SqlBlockDeleteById(7), u"delete from mymailchk where id=7"_s);
    EXPECT_EQ(store::SqlBlockDeleteById(9007199254740993),
              u"delete from mymailchk where id=9007199254740993"_s);
}

enum class Failure { FileMissingAtLoad, TableMissingAtLoad, FileMissingAtPick, TableMissingAtPick };

class BrowserDatabaseFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(BrowserDatabaseFailure, IsFatalWithTheStoresDescription)
{
    const Failure failure = GetParam();
    SettingsFixture settings;
    const QList<BlockRow> rows = seedBlockList(settings, texts({u"a"_s, u"b"_s}));
    const bool atLoad =
        failure == Failure::FileMissingAtLoad || failure == Failure::TableMissingAtLoad;
    const bool fileMissing =
        failure == Failure::FileMissingAtLoad || failure == Failure::FileMissingAtPick;
    QString expected;
    const auto breakDatabase = [&] {
        if (fileMissing) {
            ASSERT_TRUE(QFile::remove(SettingsFixture::databasePath()));
            expected = storeErrorOnOpen();
        } else {
            settings.execute(u"drop table mymailchk"_s);
            expected = storeErrorFor(settings, atLoad ? store::SqlBlockList()
                                                      : store::SqlBlockDeleteById(rows[0].id));
        }
        ASSERT_FALSE(expected.isEmpty());
    };
    if (atLoad)
        breakDatabase();
    RecordingMessages messages;
    Form5 dialog(messages, nullptr);
    showAndWait(dialog);
    if (!atLoad) {
        ASSERT_EQ(dialog.List1->count(), 2);
        breakDatabase();
        clickRow(dialog, 0);
    }

    EXPECT_EQ(messages.fatal, QStringList{expected});
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(Situations, BrowserDatabaseFailure,
                         ::testing::Values(Failure::FileMissingAtLoad, Failure::TableMissingAtLoad,
                                           Failure::FileMissingAtPick, Failure::TableMissingAtPick),
                         [](const auto& p) {
                             switch (p.param) {
                             case Failure::FileMissingAtLoad:
                                 return "file_missing_at_load";
                             case Failure::TableMissingAtLoad:
                                 return "table_missing_at_load";
                             case Failure::FileMissingAtPick:
                                 return "file_missing_at_pick";
                             case Failure::TableMissingAtPick:
                                 return "table_missing_at_pick";
                             }
                             return "unknown";
                         });

TEST(BlockListBrowser, MenuItemShowsItModallyOverTheOwner)
{
    SettingsFixture settings;
    const QList<BlockRow> before = seedBlockList(settings, texts({u"abc"_s, u"xabcx"_s}));
    RecordingMessages messages;
    QWidget owner;
    owner.setGeometry(100, 100, 500, 400);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));

    QString caption;
    QWidget* parent = nullptr;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<Form5*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        caption = dialog->windowTitle();
        parent = dialog->parentWidget();
        clickRow(*dialog, 1); // the older entry, abc
    });
    dialogs::openBlockListBrowser(&owner, messages);

    EXPECT_EQ(caption, u"一覧から削除"_s);
    EXPECT_EQ(parent, &owner);
    EXPECT_EQ(printable(blockRows(settings)), printable(texts({u"xabcx"_s})));
    EXPECT_TRUE(messages.fatal.isEmpty());
}

} // namespace

namespace {

// Both kinds of deletion, undone against the real database file: the list is back as it was,
// ids and all, and the status line was told how many went.
TEST(BlockListUndo, BothDeletionKindsComeBackAsTheyWere)
{
    SettingsFixture settings;
    const QList<BlockRow> before = seedBlockList(
        settings, {u"a@example.jp"_s, u"news@x.jp"_s, QVariant(), u"b@example.jp"_s, u"%_"_s});
    QStringList reports;
    dialogs::BlockListUndo undo([&reports](const QString& text) { reports << text; });
    RecordingMessages messages;
    EXPECT_FALSE(undo.canUndo());

    // A click in the browser; then Ctrl+Z in the browser puts the entry back.
    {
        Form5 dialog(messages, nullptr, &undo);
        showAndWait(dialog);
        clickRow(dialog, 1);
        EXPECT_EQ(idsOf(blockRows(settings)), idsOf(without(before, before[3].id)));
    }
    EXPECT_EQ(reports.value(0),
              u"ブロックリストから 1 件を削除しました（削除 → 元に戻す で戻せます）"_s);
    {
        Form5 dialog(messages, nullptr, &undo);
        showAndWait(dialog);
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_EQ(dialog.List1->count(), before.size() - 1);
        QTest::keyClick(&dialog, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(dialog.List1->count(), before.size()) << "the list shows the entry again";
    }
    EXPECT_EQ(printable(blockRows(settings)), printable(before));
    EXPECT_EQ(idsOf(blockRows(settings)), idsOf(before));

    // "%" through アドレスの削除 empties the list; 元に戻す (the menu's way) fills it again. A
    // later deletion of nothing keeps that undo.
    {
        dialogs::Form4 dialog(messages, nullptr, &undo);
        dialog.Text1->setText(u"%"_s);
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    }
    EXPECT_EQ(blockRows(settings).size(), 1) << "only the row without an address stays";
    EXPECT_EQ(reports.last(),
              u"ブロックリストから 4 件を削除しました（削除 → 元に戻す で戻せます）"_s);
    {
        dialogs::Form4 dialog(messages, nullptr, &undo);
        dialog.Text1->setText(u"nothing-like-this"_s);
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    }
    ASSERT_TRUE(undo.canUndo());
    dialogs::undoBlockListDeletion(messages, undo);
    EXPECT_EQ(printable(blockRows(settings)), printable(before));
    EXPECT_EQ(idsOf(blockRows(settings)), idsOf(before));
    EXPECT_EQ(reports.last(), u"ブロックリストに 4 件を戻しました"_s);
    EXPECT_FALSE(undo.canUndo()) << "one undo per deletion";
    EXPECT_TRUE(messages.shown.isEmpty() && messages.fatal.isEmpty())
        << messages.fatal.join(u' ').toStdString();
}

} // namespace
