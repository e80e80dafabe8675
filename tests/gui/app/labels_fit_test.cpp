// Every window of the program, as the user sees it in the substitute font, in the language
// the environment chooses (ctest runs it under C, Japanese and English): no label or button
// cuts off any of its text at the places and sizes the windows were drawn with; in Japanese
// every text is the program's own, byte for byte; in English no text is left in Japanese.

#include "about_box.h"
#include "account_checks.h"
#include "account_pickers.h"
#include "add_address_dialog.h"
#include "block_list_browser.h"
#include "clock.h"
#include "delete_address_dialog.h"
#include "deleted_mail_dialog.h"
#include "edit_account_dialog.h"
#include "help_command.h"
#include "main_window.h"
#include "mdl_main.h"
#include "new_account_dialog.h"
#include "recording_messages.h"
#include "settings_fixture.h"
#include "step_runner.h"
#include "sweep.h"
#include "ui_language.h"

#include <QCoreApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

class IdleSteps final : public sweep::SweepSteps {
public:
    qint16 mail_koi2(sweep::SweepCounters&, const sweep::Account&) override
    {
        return sweep::StateIdle;
    }
    qint16 mail_koi4(const sweep::SweepCounters&, const sweep::Account&) override
    {
        return sweep::StateIdle;
    }
};

// The rectangle a label's text needs, laid out as the label draws it (its alignment, its own
// line breaks, word wrap when it wraps), against the room it draws in. A final line break
// (the due time has one) adds no line that shows.
void expectWholeText(const QLabel& label, const QString& window)
{
    QString shown = label.text();
    while (shown.endsWith(u'\n') || shown.endsWith(u'\r'))
        shown.chop(1);
    if (shown.isEmpty())
        return;
    const int margin = label.margin();
    const QRect room = label.contentsRect().adjusted(margin, margin, -margin, -margin);
    int flags = static_cast<int>(label.alignment());
    if (label.wordWrap())
        flags |= Qt::TextWordWrap;
    const QRect needed = label.fontMetrics().boundingRect(room, flags, shown);
    EXPECT_TRUE(room.contains(needed))
        << window.toStdString() << ": \"" << label.text().toStdString() << "\" in "
        << QFontInfo(label.font()).family().toStdString() << " " << label.font().pointSizeF()
        << "pt needs " << needed.width() << "x" << needed.height() << " px, has " << room.width()
        << "x" << room.height();
}

// A button's caption in its font, against the button's width less the frame it draws.
void expectWholeCaption(const QPushButton& button, const QString& window)
{
    const int needed = button.fontMetrics().horizontalAdvance(button.text());
    EXPECT_LE(needed, button.width() - 6)
        << window.toStdString() << ": button \"" << button.text().toStdString() << "\" needs "
        << needed << " px, has " << button.width();
}

