// What the sweep does when the POP3 server misbehaves at one point of one session: the step
// ends within its bound, the temporary folder is empty after every tick, nothing is deleted
// that the sweep had not judged, the state machine goes on as after "nothing fetched" (a failed
// fetch) or "go on sweeping" (a failed delete), no box opens, the status line says what
// happened, and the next sessions sweep the mailbox as if nothing had been.

#include "fault_rig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace faulttest {
namespace {

using namespace Qt::StringLiterals;
using sweeptest::SweepRig;
using sweeptest::TickRun;
using Fault = ScriptedPopServer::Fault;
using Point = ScriptedPopServer::Point;
using Then = ScriptedPopServer::Then;
using Message = ScriptedPopServer::Message;

const QByteArray kJunkUid = "uid-junk-1";
const QByteArray kFriendUid = "uid-friend-2";
constexpr qint64 kTenMegabytes = 10 * 1024 * 1024;
constexpr qint64 kMemoryBoundKb = 100 * 1024;

// Which step meets the fault: the first fetch of message 1 (session 1, tick 3: "SAVE 0" is
// session 0 at tick 1, tick 2 counts the retry) or its first delete (session 2, tick 4).
enum class Step { Save, Delete };

constexpr std::chrono::milliseconds kLoadSlack{2000};

struct Row {
    const char* situation;
    std::vector<Fault> faults{};
    Step step;
    std::chrono::milliseconds atLeast; // a bound had to run out: the tick took this long at least
    std::chrono::milliseconds atMost;  // and ended by then
    bool failure = true;               // the status line reports it
    QStringList says{};                // fragments the status line holds after the faulty tick
    QStringList mustNotSay{};
    int deleAttempts = 1; // "DELE 1" commands the server receives over the whole run
    int judged = 2;       // messages read and judged over the run
    bool retrInFaultSession = true;
    bool committedAnyway = false; // the junk left the server at the faulty tick all the same
    std::function<void(int, std::vector<Message>&)> sessionHook = {};
    // Copies of the junk in deleted/ at the end: one per delete that the server committed, or
    // may have committed (QUIT sent, no reply).
    int kept = 1;
    mail::PopOptions options = shortBounds();
};

QByteArray stuffedJunk()
{
    return dotStuffed(junkMail());
}

QByteArray retrHead()
{
    return "+OK " + QByteArray::number(junkMail().size()) + " octets\r\n";
}

// The UIDL n reply as a bad server gives it: 1 MB of UID.
Fault megabyteUid()
{
    Fault fault{.at = Point::UidlOne, .session = 1, .reply = "+OK 1 "};
    fault.flood = 1024 * 1024;
    fault.tail = "\r\n";
    return fault;
}

std::vector<Row> rows()
{
    const QByteArray junk = stuffedJunk();
    std::vector<Row> r;
    // 1. No greeting at all.
    r.push_back({"accepts and never greets",
                 {{.at = Point::Greeting, .session = 1, .reply = "", .then = Then::Silence}},
                 Step::Save,
                 800ms,
                 2500ms,
                 true,
                 {u"127.0.0.1"_s, u"1 秒"_s}});
    // 2. Silence after a command.
    for (const auto& [name, point] : {std::pair{"greets, then silence after USER", Point::User},
                                      std::pair{"silence after PASS", Point::Pass}}) {
        r.push_back({name,
                     {{.at = point, .session = 1, .reply = "", .then = Then::Silence}},
                     Step::Save,
                     800ms,
                     2500ms,
                     true,
                     {u"1 秒"_s, u"ログイン"_s},
                     {kPass},
                     1,
                     2,
                     false});
    }
    r.push_back({"silence after UIDL n",
                 {{.at = Point::UidlOne, .session = 1, .reply = "", .then = Then::Silence}},
                 Step::Save,
                 800ms,
                 2500ms,
                 true,
                 {u"1 秒"_s},
                 {},
                 1,
                 2,
                 false});
    // 3. The connection drops in the middle of RETR.
    r.push_back({"RETR cut in half, then closed (size announced)",
                 {{.at = Point::Retr,
                   .session = 1,
                   .reply = retrHead() + junk.left(junk.size() / 2),
                   .then = Then::Close}},
                 Step::Save,
                 0ms,
                 1500ms,
                 true,
                 {u"途中"_s}});
    r.push_back({"RETR cut in half, then closed (no size in the reply)",
                 {{.at = Point::Retr,
                   .session = 1,
                   .reply = "+OK\r\n" + junk.left(junk.size() / 2),
                   .then = Then::Close}},
                 Step::Save,
                 0ms,
                 1500ms,
                 true,
                 {u"途中"_s}});
    {
        // Cut after the header block: what arrived reads as a whole message.
        const qsizetype headerEnd = junk.indexOf("\r\n\r\n") + 4;
        r.push_back({"RETR cut after the headers, then closed (no size in the reply)",
                     {{.at = Point::Retr,
                       .session = 1,
                       .reply = "+OK\r\n" + junk.left(headerEnd + 3),
                       .then = Then::Close}},
                     Step::Save,
                     0ms,
                     1500ms,
                     true,
                     {u"途中"_s}});
    }
    // A message that goes on past the size the server announced for it.
    {
        const QByteArray longJunk = dotStuffed(junkMail(QByteArray(60 * 1024, 'x')));
        r.push_back({"RETR past its announced size",
                     {{.at = Point::Retr, .session = 1, .reply = "+OK 100 octets\r\n" + longJunk}},
                     Step::Save,
                     0ms,
                     1500ms,
                     true,
                     {u"知らせた大きさ（100 バイト）"_s}});
    }
    // 4. Garbage instead of +OK / -ERR.
    r.push_back({"garbage greeting",
                 {{.at = Point::Greeting, .session = 1, .reply = "HELLO I AM NOT POP3\r\n"}},
                 Step::Save,
                 0ms,
                 2500ms,
                 true,
                 {u"127.0.0.1"_s}});
    r.push_back({"garbage reply to USER",
                 {{.at = Point::User, .session = 1, .reply = "WHAT?\r\n"}},
                 Step::Save,
                 0ms,
                 2500ms,
                 true,
                 {u"127.0.0.1"_s},
                 {kPass},
                 1,
                 2,
                 false});
    r.push_back(
        {"binary garbage reply to UIDL n",
         {{.at = Point::UidlOne, .session = 1, .reply = QByteArray("\x01\xff\xfe 1 uid\r\n", 11)}},
         Step::Save,
         0ms,
         2500ms,
         true,
         {u"127.0.0.1"_s},
         {},
         1,
         2,
         false});
    // 5. Ten megabytes without a line end.
    {
        Fault greeting{.at = Point::Greeting, .session = 1, .reply = "+OK "};
        greeting.flood = kTenMegabytes;
        greeting.then = Then::Silence;
        // Curl gives up on a reply line past 300 kB at once: no bound needs to run out.
        r.push_back({"10 MB greeting line, then silence",
                     {greeting},
                     Step::Save,
                     0ms,
                     3000ms,
                     true,
                     {u"127.0.0.1"_s}});
        Fault retr{.at = Point::Retr,
                   .session = 1,
                   .reply = "+OK 99999999 octets\r\nFrom: Junk <spam@junk.example>\r\n\r\n"};
        retr.flood = kTenMegabytes;
        retr.then = Then::Silence;
        r.push_back({"10 MB line in the middle of RETR, then silence",
                     {retr},
                     Step::Save,
                     800ms,
                     3500ms,
                     true,
                     {u"127.0.0.1"_s}});
        Fault whole{.at = Point::Retr,
                    .session = 1,
                    .reply = "+OK\r\nFrom: Junk <spam@junk.example>\r\nSubject: long\r\n\r\n"};
        whole.flood = kTenMegabytes;
        whole.tail = "\r\n.\r\n";
        r.push_back({"10 MB line in a message that then ends properly (judged and deleted)",
                     {whole},
                     Step::Save,
                     0ms,
                     4500ms,
                     false,
                     {}});
        r.back().judged = 2; // the long copy is judged blocked and deleted, then the friend
    }
    // 6. The mailbox is locked by another reader.
    r.push_back({"-ERR [IN-USE] at login",
                 {{.at = Point::Pass, .session = 1, .reply = "-ERR [IN-USE] mailbox locked\r\n"}},
                 Step::Save,
                 0ms,
                 1500ms,
                 true,
                 {u"IN-USE"_s},
                 {kPass, u"パスワードを確認"_s},
                 1,
                 2,
                 false});
    // 7. DELE refused.
    r.push_back({"-ERR to DELE of the judged message",
                 {{.at = Point::Dele, .session = 2, .reply = "-ERR cannot delete now\r\n"}},
                 Step::Delete,
                 0ms,
                 1500ms,
                 true,
                 {u"-ERR cannot delete now"_s},
                 {},
                 2,
                 3});
    // 8. Trickling server.
    r.push_back(
        {"RETR body at four bytes a second: the progress bound ends it",
         {{.at = Point::Retr, .session = 1, .reply = retrHead(), .slow = junk, .interval = 250ms}},
         Step::Save,
         1800ms,
         3500ms,
         true,
         {u"2 秒間"_s, u"毎秒 1 KB"_s}});
    // Curl measures a transfer's speed once a second: with a stall bound of one second its
    // own check can end a steady trickle before the first measurement.
    r.back().options.stallTimeout = 2s;
    r.push_back({"greeting at four bytes a second",
                 {{.at = Point::Greeting,
                   .session = 1,
                   .reply = "",
                   .slow = "+OK scripted POP3 server, slowly\r\n",
                   .interval = 250ms}},
                 Step::Save,
                 800ms,
                 2500ms,
                 true,
                 {u"127.0.0.1"_s}});
    // 9. UIDL replies the sweep cannot use.
    r.push_back(
        {"UID of 71 characters",
         {{.at = Point::UidlOne, .session = 1, .reply = "+OK 1 " + QByteArray(71, 'u') + "\r\n"}},
         Step::Save,
         0ms,
         1500ms,
         true,
         {u"UIDL"_s},
         {},
         1,
         2,
         false});
    r.push_back({"UID of 1 MB",
                 {megabyteUid()},
                 Step::Save,
                 0ms,
                 2500ms,
                 true,
                 {u"127.0.0.1"_s},
                 {},
                 1,
                 2,
                 false});
    r.push_back({"UIDL not supported (-ERR), LIST still answers",
                 {{.at = Point::UidlOne, .session = 1, .reply = "-ERR unknown command\r\n"},
                  {.at = Point::UidlAll, .session = 1, .reply = "-ERR unknown command\r\n"}},
                 Step::Save,
                 0ms,
                 1500ms,
                 true,
                 {u"UIDL"_s},
                 {},
                 1,
                 2,
                 false});
    r.push_back({"UIDL reply about another message number",
                 {{.at = Point::UidlOne, .session = 1, .reply = "+OK 2 " + kFriendUid + "\r\n"}},
                 Step::Save,
                 0ms,
                 1500ms,
                 true,
                 {u"UIDL"_s},
                 {},
                 1,
                 2,
                 false});
    // 10. The server reassigns UIDs between the judgement and the delete.
    r.push_back({"UIDs reassigned between SAVE and DELE",
                 {},
                 Step::Delete,
                 0ms,
                 1500ms,
                 false,
                 {},
                 {},
                 1,
                 3,
                 true,
                 false,
                 [](int session, std::vector<Message>& box) {
                     if (session == 2) {
                         for (Message& m : box)
                             m.uid += "-renumbered";
                     }
                 }});
    // 11. The deletion is accepted but never committed.
    r.push_back({"DELE +OK, then the connection drops before QUIT",
                 {{.at = Point::Dele, .session = 2, .then = Then::Close}},
                 Step::Delete,
                 0ms,
                 2500ms,
                 true,
                 {u"QUIT"_s},
                 {},
                 2,
                 3});
    r.back().kept = 2; // QUIT went out before the close was seen: it may have been read
    r.push_back({"QUIT read, then closed without a reply, nothing committed",
                 {{.at = Point::Quit, .session = 2, .reply = "", .then = Then::Close}},
                 Step::Delete,
                 0ms,
                 2500ms,
                 true,
                 {u"QUIT"_s},
                 {},
                 2,
                 3});
    r.back().kept = 2; // the sweep cannot know that nothing was committed
    r.push_back(
        {"QUIT commits but its reply is lost",
         {{.at = Point::Quit, .session = 2, .reply = "", .then = Then::Close, .commit = true}},
         Step::Delete,
         0ms,
         2500ms,
         true,
         {u"QUIT"_s},
         {},
         1,
         2,
         true,
         true});
    r.push_back({"-ERR to QUIT, nothing committed",
                 {{.at = Point::Quit,
                   .session = 2,
                   .reply = "-ERR some deleted messages not removed\r\n",
                   .then = Then::Close}},
                 Step::Delete,
                 0ms,
                 2500ms,
                 true,
                 {u"QUIT"_s},
                 {},
                 2,
                 3});
    return r;
}

// What the test saw right after the faulty tick.
struct AtFault {
    QString statusLine;
    qint64 recvCountBefore = -1;
    qint64 recvCountAfter = -1;
    qint64 peakGrowthKb = 0;
    QList<QByteArray> uids;
    std::chrono::milliseconds took{0};
};

// One row: a fresh server, database and sweep, one run from start to the wait.
AtFault sweepThrough(const Row& row)
{
    AtFault at;
    {
        ScriptedPopServer server;
        server.setMailbox({{kJunkUid, junkMail()}, {kFriendUid, friendMail()}});
        server.setFaults(row.faults);
        if (row.sessionHook)
            server.setSessionHook(row.sessionHook);

        SweepRig rig(row.options);
        rig.block({kBlockedEntry});
        SweepRig::selectAccount(accountServer(server), kUser, kPass);
        const int faultTick = row.step == Step::Save ? 3 : 4;
        const int faultSession = row.step == Step::Save ? 1 : 2;

        std::optional<MemoryWatch> memory;
        rig.controller.start();
        const TickRun run = rig.runUntilWaiting(30, [&](int tick) {
            if (tick == faultTick - 1) {
                at.recvCountBefore = rig.controller.counters().recv_count;
                memory.emplace();
            } else if (tick == faultTick) {
                at.peakGrowthKb = memory ? memory->peakGrowthKb() : 0;
                at.statusLine = rig.statusLine;
                at.recvCountAfter = rig.controller.counters().recv_count;
                at.uids = server.uids();
            }
        });

        // The program goes on: no box, no stop, and the run ends waiting for the interval.
        EXPECT_TRUE(run.ended);
        if (run.states.size() < static_cast<size_t>(faultTick)) {
            ADD_FAILURE() << "the run ended before the faulty tick";
            return at;
        }
        EXPECT_EQ(run.states.back(), sweep::StateWaiting);
        EXPECT_EQ(std::count(run.states.begin(), run.states.end(), sweep::StateIdle), 0);
        EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.shown.join(u' ').toStdString();
        EXPECT_TRUE(rig.messages.fatal.isEmpty());
        // A failed fetch counts as "nothing fetched", a failed delete as "go on sweeping".
        const qint16 afterFault = row.step == Step::Delete ? sweep::StateSweep
                                  : row.failure            ? sweep::StateNothingFetched
                                                           : sweep::StateDeletePending;
        EXPECT_EQ(run.states[static_cast<size_t>(faultTick - 1)], afterFault);

        // The step ended within its bound, and the bound (not luck) ended it.
        const auto took = run.durations[static_cast<size_t>(faultTick - 1)];
        at.took = took;
        EXPECT_GE(took, row.atLeast) << took.count() << " ms";
        // The bounds are 1-3 s; a loaded machine (the sanitizer build, other servers of the
        // suite) may add to any tick, never the minutes of a hang.
        EXPECT_LE(took, row.atMost + kLoadSlack) << took.count() << " ms";
        EXPECT_LE(run.longest(), 4500ms + kLoadSlack);
        EXPECT_LT(at.peakGrowthKb, kMemoryBoundKb) << at.peakGrowthKb << " kB";

        // The temporary folder is empty after every tick.
        EXPECT_TRUE(run.leftovers.isEmpty()) << run.leftovers.join(u"; "_s).toStdString();

        // What the status line said right after the fault.
        const std::string shown = at.statusLine.toStdString();
        if (row.failure) {
            EXPECT_TRUE(at.statusLine.startsWith(kFailurePrefix)) << shown;
            EXPECT_GT(at.statusLine.size(), kFailurePrefix.size() + 10) << shown;
        } else {
            EXPECT_FALSE(at.statusLine.startsWith(kFailurePrefix)) << shown;
        }
        for (const QString& fragment : row.says)
            EXPECT_TRUE(at.statusLine.contains(fragment))
                << shown << " lacks " << fragment.toStdString();
        for (const QString& fragment : row.mustNotSay)
            EXPECT_FALSE(at.statusLine.contains(fragment))
                << shown << " holds " << fragment.toStdString();
        EXPECT_FALSE(at.statusLine.contains(kPass)) << shown;
        // The last call of the run (the fetch past the end) worked: the line is cleared.
        EXPECT_TRUE(rig.statusLine.isEmpty()) << rig.statusLine.toStdString();

        // A failed fetch judged nothing; a failed delete left the message on the server.
        if (row.step == Step::Save && row.failure) {
            EXPECT_EQ(at.recvCountAfter, at.recvCountBefore);
        }
        if (!row.committedAnyway) {
            EXPECT_EQ(at.uids.size(), 2) << "the junk left the server at the faulty tick";
        }

        // The server saw "DELE 1" exactly as often as the message was judged and deleted, and no
        // other DELE; in the end only the friend's message is there.
        EXPECT_EQ(server.count("DELE 1"), row.deleAttempts);
        EXPECT_EQ(server.commandsStartingWith("DELE").size(), row.deleAttempts)
            << server.commandsStartingWith("DELE").join(' ').toStdString();
        const std::vector<Message> left = server.mailbox();
        EXPECT_EQ(left.size(), 1u);
        EXPECT_TRUE(!left.empty() && left.back().content == friendMail());
        EXPECT_EQ(rig.controller.counters().recv_count, 1 + row.judged);
        EXPECT_EQ(rig.controller.counters().mail_no, 2);
        const QList<QByteArray> kept = SweepRig::keptMessages();
        EXPECT_EQ(kept.size(), row.kept);
        for (const QByteArray& message : kept)
            EXPECT_TRUE(message.startsWith("From: Junk <spam@junk.example>\r\n"));
        EXPECT_TRUE(SweepRig::pendingCopies().isEmpty());

        if (!row.retrInFaultSession) {
            for (const ScriptedPopServer::Received& command : server.received()) {
                EXPECT_FALSE(command.session == faultSession && command.line.startsWith("RETR"))
                    << "RETR sent after a faulty exchange";
            }
        }
    }
    return at;
}

TEST(SweepServerFaults, eachFaultEndsInTimeDeletesOnlyTheJudgedMessageAndTheSweepGoesOn)
{
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.situation);
        const auto begun = std::chrono::steady_clock::now();
        const AtFault at = sweepThrough(row);
        // The table of outcomes: situation, the faulty tick, the whole row, the peak memory growth
        // during the faulty tick, the status line.
        std::printf("| %s | %lld ms | %lld ms | %lld kB | %s |\n", row.situation,
                    static_cast<long long>(at.took.count()),
                    static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                               std::chrono::steady_clock::now() - begun)
                                               .count()),
                    static_cast<long long>(at.peakGrowthKb), at.statusLine.toStdString().c_str());
    }
}

