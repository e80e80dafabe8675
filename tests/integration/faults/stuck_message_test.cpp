// Messages that would hold the sweep on one number for ever, on a scripted server: a fetch or a
// delete that never succeeds, a UID the server gives twice, a message that trickles in. Over
// whole runs (the controller waits, the clock passes the due time, the next run begins) the
// sweep passes such a message over, deletes the junk behind it and nothing else, and the status
// line says what happened; a trickle at a reasonable rate is simply judged.

#include "fault_rig.h"

#include <gtest/gtest.h>

#include <QFile>

#include <algorithm>

#include <sys/mount.h>

namespace faulttest {
namespace {

using namespace Qt::StringLiterals;
using sweeptest::SweepRig;
using sweeptest::TickRun;
using Fault = ScriptedPopServer::Fault;
using Point = ScriptedPopServer::Point;
using Then = ScriptedPopServer::Then;
using Message = ScriptedPopServer::Message;

QByteArray bigFriendMail(qsizetype bytes)
{
    QByteArray mail = friendMail();
    const QByteArray line = "A long letter from a friend, sent over a slow line.\r\n";
    while (mail.size() < bytes)
        mail += line;
    return mail;
}

// The RETR reply for message content, sent slowly: by default 1 KB every 100 ms, about
// 10 KB a second.
Fault trickle(const QByteArray& uid, const QByteArray& content,
              std::chrono::milliseconds interval = std::chrono::milliseconds(100))
{
    Fault fault{.at = Point::Retr,
                .reply = "+OK " + QByteArray::number(content.size()) + " octets\r\n",
                .slow = dotStuffed(content)};
    fault.chunk = 1024;
    fault.interval = interval;
    fault.uid = uid;
    return fault;
}

// A RETR that announces 2000 octets and then goes on far past them, at 40 KB a second: well
// above any rate bound, and with no end in sight.
Fault endless(const QByteArray& uid)
{
    Fault fault{.at = Point::Retr,
                .reply = "+OK 2000 octets\r\nFrom: Someone <someone@example.org>\r\n\r\n",
                .then = Then::Close};
    fault.slow = QByteArray(1024 * 1024, 'y');
    fault.chunk = 4096;
    fault.interval = std::chrono::milliseconds(100);
    fault.uid = uid;
    return fault;
}

mail::PopOptions progressOf(qint64 bytesPerSecond)
{
    mail::PopOptions options = shortBounds();
    options.progressRate = bytesPerSecond;
    options.progressWindow = 1s;
    // Curl measures a transfer's speed once a second: a stall bound of one second can end a
    // steady trickle before its first measurement.
    options.stallTimeout = 2s;
    return options;
}

struct Row {
    const char* situation;
    std::vector<Message> mailbox;
    std::vector<Fault> faults;
    int runs;               // the runs it takes: the start, then one after each wait
    QList<QByteArray> left; // UIDs on the server in the end
    int deletes;            // DELE commands the server received
    QStringList said;       // fragments the status line held at some tick, each of them
    mail::PopOptions options = shortBounds();
    std::function<void(int, std::vector<Message>&)> hook = {};
};

std::vector<Row> rows()
{
    const QByteArray half = dotStuffed(friendMail()).left(40);
    const QByteArray big = bigFriendMail(1536 * 1024);
    const QByteArray slow = bigFriendMail(30 * 1024);
    Fault refused{.at = Point::Retr, .reply = "-ERR message is locked\r\n"};
    refused.uid = "uid-stuck";
    Fault stalled{.at = Point::Retr, .reply = "+OK\r\n" + half, .then = Then::Silence};
    stalled.uid = "uid-stuck";
    Fault deleteRefused{.at = Point::Dele, .reply = "-ERR mailbox is read-only\r\n"};
    deleteRefused.uid = "uid-junk";
    const Message stuck{"uid-stuck", friendMail()};
    const Message junk{"uid-junk", junkMail()};
    const Message friendly{"uid-friend", friendMail()};
    return {
        {"RETR refused for ever",
         {stuck, junk, friendly},
         {refused},
         4,
         {"uid-stuck", "uid-friend"},
         1,
         {u"受信を断りました（「-ERR message is locked」）"_s,
          u"受信エラー：メッセージ 1（固有 ID「uid-stuck」）は 9 回続けて受信できなかった"_s}},
        {"RETR stalls half way for ever",
         {stuck, junk, friendly},
         {stalled},
         4,
         {"uid-stuck", "uid-friend"},
         1,
         {u"1 秒間応答がありません"_s, u"（固有 ID「uid-stuck」）は 9 回続けて"_s}},
        {"DELE refused for ever",
         {junk, friendly},
         {deleteRefused},
         1,
         {"uid-junk", "uid-friend"},
         3,
         {u"削除を断りました（「-ERR mailbox is read-only」）"_s,
          u"受信エラー：メッセージ 1（固有 ID「uid-junk」）は 3 回続けて削除できなかった"_s}},
        {"QUIT refused, so no delete is ever committed",
         {junk, friendly},
         {{.at = Point::Quit, .reply = "-ERR not removed\r\n", .then = Then::Close}},
         1,
         {"uid-junk", "uid-friend"},
         3,
         {u"QUIT"_s, u"（固有 ID「uid-junk」）は 3 回続けて削除できなかった"_s}},
        {"one UID at two numbers",
         {{"uid-twin", junkMail()}, {"uid-twin", friendMail()}},
         {},
         1,
         {"uid-twin", "uid-twin"},
         0,
         {u"固有 ID「uid-twin」が 2 件のメッセージ（番号 1、2）"_s,
          u"（固有 ID「uid-twin」）は 3 回続けて削除できなかった"_s}},
        {"one UID at two numbers, and another reader renumbers before the delete",
         {{"uid-other", friendMail()}, {"uid-twin", junkMail()}, {"uid-twin", friendMail()}},
         {},
         1,
         {"uid-twin", "uid-twin"},
         0,
         {u"固有 ID「uid-twin」が 2 件"_s},
         shortBounds(),
         // Session 3 is the first delete (0: SAVE 0, 1 and 2: SAVE 1 and 2).
         [](int session, std::vector<Message>& box) {
             if (session == 3)
                 box.erase(box.begin());
         }},
        {"a RETR that never ends, far above the rate",
         {stuck, junk, friendly},
         {endless("uid-stuck")},
         4,
         {"uid-stuck", "uid-friend"},
         1,
         {u"知らせた大きさ（2000 バイト）を超えても終わらない"_s,
          u"（固有 ID「uid-stuck」）は 9 回続けて受信できなかった"_s}},
        {"a 1.5 MB mail trickling at 10 KB/s where 20 KB/s is asked",
         {{"uid-big", big}, junk},
         {trickle("uid-big", big)},
         4,
         {"uid-big"},
         1,
         {u"1 秒間の平均で毎秒 20 KB を下回った"_s,
          u"メッセージ 1（固有 ID「uid-big」）は 9 回続けて受信できなかった"_s},
         progressOf(20 * 1024)},
    };
}

// Sweeps the row's mailbox for its runs; returns every status line shown.
QStringList sweep(const Row& row, ScriptedPopServer& server, SweepRig& rig)
{
    server.setMailbox(row.mailbox);
    server.setFaults(row.faults);
    if (row.hook)
        server.setSessionHook(row.hook);
    rig.block({kBlockedEntry});
    SweepRig::selectAccount(accountServer(server), kUser, kPass);
    QStringList shown;
    rig.controller.start();
    for (int run = 1; run <= row.runs; ++run) {
        if (run > 1)
            rig.passDueTime();
        const TickRun ticks = rig.runUntilWaiting(60, [&](int) {
            if (shown.isEmpty() || shown.back() != rig.statusLine)
                shown << rig.statusLine;
        });
        EXPECT_TRUE(ticks.ended) << "run " << run;
        EXPECT_TRUE(ticks.leftovers.isEmpty()) << ticks.leftovers.join(u"; "_s).toStdString();
    }
    return shown;
}

// What every stuck message comes to: passed over, the junk behind it deleted, and the status
// line said why.
void expectPassedOver(const Row& row, const ScriptedPopServer& server, const SweepRig& rig,
                      const QStringList& shown)
{
    {
        const std::string lines = shown.join(u"\n"_s).toStdString();

        EXPECT_EQ(server.uids(), row.left);
        EXPECT_EQ(server.commandsStartingWith("DELE").size(), row.deletes);
        EXPECT_EQ(rig.controller.state(), sweep::StateWaiting);
        EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.shown.join(u' ').toStdString();
        for (const QString& fragment : row.said) {
            EXPECT_TRUE(std::any_of(shown.begin(), shown.end(),
                                    [&](const QString& line) {
                                        return line.startsWith(kFailurePrefix) &&
                                               line.contains(fragment);
                                    }))
                << fragment.toStdString() << " never shown in:\n"
                << lines;
        }
        EXPECT_FALSE(rig.statusLine.contains(kPass));
    }
}

TEST(StuckMessage, isPassedOverAndTheJunkBehindItDeleted)
{
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.situation);
        ScriptedPopServer server;
        SweepRig rig(row.options);
        expectPassedOver(row, server, rig, sweep(row, server, rig));
    }
}

