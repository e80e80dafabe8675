// The steps on the program's worker thread, against a scripted server that holds a transfer
// open: stop and reset end the fetch or the delete in progress within a quarter of a second,
// nothing is judged or deleted (a DELE without its QUIT commits nothing), the temporary
// folder is empty and the sweep is idle; closing the window does the same within a second;
// and a writer holding the settings database does not fail the step that reads it.

#include "fault_rig.h"
#include "main_window.h"
#include "statements.h"
#include "step_runner.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace faulttest {
namespace {

using namespace Qt::StringLiterals;
using sweeptest::FakeClock;
using sweeptest::NoLabels;
using sweeptest::SweepRig;
using Fault = ScriptedPopServer::Fault;
using Point = ScriptedPopServer::Point;
using Then = ScriptedPopServer::Then;

const QByteArray kJunkUid = "uid-junk-1";

// The sweep as Program builds it: real steps and mail library on a ThreadStepRunner, sharing
// one cancel flag with the controller. Ticks are driven by hand.
struct WorkerSweep {
    explicit WorkerSweep(const ScriptedPopServer& server)
        : library(withCancel(shortBounds(), cancel)),
          sweep(library, {.folder = [] { return SettingsFixture::folder(); },
                          .statusLine = [this](const QString& text) { statusLine = text; },
                          .cancel = cancel}),
          controller(clock, sweep, messages, view, runner, cancel)
    {
        settings.execute(store::SqlBlockInsert(kBlockedEntry));
        SweepRig::selectAccount(accountServer(server), kUser, kPass);
    }
    ~WorkerSweep() { SweepRig::selectAccount({}, {}, {}); }

    static mail::PopOptions withCancel(mail::PopOptions options,
                                       std::shared_ptr<mail::CancelFlag> flag)
    {
        options.stallTimeout = 5s;
        options.deleteTimeout = 30s;
        options.cancel = std::move(flag);
        return options;
    }

    // One tick, then the step it started run out on the worker.
    void tickAndWait()
    {
        controller.tick();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !controller.stepRunning(); }, 20000));
    }
    // Ticks until a step is out on the worker and the server holds it.
    void tickIntoStep(int ticksBefore, const std::function<bool()>& held)
    {
        for (int i = 0; i < ticksBefore; ++i)
            tickAndWait();
        controller.tick();
        ASSERT_TRUE(controller.stepRunning());
        ASSERT_TRUE(QTest::qWaitFor(held, 10000));
        ASSERT_TRUE(controller.stepRunning()) << "the server should still hold the step";
    }
    // How long the controller took to become idle after `click`.
    std::chrono::milliseconds timeToIdle(const std::function<void()>& click)
    {
        QElapsedTimer timer;
        timer.start();
        click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !controller.stepRunning(); }, 5000));
        return std::chrono::milliseconds(timer.elapsed());
    }

    SettingsFixture settings;
    std::shared_ptr<mail::CancelFlag> cancel = std::make_shared<mail::CancelFlag>();
    FakeClock clock;
    RecordingMessages messages;
    NoLabels view;
    mail::PopMailLibrary library;
    sweep::MailboxSweep sweep;
    sweep::ThreadStepRunner runner;
    sweep::SweepController controller;
    QString statusLine;
};

// A junk message whose RETR trickles for seconds, or whose DELE or QUIT is never answered.
Fault slowAt(Point point)
{
    if (point == Point::Quit)
        return Fault{.at = Point::Quit, .session = 2, .reply = "", .then = Then::Silence};
    if (point == Point::Retr) {
        Fault fault{.at = Point::Retr, .session = 1};
        fault.slow = "+OK " + QByteArray::number(junkMail(QByteArray(2000, 'x')).size()) +
                     " octets\r\n" + dotStuffed(junkMail(QByteArray(2000, 'x')));
        fault.chunk = 20;
        fault.interval = 50ms;
        return fault;
    }
    return Fault{.at = Point::Dele, .session = 2, .reply = "", .then = Then::Silence};
}

// The server has received the command it holds unanswered (or answers slowly).
std::function<bool()> heldBy(const ScriptedPopServer& server, Point point)
{
    return [&server, point] {
        switch (point) {
        case Point::Retr:
            return server.count("RETR 1") == 1;
        case Point::Dele:
            return server.count("DELE 1") == 1;
        default: // QUIT of the delete's session, after those of SAVE 0 and SAVE 1
            return server.count("QUIT") == 3;
        }
    };
}