// A server that hands out new UIDs in every session never lets the judged message be found
// again: after three deletes that found nothing, the sweep stops with one box that says why,
// having deleted nothing and left no file behind.
TEST(SweepServerFaults, uidsThatChangeInEverySessionStopTheSweepWithoutADelete)
{
    ScriptedPopServer server;
    server.setMailbox({{kJunkUid, junkMail()}, {kFriendUid, friendMail()}});
    server.setSessionHook([](int session, std::vector<Message>& box) {
        for (Message& m : box)
            m.uid = m.uid.left(m.uid.indexOf('#') < 0 ? m.uid.size() : m.uid.indexOf('#')) + '#' +
                    QByteArray::number(session);
    });
    SweepRig rig(shortBounds());
    rig.block({kBlockedEntry});
    SweepRig::selectAccount(accountServer(server), kUser, kPass);
    rig.controller.start();
    const TickRun run = rig.runUntilWaiting(20);

    EXPECT_TRUE(server.commandsStartingWith("DELE").isEmpty())
        << server.commandsStartingWith("DELE").join(' ').toStdString();
    EXPECT_EQ(server.mailbox().size(), 2u);
    EXPECT_TRUE(run.leftovers.isEmpty()) << run.leftovers.join(u"; "_s).toStdString();
    ASSERT_EQ(rig.messages.shown.size(), 1) << rig.messages.shown.join(u' ').toStdString();
    EXPECT_TRUE(rig.messages.shown.front().startsWith(u"エラーのため停止しました\r\n"_s));
    EXPECT_TRUE(rig.messages.shown.front().contains(u"固有 ID"_s))
        << rig.messages.shown.front().toStdString();
    EXPECT_EQ(rig.controller.state(), sweep::StateIdle);
    // Each delete tick looked the message up in the full listing and gave up: three of them.
    EXPECT_EQ(server.count("UIDL"), 3);
}

