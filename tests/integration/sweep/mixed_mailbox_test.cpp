// A mailbox of every kind of sender and attachment, swept by the real state machine against a
// real Dovecot: exactly the blocked messages go, each kept byte for byte in deleted/, temp/ is
// empty after every tick, and no attachment name reaches outside temp/.

#include "dovecot_fixture.h"
#include "settings_fixture.h"
#include "sweep_rig.h"
#include "test_mail.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace sweeptest {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

struct MailRow {
    const char* situation;
    std::optional<QByteArray> from; // the From header's value; none: no From header
    bool blocked;
    QList<Attachment> attachments = {};
};

// The block list the mailbox is judged against, as the user typed it.
const QStringList kEntries = {
    u"SPAM@Junk.Example"_s,         u"Bare.Sender@Junk.Example"_s, u"sale@iso.example"_s,
    u"offer@q.example"_s,           u"folded@junk.example"_s,      u"firstlast@hyphen.example"_s,
    u"other-name@hyphen.example"_s, u"onlydomain.example"_s,       u"attach@junk.example"_s,
    u"big@bulk.example"_s,
};

// About 22 MB of bytes, some 30 MB once base64-encoded in the mail.
QByteArray bulkyContent()
{
    QByteArray bytes(22 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(20240401);
    generator.fillRange(
        reinterpret_cast<quint32*>(bytes.data()),
        static_cast<qsizetype>(static_cast<size_t>(bytes.size()) / sizeof(quint32)));
    return bytes;
}

// A file beside the test program that only a "File:" line smuggled in through a header could
// make the sweep delete.
QString canaryPath()
{
    return QDir(SettingsFixture::folder()).filePath(u"canary-keep.txt"_s);
}

std::vector<MailRow> mailbox()
{
    const QByteArray smuggled = "\r\nFile:" + canaryPath().toUtf8();
    const QByteArray jpeg = "\xFF\xD8\xFF\xE0 not really a picture";
    const QByteArray gif = "GIF89a not really a picture";
    return {
        {"angle form, address in other case than the entry", "Spam Sender <spam@JUNK.example>",
         true},
        {"angle form, address on no entry", "Friend <friend@legit.example>", false},
        {"bare form, equal to an entry but for case", "BARE.SENDER@junk.example", true},
        {"bare form, only a part of an entry", "sender@junk.example", false},
        {"angle form without a name, the tail of an entry", "<am@junk.example>", true},
        {"ISO-2022-JP name, blocked address",
         "=?ISO-2022-JP?B?GyRCTEJPRyVhITwlaxsoQg==?= <Sale@ISO.example>", true},
        {"ISO-2022-JP name, legitimate address",
         "=?ISO-2022-JP?B?GyRCJDQwRkZiGyhC?= <info@legit.example>", false},
        {"UTF-8 B name that reads like a blocked address, legitimate address",
         utf8BWord(u"spam@junk.example 広告"_s) + " <news@legit.example>", false},
        {"UTF-8 Q name, blocked address", utf8QWord(u"特売 のお知らせ"_s) + " <OFFER@q.example>",
         true},
        {"UTF-8 B name, blocked address", utf8BWord(u"迷惑 太郎"_s) + " <spam@junk.example>", true},
        {"name folded over two lines, padded first word, blocked address",
         utf8BWord(u"Sale 割引"_s) + "\r\n " + utf8BWord(u"のご案内"_s) + " <Folded@Junk.Example>",
         true},
        {"name folded over two lines, legitimate address on the second",
         "=?ISO-2022-JP?B?GyRCJCpDTiRpJDsbKEI=?=\r\n <friend2@legit.example>", false},
        {"no From line", std::nullopt, false},
        {"hyphenated address, entry without the hyphen", "First Last <first-last@hyphen.example>",
         true},
        {"hyphenated bare address, entry without the hyphen", "first-last@hyphen.example", true},
        {"hyphenated address, entry spelled with the hyphen",
         "Other Name <other-name@hyphen.example>", false},
        {"empty angle brackets", "<>", false},
        {"name and empty angle brackets", "Mail Delivery System <>", false},
        {"angle form, entry of the domain only", "Someone <someone@onlydomain.example>", false},
        {"bare form, entry of the domain only", "someone@onlydomain.example", false},
        {"jpg and gif, blocked",
         "Photos <attach@junk.example>",
         true,
         {namedAttachment("image/jpeg", "a.jpg", jpeg),
          namedAttachment("image/gif", "b.gif", gif)}},
        {"jpg and pdf, legitimate",
         "Friend <friend@legit.example>",
         false,
         {namedAttachment("image/jpeg", "photo.jpg", jpeg),
          namedAttachment("application/pdf", "report.pdf", "%PDF-1.4 not really")}},
        {"jpg and a .GIF in capitals, blocked",
         "<ATTACH@junk.example>",
         true,
         {namedAttachment("image/jpeg", "a.jpg", jpeg),
          namedAttachment("image/gif", "SCAN.GIF", gif)}},
        {"attachment named ../../x, legitimate",
         "Friend <friend@legit.example>",
         false,
         {namedAttachment("application/octet-stream", "../../x", "must stay inside temp"),
          namedAttachment("application/octet-stream", "x", "the same name once more")}},
        {"encoded name hiding a line break and a File: line, legitimate",
         "=?UTF-8?B?" + ("Friend" + smuggled).toBase64() + "?= <friend@legit.example>", false},
        {"RFC 2231 file name hiding a line break and a File: line, blocked",
         "<spam@junk.example>",
         true,
         {Attachment{"application/octet-stream",
                     "attachment; filename*=UTF-8''a" + smuggled.toPercentEncoding(),
                     "not the canary"}}},
        {"RFC 2231 encoded file name, blocked",
         "Billing <attach@junk.example>",
         true,
         {Attachment{"application/pdf",
                     "attachment; filename*=UTF-8''%E8%AB%8B%E6%B1%82%E6%9B%B8.pdf",
                     "%PDF-1.4 not really"}}},
        {".gif in the middle of a name and a jpg, legitimate",
         "Friend <friend@legit.example>",
         false,
         {namedAttachment("application/octet-stream", "photo.gif.exe", gif),
          namedAttachment("image/jpeg", "c.jpg", jpeg)}},
        {"30 MB message with a base64 attachment, blocked",
         "Bulk Mailer <BIG@bulk.example>",
         true,
         {namedAttachment("application/octet-stream", "archive.bin", bulkyContent())}},
    };
}

// The folders an attachment named "../../x" would reach from temp/, and the test's own.
QStringList foldersAroundTemp()
{
    const QDir here(SettingsFixture::folder());
    return {SettingsFixture::tempFolder(), here.absolutePath(),
            QDir::cleanPath(here.absoluteFilePath(u".."_s)),
            QDir::cleanPath(here.absoluteFilePath(u"../.."_s))};
}

QStringList escapedFiles()
{
    QStringList found;
    for (const QString& folder : foldersAroundTemp()) {
        if (QFileInfo::exists(QDir(folder).filePath(u"x"_s)))
            found << QDir(folder).filePath(u"x"_s);
    }
    return found;
}

// The program's folder, less deleted/, which the first deletion makes.
QStringList programFolderEntries()
{
    QStringList entries =
        QDir(SettingsFixture::folder())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    entries.removeAll(u"deleted"_s);
    return entries;
}

// Whether deleted/ holds exactly these messages, byte for byte, whatever their order (sizes
// only on failure: one of them is 30 MB).
::testing::AssertionResult keptExactly(QList<QByteArray> expected)
{
    QList<QByteArray> kept = SweepRig::keptMessages();
    std::sort(kept.begin(), kept.end());
    std::sort(expected.begin(), expected.end());
    if (kept == expected && SweepRig::pendingCopies().isEmpty())
        return ::testing::AssertionSuccess();
    QStringList sizes;
    for (const QByteArray& message : kept)
        sizes << QString::number(message.size());
    return ::testing::AssertionFailure()
           << kept.size() << " kept (sizes " << sizes.join(u' ').toStdString() << "), "
           << expected.size() << " deleted, pending " << SweepRig::pendingCopies().size();
}

TEST(MixedMailbox, sweepDeletesExactlyTheBlockedMessagesAndLeavesNoFileBehind)
{
    mail::DovecotFixture server;
    server.start();
    mail::PopOptions options;
    options.caFile = server.caFile();
    SweepRig rig(options);
    rig.block(kEntries);
    SweepRig::selectAccount(u"127.0.0.1:%1"_s.arg(server.port()), server.user(), server.password(),
                            300);

    QFile canary(canaryPath());
    ASSERT_TRUE(canary.open(QIODevice::WriteOnly) && canary.write("keep me") == 7);
    canary.close();
    const auto removeCanary = qScopeGuard([] { QFile::remove(canaryPath()); });
    const std::vector<MailRow> rows = mailbox();
    QStringList all;
    QStringList kept;
    QList<QByteArray> deletedMails;
    std::vector<bool> verdicts;
    for (const MailRow& row : rows) {
        const QByteArray mail =
            buildMail(row.from, QByteArray("Situation: ") + row.situation, row.attachments);
        const QString uid = server.addMessage(mail);
        all << uid;
        if (!row.blocked)
            kept << uid;
        else
            deletedMails << mail;
        verdicts.push_back(row.blocked);
    }
    ASSERT_EQ(server.uids(), all);
    ASSERT_TRUE(escapedFiles().isEmpty()) << escapedFiles().join(u' ').toStdString();
    const QStringList programFolder = programFolderEntries();

    QStringList escapes;
    const auto nothingEscaped = [&](int tick) {
        for (const QString& file : escapedFiles())
            escapes << u"tick %1: %2"_s.arg(tick).arg(file);
        if (programFolderEntries() != programFolder)
            escapes << u"tick %1: %2"_s.arg(tick).arg(programFolderEntries().join(u", "_s));
    };

    // The first run: every message read once, in mailbox order.
    rig.controller.start();
    const TickRun first = rig.runUntilWaiting(200, nothingEscaped);
    ASSERT_TRUE(first.ended);
    EXPECT_EQ(first.states, expectedStates(RunBegins::FromStart, verdicts));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].situation);
        EXPECT_EQ(server.uids().contains(all[static_cast<qsizetype>(i)]), !rows[i].blocked);
    }
    EXPECT_EQ(server.uids(), kept);
    // Every deleted message is kept in deleted/, as the server held it; nothing else is.
    EXPECT_TRUE(keptExactly(deletedMails));
    EXPECT_TRUE(first.leftovers.isEmpty()) << first.leftovers.join(u"; "_s).toStdString();
    EXPECT_TRUE(escapes.isEmpty()) << escapes.join(u"; "_s).toStdString();
    // The first fetch ("SAVE 0") counts 1, then one per message read.
    EXPECT_EQ(rig.controller.counters().recv_count, 1 + static_cast<qint64>(rows.size()));
    EXPECT_EQ(rig.controller.counters().mail_no, kept.size() + 1);
    EXPECT_TRUE(rig.statusLine.isEmpty()) << rig.statusLine.toStdString();
    EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.shown.join(u' ').toStdString();
    EXPECT_TRUE(rig.messages.fatal.isEmpty());

    // Mail that arrives while the controller waits is swept by the next run, not before.
    const QByteArray lateSpamMail = buildMail("<SPAM@junk.EXAMPLE>", "late spam");
    const QString lateSpam = server.addMessage(lateSpamMail);
    const QString lateFriend =
        server.addMessage(buildMail("Friend <friend@legit.example>", "late friend"));
    const TickRun early = rig.runUntilWaiting(1);
    EXPECT_EQ(early.states, (std::vector<qint16>{sweep::StateWaiting}));
    EXPECT_EQ(server.uids(), kept + QStringList({lateSpam, lateFriend}));

    rig.passDueTime();
    const TickRun second = rig.runUntilWaiting(40, nothingEscaped);
    ASSERT_TRUE(second.ended);
    EXPECT_EQ(second.states,
              expectedStates(RunBegins::FromWaiting, std::vector<bool>{true, false}));
    EXPECT_EQ(server.uids(), kept + QStringList(lateFriend));
    EXPECT_TRUE(keptExactly(deletedMails + QList<QByteArray>{lateSpamMail}));
    EXPECT_EQ(SweepRig::keptMessages().value(0), lateSpamMail) << "the newest comes first";
    EXPECT_TRUE(second.leftovers.isEmpty()) << second.leftovers.join(u"; "_s).toStdString();
    EXPECT_EQ(rig.controller.counters().recv_count, 3 + static_cast<qint64>(rows.size()));
    EXPECT_EQ(rig.controller.counters().mail_no, kept.size() + 2);
    EXPECT_TRUE(escapes.isEmpty()) << escapes.join(u"; "_s).toStdString();
    EXPECT_TRUE(rig.messages.shown.isEmpty()) << rig.messages.shown.join(u' ').toStdString();
    EXPECT_TRUE(QFileInfo::exists(canaryPath()));
}

} // namespace
} // namespace sweeptest
