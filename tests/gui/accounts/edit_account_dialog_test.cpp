// The edit account dialog against a real settings database: what it loads from the selected
// account and which rows a save rewrites.

#include "account_pickers.h"
#include "account_test_support.h"
#include "edit_account_dialog.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

class EditAccountDialog : public AccountDialogTest {
protected:
    void save(Form8& dialog, const QString& server, const QString& user, const QString& pass,
              const QString& interval)
    {
        dialog.show();
        dialog.Text1->setText(server);
        dialog.Text2->setText(user);
        dialog.Text3->setText(pass);
        dialog.Text4->setText(interval);
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    }
};

struct Loaded {
    const char* situation;
    QVariantList selected;
    QStringList texts;

    friend void PrintTo(const Loaded& row, std::ostream* out) { *out << row.situation; }
};

class EditAccountLoad : public AccountDialogTest, public ::testing::WithParamInterface<Loaded> {};

TEST_P(EditAccountLoad, FillsTheBoxesWithTheSelectedAccountsTexts)
{
    const Loaded& row = GetParam();
    select(row.selected[0], row.selected[1], row.selected[2], row.selected[3]);
    Form8 dialog(messages, nullptr);
    EXPECT_EQ((QStringList{dialog.Text1->text(), dialog.Text2->text(), dialog.Text3->text(),
                           dialog.Text4->text()}),
              row.texts);
    EXPECT_EQ(selected(), row.selected) << "loading never changes the selected account";
}

INSTANTIATE_TEST_SUITE_P(
    , EditAccountLoad,
    ::testing::Values(Loaded{"TextsAndANumber",
                             {u"pop.example"_s, u"u"_s, u"pw"_s, QVariant(qlonglong(300))},
                             {u"pop.example"_s, u"u"_s, u"pw"_s, u"300"_s}},
                      Loaded{"NothingSelectedYet",
                             {QVariant(), QVariant(), QVariant(), QVariant()},
                             {QString(), QString(), QString(), QString()}},
                      Loaded{
                          "NullColumns",
                          {QVariant(QMetaType(QMetaType::QString)), u"u"_s, QVariant(), QVariant()},
                          {QString(), u"u"_s, QString(), QString()}},
                      Loaded{"QuotesAndBlanks",
                             {u" x'y "_s, u"o'neil"_s, u"'"_s, QVariant(qlonglong(0))},
                             {u" x'y "_s, u"o'neil"_s, u"'"_s, u"0"_s}},
                      Loaded{"IntervalStoredAsText",
                             {u"s"_s, u"u"_s, u"p"_s, u"0300"_s},
                             {u"s"_s, u"u"_s, u"p"_s, u"0300"_s}}),
    [](const ::testing::TestParamInfo<Loaded>& which) { return which.param.situation; });

TEST_F(EditAccountDialog, ChangingThePasswordRewritesEveryRowOfTheLoadedUser)
{
    addAccount(u"s1"_s, u"u"_s, u"p1"_s, 60);
    addAccount(u"s2"_s, u"u"_s, u"p2"_s, 120);
    addAccount(u"s3"_s, u"v"_s, u"p3"_s, 180);
    select(u"s2"_s, u"u"_s, u"p2"_s, qlonglong(120));
    Form8 dialog(messages, nullptr);
    dialog.show();
    dialog.Text3->setText(u"new"_s);
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s2"_s, u"u"_s, u"new"_s, u"120"_s},
                                                   {u"s2"_s, u"u"_s, u"new"_s, u"120"_s},
                                                   {u"s3"_s, u"v"_s, u"p3"_s, u"180"_s}}));
}

// The rows are found by the user name the picker loaded, not by the changed Text2: renaming
// u to w rewrites u's rows, the swept account stays u, and a later pick of w loads the row.
TEST_F(EditAccountDialog, RenamingUToW)
{
    addAccount(u"s1"_s, u"u"_s, u"p1"_s, 60);
    addAccount(u"s2"_s, u"w"_s, u"p2"_s, 90);
    select(u"s1"_s, u"u"_s, u"p1"_s, qlonglong(60));
    {
        Form8 dialog(messages, nullptr);
        save(dialog, u"s9"_s, u"w"_s, u"p9"_s, u"0300"_s);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s9"_s, u"w"_s, u"p9"_s, u"300"_s},
                                                   {u"s2"_s, u"w"_s, u"p2"_s, u"90"_s}}));
    EXPECT_EQ(selected(), (QVariantList{u"s1"_s, u"u"_s, u"p1"_s, QVariant(qlonglong(60))}));

    // With the other w row gone, a pick of w loads the renamed row.
    settings.execute(u"delete from cool where d_server='s2'"_s);
    Form7 picker(messages, nullptr);
    picker.show();
    ASSERT_EQ(picker.List1->count(), 1);
    const QRect entry = picker.List1->visualItemRect(picker.List1->item(0));
    QTest::mouseClick(picker.List1->viewport(), Qt::LeftButton, {}, entry.center());
    EXPECT_EQ(selected(), (QVariantList{u"s9"_s, u"w"_s, u"p9"_s, QVariant(qlonglong(300))}));
}