// A server that never ends a message is stopped at the size no mail has, well within the
// call's bound: the partial file is removed, nothing is judged or deleted, the sweep goes on.
TEST(SweepServerFaults, aMessageThatNeverEndsIsStoppedAtTheLargestSize)
{
    ScriptedPopServer server;
    server.setMailbox({{kJunkUid, junkMail()}, {kFriendUid, friendMail()}});
    Fault endless{
        .at = Point::Retr, .session = 1, .reply = "+OK\r\nFrom: <spam@junk.example>\r\n\r\n"};
    endless.flood = 64 * 1024 * 1024;
    endless.then = Then::Silence;
    server.setFaults({endless});
    mail::PopOptions options = shortBounds();
    options.progressWindow = 20s; // the size, not the rate, must end it
    options.largestMessage = 4 * 1024 * 1024;
    SweepRig rig(options);
    rig.block({kBlockedEntry});
    SweepRig::selectAccount(accountServer(server), kUser, kPass);
    rig.controller.start();

    QStringList statusLines;
    const TickRun run = rig.runUntilWaiting(12, [&](int) { statusLines << rig.statusLine; });
    ASSERT_TRUE(run.ended);
    EXPECT_LT(run.longest(), 10s);
    EXPECT_TRUE(run.leftovers.isEmpty()) << run.leftovers.join(u"; "_s).toStdString();
    EXPECT_TRUE(rig.messages.shown.isEmpty());
    const auto stopped = [](const QString& line) {
        return line.startsWith(kFailurePrefix + u"サーバー 127.0.0.1:"_s) &&
               line.contains(u"メッセージ 1 が 4 MB を超えても終わらない"_s);
    };
    EXPECT_TRUE(std::any_of(statusLines.begin(), statusLines.end(), stopped))
        << statusLines.join(u"\n"_s).toStdString();
    EXPECT_TRUE(statusLines.back().isEmpty()) << statusLines.back().toStdString();
    // The junk is judged and deleted in a later session; the friend stays.
    EXPECT_EQ(server.uids(), QList<QByteArray>{kFriendUid});
}

} // namespace
} // namespace faulttest
