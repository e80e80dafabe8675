// The five input checks of the new and the edit account dialog, pressed through their real
// button against a real settings database: the message of the first failing check and nothing
// written, or the row as stored.

#include "account_test_support.h"
#include "edit_account_dialog.h"
#include "new_account_dialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

enum class Dialog { NewAccount, EditAccount };

void PrintTo(Dialog kind, std::ostream* out)
{
    *out << (kind == Dialog::NewAccount ? "Form2" : "Form8");
}

struct CheckRow {
    const char* situation;
    QString server;
    QString user;
    QString pass;
    QString interval;
    QString message; // empty: accepted
    QString storedTime;

    friend void PrintTo(const CheckRow& row, std::ostream* out) { *out << row.situation; }
};

const QString kServerMissing = u"サーバーアドレスが\r\n未記入です"_s;
const QString kUserMissing = u"ユーザーが\r\n未記入です"_s;
const QString kPassMissing = u"パスワードアドレスが\r\n未記入です"_s;
const QString kIntervalMissing = u"待機時間が\r\n未記入です"_s;
const QString kNotDigits = u"待機時間は\r\n半角数字"_s;

const CheckRow kRows[] = {
    {"AllFourEmpty", u""_s, u""_s, u""_s, u""_s, kServerMissing, {}},
    {"ServerEmpty", u""_s, u"u"_s, u"p"_s, u"300"_s, kServerMissing, {}},
    {"UserAndLaterEmpty", u"s"_s, u""_s, u""_s, u""_s, kUserMissing, {}},
    {"UserEmpty", u"s"_s, u""_s, u"p"_s, u"300"_s, kUserMissing, {}},
    {"PasswordEmpty", u"s"_s, u"u"_s, u""_s, u"300"_s, kPassMissing, {}},
    {"IntervalEmpty", u"s"_s, u"u"_s, u"p"_s, u""_s, kIntervalMissing, {}},
    {"FullWidthDigits", u"s"_s, u"u"_s, u"p"_s, u"３００"_s, kNotDigits, {}},
    {"PlusSign", u"s"_s, u"u"_s, u"p"_s, u"+300"_s, kNotDigits, {}},
    {"MinusSign", u"s"_s, u"u"_s, u"p"_s, u"-5"_s, kNotDigits, {}},
    {"DecimalPoint", u"s"_s, u"u"_s, u"p"_s, u"300.5"_s, kNotDigits, {}},
    {"TrailingBlank", u"s"_s, u"u"_s, u"p"_s, u"300 "_s, kNotDigits, {}},
    {"LeadingBlank", u"s"_s, u"u"_s, u"p"_s, u" 300"_s, kNotDigits, {}},
    {"OnlyBlanks", u"s"_s, u"u"_s, u"p"_s, u"   "_s, kNotDigits, {}},
    {"Letters", u"s"_s, u"u"_s, u"p"_s, u"12a"_s, kNotDigits, {}},
    {"OneOverLongest", u"s"_s, u"u"_s, u"p"_s, u"2147483648"_s, kNotDigits, {}},
    {"TooLongFor64Bits", u"s"_s, u"u"_s, u"p"_s, u"99999999999999999999999"_s, kNotDigits, {}},
    {"Zero", u"s"_s, u"u"_s, u"p"_s, u"0"_s, {}, u"0"_s},
    {"LeadingZero", u"s"_s, u"u"_s, u"p"_s, u"0300"_s, {}, u"300"_s},
    {"ManyLeadingZeros", u"s"_s, u"u"_s, u"p"_s, u"0000000000000000000000300"_s, {}, u"300"_s},
    {"Longest", u"s"_s, u"u"_s, u"p"_s, u"2147483647"_s, {}, u"2147483647"_s},
    {"BlanksOnlyTexts", u" "_s, u"  "_s, u"   "_s, u"60"_s, {}, u"60"_s},
    {"TextsWithQuotes",
     u"x');delete from cool;--"_s,
     u"o'neil"_s,
     u"p''w'"_s,
     u"60"_s,
     {},
     u"60"_s},
    {"JapaneseTexts", u"pop.例え.jp"_s, u"山田　太郎"_s, u"秘密"_s, u"5"_s, {}, u"5"_s},
    // Texts that would change a statement's shape if they reached it unescaped.
    {"StatementPunctuation", u"a;b--c/*d*/"_s, u"%_[x]"_s, u"\"dq\"\\;"_s, u"60"_s, {}, u"60"_s},
    {"ControlCharacters",
     u"a\tb"_s,
     u"u"_s + QChar(1) + u"v"_s,
     u"p"_s + QChar(0x7f),
     u"60"_s,
     {},
     u"60"_s},
    {"FullAndHalfWidthForms",
     u"ｐｏｐ．ｅｘａｍｐｌｅ"_s,
     u"ﾕｰｻﾞｰ"_s,
     u"ＰＡＳＳ　ｗ"_s,
     u"60"_s,
     {},
     u"60"_s},
    {"OneMegabyteServer", QString(1 << 20, u'm'), u"u"_s, u"p"_s, u"60"_s, {}, u"60"_s},
};

