// The main window offscreen: its texts, layout and menu, and its buttons driving the sweep.

#include "clock.h"
#include "main_window.h"
#include "mdl_main.h"
#include "plain_text.h"
#include "qt_messages.h"
#include "recording_messages.h"
#include "step_runner.h"
#include "sweep.h"

#include <QAction>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class CountingSteps final : public sweep::SweepSteps {
public:
    qint16 mail_koi2(sweep::SweepCounters& counters, const sweep::Account&) override
    {
        ++sweeps;
        ++counters.recv_count;
        ++counters.mail_no;
        return sweep::StateSweep;
    }
    qint16 mail_koi4(const sweep::SweepCounters&, const sweep::Account&) override
    {
        return sweep::StateSweep;
    }
    int sweeps = 0;
};

class MainWindow : public ::testing::Test {
protected:
    MainWindow() { window.Timer1->stop(); } // ticks are driven by hand below
    ~MainWindow() override
    {
        MdlMain::sel_server = MdlMain::sel_user = MdlMain::sel_pass = MdlMain::sel_time =
            QVariant();
    }

    sweep::SystemClock clock;
    CountingSteps steps;
    RecordingMessages messages;
    sweep::InlineStepRunner runner;
    Form1 window{clock, steps, messages, runner};
};

TEST_F(MainWindow, LoadsWithItsTitleLabelsAndIdleState)
{
    EXPECT_EQ(window.windowTitle(), u" Junkbane:Ver.1.0.0"_s);
    EXPECT_EQ(window.Label4->text(), u"待機時間"_s);
    EXPECT_EQ(window.Label5->text(), u"カウント"_s);
    for (QLabel* label : {window.Label1, window.Label2, window.Label3, window.Label7})
        EXPECT_TRUE(label->text().isEmpty());
    EXPECT_EQ(window.Command1->text(), u"停　止"_s);
    EXPECT_EQ(window.Command2->text(), u"開　始"_s);
    EXPECT_EQ(window.controller().state(), sweep::StateIdle);

    window.onTimer1Timeout();
    EXPECT_EQ(window.Label1->text(), u"総 受 信 数     ：0\r\nメールBOX残数：0"_s);
    EXPECT_EQ(window.Label7->text(), u"ユーザ："_s);
}

TEST_F(MainWindow, TimerFiresEverySecondFromCreation)
{
    sweep::SystemClock fresh;
    Form1 other(fresh, steps, messages, runner);
    EXPECT_TRUE(other.Timer1->isActive());
    EXPECT_EQ(other.Timer1->interval(), 1000);
    QSignalSpy ticks(other.Timer1, &QTimer::timeout);
    EXPECT_TRUE(ticks.wait(1500));
    EXPECT_EQ(other.Label7->text(), u"ユーザ："_s);
}

TEST_F(MainWindow, ControlsStandWhereTheLayoutPutsThem)
{
    struct Row {
        QWidget* widget;
        QRect twips;
    } rows[] = {
        {window.Label7, {120, 0, 2535, 255}},      {window.Label4, {120, 360, 735, 255}},
        {window.Label2, {900, 360, 1950, 255}},    {window.Label5, {240, 720, 615, 255}},
        {window.Label3, {900, 720, 1950, 255}},    {window.Label1, {360, 1080, 2175, 495}},
        {window.Command1, {120, 1560, 1095, 375}}, {window.Command2, {1560, 1560, 1095, 375}},
    };
    for (const Row& row : rows) {
        const QRect pixels(row.twips.x() / 15, row.twips.y() / 15, row.twips.width() / 15,
                           row.twips.height() / 15);
        EXPECT_EQ(row.widget->geometry(), pixels) << row.widget->objectName().toStdString();
    }
    EXPECT_EQ(window.centralWidget()->size(), QSize(190, 131));
}

TEST_F(MainWindow, DueTimeAndClockShowInFull)
{
    // The widest moment the labels ever show, in the font the program draws with.
    const QString widest = u"2026/12/28 23:59:59"_s;
    for (QLabel* label : {window.Label2, window.Label3}) {
        EXPECT_EQ(QFontInfo(label->font()).family(), u"IPAPGothic"_s);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(widest), label->width());
        EXPECT_LE(label->geometry().right(), window.centralWidget()->width());
    }
}

