// The edit account dialog against a real settings database: what it loads from the selected
// account, which row a save rewrites, and the selected account after the save.

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

TEST_F(EditAccountDialog, ChangingThePasswordRewritesOnlyThePickedRow)
{
    addAccount(u"s1"_s, u"u"_s, u"p1"_s, 60);
    const QVariant id = addAccount(u"s2"_s, u"u"_s, u"p2"_s, 120);
    addAccount(u"s3"_s, u"v"_s, u"p3"_s, 180);
    select(u"s2"_s, u"u"_s, u"p2"_s, qlonglong(120), id);
    Form8 dialog(messages, nullptr);
    dialog.show();
    dialog.Text3->setText(u"new"_s);
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s1"_s, u"u"_s, u"p1"_s, u"60"_s},
                                                   {u"s2"_s, u"u"_s, u"new"_s, u"120"_s},
                                                   {u"s3"_s, u"v"_s, u"p3"_s, u"180"_s}}));
}

// Renaming u to w rewrites the picked row, and the selected account (that row) takes the
// stored values at once, the interval as the number the store returns.
TEST_F(EditAccountDialog, RenamingUToW)
{
    const QVariant id = addAccount(u"s1"_s, u"u"_s, u"p1"_s, 60);
    addAccount(u"s2"_s, u"w"_s, u"p2"_s, 90);
    select(u"s1"_s, u"u"_s, u"p1"_s, qlonglong(60), id);
    {
        Form8 dialog(messages, nullptr);
        save(dialog, u"s9"_s, u"w"_s, u"p9"_s, u"0300"_s);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    }
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s9"_s, u"w"_s, u"p9"_s, u"300"_s},
                                                   {u"s2"_s, u"w"_s, u"p2"_s, u"90"_s}}));
    EXPECT_EQ(selected(), (QVariantList{u"s9"_s, u"w"_s, u"p9"_s, QVariant(qlonglong(300))}));
    EXPECT_EQ(MdlMain::sel_id, id);

    // The older of the two w entries is the renamed row.
    Form7 picker(messages, nullptr);
    picker.show();
    ASSERT_EQ(picker.List1->count(), 2);
    const QRect entry = picker.List1->visualItemRect(picker.List1->item(1));
    QTest::mouseClick(picker.List1->viewport(), Qt::LeftButton, {}, entry.center());
    EXPECT_EQ(selected(), (QVariantList{u"s9"_s, u"w"_s, u"p9"_s, QVariant(qlonglong(300))}));
}

// Rows are rewritten by id: a user name with a quote, or one made to look like a statement,
// changes its own row and no other.
TEST_F(EditAccountDialog, QuotedUserNameRewritesItsOwnRowOnly)
{
    addAccount(u"s1"_s, u"o'neil"_s, u"p1"_s, 60);
    addAccount(u"s2"_s, u"oneil"_s, u"p2"_s, 60);
    const QVariant id = addAccount(u"s3"_s, u"o'neil"_s, u"p3"_s, 60);
    addAccount(u"s4"_s, u"x' or '1'='1"_s, u"p4"_s, 60);
    select(u"s3"_s, u"o'neil"_s, u"p3"_s, qlonglong(60), id);
    Form8 dialog(messages, nullptr);
    save(dialog, u"s5"_s, u"o'neil"_s, u"it's"_s, u"30"_s);
    EXPECT_EQ(accounts(),
              (std::vector<AccountRow>{{u"s1"_s, u"o'neil"_s, u"p1"_s, u"60"_s},
                                       {u"s2"_s, u"oneil"_s, u"p2"_s, u"60"_s},
                                       {u"s5"_s, u"o'neil"_s, u"it's"_s, u"30"_s},
                                       {u"s4"_s, u"x' or '1'='1"_s, u"p4"_s, u"60"_s}}));
}

TEST_F(EditAccountDialog, InjectionAttemptInTheLoadedUserMatchesOnlyItsOwnRow)
{
    addAccount(u"s1"_s, u"a"_s, u"p1"_s, 60);
    const QVariant id = addAccount(u"s2"_s, u"x' or '1'='1"_s, u"p2"_s, 60);
    select(u"s2"_s, u"x' or '1'='1"_s, u"p2"_s, qlonglong(60), id);
    Form8 dialog(messages, nullptr);
    save(dialog, u"s9"_s, u"y"_s, u"p9"_s, u"5"_s);
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s1"_s, u"a"_s, u"p1"_s, u"60"_s},
                                                   {u"s9"_s, u"y"_s, u"p9"_s, u"5"_s}}));
}

// After a pick that found nothing and no earlier pick there is no row to rewrite: nothing
// changes, and the dialog closes as after any save.
TEST_F(EditAccountDialog, NothingPickedRewritesNothing)
{
    addAccount(u"s1"_s, u"u"_s, u"p1"_s, 60);
    Form8 dialog(messages, nullptr);
    save(dialog, u"s9"_s, u"u"_s, u"p9"_s, u"5"_s);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s1"_s, u"u"_s, u"p1"_s, u"60"_s}}));
    EXPECT_EQ(selected(), (QVariantList{QVariant(), QVariant(), QVariant(), QVariant()}));
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

// The whole road from the menu's edit picker, for two accounts that share a user name and one
// whose name holds a quote: pick an entry, correct its password in the real edit dialog it
// opens, save. Only that row changes, every other stays byte for byte, and the selected
// account carries the corrected password at once.
TEST_F(EditAccountDialog, PickThenEditFromTheEditPicker)
{
    const std::vector<AccountRow> stored{
        {u"pop.one.example"_s, u"info"_s, u"p1"_s, u"60"_s},
        {u"pop.two.example"_s, u"info"_s, u"p2"_s, u"120"_s},
        {u"pop.three.example"_s, u"o'brien"_s, u"p'3"_s, u"180"_s}};
    for (std::size_t picked = 0; picked < stored.size(); ++picked) {
        SCOPED_TRACE(stored[picked].server.toStdString());
        settings.execute(u"delete from cool"_s);
        clearSelected();
        QVariantList ids;
        for (const AccountRow& row : stored)
            ids.append(addAccount(row.server, row.user, row.pass, row.time.toLongLong()));

        QWidget owner;
        owner.show();
        Form6 picker(messages, &owner);
        picker.show();
        bool edited = false;
        QTimer::singleShot(0, [&] {
            auto* editor = qobject_cast<Form8*>(QApplication::activeModalWidget());
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->Text1->text(), stored[picked].server);
            editor->Text3->setText(u"new'pass"_s);
            QTest::mouseClick(editor->Command1, Qt::LeftButton);
            edited = editor->result() == QDialog::Accepted;
            if (!edited)
                editor->reject();
        });
        // The list is newest first.
        const int entry = static_cast<int>(stored.size() - 1 - picked);
        const QRect place = picker.List1->visualItemRect(picker.List1->item(entry));
        QTest::mouseClick(picker.List1->viewport(), Qt::LeftButton, {}, place.center());
        EXPECT_TRUE(edited);
        EXPECT_TRUE(messages.shown.isEmpty());
        EXPECT_TRUE(messages.fatal.isEmpty());

        std::vector<AccountRow> expected = stored;
        expected[picked].pass = u"new'pass"_s;
        EXPECT_EQ(accounts(), expected);
        EXPECT_EQ(selected(), (QVariantList{stored[picked].server, stored[picked].user,
                                            u"new'pass"_s, stored[picked].time.toLongLong()}));
        EXPECT_EQ(MdlMain::sel_id, ids[static_cast<qsizetype>(picked)]);
    }
}

} // namespace
