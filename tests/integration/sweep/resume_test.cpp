// The program ends in the middle of a sweep and starts again: the sweep goes on after the last
// message it judged and left on the server, wherever that message now stands, and from the top
// when another mail reader removed it meanwhile.

#include "dovecot_fixture.h"
#include "sweep_rig.h"
#include "test_mail.h"

#include <gtest/gtest.h>

#include <vector>

namespace sweeptest {
namespace {

using namespace Qt::StringLiterals;

// Message 1's sender is blocked only from the second run on: it shows where that run began.
const QByteArray kSenders[] = {
    "Early <early@later.example>", "Friend <friend@legit.example>",
    "Friend <friend@legit.example>",      "Junk <spam@junk.example>",
    "Friend <friend@legit.example>",      "Junk <spam@junk.example>",
};
constexpr int kStopAfter = 3; // the first run ends once message 3 was judged and kept

struct ResumeRow {
    const char* situation;
    std::vector<int> removedByOther; // between the runs
    std::vector<int> left;           // what the second run leaves on the server
};

const ResumeRow kRows[] = {
    {"mailbox unchanged: goes on after message 3", {}, {1, 2, 3, 5}},
    {"an earlier message removed: message 3 now stands at 2", {2}, {1, 3, 5}},
    {"message 3 itself removed: from the top", {3}, {2, 5}},
};

TEST(Resume, goesOnAfterTheLastJudgedMessageWhereverItNowStands)
{
    mail::DovecotFixture server;
    server.start();
    for (const ResumeRow& row : kRows) {
        SCOPED_TRACE(row.situation);
        for (const QString& uid : server.uids())
            ASSERT_TRUE(server.deleteByUid(uid));
        QStringList uids;
        for (const QByteArray& from : kSenders)
            uids << server.addMessage(
                buildMail(from, "message " + QByteArray::number(uids.size())));
        mail::PopOptions options;
        options.caFile = server.caFile();
        const QString address = u"127.0.0.1:%1"_s.arg(server.port());
        const sweep::Account account{address, server.user(), server.password()};

        QByteArray resumeUid;
        {
            SweepRig first(options);
            SweepRig::selectAccount(address, server.user(), server.password());
            first.controller.start();
            for (int tick = 0; tick < 20 && first.leftOnServer != uids[kStopAfter - 1].toLatin1();
                 ++tick)
                first.controller.tick();
            resumeUid = first.leftOnServer;
        } // the program ends
        ASSERT_EQ(resumeUid, uids[kStopAfter - 1].toLatin1());
        ASSERT_EQ(server.uids(), uids) << "the first run deleted nothing";

        for (const int number : row.removedByOther)
            ASSERT_TRUE(server.deleteByUid(uids[number - 1]));

        SweepRig second(options);
        second.block({u"early@later.example"_s, u"spam@junk.example"_s});
        SweepRig::selectAccount(address, server.user(), server.password());
        second.sweep.resumeAfter(account, resumeUid);
        second.controller.start();
        ASSERT_TRUE(second.runUntilWaiting(40).ended);
        QStringList expected;
        for (const int number : row.left)
            expected << uids[number - 1];
        EXPECT_EQ(server.uids(), expected);
        EXPECT_TRUE(second.statusLine.contains(u"再開"_s)) << second.statusLine.toStdString();
        EXPECT_TRUE(second.statusLine.contains(QString::fromLatin1(resumeUid)));
    }
}

} // namespace
} // namespace sweeptest