TEST_F(MainWindow, MenuBarHoldsEveryItemInOrder)
{
    QStringList bar;
    for (QAction* item : window.menuBar()->actions())
        bar.append(item->text());
    EXPECT_EQ(bar, (QStringList{u"受信"_s, u"削除"_s, u"リセット"_s, u"その他"_s}));

    auto captions = [](QMenu* menu) {
        QStringList texts;
        for (QAction* item : menu->actions())
            texts.append(item->text());
        return texts;
    };
    EXPECT_EQ(captions(window.m1),
              (QStringList{u"受信設定の選択"_s, u"受信設定の登録"_s, u"受信設定の編集"_s}));
    EXPECT_EQ(captions(window.del),
              (QStringList{u"アドレスの削除"_s, u"アドレスの追加"_s, u"一覧より削除"_s,
                           u"削除したメール"_s, QString(), u"元に戻す"_s}));
    EXPECT_EQ(captions(window.etc), (QStringList{u"ヘルプ"_s, u"バージョン情報"_s}));
}

TEST_F(MainWindow, StartWithoutAnAccountShowsTheMessageOnceAndGoesIdle)
{
    QTest::mouseClick(window.Command2, Qt::LeftButton);
    EXPECT_EQ(window.controller().state(), sweep::StateSweep);
    for (int i = 0; i < 4; ++i)
        window.onTimer1Timeout();
    EXPECT_EQ(messages.shown, QStringList{u"受信ユーザーが\r\n選択されてません"_s});
    EXPECT_EQ(window.controller().state(), sweep::StateIdle);
    EXPECT_EQ(steps.sweeps, 0);
}

TEST_F(MainWindow, StartStopAndResetDriveTheSweep)
{
    MdlMain::sel_user = u"taro"_s;
    MdlMain::sel_time = qlonglong(60);
    QTest::mouseClick(window.Command2, Qt::LeftButton);
    window.onTimer1Timeout();
    window.onTimer1Timeout();
    EXPECT_EQ(steps.sweeps, 2);
    EXPECT_EQ(window.Label7->text(), u"ユーザ：taro"_s);
    EXPECT_EQ(window.Label1->text(), u"総 受 信 数     ：1\r\nメールBOX残数：1"_s);

    QTest::mouseClick(window.Command1, Qt::LeftButton);
    window.onTimer1Timeout();
    EXPECT_EQ(steps.sweeps, 2);
    EXPECT_EQ(window.Label1->text(), u"総 受 信 数     ：2\r\nメールBOX残数：2"_s);

    window.m7->trigger();
    window.onTimer1Timeout();
    EXPECT_EQ(window.Label1->text(), u"総 受 信 数     ：0\r\nメールBOX残数：0"_s);
    EXPECT_EQ(window.controller().state(), sweep::StateIdle);
}

TEST_F(MainWindow, MenuItemsOpenWhatTheyAreGiven)
{
    EXPECT_FALSE(window.m2->isEnabled()) << "an item without its dialog is disabled";
    int opened = 0;
    window.setOpener(window.m2, [&opened] { ++opened; });
    EXPECT_TRUE(window.m2->isEnabled());
    window.m2->trigger();
    EXPECT_EQ(opened, 1);
}

TEST_F(MainWindow, StatusLineShowsTheLastMailFailure)
{
    window.setStatusLine(u"受信エラー：接続できません"_s);
    EXPECT_EQ(window.statusLine(), u"受信エラー：接続できません"_s);
    window.setStatusLine(QString());
    EXPECT_TRUE(window.statusLine().isEmpty());
    EXPECT_TRUE(window.statusBar()->toolTip().isEmpty());
}

// The status text stays whatever the menus say, shows on two lines, and opens whole (to be
// selected and copied) on a click or on Ctrl+L.
TEST_F(MainWindow, WholeStatusTextStaysAndOpensByClickOrKey)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QString error =
        u"受信エラー：サーバー 127.0.0.1:995 の証明書を確認できません（自己署名の証明書です）。"
        u"サーバーの証明書を信頼できる認証局のものにするか、pop3:// で接続してください。"_s;
    window.setStatusLine(error);
    auto* line = window.findChild<QLabel*>(u"statusLine"_s);
    ASSERT_NE(line, nullptr);
    const QString shown = line->text();
    EXPECT_EQ(shown.count(u'\n'), 1) << "two lines";
    EXPECT_TRUE(shown.endsWith(u'…'));
    EXPECT_TRUE(shown.startsWith(u"受信エラー："_s));
    EXPECT_GE(window.height(), window.centralWidget()->height() + line->height());

    // A menu's status tip reaches the window and changes nothing.
    window.m4->setStatusTip(u"アドレスを削除します"_s);
    window.m4->showStatusText(&window);
    EXPECT_EQ(window.statusLine(), error);
    EXPECT_EQ(line->text(), shown);

    const auto boxText = [&](const std::function<void()>& open) {
        QString text;
        QTimer::singleShot(0, &window, [&text] {
            QWidget* box = QApplication::activeModalWidget();
            if (auto* edit = box ? box->findChild<QPlainTextEdit*>() : nullptr)
                text = edit->toPlainText();
            if (box)
                box->close();
        });
        open();
        return text;
    };
    EXPECT_EQ(boxText([&] { QTest::mouseClick(line, Qt::LeftButton); }), error);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(boxText([&] { QTest::keyClick(&window, Qt::Key_L, Qt::ControlModifier); }), error);
}

