// The add and pattern-delete dialogs, pressed for real against a real settings database.

#include "add_address_dialog.h"
#include "block_list_menu.h"
#include "block_list_rows.h"
#include "delete_address_dialog.h"
#include "recording_messages.h"
#include "settings_fixture.h"
#include "statements.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using dialogs::AddressTextDialog;

namespace {

enum class Kind { Add, Delete };

std::string kindName(Kind kind)
{
    return kind == Kind::Add ? "add" : "delete";
}

std::unique_ptr<AddressTextDialog> makeDialog(Kind kind, sweep::Messages& messages,
                                              QWidget* owner = nullptr)
{
    if (kind == Kind::Add)
        return std::make_unique<dialogs::Form3>(messages, owner);
    return std::make_unique<dialogs::Form4>(messages, owner);
}

// Shows the dialog, types the text and presses the real button.
void typeAndPress(AddressTextDialog& dialog, const QString& text)
{
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.Text1->setText(text);
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);
}

const QString kAccount = u"insert into cool(d_server,d_user,d_pass,d_time)values("
                         u"'pop.example.jp','user1','secret',300)"_s;

// ---------------------------------------------------------------------------------------------

struct LookRow {
    Kind kind;
    QString caption;
    QString button;
};

class DialogLook : public ::testing::TestWithParam<LookRow> {};

TEST_P(DialogLook, CaptionButtonAndShape)
{
    const LookRow& row = GetParam();
    QFile::remove(SettingsFixture::databasePath());
    RecordingMessages messages;
    const auto dialog = makeDialog(row.kind, messages);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));

    EXPECT_EQ(dialog->windowTitle(), row.caption);
    EXPECT_EQ(dialog->Command1->text(), row.button);
    // The gap is one ideographic space, not an ASCII blank.
    ASSERT_EQ(dialog->Command1->text().size(), 3);
    EXPECT_EQ(dialog->Command1->text().at(1), QChar(0x3000));
    EXPECT_TRUE(dialog->Command1->isDefault());
    EXPECT_TRUE(dialog->Text1->text().isEmpty());
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_TRUE(dialog->rect().contains(dialog->Text1->geometry()));
    EXPECT_TRUE(dialog->rect().contains(dialog->Command1->geometry()));
    EXPECT_FALSE(dialog->Text1->geometry().intersects(dialog->Command1->geometry()));
    EXPECT_EQ(dialog->font().family(), u"ＭＳ Ｐゴシック"_s);
    EXPECT_EQ(dialog->font().pointSize(), 9);
    // Loading touches no database: the file is missing and nothing failed.
    EXPECT_TRUE(messages.fatal.isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Texts, DialogLook,
                         ::testing::Values(LookRow{Kind::Add, u"削除アドレスの追加"_s, u"登　録"_s},
                                           LookRow{Kind::Delete, u"アドレスの削除"_s, u"削　除"_s}),
                         [](const auto& p) { return kindName(p.param.kind); });

// ---------------------------------------------------------------------------------------------

struct EmptyRow {
    std::string name;
    QString typed;
};

class NothingEntered : public ::testing::TestWithParam<std::tuple<Kind, EmptyRow>> {};