class AccountChecks : public AccountDialogTest,
                      public ::testing::WithParamInterface<std::tuple<Dialog, CheckRow>> {
protected:
    const AccountRow kEarlier{u"old.example"_s, u"u"_s, u"oldpass"_s, u"60"_s};

    // The dialog under test, shown; the edit dialog with an account picked beforehand.
    template <class Form> void run(Form& dialog, const CheckRow& row)
    {
        dialog.show();
        dialog.Text1->setText(row.server);
        dialog.Text2->setText(row.user);
        dialog.Text3->setText(row.pass);
        dialog.Text4->setText(row.interval);
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);

        EXPECT_TRUE(messages.fatal.isEmpty()) << messages.fatal.join(u'\n').toStdString();
        if (row.message.isEmpty()) {
            EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join(u'\n').toStdString();
            EXPECT_FALSE(dialog.isVisible());
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
        } else {
            EXPECT_EQ(messages.shown, QStringList{row.message});
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_NE(dialog.result(), QDialog::Accepted);
            // Left as typed.
            EXPECT_EQ(dialog.Text1->text(), row.server);
            EXPECT_EQ(dialog.Text2->text(), row.user);
            EXPECT_EQ(dialog.Text3->text(), row.pass);
            EXPECT_EQ(dialog.Text4->text(), row.interval);
        }
    }
};

TEST_P(AccountChecks, FirstFailingCheckIsShownOrTheRowIsStored)
{
    const auto& [kind, row] = GetParam();
    const AccountRow typed{row.server, row.user, row.pass, row.storedTime};

    if (kind == Dialog::NewAccount) {
        Form2 dialog(messages, nullptr);
        run(dialog, row);
        if (row.message.isEmpty())
            EXPECT_EQ(accounts(), std::vector<AccountRow>{typed});
        else
            EXPECT_TRUE(accounts().empty());
    } else {
        const QVariant id = addAccount(kEarlier.server, kEarlier.user, kEarlier.pass, 60);
        select(kEarlier.server, kEarlier.user, kEarlier.pass, qlonglong(60), id);
        const QVariantList picked = selected();
        Form8 dialog(messages, nullptr);
        run(dialog, row);
        if (row.message.isEmpty()) {
            EXPECT_EQ(accounts(), std::vector<AccountRow>{typed});
            // The saved row is the selected account: it holds what was stored at once.
            EXPECT_EQ(selected(), (QVariantList{row.server, row.user, row.pass,
                                                QVariant(row.storedTime.toLongLong())}));
        } else {
            EXPECT_EQ(accounts(), std::vector<AccountRow>{kEarlier});
            EXPECT_EQ(selected(), picked) << "a refused save leaves the selected account alone";
        }
    }
    // Stored as a number by both dialogs, though the edit writes it between quotes.
    if (row.message.isEmpty()) {
        EXPECT_EQ(settings.column(u"select typeof(d_time) as t from cool"_s, u"t"_s),
                  QStringList{u"integer"_s});
    }
}

