// Another mail reader removes messages between the tick that judged a message blocked and the
// tick that deletes it: the delete step removes the judged message wherever it now stands, and
// never another, and keeps a copy of exactly what it removed.

#include "dovecot_fixture.h"
#include "sweep_rig.h"
#include "test_mail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace sweeptest {
namespace {

using namespace Qt::StringLiterals;

// Messages 1 to 5 of the mailbox; 3 and 5 come from a blocked sender.
constexpr int kMessages = 5;
constexpr int kJudged = 3;
const std::vector<bool> kBlocked = {false, false, true, false, true};

struct RaceRow {
    const char* situation;
    std::vector<int> removedByOther; // numbers (as judged) another reader deletes meanwhile
    std::vector<int> afterDelete;    // the numbers (as judged) left once the delete tick ran
};

const RaceRow kRows[] = {
    {"nobody else touched the mailbox", {}, {1, 2, 4, 5}},
    {"another reader deleted an earlier message", {1}, {2, 4, 5}},
    {"another reader deleted every earlier message", {1, 2}, {4, 5}},
    {"another reader deleted a later message", {4}, {1, 2, 5}},
    {"another reader deleted the judged message", {3}, {1, 2, 4, 5}},
    {"another reader deleted the judged and an earlier message", {1, 3}, {2, 4, 5}},
};

QStringList uidsAt(const QStringList& uids, const std::vector<int>& numbers)
{
    QStringList out;
    for (const int number : numbers)
        out << uids[number - 1];
    return out;
}

TEST(Renumbering, deleteStepDeletesTheJudgedMessageWhereverItStandsAndNoOther)
{
    mail::DovecotFixture server;
    server.start();
    for (const RaceRow& row : kRows) {
        SCOPED_TRACE(row.situation);
        for (const QString& uid : server.uids())
            ASSERT_TRUE(server.deleteByUid(uid));
        QStringList uids;
        QList<QByteArray> mails;
        for (int number = 1; number <= kMessages; ++number) {
            const QByteArray from = kBlocked[static_cast<size_t>(number - 1)]
                                        ? "Junk <spam@junk.example>"
                                        : "Friend <friend@legit.example>";
            mails << buildMail(from, "message " + QByteArray::number(number));
            uids << server.addMessage(mails.back());
        }

        mail::PopOptions options;
        options.caFile = server.caFile();
        SweepRig rig(options);
        rig.block({u"spam@junk.example"_s});
        SweepRig::selectAccount(u"127.0.0.1:%1"_s.arg(server.port()), server.user(),
                                server.password());
        rig.controller.start();

        // Tick until the sweep step has judged message 3 blocked.
        int ticks = 0;
        while (rig.controller.state() != sweep::StateDeletePending && ticks < 20) {
            rig.controller.tick();
            ++ticks;
        }
        ASSERT_EQ(rig.controller.state(), sweep::StateDeletePending);
        ASSERT_EQ(rig.controller.counters().mail_no, kJudged);
        ASSERT_EQ(server.uids(), uids);

        QStringList removed;
        for (const int number : row.removedByOther) {
            ASSERT_TRUE(server.deleteByUid(uids[number - 1]));
            removed << uids[number - 1];
        }

        // The delete tick.
        rig.controller.tick();
        EXPECT_EQ(server.uids(), uidsAt(uids, row.afterDelete));
        EXPECT_EQ(rig.controller.state(), sweep::StateSweep);
        EXPECT_EQ(rig.controller.counters().mail_no, kJudged);
        EXPECT_TRUE(rig.statusLine.isEmpty()) << rig.statusLine.toStdString();
        EXPECT_TRUE(SweepRig::tempEntries().isEmpty());
        // The judged message is kept when it was deleted, wherever it stood; when the other
        // reader took it, there is nothing to keep.
        const bool judgedTaken = std::find(row.removedByOther.begin(), row.removedByOther.end(),
                                           kJudged) != row.removedByOther.end();
        EXPECT_EQ(SweepRig::keptMessages(),
                  judgedTaken ? QList<QByteArray>() : QList<QByteArray>{mails[kJudged - 1]});
        EXPECT_TRUE(SweepRig::pendingCopies().isEmpty());

        // The sweep goes on to the waiting state; a reset and a new start (the user's m7 and
        // start) judge whatever moved below the number it had reached. In the end only
        // legitimate mail is left, less what the other reader took.
        const TickRun rest = rig.runUntilWaiting(30);
        ASSERT_TRUE(rest.ended);
        rig.controller.reset();
        rig.controller.start();
        const TickRun again = rig.runUntilWaiting(30);
        ASSERT_TRUE(again.ended);
        QStringList legitimate;
        for (int number = 1; number <= kMessages; ++number) {
            const QString& uid = uids[number - 1];
            if (!kBlocked[static_cast<size_t>(number - 1)] && !removed.contains(uid))
                legitimate << uid;
        }
        EXPECT_EQ(server.uids(), legitimate);
        EXPECT_TRUE(rest.leftovers.isEmpty() && again.leftovers.isEmpty());
        EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.shown.join(u' ').toStdString();
    }
}

} // namespace
} // namespace sweeptest
