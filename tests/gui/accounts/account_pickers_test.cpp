// The two account pickers against a real settings database: what they list, what a pick
// loads into the selected account, which inputs pick at all, and what follows a pick.

#include "account_pickers.h"
#include "account_test_support.h"
#include "edit_account_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

enum class Picker { Sweep, Edit };

std::string pickerName(Picker kind)
{
    return kind == Picker::Sweep ? "Form7" : "Form6";
}

void PrintTo(Picker kind, std::ostream* out)
{
    *out << pickerName(kind);
}

void clickEntry(QListWidget* list, int row)
{
    const QRect place = list->visualItemRect(list->item(row));
    ASSERT_TRUE(place.isValid());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
}

QStringList entries(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

class PickerTest : public AccountDialogTest {
protected:
    // The picker of the given kind, shown (not modally); the edit picker records that it
    // would open the edit dialog, and what the selected account held then.
    std::unique_ptr<dialogs::AccountPicker> open(Picker kind)
    {
        std::unique_ptr<dialogs::AccountPicker> picker;
        if (kind == Picker::Sweep) {
            picker = std::make_unique<Form7>(messages, nullptr);
        } else {
            picker = std::make_unique<Form6>(messages, nullptr,
                                             [this](QWidget*, sweep::Messages& given) {
                                                 ++editorsOpened;
                                                 EXPECT_EQ(&given, &messages);
                                                 selectedWhenEditorOpened = selected();
                                             });
        }
        picker->show();
        return picker;
    }

    // What a pick must be followed by: the picker closed as accepted, and for the edit
    // picker the edit dialog opened exactly once.
    void expectPicked(Picker kind, const dialogs::AccountPicker& picker) const
    {
        EXPECT_FALSE(picker.isVisible());
        EXPECT_EQ(picker.result(), QDialog::Accepted);
        EXPECT_EQ(editorsOpened, kind == Picker::Edit ? 1 : 0);
        EXPECT_TRUE(messages.fatal.isEmpty()) << messages.fatal.join(u'\n').toStdString();
        EXPECT_TRUE(messages.shown.isEmpty()) << "the pickers show no messages";
    }

    void expectNotPicked(const dialogs::AccountPicker& picker) const
    {
        EXPECT_TRUE(picker.isVisible());
        EXPECT_NE(picker.result(), QDialog::Accepted);
        EXPECT_EQ(editorsOpened, 0);
    }

    int editorsOpened = 0;
    QVariantList selectedWhenEditorOpened;
};

class BothPickers : public PickerTest, public ::testing::WithParamInterface<Picker> {};

// Each entry shows its server beside the user name, so two accounts of one user name differ.
TEST_P(BothPickers, ListsUserNamesWithTheirServersNewestFirst)
{
    addAccount(u"sa"_s, u"a"_s, u"pa"_s, 60);
    addAccount(u"pop.one.jp"_s, u"taro"_s, u"pb"_s, 60);
    addAccount(u"pop.two.jp"_s, u"taro"_s, u"pc"_s, 60);
    const auto picker = open(GetParam());
    EXPECT_EQ(picker->windowTitle(), u"一覧から選択"_s);
    EXPECT_EQ(entries(picker->List1),
              (QStringList{u"taro（pop.two.jp）"_s, u"taro（pop.one.jp）"_s, u"a（sa）"_s}));
    EXPECT_FALSE(picker->findChild<QLabel*>(u"emptyHint"_s)->isVisible());
    EXPECT_TRUE(messages.fatal.isEmpty());
}

TEST_P(BothPickers, EmptyTableGivesEmptyListAndLeavesTheSelectionAlone)
{
    select(u"s"_s, u"kept"_s, u"p"_s, qlonglong(60));
    const QVariantList before = selected();
    const auto picker = open(GetParam());
    EXPECT_EQ(picker->List1->count(), 0);
    const QLabel* hint = picker->findChild<QLabel*>(u"emptyHint"_s);
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->text(), u"受信 → 受信設定の登録 でアカウントを登録してください"_s);
    QTest::mouseClick(picker->List1->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::keyClick(picker->List1, Qt::Key_Return);
    expectNotPicked(*picker);
    EXPECT_EQ(selected(), before);
}

// Each entry loads its own row, also among equal names (which the store compares without
// letter case): the newer entry the newer row, the older entry the older one.
TEST_P(BothPickers, EachOfTwoSameNamedEntriesLoadsItsOwnRow)
{
    const QVariant older = addAccount(u"s1"_s, u"info"_s, u"p1"_s, 60);
    const QVariant newer = addAccount(u"s2"_s, u"INFO"_s, u"p2"_s, 120);
    const struct {
        int entry;
        QVariantList loaded;
        QVariant id;
    } rows[] = {
        {0, {u"s2"_s, u"INFO"_s, u"p2"_s, QVariant(qlonglong(120))}, newer},
        {1, {u"s1"_s, u"info"_s, u"p1"_s, QVariant(qlonglong(60))}, older},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entry == 0 ? "newer entry" : "older entry");
        clearSelected();
        editorsOpened = 0;
        const auto picker = open(GetParam());
        ASSERT_EQ(entries(picker->List1), (QStringList{u"INFO（s2）"_s, u"info（s1）"_s}));
        clickEntry(picker->List1, row.entry);
        expectPicked(GetParam(), *picker);
        EXPECT_EQ(selected(), row.loaded);
        EXPECT_EQ(MdlMain::sel_id, row.id);
    }
}

