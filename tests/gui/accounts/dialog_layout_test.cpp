// How the four account dialogs look: captions, label texts and fonts, the places of the
// controls, the fixed frame, the focus order, and where they appear.

#include "account_pickers.h"
#include "account_test_support.h"
#include "app_info.h"
#include "edit_account_dialog.h"
#include "new_account_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using app::twips;

namespace {

QRect inTwips(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// One control of a dialog: where it stands and what it says.
template <class Form> struct Control {
    const char* name;
    std::function<QWidget*(Form&)> widget;
    QRect place;
    QString text; // a label's or button's text; for text boxes unused
    qreal points; // a label's font size; 0 for other controls
};

template <class Form> void checkControl(Form& form, const Control<Form>& control)
{
    SCOPED_TRACE(control.name);
    QWidget* widget = control.widget(form);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->parentWidget(), &form);
    EXPECT_EQ(widget->geometry(), control.place);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        EXPECT_EQ(label->text(), control.text);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        EXPECT_FALSE(label->wordWrap());
        EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(label->font().family(), u"ＭＳ Ｐゴシック"_s);
        EXPECT_EQ(label->font().pointSizeF(), control.points);
        EXPECT_EQ(label->font().weight(), QFont::Normal);
    } else if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        EXPECT_EQ(box->echoMode(), QLineEdit::Normal) << "passwords are shown in clear";
        EXPECT_GT(box->maxLength(), 1 << 20) << "no length limit of its own";
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        EXPECT_EQ(button->text(), control.text);
        EXPECT_FALSE(button->isDefault());
    }
}

class DialogLayout : public AccountDialogTest {};

TEST_F(DialogLayout, NewAccountDialog)
{
    Form2 form(messages, nullptr);
    EXPECT_EQ(form.windowTitle(), u"受信設定ファイルの新規登録"_s);
    const Control<Form2> controls[] = {
        {"Label1", [](Form2& f) { return f.Label1; }, inTwips(120, 120, 1335, 375),
         u"受信メール\r\nサーバアドレス"_s, 8.25},
        {"Text1", [](Form2& f) { return f.Text1; }, inTwips(1680, 120, 2295, 270), {}, 0},
        {"Label2", [](Form2& f) { return f.Label2; }, inTwips(120, 720, 1335, 375), u"ユーザー"_s,
         9.75},
        {"Text2", [](Form2& f) { return f.Text2; }, inTwips(1680, 720, 2295, 270), {}, 0},
        {"Label3", [](Form2& f) { return f.Label3; }, inTwips(120, 1320, 1335, 375),
         u"パスワード"_s, 9.75},
        {"Text3", [](Form2& f) { return f.Text3; }, inTwips(1680, 1320, 2295, 270), {}, 0},
        // Smaller (and condensed) than drawn, so that its widest line shows whole.
        {"Label4", [](Form2& f) { return f.Label4; }, inTwips(120, 2040, 1215, 495),
         u"受信間隔\r\n秒で記載\r\n例）300で5分間隔で受信"_s, 7.5},
        {"Text4", [](Form2& f) { return f.Text4; }, inTwips(1800, 2160, 975, 270), {}, 0},
        {"Command1", [](Form2& f) { return f.Command1; }, inTwips(1560, 2640, 1575, 375),
         u"この内容で作成"_s, 0},
    };
    for (const auto& control : controls)
        checkControl(form, control);
}

TEST_F(DialogLayout, EditAccountDialog)
{
    Form8 form(messages, nullptr);
    EXPECT_EQ(form.windowTitle(), u"受信設定ファイルの編集"_s);
    const Control<Form8> controls[] = {
        {"Label1", [](Form8& f) { return f.Label1; }, inTwips(120, 240, 1455, 255),
         u"受信サーバアドレス"_s, 8.25},
        {"Text1", [](Form8& f) { return f.Text1; }, inTwips(2280, 240, 2055, 270), {}, 0},
        {"Label2", [](Form8& f) { return f.Label2; }, inTwips(120, 840, 1455, 255), u"ユーザー"_s,
         8.25},
        {"Text2", [](Form8& f) { return f.Text2; }, inTwips(2280, 840, 2055, 270), {}, 0},
        {"Label3", [](Form8& f) { return f.Label3; }, inTwips(120, 1560, 1575, 255),
         u"パスワード"_s, 8.25},
        {"Text3", [](Form8& f) { return f.Text3; }, inTwips(2280, 1560, 2055, 270), {}, 0},
        {"Label4", [](Form8& f) { return f.Label4; }, inTwips(120, 2160, 1815, 495),
         u"受信間隔は秒で記載\r\n例）300で5分間隔で受信"_s, 8.25},
        {"Text4", [](Form8& f) { return f.Text4; }, inTwips(2280, 2160, 1335, 270), {}, 0},
        {"Command1", [](Form8& f) { return f.Command1; }, inTwips(1320, 2760, 2055, 255),
         u"編　集　終　了"_s, 0},
    };
    for (const auto& control : controls)
        checkControl(form, control);
}