// A full disk: temp/ is a small file system of its own, too small for the first message. It
// cannot be written however often it comes, so it is passed over like one the server keeps
// failing, and the junk behind it (small enough) is deleted. Mounting needs root.
TEST(StuckMessage, aMessageThatCannotBeWrittenIsPassedOver)
{
    ScriptedPopServer server;
    SweepRig rig(shortBounds());
    const QByteArray temp = QFile::encodeName(SettingsFixture::tempFolder());
    if (::mount("tmpfs", temp.constData(), "tmpfs", 0, "size=64k,mode=0700") != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    struct Unmount {
        QByteArray where;
        ~Unmount() { ::umount2(where.constData(), MNT_DETACH); }
    } unmount{temp};
    const Row row{"a full temp/",
                  {{"uid-big", bigFriendMail(256 * 1024)},
                   {"uid-junk", junkMail()},
                   {"uid-friend", friendMail()}},
                  {},
                  4,
                  {"uid-big", "uid-friend"},
                  1,
                  {u"書き込めません"_s, u"（固有 ID「uid-big」）は 9 回続けて受信できなかった"_s}};
    expectPassedOver(row, server, rig, sweep(row, server, rig));
    EXPECT_EQ(server.count("RETR 1"), 9);
}

// The other side of the progress bound: a message that comes in at the rate asked or faster
// is judged and kept, and the junk behind it deleted in the same run: 10 KB/s where 1 KB/s is
// asked, for three times the progress window, and exactly 1 KB/s, in one burst a second.
TEST(StuckMessage, aSlowLineAtTheRateOrAboveStillGetsItsMailJudged)
{
    struct Rate {
        const char* situation;
        qsizetype bytes;
        std::chrono::milliseconds interval; // between bursts of 1 KB
        std::chrono::seconds window;
    } rates[] = {
        {"10 KB/s", 30 * 1024, std::chrono::milliseconds(100), 1s},
        {"exactly 1 KB/s in one-second bursts", 9 * 1024, std::chrono::milliseconds(1000), 4s},
    };
    for (const Rate& rate : rates) {
        SCOPED_TRACE(rate.situation);
        ScriptedPopServer server;
        mail::PopOptions options = progressOf(1024);
        options.progressWindow = rate.window;
        QStringList progress; // what the status line showed while the message came in
        options.progress = [&](const QString& text) { progress << text; };
        SweepRig rig(options);
        const QByteArray slow = bigFriendMail(rate.bytes);
        const Row row{rate.situation,
                      {{"uid-slow", slow}, {"uid-junk", junkMail()}},
                      {trickle("uid-slow", slow, rate.interval)},
                      1,
                      {"uid-slow"},
                      1,
                      {}};
        const QStringList shown = sweep(row, server, rig);

        EXPECT_EQ(server.uids(), row.left);
        EXPECT_EQ(rig.controller.counters().recv_count, 3); // 1 for the start, then both mails
        EXPECT_EQ(rig.controller.state(), sweep::StateWaiting);
        EXPECT_TRUE(std::none_of(shown.begin(), shown.end(), [](const QString& line) {
            return !line.isEmpty();
        })) << shown.join(u"\n"_s).toStdString();
        // Past three seconds, the fetch says how far it has come, once a second.
        const qsizetype seconds = slow.size() / 1024 * rate.interval.count() / 1000;
        EXPECT_LE(std::abs(progress.size() - std::max<qsizetype>(0, seconds - 3)), 2)
            << progress.join(u"\n"_s).toStdString();
        const QString total = u" / %1 KB）"_s.arg(slow.size() / 1024);
        EXPECT_TRUE(std::all_of(progress.begin(), progress.end(), [&](const QString& line) {
            return line.startsWith(u"受信中：サーバー 127.0.0.1:"_s) && line.contains(total);
        })) << progress.join(u"\n"_s).toStdString();
    }
}

} // namespace
} // namespace faulttest