// The store's values go into the selected account as they come: texts as texts and the
// interval as a number, not as its text.
TEST_P(BothPickers, SelectedValuesKeepTheStoresTypes)
{
    addAccount(u"pop.example"_s, u"u"_s, u"0123"_s, 300);
    const auto picker = open(GetParam());
    clickEntry(picker->List1, 0);
    expectPicked(GetParam(), *picker);
    EXPECT_EQ(MdlMain::sel_server.typeId(), QMetaType::QString);
    EXPECT_EQ(MdlMain::sel_user.typeId(), QMetaType::QString);
    EXPECT_EQ(MdlMain::sel_pass.typeId(), QMetaType::QString);
    EXPECT_EQ(MdlMain::sel_pass, QVariant(u"0123"_s)) << "a password of digits stays text";
    EXPECT_EQ(MdlMain::sel_time.typeId(), QMetaType::LongLong);
    EXPECT_EQ(MdlMain::sel_time, QVariant(qlonglong(300)));
    EXPECT_EQ(MdlMain::sel_id.typeId(), QMetaType::LongLong);
}

struct QuotedPick {
    const char* situation;
    QString storedUser; // the listed entry
    QString otherUser;  // an older row whose name is the entry's without quotes, or empty

    friend void PrintTo(const QuotedPick& row, std::ostream* out) { *out << row.situation; }
};

class QuotedEntries : public PickerTest,
                      public ::testing::WithParamInterface<std::tuple<Picker, QuotedPick>> {};

// A name holding quotes is a name like any other: its entry loads its own row, never the row
// named without the quotes (and the edit picker opens the edit dialog on it).
TEST_P(QuotedEntries, LoadTheirOwnRow)
{
    const auto& [kind, row] = GetParam();
    if (!row.otherUser.isEmpty())
        addAccount(u"other.example"_s, row.otherUser, u"po"_s, 90);
    const QVariant id = addAccount(u"quoted.example"_s, row.storedUser, u"pq"_s, 60);
    select(u"before.example"_s, u"before"_s, u"pb"_s, qlonglong(30));

    const auto picker = open(kind);
    ASSERT_EQ(picker->List1->item(0)->text(), row.storedUser + u"（quoted.example）"_s);
    clickEntry(picker->List1, 0);
    expectPicked(kind, *picker);
    EXPECT_EQ(selected(), (QVariantList{u"quoted.example"_s, row.storedUser, u"pq"_s,
                                        QVariant(qlonglong(60))}));
    EXPECT_EQ(MdlMain::sel_id, id);
    if (kind == Picker::Edit) {
        EXPECT_EQ(selectedWhenEditorOpened, selected());
    }
}

// OnlyQuotes: a name of nothing but quotes is a name too, and its row is loaded.
const QuotedPick kQuotedPicks[] = {
    {"QuoteInsideWithUnquotedRow", u"o'brien"_s, u"obrien"_s},
    {"QuoteInsideWithoutUnquotedRow", u"o'brien"_s, {}},
    {"QuotesAroundWithUnquotedRow", u"'u'"_s, u"u"_s},
    {"OnlyQuotes", u"'''"_s, {}},
};

INSTANTIATE_TEST_SUITE_P(, QuotedEntries,
                         ::testing::Combine(::testing::Values(Picker::Sweep, Picker::Edit),
                                            ::testing::ValuesIn(kQuotedPicks)),
                         [](const ::testing::TestParamInfo<std::tuple<Picker, QuotedPick>>& which) {
                             return pickerName(std::get<0>(which.param)) + "_" +
                                    std::get<1>(which.param).situation;
                         });