// Without an account the line says what to do first; with one, how many were deleted today.
TEST_F(MainWindow, IdleLineSaysWhatToDoThenCountsTodaysDeletions)
{
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto* line = window.findChild<QLabel*>(u"statusLine"_s);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text().remove(u'\n'),
              u"受信 → 受信設定の登録 でアカウントを登録してください"_s);
    QSignalSpy changed(&window, &Form1::deletedTodayChanged);
    int deleted = 3;
    window.setDeletedTodayCounter([&deleted] { return deleted; });
    MdlMain::sel_user = u"taro"_s;
    window.onTimer1Timeout();
    EXPECT_EQ(window.deletedToday(), 3);
    EXPECT_EQ(line->text(), u"今日削除したメール：3 通"_s);
    deleted = 4;
    window.refreshDeletedToday();
    EXPECT_EQ(line->text(), u"今日削除したメール：4 通"_s);
    EXPECT_EQ(changed.size(), 2);
    EXPECT_EQ(changed.last().value(0).toInt(), 4);
}

TEST(PlainText, NeutralisesWhatCouldTurnStretchOrSwellText)
{
    struct Row {
        const char* situation;
        QString text;
        QString line;
        qsizetype limit = app::kLineLimit;
    } rows[] = {
        {"markup stays characters", u"<img src=\"/dev/zero\">"_s, u"<img src=\"/dev/zero\">"_s},
        {"right-to-left override", u"\u202Emoc.knab@ofni <x@evil.jp>"_s,
         u"moc.knab@ofni <x@evil.jp>"_s},
        {"isolates and marks", u"a\u2067b\u2069\u200Fc"_s, u"abc"_s},
        {"line separators and breaks", u"a\u2028b\r\nc\nd\u2029e"_s, u"a b c d e"_s},
        {"control characters", u"a\u0007b\u0000c\u009Bd"_s, u"a b c d"_s},
        {"a lone surrogate", QString(u"a"_s) + QChar(0xD800) + u"b"_s, u"a\uFFFDb"_s},
        {"a pair at the limit stays whole", u"ab😀c"_s, u"ab😀…"_s, 3},
        {"long text is cut", QString(200'000, u'x'), QString(app::kLineLimit, u'x') + u'…'},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation);
        EXPECT_EQ(app::plainLine(row.text, row.limit), row.line);
    }
    EXPECT_EQ(app::plainLines(u"a\r\nb\u2028c\rd"_s), u"a\r\nb c\nd"_s);
    const QString tip = app::plainToolTip(u"<b>x</b>"_s);
    QTextDocument shown;
    shown.setHtml(tip);
    EXPECT_EQ(shown.toPlainText(), u"<b>x</b>"_s);
}

// What a server says reaches the status line and its tooltip; markup in it must show as the
// characters it is, never be rendered (an image, a link, a table as wide as the screen).
TEST_F(MainWindow, ServerTextWithMarkupShowsAsWritten)
{
    const QString text = u"受信エラー：ログインが拒否されました（「<img src=\"/etc/x.png\"> "
                         u"<b>&amp;</b> <a href=\"http://x\">here</a>」）"_s;
    window.setStatusLine(text);
    EXPECT_EQ(window.statusLine(), text);
    // How a tooltip decides: markup when the text looks like it, plain text otherwise.
    const QString tip = window.statusBar()->toolTip();
    QTextDocument shown;
    if (Qt::mightBeRichText(tip))
        shown.setHtml(tip);
    else
        shown.setPlainText(tip);
    EXPECT_EQ(shown.toPlainText(), text);
    EXPECT_FALSE(tip.contains(u"<img"_s));
}

// The message box shows its text as plain characters, whatever they look like.
TEST(QtMessagesBox, ShowsMarkupAsWritten)
{
    QWidget owner;
    app::QtMessages messages(&owner);
    // A server's words can turn text around: the override goes, the markup stays characters.
    const QString text = u"エラーのため停止しました\r\n<b>ファイル「<x>.eml」</b>"_s;
    QString seen;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = box->text();
        format = box->textFormat();
        box->accept();
    });
    messages.showMessage(text + u"\u202E"_s);
    EXPECT_EQ(seen, text);
    EXPECT_EQ(format, Qt::PlainText);
}

} // namespace