// Closes the window while the delete step waits for the server's reply to held.
void closeDuringHeldDelete(Point held)
{
    ScriptedPopServer server;
    server.setMailbox({{kJunkUid, junkMail(QByteArray(2000, 'x'))}});
    server.setFaults({slowAt(held)});
    WorkerSweep parts(server);
    sweep::ThreadStepRunner runner;
    Form1 window(parts.clock, parts.sweep, parts.messages, runner, parts.cancel);
    window.Timer1->stop();
    window.show();
    window.controller().start();
    for (int i = 0; i < 4; ++i) {
        window.onTimer1Timeout();
        if (i < 3) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return !window.controller().stepRunning(); }, 9000));
        }
    }
    ASSERT_TRUE(QTest::qWaitFor(heldBy(server, held), 10000));
    ASSERT_TRUE(window.controller().stepRunning());

    QElapsedTimer timer;
    timer.start();
    window.close();
    EXPECT_LT(timer.elapsed(), 1000);
    EXPECT_FALSE(window.controller().stepRunning());
    EXPECT_TRUE(SweepRig::tempEntries().isEmpty());
    // Whatever the server makes of a late QUIT now, the scripted one commits nothing.
    EXPECT_EQ(server.uids(), QList<QByteArray>{kJunkUid});
}

TEST(WorkerStep, StopAndResetEndTheTransferAtOnceAndCommitNothing)
{
    struct Row {
        const char* name;
        Point heldAt;
        int ticksBefore; // SAVE 0, the retry, then SAVE 1; the delete after it
        bool reset;
    } rows[] = {
        {"stop during a fetch", Point::Retr, 2, false},
        {"reset during a fetch", Point::Retr, 2, true},
        {"stop during a delete", Point::Dele, 3, false},
        {"reset during a delete", Point::Dele, 3, true},
        // Curl waits for QUIT's reply inside one call, where no flag is looked at.
        {"stop while QUIT's reply is late", Point::Quit, 3, false},
        {"reset while QUIT's reply is late", Point::Quit, 3, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedPopServer server;
        server.setMailbox({{kJunkUid, junkMail(QByteArray(2000, 'x'))}});
        server.setFaults({slowAt(row.heldAt)});
        WorkerSweep rig(server);
        rig.controller.start();
        rig.tickIntoStep(row.ticksBefore, heldBy(server, row.heldAt));

        const auto took =
            rig.timeToIdle([&] { row.reset ? rig.controller.reset() : rig.controller.stop(); });
        EXPECT_LE(took, 250ms);
        EXPECT_EQ(rig.controller.state(), sweep::StateIdle);
        EXPECT_EQ(rig.controller.counters().mail_no, row.reset ? 0 : 1);
        EXPECT_TRUE(SweepRig::tempEntries().isEmpty())
            << SweepRig::tempEntries().join(u", "_s).toStdString();
        EXPECT_TRUE(rig.messages.shown.isEmpty());
        EXPECT_FALSE(rig.statusLine.startsWith(kFailurePrefix)) << rig.statusLine.toStdString();
        // The server saw the connection drop: no (answered) QUIT, so the junk is still there.
        // Nothing more can come from the client; the pause lets a stray QUIT show if one did.
        QTest::qWait(100);
        const int quits = row.heldAt == Point::Retr ? 1 : row.heldAt == Point::Dele ? 2 : 3;
        EXPECT_EQ(server.count("QUIT"), quits)
            << "only the sessions before the held one said QUIT (and the held QUIT itself)";
        EXPECT_EQ(server.uids(), QList<QByteArray>{kJunkUid});

        // Nothing is left half done: a new start sweeps and deletes the junk as usual.
        server.setFaults({});
        rig.controller.start();
        for (int i = 0; i < 6 && !server.uids().isEmpty(); ++i)
            rig.tickAndWait();
        EXPECT_TRUE(server.uids().isEmpty());
    }
}

TEST(WorkerStep, ClosingTheWindowDuringAStepEndsItWithinASecond)
{
    for (const Point held : {Point::Dele, Point::Quit}) {
        SCOPED_TRACE(held == Point::Dele ? "DELE unanswered" : "QUIT unanswered");
        closeDuringHeldDelete(held);
    }
}

// A writer holds the database exclusively for half a second while the step looks the sender
// up: the step waits for it instead of failing with "database is locked".
TEST(WorkerStep, StepReadsTheDatabaseWhileAnotherConnectionWritesIt)
{
    ScriptedPopServer server;
    server.setMailbox({{kJunkUid, junkMail()}});
    WorkerSweep rig(server);
    rig.controller.start();
    rig.tickAndWait(); // SAVE 0
    rig.tickAndWait(); // the retry count

    const auto writer = rig.settings.connect();
    writer->Execute(u"begin exclusive"_s);
    writer->Execute(store::SqlBlockInsert(u"other@junk.example"_s));
    rig.controller.tick(); // SAVE 1: fetches, then waits for the lock to judge
    QTest::qWait(500);
    writer->Execute(u"commit"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !rig.controller.stepRunning(); }, 5000));

    EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.shown.join(u"\n"_s).toStdString();
    EXPECT_EQ(rig.controller.state(), sweep::StateDeletePending);
    rig.tickAndWait();
    EXPECT_TRUE(server.uids().isEmpty());
}

} // namespace
} // namespace faulttest
