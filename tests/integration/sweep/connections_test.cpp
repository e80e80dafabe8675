// How the sweep reaches the server: POP3S, STLS and plain text with the test's own CA, and what
// the main window shows when the server cannot be trusted, refuses the login, is not there or
// never answers. A failed fetch counts as "nothing fetched": the state machine goes on to wait,
// no box opens, nothing is deleted, and the status line says why until a call succeeds.

#include "dovecot_fixture.h"
#include "scripted_pop_server.h"
#include "sweep_rig.h"
#include "test_mail.h"

#include <gtest/gtest.h>

#include <vector>

namespace sweeptest {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

const QString kFailurePrefix = u"受信エラー："_s;

// A mailbox of three: blocked (angle form), legitimate, blocked (bare form).
struct Mailbox {
    QStringList all;
    QString legitimate;
};

Mailbox fillMailbox(mail::DovecotFixture& server)
{
    for (const QString& uid : server.uids())
        server.deleteByUid(uid);
    Mailbox box;
    box.all << server.addMessage(buildMail("Junk <spam@junk.example>", "one"));
    box.legitimate = server.addMessage(buildMail("Friend <friend@legit.example>", "two"));
    box.all << box.legitimate;
    box.all << server.addMessage(buildMail("bare@junk.example", "three"));
    return box;
}

const QStringList kEntries = {u"spam@junk.example"_s, u"bare@junk.example"_s};
const std::vector<bool> kVerdicts = {true, false, true};

// The states of a run in which every fetch fails: "SAVE 0", then number 1 twice.
const std::vector<qint16> kNothingFetched = expectedStates(RunBegins::FromStart, {});

// --- Trust -------------------------------------------------------------------------------

enum class Server { WithTls, WithoutTls };

struct TlsRow {
    const char* situation;
    Server server;
    const char* text; // %1: the plain port, %2: the pop3s port
    bool trustTestCa;
    bool sweeps; // false: refused, nothing deleted
};

const TlsRow kTlsRows[] = {
    {"pop3s:// with the test's CA", Server::WithTls, "pop3s://127.0.0.1:%2", true, true},
    {"bare host and port, STLS, with the test's CA", Server::WithTls, "127.0.0.1:%1", true, true},
    {"pop3:// in plain text", Server::WithTls, "pop3://127.0.0.1:%1", false, true},
    {"pop3:// in plain text to a server without TLS", Server::WithoutTls, "pop3://127.0.0.1:%1",
     false, true},
    {"pop3s:// certificate from an unknown CA", Server::WithTls, "pop3s://127.0.0.1:%2", false,
     false},
    {"STLS certificate from an unknown CA", Server::WithTls, "127.0.0.1:%1", false, false},
    {"bare host on a server that offers no STLS", Server::WithoutTls, "127.0.0.1:%1", true, false},
    {"pop3s:// to the port that speaks plain text", Server::WithTls, "pop3s://127.0.0.1:%1", true,
     false},
};

TEST(SweepConnections, sweepsOverTrustedTlsAndPlainTextAndRefusesWhatCannotBeTrusted)
{
    mail::DovecotFixture withTls;
    withTls.start();
    mail::DovecotFixture withoutTls;
    withoutTls.start(mail::DovecotFixture::Options{.implicitTls = false, .offerStls = false});

    for (const TlsRow& row : kTlsRows) {
        SCOPED_TRACE(row.situation);
        mail::DovecotFixture& server = row.server == Server::WithTls ? withTls : withoutTls;
        const Mailbox box = fillMailbox(server);
        mail::PopOptions options;
        if (row.trustTestCa)
            options.caFile = withTls.caFile();
        SweepRig rig(options);
        rig.block(kEntries);
        const QString text = QString::fromLatin1(row.text)
                                 .replace(u"%1"_s, QString::number(server.port()))
                                 .replace(u"%2"_s, QString::number(server.pop3sPort()));
        SweepRig::selectAccount(text, server.user(), server.password());
        rig.controller.start();
        const TickRun run = rig.runUntilWaiting(30);
        ASSERT_TRUE(run.ended);
        if (row.sweeps) {
            EXPECT_EQ(run.states, expectedStates(RunBegins::FromStart, kVerdicts));
            EXPECT_EQ(server.uids(), QStringList{box.legitimate});
            EXPECT_TRUE(rig.statusLine.isEmpty()) << rig.statusLine.toStdString();
        } else {
            EXPECT_EQ(run.states, kNothingFetched);
            EXPECT_EQ(server.uids(), box.all);
            EXPECT_TRUE(rig.statusLine.startsWith(kFailurePrefix)) << rig.statusLine.toStdString();
            EXPECT_GT(rig.statusLine.size(), kFailurePrefix.size());
            EXPECT_EQ(rig.controller.counters().mail_no, 1);
            EXPECT_EQ(rig.controller.counters().recv_count, 1);
        }
        EXPECT_TRUE(run.leftovers.isEmpty()) << run.leftovers.join(u"; "_s).toStdString();
        EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.shown.join(u' ').toStdString();
        EXPECT_TRUE(rig.messages.fatal.isEmpty());
    }
}

// --- Failures and their time bounds --------------------------------------------------------

// Short bounds, so that a server that says nothing costs seconds, not minutes.
mail::PopOptions shortBounds(const QString& caFile)
{
    mail::PopOptions options;
    options.connectTimeout = 1s;
    options.stallTimeout = 1s;
    options.progressWindow = 2s;
    options.deleteTimeout = 2s;
    options.caFile = caFile;
    return options;
}

// The longest a tick may take with those bounds: a second for the server's silence, a second
// of a fetch's progress window, and a second of room for a loaded machine.
constexpr auto kTickBound = 2s + 1s;

struct FailureRow {
    const char* situation;
    QString server;
    QString pass;
    bool silent; // the server that accepts and never greets
};

TEST(SweepConnections, failedFetchesAreShownCountedAndClearedOnceTheAccountWorks)
{
    mail::DovecotFixture server;
    server.start();
    faulttest::RefusingPort refusing;
    faulttest::ScriptedPopServer silent;
    silent.neverGreet();

    const QString rightServer = u"127.0.0.1:%1"_s.arg(server.port());
    const FailureRow rows[] = {
        {"wrong password", rightServer, server.password() + u"x"_s, false},
        {"nothing listening", u"127.0.0.1:%1"_s.arg(refusing.port()), server.password(), false},
        {"server accepts and never greets", u"127.0.0.1:%1"_s.arg(silent.port()), server.password(),
         true},
    };

    for (const FailureRow& row : rows) {
        SCOPED_TRACE(row.situation);
        const Mailbox box = fillMailbox(server);
        SweepRig rig(shortBounds(server.caFile()));
        rig.block(kEntries);
        SweepRig::selectAccount(row.server, server.user(), row.pass);
        const int acceptedBefore = silent.sessions();

        rig.controller.start();
        const TickRun failing = rig.runUntilWaiting(30);
        ASSERT_TRUE(failing.ended);
        EXPECT_EQ(failing.states, kNothingFetched);
        EXPECT_LT(failing.longest(), kTickBound);
        EXPECT_TRUE(rig.statusLine.startsWith(kFailurePrefix)) << rig.statusLine.toStdString();
        EXPECT_GT(rig.statusLine.size(), kFailurePrefix.size());
        EXPECT_EQ(server.uids(), box.all);
        EXPECT_EQ(rig.controller.counters().mail_no, 1);
        EXPECT_EQ(rig.controller.counters().recv_count, 1);
        EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.shown.join(u' ').toStdString();
        EXPECT_TRUE(rig.messages.fatal.isEmpty());
        EXPECT_TRUE(failing.leftovers.isEmpty()) << failing.leftovers.join(u"; "_s).toStdString();
        if (row.silent) {
            EXPECT_GE(silent.sessions() - acceptedBefore, 2);
        }

        // The user mends the account; the next run sweeps from number 1 and clears the line.
        SweepRig::selectAccount(rightServer, server.user(), server.password());
        rig.passDueTime();
        const TickRun mended = rig.runUntilWaiting(30);
        ASSERT_TRUE(mended.ended);
        EXPECT_EQ(mended.states, expectedStates(RunBegins::FromWaiting, kVerdicts));
        EXPECT_TRUE(rig.statusLine.isEmpty()) << rig.statusLine.toStdString();
        EXPECT_EQ(server.uids(), QStringList{box.legitimate});
        EXPECT_TRUE(rig.messages.shown.isEmpty());
    }
}

TEST(SweepConnections, loginRefusedAtTheDeleteStepDeletesNothingUntilTheNextJudgement)
{
    mail::DovecotFixture server;
    server.start();
    const Mailbox box = fillMailbox(server);
    SweepRig rig(shortBounds(server.caFile()));
    rig.block(kEntries);
    const QString account = u"127.0.0.1:%1"_s.arg(server.port());
    SweepRig::selectAccount(account, server.user(), server.password());

    rig.controller.start();
    for (int tick = 0; tick < 10 && rig.controller.state() != sweep::StateDeletePending; ++tick)
        rig.controller.tick();
    ASSERT_EQ(rig.controller.state(), sweep::StateDeletePending);
    ASSERT_EQ(rig.controller.counters().mail_no, 1);

    // The password changes between the judgement and the delete.
    SweepRig::selectAccount(account, server.user(), u"no longer valid"_s);
    const TickRun deleteTick = rig.runUntilWaiting(1);
    EXPECT_EQ(deleteTick.states, (std::vector<qint16>{sweep::StateSweep}));
    EXPECT_LT(deleteTick.longest(), kTickBound);
    EXPECT_TRUE(rig.statusLine.startsWith(kFailurePrefix)) << rig.statusLine.toStdString();
    EXPECT_EQ(server.uids(), box.all);
    EXPECT_EQ(rig.controller.counters().mail_no, 1);

    // With the password back, message 1 is judged again and deleted, and the line clears.
    SweepRig::selectAccount(account, server.user(), server.password());
    const TickRun rest = rig.runUntilWaiting(30);
    ASSERT_TRUE(rest.ended);
    EXPECT_EQ(rest.states.front(), sweep::StateDeletePending);
    EXPECT_EQ(server.uids(), QStringList{box.legitimate});
    EXPECT_TRUE(rig.statusLine.isEmpty()) << rig.statusLine.toStdString();
    EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.shown.join(u' ').toStdString();
    EXPECT_TRUE(rest.leftovers.isEmpty() && deleteTick.leftovers.isEmpty());
}

} // namespace
} // namespace sweeptest