// The texts a window shows, in the order it makes them: its title, menus, labels, buttons and
// column headings.
QStringList shownTexts(const QWidget& window)
{
    QStringList texts{window.windowTitle()};
    for (const QMenuBar* bar : window.findChildren<QMenuBar*>()) {
        for (const QAction* menu : bar->actions()) {
            texts << menu->text();
            if (menu->menu())
                for (const QAction* item : menu->menu()->actions())
                    texts << item->text();
        }
    }
    for (const QLabel* label : window.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts << label->text();
    for (const QPushButton* button : window.findChildren<QPushButton*>())
        texts << button->text();
    for (const QTreeWidget* tree : window.findChildren<QTreeWidget*>())
        for (int column = 0; column < tree->columnCount(); ++column)
            texts << tree->headerItem()->text(column);
    return texts;
}

// What the windows and their checks showed before the program spoke any other language; in
// Japanese (and under C) they must stay so, byte for byte.
const QStringList kJapaneseTexts = {
    // Form1
    u" Junkbane:Ver.1.0.0"_s, u"受信"_s, u"受信設定の選択"_s, u"受信設定の登録"_s,
    u"受信設定の編集"_s, u"削除"_s, u"アドレスの削除"_s, u"アドレスの追加"_s, u"一覧より削除"_s,
    u"削除したメール"_s, u""_s, u"元に戻す"_s, u"リセット"_s, u"その他"_s, u"ヘルプ"_s,
    u"バージョン情報"_s, u"ユーザ：taro.yamada"_s, u"待機時間"_s, u"2026/12/28 23:59:59\r\n"_s,
    u"カウント"_s, u"2026/12/28 23:59:59"_s, u"総 受 信 数     ：99999\r\nメールBOX残数：99999"_s,
    u"今日削除したメール：0 通"_s, u"停　止"_s, u"開　始"_s,
    // Form2
    u"受信設定ファイルの新規登録"_s, u"受信メール\r\nサーバアドレス"_s, u"ユーザー"_s,
    u"パスワード"_s, u"受信間隔\r\n秒で記載\r\n例）300で5分間隔で受信"_s, u"この内容で作成"_s,
    // Form8
    u"受信設定ファイルの編集"_s, u"受信サーバアドレス"_s, u"ユーザー"_s, u"パスワード"_s,
    u"受信間隔は秒で記載\r\n例）300で5分間隔で受信"_s, u"編　集　終　了"_s,
    // Form6, Form7
    u"一覧から選択"_s, u"受信 → 受信設定の登録 でアカウントを登録してください"_s, u"一覧から選択"_s,
    u"受信 → 受信設定の登録 でアカウントを登録してください"_s,
    // Form3, Form4, Form5
    u"削除アドレスの追加"_s, u"登　録"_s, u"アドレスの削除"_s, u"削　除"_s, u"一覧から削除"_s,
    u"削除 → アドレスの追加 でアドレスを登録してください"_s,
    // frmAbout
    u"Junkbaneのﾊﾞｰｼﾞｮﾝ情報"_s, u"Junkbane"_s, u"ﾊﾞｰｼﾞｮﾝ 1.0.0"_s,
    u"ｱﾌﾟﾘｹｰｼｮﾝの説明\r\n迷惑メールの削除ツールです。\r\n■動作環境\r\nDebian GNU/Linux 12\r\n"
    u"Qt 6.4以上\r\nがインストールされている事\r\n※Debianのパッケージよりインストールしてくださ"
    u"い。\r\n"_s,
    // DeletedMailDialog
    u"削除したメール"_s, u"削除したメールはありません。"_s, u"開く"_s, u"保存"_s, u"削除日時"_s,
    u"差出人"_s, u"件名"_s, u"サイズ"_s,
    // the account checks, the help command
    u"サーバーアドレスが\r\n未記入です"_s, u"ユーザーが\r\n未記入です"_s,
    u"パスワードアドレスが\r\n未記入です"_s, u"待機時間が\r\n未記入です"_s,
    u"待機時間は\r\n半角数字"_s, u"開けるアプリケーション\r\nがありません"_s};

bool hasJapanese(const QString& text)
{
    static const QRegularExpression japanese(u"[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"_s);
    return text.contains(japanese);
}

class EveryWindow : public ::testing::Test {
protected:
    // The language of the environment ctest gives, with the translations the program loads.
    static void SetUpTestSuite()
    {
        language = app::systemUiLanguage();
        const QString why = app::installTranslations(*QCoreApplication::instance(), language,
                                                     QStringLiteral(JUNKBANE_TRANSLATION_FILE));
        ASSERT_TRUE(why.isEmpty()) << why.toStdString();
    }
    static inline app::UiLanguage language = app::UiLanguage::Japanese;
};

TEST(UiLanguage, FollowsTheFirstUiLanguageAndTheCLocale)
{
    using app::UiLanguage;
    const struct {
        const char* locale;
        QStringList uiLanguages;
        UiLanguage expected;
    } cases[] = {
        {"ja_JP.UTF-8", {u"ja-JP"_s, u"ja"_s}, UiLanguage::Japanese},
        {"en_US.UTF-8", {u"en-US"_s, u"en"_s}, UiLanguage::English},
        {"de_DE.UTF-8", {u"de-DE"_s}, UiLanguage::English},
        // LANGUAGE comes first in the UI languages, both ways round.
        {"ja_JP.UTF-8", {u"en"_s, u"ja-JP"_s}, UiLanguage::English},
        {"en_US.UTF-8", {u"ja"_s, u"en-US"_s}, UiLanguage::Japanese},
        // The C locale is the program's own Japanese, whatever LANGUAGE says.
        {"C", {u"en"_s}, UiLanguage::Japanese},
        {"C.UTF-8", {u"C"_s}, UiLanguage::Japanese},
        {"POSIX", {}, UiLanguage::Japanese},
        {"", {u"en-US"_s}, UiLanguage::Japanese},
        // "jam" (Jamaican) is not Japanese.
        {"en_JM.UTF-8", {u"jam-JM"_s}, UiLanguage::English},
    };
    for (const auto& row : cases)
        EXPECT_EQ(app::uiLanguageFor(QString::fromLatin1(row.locale), row.uiLanguages),
                  row.expected)
            << row.locale << " " << row.uiLanguages.join(u' ').toStdString();
}

TEST_F(EveryWindow, EveryTextShowsWholeInTheLanguageOfTheEnvironment)
{
    const SettingsFixture settings;
    RecordingMessages messages;
    const QTemporaryDir deletedMail;

    // The main window after a tick, with the widest texts it shows in use: a user name, the
    // counters at five digits, a due time and a clock late in the year.
    sweep::SystemClock clock;
    IdleSteps steps;
    MdlMain::sel_user = u"taro.yamada"_s;
    sweep::InlineStepRunner runner;
    Form1 main(clock, steps, messages, runner);
    main.Timer1->stop();
    main.onTimer1Timeout();
    MdlMain::sel_user = QVariant();
    main.Label1->setText(QCoreApplication::translate("sweep", "総 受 信 数     ：") +
                         u"99999\r\n"_s + QCoreApplication::translate("sweep", "メールBOX残数：") +
                         u"99999"_s);
    main.Label2->setText(u"2026/12/28 23:59:59\r\n"_s);
    main.Label3->setText(u"2026/12/28 23:59:59"_s);

    const std::pair<QString, std::function<std::unique_ptr<QWidget>()>> dialogs[] = {
        {u"Form2"_s, [&] { return std::make_unique<Form2>(messages, nullptr); }},
        {u"Form8"_s, [&] { return std::make_unique<Form8>(messages, nullptr); }},
        {u"Form6"_s,
         [&] {
             return std::make_unique<Form6>(messages, nullptr, [](QWidget*, sweep::Messages&) {});
         }},
        {u"Form7"_s, [&] { return std::make_unique<Form7>(messages, nullptr); }},
        {u"Form3"_s, [&] { return std::make_unique<dialogs::Form3>(messages, nullptr); }},
        {u"Form4"_s, [&] { return std::make_unique<dialogs::Form4>(messages, nullptr); }},
        {u"Form5"_s, [&] { return std::make_unique<dialogs::Form5>(messages, nullptr); }},
        {u"frmAbout"_s, [] { return std::make_unique<frmAbout>(nullptr); }},
        {u"DeletedMailDialog"_s,
         [&] {
             return std::make_unique<dialogs::DeletedMailDialog>(
                 deletedMail.path(), messages, dialogs::DeletedMailDesktop{}, nullptr);
         }},
    };

    int labels = 0;
    QStringList texts;
    const auto walk = [&](const QWidget& window, const QString& name) {
        for (const QLabel* label : window.findChildren<QLabel*>()) {
            expectWholeText(*label, name);
            ++labels;
        }
        for (const QPushButton* button : window.findChildren<QPushButton*>())
            expectWholeCaption(*button, name);
        texts << shownTexts(window);
    };
    main.show();
    walk(main, u"Form1"_s);
    for (const auto& [name, make] : dialogs) {
        const std::unique_ptr<QWidget> window = make();
        window->show();
        walk(*window, name);
    }
    // Form1 with its status line; Form5, Form6 and Form7 with their empty-list hints; the
    // deleted-mail dialog.
    EXPECT_EQ(labels, 7 + 4 + 4 + 4 + 3 + 1) << "a window's labels were not all walked";
    EXPECT_TRUE(messages.fatal.isEmpty()) << messages.fatal.join(u'\n').toStdString();

    // The message boxes of the account windows and of the help command.
    const std::array<std::array<QString, 4>, 5> refusedFields{{{u""_s, u"u"_s, u"p"_s, u"1"_s},
                                                               {u"s"_s, u""_s, u"p"_s, u"1"_s},
                                                               {u"s"_s, u"u"_s, u""_s, u"1"_s},
                                                               {u"s"_s, u"u"_s, u"p"_s, u""_s},
                                                               {u"s"_s, u"u"_s, u"p"_s, u"3a"_s}}};
    for (const auto& [server, user, pass, interval] : refusedFields)
        texts << dialogs::checkAccountFields(server, user, pass, interval).message;
    messages.shown.clear();
    dialogs::openHelpFile(
        messages, [](const QString&) { return false; }, [](const QUrl&) { return false; });
    texts << messages.shown;

    if (language == app::UiLanguage::Japanese) {
        EXPECT_EQ(texts, kJapaneseTexts) << texts.join(u'|').toStdString();
        EXPECT_TRUE(dialogs::helpFilePath().endsWith(u"/kv.chm"_s));
        // Qt's own dialogs (the file dialog of 保存) speak Japanese too.
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Save As"), u"名前を付けて保存"_s);
    } else {
        ASSERT_EQ(texts.size(), kJapaneseTexts.size());
        for (const QString& text : texts)
            EXPECT_FALSE(hasJapanese(text)) << "left in Japanese: " << text.toStdString();
        EXPECT_TRUE(dialogs::helpFilePath().endsWith(u"/kv_en.chm"_s));
    }
}

} // namespace
