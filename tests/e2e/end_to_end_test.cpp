// The whole program from a user's seat: the main window built as the program builds it, the
// real menu opening the real dialogs, a settings database made by junkbane-initdb, and a real
// Dovecot mailbox swept on the real one-second timer. Results are read where a user would see
// them (the window) and where they matter (the server, by UID; the temporary folder).

#include "user_actions.h"

#include "account_pickers.h"
#include "add_address_dialog.h"
#include "block_list_browser.h"
#include "deleted_mail_dialog.h"
#include "dovecot_fixture.h"
#include "edit_account_dialog.h"
#include "main_window.h"
#include "mdl_main.h"
#include "new_account_dialog.h"
#include "program.h"
#include "recording_messages.h"
#include "settings_fixture.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const QStringList& texts, std::ostream* out)
{
    *out << '{' << texts.join(u" | "_s).toStdString() << '}';
}

namespace {

// The program as its main() builds it. Two things differ: message boxes are recorded instead
// of shown, and the mail library trusts the test server's own certificate authority.
struct Program {
    explicit Program(const QString& caFile) : program(messages, mail::PopOptions{.caFile = caFile})
    {
        program.window().show();
    }

    RecordingMessages messages;
    app::Program program;
};

// A plain text message from the given sender.
QByteArray textMessage(const QByteArray& from, const QByteArray& tag)
{
    return "From: " + from + "\r\nTo: sweeper@example.test\r\nSubject: " + tag +
           "\r\nMessage-ID: <" + tag +
           "@example.test>\r\nDate: Mon, 1 Jan 2024 10:00:00 +0900\r\n"
           "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nHello.\r\n";
}

// A message with one attached file, which the fetch saves beside the message in temp/.
QByteArray messageWithFile(const QByteArray& from, const QByteArray& tag, const QByteArray& name,
                           const QByteArray& type)
{
    return "From: " + from + "\r\nTo: sweeper@example.test\r\nSubject: " + tag +
           "\r\nMessage-ID: <" + tag +
           "@example.test>\r\nMIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=cut\r\n\r\n--cut\r\n"
           "Content-Type: text/plain\r\n\r\nSee the file.\r\n--cut\r\nContent-Type: " +
           type + "; name=" + name + "\r\nContent-Disposition: attachment; filename=" + name +
           "\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
           QByteArray("file contents of " + name).toBase64() + "\r\n--cut--\r\n";
}

// The moment a label shows, in the form the window writes it; invalid when it is not one.
QDateTime shownMoment(QString text)
{
    if (text.endsWith(u"\r\n"_s))
        text.chop(2);
    return QDateTime::fromString(text, u"yyyy/MM/dd H:mm:ss"_s);
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearSelected();
        ASSERT_NO_THROW(server.start()) << "the test's Dovecot did not start";
        program = std::make_unique<Program>(server.caFile());
    }

    void TearDown() override
    {
        program.reset();
        clearSelected();
    }

    static void clearSelected()
    {
        MdlMain::sel_server = MdlMain::sel_user = MdlMain::sel_pass = MdlMain::sel_time =
            MdlMain::sel_id = QVariant();
    }

    Form1& window() { return program->program.window(); }

    // 受信 → 受信設定の登録: fill in the four boxes, press この内容で作成.
    void registerAccount(const QString& serverText, const QString& user, const QString& pass,
                         const QString& interval)
    {
        e2e::whenInFront<Form2>([=](Form2& dialog) {
            EXPECT_EQ(dialog.windowTitle(), u"受信設定ファイルの新規登録"_s);
            e2e::typeInto(dialog.Text1, serverText);
            e2e::typeInto(dialog.Text2, user);
            e2e::typeInto(dialog.Text3, pass);
            e2e::typeInto(dialog.Text4, interval);
            e2e::press(dialog.Command1);
        });
        window().m2->trigger();
        EXPECT_TRUE(program->messages.shown.isEmpty())
            << program->messages.shown.join(u"/"_s).toStdString();
    }