TEST_F(DialogLayout, PickersListFillsTheClientAreaFromTheTopLeft)
{
    Form7 sweep(messages, nullptr);
    EXPECT_EQ(sweep.List1->geometry(), inTwips(0, 0, 2655, 3120));
    Form6 edit(messages, nullptr, [](QWidget*, sweep::Messages&) {});
    EXPECT_EQ(edit.List1->geometry(), inTwips(0, 0, 3135, 2580));
    for (const QListWidget* list : {sweep.List1, edit.List1}) {
        EXPECT_FALSE(list->isSortingEnabled());
        EXPECT_NE(list->focusPolicy() & Qt::TabFocus, 0);
    }
}

// Every dialog, for what they all share.
struct DialogKind {
    const char* situation;
    std::function<std::unique_ptr<QDialog>(sweep::Messages&, QWidget*)> make;
    QSize client; // twips
    QString caption;

    friend void PrintTo(const DialogKind& row, std::ostream* out) { *out << row.situation; }
};

class EveryDialog : public AccountDialogTest, public ::testing::WithParamInterface<DialogKind> {};

TEST_P(EveryDialog, HasAFixedFrameWithoutMinimiseOrMaximise)
{
    const auto dialog = GetParam().make(messages, nullptr);
    EXPECT_EQ(dialog->windowTitle(), GetParam().caption);
    const QSize client(twips(GetParam().client.width()), twips(GetParam().client.height()));
    EXPECT_EQ(dialog->size(), client);
    EXPECT_EQ(dialog->minimumSize(), client);
    EXPECT_EQ(dialog->maximumSize(), client);
    const Qt::WindowFlags flags = dialog->windowFlags();
    EXPECT_EQ(dialog->windowType(), Qt::Dialog);
    EXPECT_TRUE(flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowContextHelpButtonHint));
}

TEST_P(EveryDialog, OpensCentredOverItsOwner)
{
    QWidget owner;
    owner.setGeometry(40, 60, 700, 500);
    owner.show();
    const auto dialog = GetParam().make(messages, &owner);
    dialog->show();
    const QPoint offset = dialog->frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();

    // And again after the owner has moved.
    dialog->hide();
    owner.move(300, 200);
    dialog->show();
    const QPoint moved = dialog->frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(moved.manhattanLength(), 2) << moved.x() << "," << moved.y();
}

INSTANTIATE_TEST_SUITE_P(
    , EveryDialog,
    ::testing::Values(
        DialogKind{"NewAccount",
                   [](sweep::Messages& m, QWidget* o) { return std::make_unique<Form2>(m, o); },
                   QSize(4320, 3090), u"受信設定ファイルの新規登録"_s},
        DialogKind{"EditAccount",
                   [](sweep::Messages& m, QWidget* o) { return std::make_unique<Form8>(m, o); },
                   QSize(4680, 3195), u"受信設定ファイルの編集"_s},
        DialogKind{"SweepPicker",
                   [](sweep::Messages& m, QWidget* o) { return std::make_unique<Form7>(m, o); },
                   QSize(2670, 3120), u"一覧から選択"_s},
        DialogKind{"EditPicker",
                   [](sweep::Messages& m, QWidget* o) {
                       return std::make_unique<Form6>(m, o, [](QWidget*, sweep::Messages&) {});
                   },
                   QSize(3165, 2580), u"一覧から選択"_s}),
    [](const ::testing::TestParamInfo<DialogKind>& which) { return which.param.situation; });

// Tab walks Text1, Text2, Text3, Text4, Command1 and round again; labels take no focus.
template <class Form> QList<QWidget*> tabWalk(Form& form)
{
    form.show();
    QApplication::setActiveWindow(&form);
    EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
    form.Text1->setFocus();
    QList<QWidget*> walk{QApplication::focusWidget()};
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        walk.append(QApplication::focusWidget());
    }
    return walk;
}

TEST_F(DialogLayout, NewAccountFocusOrder)
{
    Form2 form(messages, nullptr);
    EXPECT_EQ(tabWalk(form), (QList<QWidget*>{form.Text1, form.Text2, form.Text3, form.Text4,
                                              form.Command1, form.Text1}));
}

TEST_F(DialogLayout, EditAccountFocusOrder)
{
    Form8 form(messages, nullptr);
    EXPECT_EQ(tabWalk(form), (QList<QWidget*>{form.Text1, form.Text2, form.Text3, form.Text4,
                                              form.Command1, form.Text1}));
}

} // namespace