// An entry of nothing but quotes is looked up by its row like any other: it now needs the
// database, and a missing one is reported as at any pick.
TEST_P(BothPickers, AllQuotesEntryIsLookedUpByItsRow)
{
    addAccount(u"s"_s, u"''"_s, u"p"_s, 60);
    const auto picker = open(GetParam());
    removeDatabase();
    const QString description = missingDatabaseDescription();
    clickEntry(picker->List1, 0);
    EXPECT_EQ(messages.fatal, QStringList{description});
    EXPECT_EQ(selected(), (QVariantList{QVariant(), QVariant(), QVariant(), QVariant()}));
}

// A row without a user name (the dialogs never write one) is listed as an empty entry rather
// than ending the program whenever a picker opens; picking it loads that row, which the sweep
// then refuses for want of a user and the edit dialog can mend.
TEST_P(BothPickers, RowWithoutUserNameIsAnEmptyEntry)
{
    addAccount(u"s1"_s, u"a"_s, u"p1"_s, 60);
    settings.execute(u"insert into cool(d_server,d_user,d_pass,d_time)values('s2',null,'p2',60)"_s);
    addAccount(u"s3"_s, u"c"_s, u"p3"_s, 60);
    const auto picker = open(GetParam());
    EXPECT_EQ(entries(picker->List1), (QStringList{u"c（s3）"_s, u"（s2）"_s, u"a（s1）"_s}));
    EXPECT_TRUE(messages.fatal.isEmpty());
    clickEntry(picker->List1, 1);
    expectPicked(GetParam(), *picker);
    EXPECT_EQ(selected(), (QVariantList{u"s2"_s, QVariant(), u"p2"_s, QVariant(qlonglong(60))}));
}

// The row was removed between the list's load and the pick: nothing is loaded, and the
// selected account stays whole.
TEST_P(BothPickers, FailedLookupLeavesAllFourAsTheyWere)
{
    addAccount(u"s"_s, u"gone"_s, u"p"_s, 60);
    select(u"before.example"_s, u"before"_s, u"pb"_s, qlonglong(30));
    const QVariantList before = selected();
    const auto picker = open(GetParam());
    settings.execute(u"delete from cool"_s);
    clickEntry(picker->List1, 0);
    expectPicked(GetParam(), *picker);
    EXPECT_EQ(selected(), before);
}

TEST_P(BothPickers, MissingDatabaseAtLoadIsFatalWithTheStoresDescription)
{
    removeDatabase();
    const QString description = missingDatabaseDescription();
    const auto picker = open(GetParam());
    EXPECT_EQ(messages.fatal, QStringList{description});
    EXPECT_EQ(picker->List1->count(), 0);
}

TEST_P(BothPickers, MissingDatabaseAtPickIsFatalAndNothingFollows)
{
    addAccount(u"s"_s, u"u"_s, u"p"_s, 60);
    const auto picker = open(GetParam());
    removeDatabase();
    const QString description = missingDatabaseDescription();
    clickEntry(picker->List1, 0);
    EXPECT_EQ(messages.fatal, QStringList{description});
    EXPECT_EQ(editorsOpened, 0);
    EXPECT_EQ(selected(), (QVariantList{QVariant(), QVariant(), QVariant(), QVariant()}));
}

TEST_P(BothPickers, ClosingWithoutAPickChangesNothing)
{
    addAccount(u"s"_s, u"u"_s, u"p"_s, 60);
    const auto picker = open(GetParam());
    EXPECT_TRUE(picker->close());
    EXPECT_NE(picker->result(), QDialog::Accepted);
    EXPECT_EQ(editorsOpened, 0);
    EXPECT_EQ(selected(), (QVariantList{QVariant(), QVariant(), QVariant(), QVariant()}));
}

INSTANTIATE_TEST_SUITE_P(, BothPickers, ::testing::Values(Picker::Sweep, Picker::Edit),
                         [](const ::testing::TestParamInfo<Picker>& which) {
                             return pickerName(which.param);
                         });

// What the user does to the list, and whether it picks the highlighted entry.
struct ListInput {
    const char* situation;
    std::function<void(QListWidget*)> act;
    bool picks;

    friend void PrintTo(const ListInput& row, std::ostream* out) { *out << row.situation; }
};

class ListInputs : public PickerTest,
                   public ::testing::WithParamInterface<std::tuple<Picker, ListInput>> {};