// A loaded user name with a quote matches its own rows exactly and no other.
TEST_F(EditAccountDialog, QuotedUserNameInTheWhereClause)
{
    addAccount(u"s1"_s, u"o'neil"_s, u"p1"_s, 60);
    addAccount(u"s2"_s, u"oneil"_s, u"p2"_s, 60);
    addAccount(u"s3"_s, u"o'neil"_s, u"p3"_s, 60);
    addAccount(u"s4"_s, u"x' or '1'='1"_s, u"p4"_s, 60);
    select(u"s3"_s, u"o'neil"_s, u"p3"_s, qlonglong(60));
    Form8 dialog(messages, nullptr);
    save(dialog, u"s5"_s, u"o'neil"_s, u"it's"_s, u"30"_s);
    EXPECT_EQ(accounts(),
              (std::vector<AccountRow>{{u"s5"_s, u"o'neil"_s, u"it's"_s, u"30"_s},
                                       {u"s2"_s, u"oneil"_s, u"p2"_s, u"60"_s},
                                       {u"s5"_s, u"o'neil"_s, u"it's"_s, u"30"_s},
                                       {u"s4"_s, u"x' or '1'='1"_s, u"p4"_s, u"60"_s}}));
}

TEST_F(EditAccountDialog, InjectionAttemptInTheLoadedUserMatchesOnlyItsOwnRow)
{
    addAccount(u"s1"_s, u"a"_s, u"p1"_s, 60);
    addAccount(u"s2"_s, u"x' or '1'='1"_s, u"p2"_s, 60);
    select(u"s2"_s, u"x' or '1'='1"_s, u"p2"_s, qlonglong(60));
    Form8 dialog(messages, nullptr);
    save(dialog, u"s9"_s, u"y"_s, u"p9"_s, u"5"_s);
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s1"_s, u"a"_s, u"p1"_s, u"60"_s},
                                                   {u"s9"_s, u"y"_s, u"p9"_s, u"5"_s}}));
}

// After a pick that found nothing and no earlier pick, the where clause holds an empty name,
// which no stored account has: nothing changes, and the dialog closes as after any save.
TEST_F(EditAccountDialog, EmptySelectedUserRewritesNothing)
{
    addAccount(u"s1"_s, u"u"_s, u"p1"_s, 60);
    Form8 dialog(messages, nullptr);
    save(dialog, u"s9"_s, u"u"_s, u"p9"_s, u"5"_s);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s1"_s, u"u"_s, u"p1"_s, u"60"_s}}));
}

TEST_F(EditAccountDialog, DatabaseFailureIsFatalWithTheStoresDescription)
{
    select(u"s"_s, u"u"_s, u"p"_s, qlonglong(60));
    Form8 dialog(messages, nullptr);
    dialog.show();
    removeDatabase();
    const QString description = missingDatabaseDescription();
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    EXPECT_EQ(messages.fatal, QStringList{description});
    EXPECT_NE(dialog.result(), QDialog::Accepted);
}

TEST_F(EditAccountDialog, ClosingByTheCloseBoxWritesNothing)
{
    addAccount(u"s1"_s, u"u"_s, u"p1"_s, 60);
    select(u"s1"_s, u"u"_s, u"p1"_s, qlonglong(60));
    Form8 dialog(messages, nullptr);
    dialog.show();
    dialog.Text1->setText(u"changed"_s);
    dialog.Text4->setText(u"5"_s);
    EXPECT_TRUE(dialog.close());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s1"_s, u"u"_s, u"p1"_s, u"60"_s}}));
}

// The whole road from the menu's edit picker: pick u, change the password in the real edit
// dialog it opens, save. Both rows of u change; the swept account keeps what was picked.
TEST_F(EditAccountDialog, PickThenEditFromTheEditPicker)
{
    addAccount(u"s1"_s, u"u"_s, u"p1"_s, 60);
    addAccount(u"s2"_s, u"u"_s, u"p2"_s, 120);
    QWidget owner;
    owner.show();
    Form6 picker(messages, &owner);
    picker.show();
    bool edited = false;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<Form8*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        editor->Text3->setText(u"new"_s);
        QTest::mouseClick(editor->Command1, Qt::LeftButton);
        edited = editor->result() == QDialog::Accepted;
        if (!edited)
            editor->reject();
    });
    const QRect entry = picker.List1->visualItemRect(picker.List1->item(1));
    QTest::mouseClick(picker.List1->viewport(), Qt::LeftButton, {}, entry.center());
    EXPECT_TRUE(edited);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s2"_s, u"u"_s, u"new"_s, u"120"_s},
                                                   {u"s2"_s, u"u"_s, u"new"_s, u"120"_s}}));
    EXPECT_EQ(selected(), (QVariantList{u"s2"_s, u"u"_s, u"p2"_s, QVariant(qlonglong(120))}));
}

} // namespace