    // 削除 → アドレスの追加: type the entry, press 登　録.
    void addBlockEntry(const QString& entry)
    {
        e2e::whenInFront<dialogs::Form3>([=](dialogs::Form3& dialog) {
            EXPECT_EQ(dialog.windowTitle(), u"削除アドレスの追加"_s);
            e2e::typeInto(dialog.Text1, entry);
            e2e::press(dialog.Command1);
        });
        window().m3->trigger();
        EXPECT_TRUE(program->messages.shown.isEmpty())
            << program->messages.shown.join(u"/"_s).toStdString();
    }

    // 削除 → 一覧より削除: read the list, leave with Escape (deleting nothing).
    QStringList blockListShown()
    {
        auto shown = std::make_shared<QStringList>();
        e2e::whenInFront<dialogs::Form5>([shown](dialogs::Form5& browser) {
            *shown = e2e::entries(browser.List1);
            QTest::keyClick(&browser, Qt::Key_Escape);
        });
        window().m5->trigger();
        return *shown;
    }

    // 削除 → 削除したメール: the senders listed, newest first; leave with Escape.
    QStringList deletedMailSenders()
    {
        auto shown = std::make_shared<QStringList>();
        e2e::whenInFront<dialogs::DeletedMailDialog>([shown](dialogs::DeletedMailDialog& dialog) {
            for (int row = 0; row < dialog.List1->topLevelItemCount(); ++row)
                *shown << dialog.List1->topLevelItem(row)->text(1);
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        window().m11->trigger();
        return *shown;
    }

    // 受信 → 受信設定の選択: click the user's entry.
    void pickForSweep(const QString& user)
    {
        e2e::whenInFront<Form7>([=](Form7& picker) {
            EXPECT_TRUE(e2e::pickEntry(picker.List1, user))
                << "no entry " << user.toStdString() << " in "
                << e2e::entries(picker.List1).join(u"|"_s).toStdString();
        });
        window().m8->trigger();
    }

    // True once the window waits for the next run: the controller's state is 4 and Label2
    // shows the due time (written by the first waiting tick).
    bool waitingWithDueTime()
    {
        return window().controller().state() == sweep::StateWaiting &&
               !window().Label2->text().isEmpty();
    }

    // Presses 開　始 and lets the real timer run until the window waits for the next run.
    ::testing::AssertionResult sweepUntilWaiting(std::chrono::milliseconds limit)
    {
        e2e::press(window().Command2);
        if (e2e::waitUntil([this] { return waitingWithDueTime(); }, limit))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "not waiting after " << limit.count() << " ms: state "
               << window().controller().state() << ", Label1 "
               << window().Label1->text().toStdString() << ", status line "
               << window().statusLine().toStdString();
    }

    void expectTempFolderEmpty()
    {
        const QStringList left =
            QDir(SettingsFixture::tempFolder())
                .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        EXPECT_TRUE(left.isEmpty()) << "left in temp/: " << left.join(u", "_s).toStdString();
    }

    void expectNoMessageBoxes()
    {
        EXPECT_TRUE(program->messages.shown.isEmpty())
            << program->messages.shown.join(u"/"_s).toStdString();
        EXPECT_TRUE(program->messages.fatal.isEmpty())
            << program->messages.fatal.join(u"/"_s).toStdString();
    }

    SettingsFixture settings;
    mail::DovecotFixture server;
    std::unique_ptr<Program> program;
};

// Six messages, three from blocked senders: an address in angle brackets that an entry holds,
// a bare address equal to an entry in other letter case, and an encoded display name before
// an address in capitals. Three near misses stay: a longer address, a longer bare address, and
// an address whose domain alone is an entry.
TEST_F(EndToEnd, SweepDeletesExactlyTheBlockedMessagesThenWaits)
{
    const QString friendly = server.addMessage(textMessage("Friend <friend@example.org>", "keep1"));
    const QString angle = server.addMessage(textMessage("Junk Seller <junk@bad.example>", "junk1"));
    const QString bare = server.addMessage(textMessage("offers@cheap.example", "junk2"));
    const QString longer = server.addMessage(messageWithFile(
        "Junk Seller <junk@bad.example.net>", "keep2", "report.pdf", "application/pdf"));
    const QString bareLonger = server.addMessage(textMessage("xoffers@cheap.example", "keep3"));
    const QString encoded = server.addMessage(
        messageWithFile("=?UTF-8?B?" + u"安い商品"_s.toUtf8().toBase64() + "?= <JUNK@BAD.EXAMPLE>",
                        "junk3", "offer.png", "image/png"));
    ASSERT_EQ(server.uids(), (QStringList{friendly, angle, bare, longer, bareLonger, encoded}));

    registerAccount(u"127.0.0.1:%1"_s.arg(server.port()), server.user(), server.password(),
                    u"60"_s);
    addBlockEntry(u"junk@bad.example"_s);
    addBlockEntry(u"Offers@Cheap.Example"_s);
    addBlockEntry(u"example.org"_s);
    EXPECT_EQ(blockListShown(),
              (QStringList{u"example.org"_s, u"Offers@Cheap.Example"_s, u"junk@bad.example"_s}));
    EXPECT_EQ(settings.column(u"select addfrom from mymailchk order by id"_s, u"addfrom"_s),
              (QStringList{u"junk@bad.example"_s, u"Offers@Cheap.Example"_s, u"example.org"_s}))
        << "browsing the list deleted an entry";
    pickForSweep(server.user());
    ASSERT_EQ(MdlMain::sel_user.toString(), server.user());

    const qint64 pressedAt = QDateTime::currentSecsSinceEpoch();
    ASSERT_TRUE(sweepUntilWaiting(90s));
    const qint64 waitingAt = QDateTime::currentSecsSinceEpoch();

    EXPECT_EQ(server.uids(), (QStringList{friendly, longer, bareLonger}));
    // Read: 1 for the empty fetch at number 0, then all six; the next number is 4, one past
    // the three messages that stayed.
    EXPECT_EQ(window().Label1->text(), u"総 受 信 数     ：7\r\nメールBOX残数：4"_s);
    EXPECT_EQ(window().controller().counters().recv_count, 7);
    EXPECT_EQ(window().controller().counters().mail_no, 4);
    EXPECT_EQ(window().Label7->text(), u"ユーザ："_s + server.user());
    EXPECT_EQ(window().statusLine(), QString());
    EXPECT_EQ(deletedMailSenders(),
              (QStringList{u"安い商品 <JUNK@BAD.EXAMPLE>"_s, u"offers@cheap.example"_s,
                           u"Junk Seller <junk@bad.example>"_s}));

    const QString dueText = window().Label2->text();
    EXPECT_TRUE(dueText.endsWith(u"\r\n"_s)) << dueText.toStdString();
    const QDateTime due = shownMoment(dueText);
    ASSERT_TRUE(due.isValid()) << dueText.toStdString();
    EXPECT_GE(due.toSecsSinceEpoch(), pressedAt + 60);
    EXPECT_LE(due.toSecsSinceEpoch(), waitingAt + 60);
    const QDateTime clock = shownMoment(window().Label3->text());
    ASSERT_TRUE(clock.isValid()) << window().Label3->text().toStdString();
    EXPECT_GE(clock.toSecsSinceEpoch(), pressedAt);
    EXPECT_LE(clock.toSecsSinceEpoch(), QDateTime::currentSecsSinceEpoch());

    expectTempFolderEmpty();
    expectNoMessageBoxes();
}

// 受信設定の編集 picks the account (so it becomes the one swept) and opens the edit dialog on
// it. The account was registered with a wrong password; the edit corrects it and shortens the
// interval, and the sweep uses both at once, without a new pick. The second run begins at the
// number the first one reached.
TEST_F(EndToEnd, EditedPasswordAndIntervalTakeEffectAtOnce)
{
    const QString junk = server.addMessage(textMessage("Junk <junk@bad.example>", "junk1"));
    const QString kept = server.addMessage(textMessage("Friend <friend@example.org>", "keep1"));
    ASSERT_EQ(server.uids(), (QStringList{junk, kept}));

    registerAccount(u"pop3s://127.0.0.1:1"_s, u"someone"_s, u"secret"_s, u"300"_s);
    const QString serverText = u"pop3s://127.0.0.1:%1"_s.arg(server.pop3sPort());
    const QString user = server.user();
    registerAccount(serverText, user, u"wrong"_s, u"600"_s);
    addBlockEntry(u"junk@bad.example"_s);

    auto editorSeen = std::make_shared<QStringList>();
    const QString password = server.password();
    e2e::whenInFront<Form6>([=](Form6& picker) {
        EXPECT_EQ(e2e::entries(picker.List1), (QStringList{user + u"（"_s + serverText + u"）"_s,
                                                           u"someone（pop3s://127.0.0.1:1）"_s}));
        e2e::whenInFront<Form8>([=](Form8& editor) {
            *editorSeen = {editor.Text1->text(), editor.Text2->text(), editor.Text3->text(),
                           editor.Text4->text()};
            e2e::retype(editor.Text3, password);
            e2e::retype(editor.Text4, u"3"_s);
            EXPECT_EQ(editor.Text4->text(), u"3"_s);
            e2e::press(editor.Command1);
        });
        EXPECT_TRUE(e2e::pickEntry(picker.List1, user));
    });
    window().m6->trigger();

    EXPECT_EQ(*editorSeen, (QStringList{serverText, user, u"wrong"_s, u"600"_s}));
    EXPECT_EQ(settings.column(u"select d_time from cool order by id"_s, u"d_time"_s),
              (QStringList{u"300"_s, u"3"_s}));
    // The pick made it the selected account, and the save of that account updated it.
    EXPECT_EQ(MdlMain::sel_user.toString(), user);
    EXPECT_EQ(MdlMain::sel_server.toString(), serverText);
    EXPECT_EQ(MdlMain::sel_pass.toString(), password);
    ASSERT_EQ(MdlMain::sel_time.toLongLong(), 3);

    const qint64 pressedAt = QDateTime::currentSecsSinceEpoch();
    ASSERT_TRUE(sweepUntilWaiting(60s));
    const qint64 waitingAt = QDateTime::currentSecsSinceEpoch();
    EXPECT_EQ(server.uids(), QStringList{kept});
    EXPECT_EQ(window().Label1->text(), u"総 受 信 数     ：3\r\nメールBOX残数：2"_s);
    const QString firstDue = window().Label2->text();
    const QDateTime due = shownMoment(firstDue);
    ASSERT_TRUE(due.isValid()) << firstDue.toStdString();
    EXPECT_GE(due.toSecsSinceEpoch(), pressedAt + 3);
    EXPECT_LE(due.toSecsSinceEpoch(), waitingAt + 3);

    // Junk that arrives during the wait is taken by the next run, at the number reached.
    const QString late = server.addMessage(textMessage("Junk <junk@bad.example>", "junk2"));
    ASSERT_EQ(server.uids(), (QStringList{kept, late}));
    ASSERT_TRUE(e2e::waitUntil(
        [&] { return waitingWithDueTime() && window().Label2->text() != firstDue; }, 60s))
        << "no second wait; state " << window().controller().state() << ", status line "
        << window().statusLine().toStdString();
    EXPECT_EQ(server.uids(), QStringList{kept});
    EXPECT_EQ(window().Label1->text(), u"総 受 信 数     ：4\r\nメールBOX残数：2"_s);
    EXPECT_EQ(window().Label7->text(), u"ユーザ："_s + user);
    EXPECT_EQ(window().statusLine(), QString());
    expectTempFolderEmpty();
    expectNoMessageBoxes();
}

} // namespace