INSTANTIATE_TEST_SUITE_P(
    BothDialogs, AccountChecks,
    ::testing::Combine(::testing::Values(Dialog::NewAccount, Dialog::EditAccount),
                       ::testing::ValuesIn(kRows)),
    [](const ::testing::TestParamInfo<std::tuple<Dialog, CheckRow>>& which) {
        return std::string(std::get<0>(which.param) == Dialog::NewAccount ? "New_" : "Edit_") +
               std::get<1>(which.param).situation;
    });

class NewAccountDialog : public AccountDialogTest {};

TEST_F(NewAccountDialog, StartsEmptyAndLeavesTheSelectedAccountAlone)
{
    select(u"s"_s, u"picked"_s, u"p"_s, qlonglong(60));
    Form2 dialog(messages, nullptr);
    dialog.show();
    for (const QLineEdit* box : {dialog.Text1, dialog.Text2, dialog.Text3, dialog.Text4})
        EXPECT_TRUE(box->text().isEmpty());
    dialog.Text1->setText(u"pop.example"_s);
    dialog.Text2->setText(u"new"_s);
    dialog.Text3->setText(u"pw"_s);
    dialog.Text4->setText(u"300"_s);
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    EXPECT_EQ(accounts(),
              (std::vector<AccountRow>{{u"pop.example"_s, u"new"_s, u"pw"_s, u"300"_s}}));
    EXPECT_EQ(MdlMain::sel_user, QVariant(u"picked"_s));
}

TEST_F(NewAccountDialog, SecondAccountWithTheSameUserIsAFurtherRow)
{
    addAccount(u"s1"_s, u"u"_s, u"p1"_s, 60);
    Form2 dialog(messages, nullptr);
    dialog.show();
    dialog.Text1->setText(u"s2"_s);
    dialog.Text2->setText(u"u"_s);
    dialog.Text3->setText(u"p2"_s);
    dialog.Text4->setText(u"120"_s);
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s1"_s, u"u"_s, u"p1"_s, u"60"_s},
                                                   {u"s2"_s, u"u"_s, u"p2"_s, u"120"_s}}));
}

TEST_F(NewAccountDialog, RefusedThenCorrectedSavesOnce)
{
    Form2 dialog(messages, nullptr);
    dialog.show();
    dialog.Text1->setText(u"s"_s);
    dialog.Text2->setText(u"u"_s);
    dialog.Text3->setText(u"p"_s);
    dialog.Text4->setText(u"5分"_s);
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    EXPECT_TRUE(accounts().empty());
    dialog.Text4->setText(u"300"_s);
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    EXPECT_EQ(messages.shown, QStringList{kNotDigits});
    EXPECT_EQ(accounts(), (std::vector<AccountRow>{{u"s"_s, u"u"_s, u"p"_s, u"300"_s}}));
}

TEST_F(NewAccountDialog, DatabaseFailureIsFatalWithTheStoresDescription)
{
    Form2 dialog(messages, nullptr);
    dialog.show();
    dialog.Text1->setText(u"s"_s);
    dialog.Text2->setText(u"u"_s);
    dialog.Text3->setText(u"p"_s);
    dialog.Text4->setText(u"300"_s);
    removeDatabase();
    const QString description = missingDatabaseDescription();
    ASSERT_FALSE(description.isEmpty());
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    EXPECT_EQ(messages.fatal, QStringList{description});
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(QFile::exists(SettingsFixture::databasePath())) << "the program never creates it";
}

TEST_F(NewAccountDialog, ClosingByTheCloseBoxWritesNothing)
{
    Form2 dialog(messages, nullptr);
    dialog.show();
    dialog.Text1->setText(u"s"_s);
    dialog.Text2->setText(u"u"_s);
    dialog.Text3->setText(u"p"_s);
    dialog.Text4->setText(u"300"_s);
    EXPECT_TRUE(dialog.close());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(accounts().empty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

} // namespace