TEST_P(ListInputs, OnlyClickAndEnterPick)
{
    const auto& [kind, input] = GetParam();
    addAccount(u"sa"_s, u"a"_s, u"pa"_s, 60);
    addAccount(u"sb"_s, u"b"_s, u"pb"_s, 60);
    addAccount(u"sc"_s, u"c"_s, u"pc"_s, 60);
    const auto picker = open(kind);
    picker->List1->setFocus();
    picker->List1->setCurrentRow(1); // "b"
    input.act(picker->List1);
    if (input.picks) {
        expectPicked(kind, *picker);
        EXPECT_EQ(MdlMain::sel_user, QVariant(u"b"_s));
    } else {
        expectNotPicked(*picker);
        EXPECT_EQ(selected(), (QVariantList{QVariant(), QVariant(), QVariant(), QVariant()}));
    }
}

const ListInput kListInputs[] = {
    {"MouseClick", [](QListWidget* list) { clickEntry(list, 1); }, true},
    {"DoubleClickPicksOnce",
     [](QListWidget* list) {
         const QPoint at = list->visualItemRect(list->item(1)).center();
         QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
         QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
     },
     true},
    {"Return", [](QListWidget* list) { QTest::keyClick(list, Qt::Key_Return); }, true},
    {"KeypadEnter", [](QListWidget* list) { QTest::keyClick(list, Qt::Key_Enter); }, true},
    {"DownArrow", [](QListWidget* list) { QTest::keyClick(list, Qt::Key_Down); }, false},
    {"UpArrow", [](QListWidget* list) { QTest::keyClick(list, Qt::Key_Up); }, false},
    {"HomeAndEnd",
     [](QListWidget* list) {
         QTest::keyClick(list, Qt::Key_Home);
         QTest::keyClick(list, Qt::Key_End);
     },
     false},
    {"PageDown", [](QListWidget* list) { QTest::keyClick(list, Qt::Key_PageDown); }, false},
    {"TypingALetter", [](QListWidget* list) { QTest::keyClick(list, Qt::Key_A); }, false},
    {"Space", [](QListWidget* list) { QTest::keyClick(list, Qt::Key_Space); }, false},
};

INSTANTIATE_TEST_SUITE_P(, ListInputs,
                         ::testing::Combine(::testing::Values(Picker::Sweep, Picker::Edit),
                                            ::testing::ValuesIn(kListInputs)),
                         [](const ::testing::TestParamInfo<std::tuple<Picker, ListInput>>& which) {
                             return pickerName(std::get<0>(which.param)) + "_" +
                                    std::get<1>(which.param).situation;
                         });

// Arrow keys move the highlight (so they did something) without picking.
TEST_F(PickerTest, ArrowKeysMoveTheHighlight)
{
    addAccount(u"sa"_s, u"a"_s, u"pa"_s, 60);
    addAccount(u"sb"_s, u"b"_s, u"pb"_s, 60);
    const auto picker = open(Picker::Sweep);
    picker->List1->setFocus();
    picker->List1->setCurrentRow(0);
    QTest::keyClick(picker->List1, Qt::Key_Down);
    EXPECT_EQ(picker->List1->currentRow(), 1);
    QTest::keyClick(picker->List1, Qt::Key_Return);
    expectPicked(Picker::Sweep, *picker);
    EXPECT_EQ(MdlMain::sel_user, QVariant(u"a"_s));
}

// Without an opener of its own, the edit picker shows the real edit dialog modally over its
// owner after the pick, filled from the account just picked.
TEST_F(PickerTest, EditPickerShowsTheEditDialogModally)
{
    addAccount(u"pop.example"_s, u"u"_s, u"pw"_s, 300);
    QWidget owner;
    owner.setGeometry(100, 100, 600, 400);
    owner.show();
    Form6 picker(messages, &owner);
    picker.show();

    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<Form8*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        seen = true;
        EXPECT_FALSE(picker.isVisible()) << "the picker closes before the edit dialog opens";
        EXPECT_EQ(editor->parentWidget(), &owner);
        EXPECT_EQ(editor->Text1->text(), u"pop.example"_s);
        EXPECT_EQ(editor->Text2->text(), u"u"_s);
        EXPECT_EQ(editor->Text3->text(), u"pw"_s);
        EXPECT_EQ(editor->Text4->text(), u"300"_s);
        editor->reject();
    });
    clickEntry(picker.List1, 0);
    EXPECT_TRUE(seen);
    EXPECT_EQ(picker.result(), QDialog::Accepted);
    // Closing the edit dialog without saving keeps the pick: it is the account swept now.
    EXPECT_EQ(selected(),
              (QVariantList{u"pop.example"_s, u"u"_s, u"pw"_s, QVariant(qlonglong(300))}));
}

} // namespace
