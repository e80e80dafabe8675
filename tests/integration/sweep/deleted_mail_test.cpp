// No copy, no delete, against a real Dovecot: a sweep stopped or cancelled between judging a
// message and deleting it keeps nothing and deletes nothing; a deleted/ that cannot be written
// keeps every message on the server and the status line says why; once it can be written again
// the sweep deletes and keeps as usual.

#include "dovecot_fixture.h"
#include "sweep_rig.h"
#include "test_mail.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace sweeptest {
namespace {

using namespace Qt::StringLiterals;

struct Mailbox {
    QStringList uids;
    QByteArray friendMail = buildMail("Friend <friend@legit.example>", "hello");
    QByteArray junkMail = buildMail("Junk <spam@junk.example>", "buy now");
};

// A friend's message, then a junk one, on a server of the test's own; the rig blocks the junk.
Mailbox fill(mail::DovecotFixture& server)
{
    Mailbox box;
    box.uids << server.addMessage(box.friendMail) << server.addMessage(box.junkMail);
    return box;
}

void selectServer(SweepRig& rig, const mail::DovecotFixture& server)
{
    rig.block({u"spam@junk.example"_s});
    SweepRig::selectAccount(u"127.0.0.1:%1"_s.arg(server.port()), server.user(), server.password());
}

// Ticks until the sweep has judged a message blocked (state 3).
::testing::AssertionResult tickUntilJudged(SweepRig& rig)
{
    for (int tick = 0; tick < 10; ++tick) {
        if (rig.controller.state() == sweep::StateDeletePending)
            return ::testing::AssertionSuccess();
        rig.controller.tick();
    }
    return ::testing::AssertionFailure() << "never judged; state " << rig.controller.state();
}

TEST(DeletedMail, stopOrCancelBetweenJudgingAndDeletingKeepsNothingAndDeletesNothing)
{
    mail::DovecotFixture server;
    server.start();
    const Mailbox box = fill(server);
    {
        // The user stops the sweep right after the judgement: the delete never comes.
        SweepRig rig(mail::PopOptions{.caFile = server.caFile()});
        selectServer(rig, server);
        rig.controller.start();
        ASSERT_TRUE(tickUntilJudged(rig));
        rig.controller.stop();
        for (int tick = 0; tick < 3; ++tick)
            rig.controller.tick();
        EXPECT_EQ(server.uids(), box.uids);
        EXPECT_TRUE(SweepRig::keptMessages().isEmpty());

        // Started again, it judges the message anew, deletes it and keeps it once.
        rig.controller.start();
        const TickRun run = rig.runUntilWaiting(20);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(server.uids(), QStringList{box.uids[0]});
        EXPECT_EQ(SweepRig::keptMessages(), QList<QByteArray>{box.junkMail});
        EXPECT_TRUE(SweepRig::pendingCopies().isEmpty());
        EXPECT_TRUE(run.leftovers.isEmpty());
    }

    // The delete step itself is cancelled (stop, reset or closing while it runs): the delete is
    // not committed and its copy goes.
    const QString junkUid = server.addMessage(box.junkMail);
    SettingsFixture settings;
    settings.execute(u"insert into mymailchk(addfrom) values('spam@junk.example')"_s);
    const auto cancel = std::make_shared<mail::CancelFlag>();
    mail::PopMailLibrary library(mail::PopOptions{.caFile = server.caFile(), .cancel = cancel});
    sweep::MailboxSweep sweep(library, {.folder = [] { return SettingsFixture::folder(); },
                                        .statusLine = [](const QString&) {},
                                        .cancel = cancel});
    const sweep::Account account{u"127.0.0.1:%1"_s.arg(server.port()), server.user(),
                                 server.password()};
    sweep::SweepCounters counters{.mail_no = 2, .recv_count = 1};
    ASSERT_EQ(sweep.mail_koi2(counters, account), sweep::StateDeletePending);
    ASSERT_EQ(SweepRig::pendingCopies().size(), 1);
    cancel->raise();
    sweep.mail_koi4(counters, account);
    EXPECT_EQ(server.uids(), (QStringList{box.uids[0], junkUid}));
    EXPECT_TRUE(SweepRig::pendingCopies().isEmpty());
    EXPECT_TRUE(SweepRig::keptMessages().isEmpty());
    EXPECT_TRUE(SweepRig::tempEntries().isEmpty());
}

TEST(DeletedMail, folderThatCannotBeWrittenDeletesNothingAndSaysWhy)
{
    struct Row {
        const char* situation;
        std::function<void()> spoil; // makes deleted/ unwritable
        std::function<void()> mend;
        QString says;
    } rows[] = {
        {"a file in place of deleted/",
         [] {
             QFile file(SettingsFixture::deletedFolder());
             EXPECT_TRUE(file.open(QIODevice::WriteOnly));
         },
         [] { QFile::remove(SettingsFixture::deletedFolder()); }, u"フォルダーではありません"_s},
        // The user's chmod holds even for root, whom the mode alone would not stop.
        {"deleted/ made read-only",
         [] {
             QDir().mkdir(SettingsFixture::deletedFolder());
             QFile::setPermissions(SettingsFixture::deletedFolder(),
                                   QFile::ReadOwner | QFile::ExeOwner);
         },
         [] {
             QFile::setPermissions(SettingsFixture::deletedFolder(),
                                   QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
         },
         u"書き込み禁止"_s},
    };
    mail::DovecotFixture server;
    server.start();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation);
        for (const QString& uid : server.uids())
            server.deleteByUid(uid);
        const Mailbox box = fill(server);
        SweepRig rig(mail::PopOptions{.caFile = server.caFile()});
        selectServer(rig, server);
        row.spoil();

        rig.controller.start();
        const TickRun run = rig.runUntilWaiting(10);
        EXPECT_EQ(server.uids(), box.uids) << "nothing deleted";
        // Each failed copy is a failed delete: after three the message is passed over, and the
        // line that names it keeps the reason.
        EXPECT_TRUE(rig.statusLine.startsWith(u"削除エラー："_s) ||
                    rig.statusLine.contains(u"削除できなかったため、飛ばして"_s))
            << rig.statusLine.toStdString();
        EXPECT_TRUE(rig.statusLine.contains(row.says)) << rig.statusLine.toStdString();
        EXPECT_TRUE(run.leftovers.isEmpty()) << run.leftovers.join(u"; "_s).toStdString();
        EXPECT_TRUE(rig.messages.shown.isEmpty()) << "no box: the status line says it";

        row.mend();
        rig.controller.reset(); // a new pass from the top meets the junk again
        rig.controller.start();
        const TickRun mended = rig.runUntilWaiting(20);
        EXPECT_TRUE(mended.ended);
        EXPECT_EQ(server.uids(), QStringList{box.uids[0]});
        EXPECT_EQ(SweepRig::keptMessages(), QList<QByteArray>{box.junkMail});
    }
}

} // namespace
} // namespace sweeptest