TEST_P(NothingEntered, ShowsMessageAndStaysOpenWithoutOpeningTheDatabase)
{
    const auto& [kind, row] = GetParam();
    // No database at all: opening it would be a fatal error.
    QFile::remove(SettingsFixture::databasePath());
    RecordingMessages messages;
    const auto dialog = makeDialog(kind, messages);

    typeAndPress(*dialog, row.typed);

    EXPECT_EQ(messages.shown, QStringList{u"未記入です"_s});
    EXPECT_TRUE(messages.fatal.isEmpty()) << messages.fatal.join(u'\n').toStdString();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(dialog->Text1->text(), row.typed);
    EXPECT_FALSE(QFile::exists(SettingsFixture::databasePath()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NothingEntered,
    ::testing::Combine(::testing::Values(Kind::Add, Kind::Delete),
                       ::testing::Values(EmptyRow{"empty", u""_s},
                                         EmptyRow{"one_apostrophe", u"'"_s},
                                         EmptyRow{"only_apostrophes", u"''''''"_s})),
    [](const auto& p) { return kindName(std::get<0>(p.param)) + "_" + std::get<1>(p.param).name; });

TEST(NothingEnteredThenTyped, TheSameDialogStoresTheLaterText)
{
    SettingsFixture settings;
    RecordingMessages messages;
    dialogs::Form3 dialog(messages, nullptr);

    typeAndPress(dialog, u"''"_s);
    EXPECT_TRUE(blockRows(settings).isEmpty());
    ASSERT_TRUE(dialog.isVisible());

    dialog.Text1->setText(u"later@example.jp"_s);
    QTest::mouseClick(dialog.Command1, Qt::LeftButton);

    EXPECT_EQ(printable(blockRows(settings)), std::vector<std::string>{"later@example.jp"});
    EXPECT_EQ(messages.shown, QStringList{u"未記入です"_s});
    EXPECT_FALSE(dialog.isVisible());
}

// ---------------------------------------------------------------------------------------------

struct InsertRow {
    std::string name;
    QString typed;
    QString stored;
};

class AddAddress : public ::testing::TestWithParam<InsertRow> {};

TEST_P(AddAddress, StoresTheTypedTextLessApostrophesAndChangesNothingElse)
{
    const InsertRow& row = GetParam();
    SettingsFixture settings;
    settings.execute(kAccount);
    const QList<BlockRow> before =
        seedBlockList(settings, {u"keep@example.jp"_s, u"entry"_s, u"%"_s});
    const QStringList accountsBefore = accountRows(settings);
    RecordingMessages messages;
    dialogs::Form3 dialog(messages, nullptr);

    typeAndPress(dialog, row.typed);

    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join(u'\n').toStdString();
    EXPECT_TRUE(messages.fatal.isEmpty()) << messages.fatal.join(u'\n').toStdString();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    const QList<BlockRow> after = blockRows(settings);
    ASSERT_EQ(after.size(), before.size() + 1);
    EXPECT_EQ(printable(after.mid(0, before.size())), printable(before));
    EXPECT_EQ(idsOf(after.mid(0, before.size())), idsOf(before));
    EXPECT_GT(after.last().id, before.last().id);
    EXPECT_TRUE(sameText(after.last().addfrom.toString(), row.stored));
    EXPECT_EQ(accountRows(settings), accountsBefore);
}

QString control()
{
    QString text = u"a"_s;
    for (char16_t c : {u'\t', u'\n', u'\r', u'\x01', u'\x1b', u'\x1f', u'\x7f', u'\x85'})
        text += QChar(c);
    return text + u"b"_s;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AddAddress,
    ::testing::Values(InsertRow{"plain_address", u"spam@example.com"_s, u"spam@example.com"_s},
                      InsertRow{"apostrophe_inside", u"o'neil"_s, u"oneil"_s},
                      InsertRow{"apostrophes_around", u"'x@y'"_s, u"x@y"_s},
                      InsertRow{"spaces_before_and_after", u"  a b@c  "_s, u"  a b@c  "_s},
                      InsertRow{"percent_is_stored_literally", u"%"_s, u"%"_s},
                      InsertRow{"underscore_is_stored_literally", u"_"_s, u"_"_s},
                      InsertRow{"same_as_an_entry", u"entry"_s, u"entry"_s},
                      InsertRow{"capitals_kept", u"SPAM@Example.COM"_s, u"SPAM@Example.COM"_s},
                      InsertRow{"double_quote", u"a\"b\""_s, u"a\"b\""_s},
                      InsertRow{"semicolon_and_statement", u"x;delete from mymailchk;"_s,
                                u"x;delete from mymailchk;"_s},
                      InsertRow{"break_out_attempt", u"x');delete from mymailchk;--"_s,
                                u"x);delete from mymailchk;--"_s},
                      InsertRow{"line_comment", u"--x"_s, u"--x"_s},
                      InsertRow{"block_comment", u"/*x"_s, u"/*x"_s},
                      InsertRow{"bracket_class", u"[a-z]%"_s, u"[a-z]%"_s},
                      InsertRow{"backslash", u"a\\b\\"_s, u"a\\b\\"_s},
                      InsertRow{"control_characters", control(), control()},
                      InsertRow{"full_width_forms", u"ｓｐａｍ＠ｅｘ．ｊｐ　＇’"_s,
                                u"ｓｐａｍ＠ｅｘ．ｊｐ　＇’"_s},
                      InsertRow{"beyond_the_basic_plane", u"😀@例え.jp"_s, u"😀@例え.jp"_s},
                      InsertRow{"one_megabyte", QString(1 << 20, u'x') + u"'"_s,
                                QString(1 << 20, u'x')}),
    [](const auto& p) { return p.param.name; });

// ---------------------------------------------------------------------------------------------

struct DeleteRow {
    std::string name;
    QList<QVariant> entries;
    QString typed;
    QList<QVariant> left;
};

class DeleteAddress : public ::testing::TestWithParam<DeleteRow> {};

TEST_P(DeleteAddress, RemovesEveryEntryTheFragmentMatches)
{
    const DeleteRow& row = GetParam();
    SettingsFixture settings;
    settings.execute(kAccount);
    const QList<BlockRow> before = seedBlockList(settings, row.entries);
    const QStringList accountsBefore = accountRows(settings);
    RecordingMessages messages;
    dialogs::Form4 dialog(messages, nullptr);

    typeAndPress(dialog, row.typed);

    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join(u'\n').toStdString();
    EXPECT_TRUE(messages.fatal.isEmpty()) << messages.fatal.join(u'\n').toStdString();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(printable(blockRows(settings)), printable(row.left));
    EXPECT_EQ(accountRows(settings), accountsBefore);
}

QList<QVariant> texts(std::initializer_list<QString> list)
{
    QList<QVariant> entries;
    for (const QString& text : list)
        entries.append(text);
    return entries;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DeleteAddress,
    ::testing::Values(
        DeleteRow{"fragment_inside_longer_entries",
                  texts({u"abc"_s, u"xabc"_s, u"ab"_s, u"abcx"_s, u"xabcx"_s, u"a bc"_s, u"bc"_s}),
                  u"abc"_s, texts({u"ab"_s, u"a bc"_s, u"bc"_s})},
        DeleteRow{"capitals_match_small_letters", texts({u"abc@x"_s, u"ABC@y"_s, u"ab"_s}),
                  u"aBc"_s, texts({u"ab"_s})},
        DeleteRow{"apostrophe_inside", texts({u"oneil"_s, u"xoneilx"_s, u"o neil"_s, u"neil"_s}),
                  u"o'neil"_s, texts({u"o neil"_s, u"neil"_s})},
        DeleteRow{"spaces_before_and_after",
                  texts({u" abc "_s, u"abc"_s, u"x abc y"_s, u"xabcx"_s, u"abc "_s}), u" abc "_s,
                  texts({u"abc"_s, u"xabcx"_s, u"abc "_s})},
        DeleteRow{"percent_empties_the_list",
                  texts({u"a@b"_s, u""_s, u"%"_s, u"_x"_s, u"ｆｕｌｌ"_s}),
                  u"%"_s,
                  {}},
        DeleteRow{"underscore_removes_every_non_empty_entry",
                  texts({u"a@b"_s, u""_s, u"_"_s, u"x"_s}), u"_"_s, texts({u""_s})},
        DeleteRow{"percent_inside_the_fragment", texts({u"abc"_s, u"axxc"_s, u"ca"_s, u"ac"_s}),
                  u"a%c"_s, texts({u"ca"_s})},
        DeleteRow{"no_entry_matches", texts({u"a@b"_s, u"c@d"_s}), u"zzz"_s,
                  texts({u"a@b"_s, u"c@d"_s})},
        DeleteRow{"bracket_is_no_class", texts({u"[a]"_s, u"a"_s, u"b"_s}), u"[a]"_s,
                  texts({u"a"_s, u"b"_s})},
        DeleteRow{"double_quote", texts({u"a\"b"_s, u"ab"_s}), u"\""_s, texts({u"ab"_s})},
        DeleteRow{"semicolon", texts({u"a;b"_s, u"ab"_s}), u";"_s, texts({u"ab"_s})},
        DeleteRow{"line_comment", texts({u"a--b"_s, u"a-b"_s}), u"--"_s, texts({u"a-b"_s})},
        DeleteRow{"block_comment", texts({u"/*x"_s, u"x"_s}), u"/*"_s, texts({u"x"_s})},
        DeleteRow{"break_out_attempt", texts({u"x)"_s, u"y"_s}), u"x');delete from cool;--"_s,
                  texts({u"x)"_s, u"y"_s})},
        DeleteRow{"control_character", texts({u"a\tb"_s, u"ab"_s}), u"\t"_s, texts({u"ab"_s})},
        DeleteRow{"full_width_letters_are_other_letters", texts({u"ａｂｃ"_s, u"abc"_s}),
                  u"ａｂｃ"_s, texts({u"abc"_s})},
        DeleteRow{
            "entry_without_value_is_never_matched", {QVariant(), u"a"_s}, u"%"_s, {QVariant()}}),
    [](const auto& p) { return p.param.name; });

// ---------------------------------------------------------------------------------------------

class EnterInText1 : public ::testing::TestWithParam<Kind> {};

TEST_P(EnterInText1, PressesTheButton)
{
    SettingsFixture settings;
    seedBlockList(settings, texts({u"xabcx"_s, u"other"_s}));
    RecordingMessages messages;
    const auto dialog = makeDialog(GetParam(), messages);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->Text1->setFocus();
    QTest::keyClicks(dialog->Text1, u"abc"_s);

    QTest::keyClick(dialog->Text1, Qt::Key_Return);

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    const auto expected =
        GetParam() == Kind::Add ? texts({u"xabcx"_s, u"other"_s, u"abc"_s}) : texts({u"other"_s});
    EXPECT_EQ(printable(blockRows(settings)), printable(expected));
    EXPECT_TRUE(messages.fatal.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, EnterInText1, ::testing::Values(Kind::Add, Kind::Delete),
                         [](const auto& p) { return kindName(p.param); });

// ---------------------------------------------------------------------------------------------

enum class Closing { CloseButton, EscapeKey };

class ClosingTheWindow : public ::testing::TestWithParam<std::tuple<Kind, Closing>> {};

TEST_P(ClosingTheWindow, WritesNothing)
{
    const auto [kind, closing] = GetParam();
    SettingsFixture settings;
    const QList<BlockRow> before = seedBlockList(settings, texts({u"abc"_s, u"xabcx"_s}));
    RecordingMessages messages;
    const auto dialog = makeDialog(kind, messages);
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->Text1->setText(u"abc"_s);

    if (closing == Closing::CloseButton)
        dialog->close();
    else
        QTest::keyClick(dialog->Text1, Qt::Key_Escape);

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(printable(blockRows(settings)), printable(before));
    EXPECT_EQ(idsOf(blockRows(settings)), idsOf(before));
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(messages.fatal.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosingTheWindow,
                         ::testing::Combine(::testing::Values(Kind::Add, Kind::Delete),
                                            ::testing::Values(Closing::CloseButton,
                                                              Closing::EscapeKey)),
                         [](const auto& p) {
                             return kindName(std::get<0>(p.param)) +
                                    (std::get<1>(p.param) == Closing::CloseButton ? "_close_button"
                                                                                  : "_escape_key");
                         });

// ---------------------------------------------------------------------------------------------

enum class Failure { FileMissing, TableMissing };

class DatabaseFailure : public ::testing::TestWithParam<std::tuple<Kind, Failure>> {};

TEST_P(DatabaseFailure, IsFatalWithTheStoresDescription)
{
    const auto [kind, failure] = GetParam();
    SettingsFixture settings;
    const QString typed = u"abc"_s;
    const QString statement =
        kind == Kind::Add ? store::SqlBlockInsert(typed) : store::SqlBlockDelete(typed);
    QString expected;
    if (failure == Failure::FileMissing) {
        ASSERT_TRUE(QFile::remove(SettingsFixture::databasePath()));
        expected = storeErrorOnOpen();
    } else {
        settings.execute(u"drop table mymailchk"_s);
        expected = storeErrorFor(settings, statement);
    }
    ASSERT_FALSE(expected.isEmpty());
    RecordingMessages messages;
    const auto dialog = makeDialog(kind, messages);

    typeAndPress(*dialog, typed);

    EXPECT_EQ(messages.fatal, QStringList{expected});
    EXPECT_TRUE(messages.shown.isEmpty());
    // The program ends on a fatal error; the dialog never reports success.
    EXPECT_NE(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(QFile::exists(SettingsFixture::databasePath()), failure != Failure::FileMissing);
}

INSTANTIATE_TEST_SUITE_P(
    Situations, DatabaseFailure,
    ::testing::Combine(::testing::Values(Kind::Add, Kind::Delete),
                       ::testing::Values(Failure::FileMissing, Failure::TableMissing)),
    [](const auto& p) {
        return kindName(std::get<0>(p.param)) +
               (std::get<1>(p.param) == Failure::FileMissing ? "_file_missing" : "_table_missing");
    });

// ---------------------------------------------------------------------------------------------

struct MenuRow {
    std::string name;
    void (*open)(QWidget*, sweep::Messages&);
    QString caption;
    QList<QVariant> left;
};

class MenuOpener : public ::testing::TestWithParam<MenuRow> {};

TEST_P(MenuOpener, ShowsItsDialogModallyOverTheOwner)
{
    const MenuRow& row = GetParam();
    SettingsFixture settings;
    seedBlockList(settings, texts({u"xabcx"_s, u"other"_s}));
    RecordingMessages messages;
    QWidget owner;
    owner.setGeometry(100, 100, 400, 300);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));

    QString caption;
    QWidget* parent = nullptr;
    bool centred = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<AddressTextDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        caption = dialog->windowTitle();
        parent = dialog->parentWidget();
        centred = (dialog->geometry().center() - owner.geometry().center()).manhattanLength() <= 4;
        dialog->Text1->setText(u"abc"_s);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    });
    row.open(&owner, messages);

    EXPECT_EQ(caption, row.caption);
    EXPECT_EQ(parent, &owner);
    EXPECT_TRUE(centred);
    EXPECT_EQ(printable(blockRows(settings)), printable(row.left));
    EXPECT_TRUE(messages.fatal.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Items, MenuOpener,
                         ::testing::Values(MenuRow{"m3_add", &dialogs::openAddAddressDialog,
                                                   u"削除アドレスの追加"_s,
                                                   texts({u"xabcx"_s, u"other"_s, u"abc"_s})},
                                           MenuRow{"m4_delete", &dialogs::openDeleteAddressDialog,
                                                   u"アドレスの削除"_s, texts({u"other"_s})}),
                         [](const auto& p) { return p.param.name; });

} // namespace
