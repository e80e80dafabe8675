// Messages whose lines start with dots, or that end without a line end, come through RETR
// unstuffed: the saved file is the message (with the CRLF the protocol adds when it lacked
// one), the sweep reads its sender and deletes it, and nothing stays in the folder.

#include "fault_rig.h"

#include <QFile>

#include <gtest/gtest.h>

namespace faulttest {
namespace {

using namespace Qt::StringLiterals;
using sweeptest::SweepRig;
using sweeptest::TickRun;
using Fault = ScriptedPopServer::Fault;
using Point = ScriptedPopServer::Point;

struct Row {
    const char* situation;
    QByteArray body;
    bool inPieces; // RETR goes out three bytes at a time, so "\r\n.\r\n" is split up
};

const Row kRows[] = {
    {"a line holding a single dot", "first\r\n.\r\nafter the dot\r\n", false},
    {"lines that start with one, two and three dots", "..two\r\n.one\r\n...three\r\n. x\r\n",
     false},
    {"the body ends without CRLF", "last line without an end", false},
    {"the body ends with a dot line and no CRLF", "body\r\n.", false},
    {"the body is a single dot", ".", false},
    {"a bare LF before a dot is no line end", "bare\n.not a line start\r\n", false},
    {"a line holding a single dot, sent three bytes at a time", "first\r\n.\r\nafter\r\n", true},
    {"a dot line at the end without CRLF, sent three bytes at a time", "body\r\n.", true},
};

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(SweepDotStuffing, theSavedFileIsTheMessageUnstuffedAndTheSweepJudgesIt)
{
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.situation);
        const QByteArray message = junkMail(row.body);
        const QByteArray expected = message.endsWith("\r\n") ? message : message + "\r\n";
        ScriptedPopServer server;
        server.setMailbox({{"uid-dots-1", message}});
        if (row.inPieces) {
            server.setFaults({{.at = Point::Retr,
                               .reply = "+OK " + QByteArray::number(message.size()) + " octets\r\n",
                               .slow = dotStuffed(message),
                               .chunk = 3,
                               .interval = 1ms}});
        }
        SweepRig rig(shortBounds());
        rig.block({kBlockedEntry});
        SweepRig::selectAccount(accountServer(server), kUser, kPass);

        // The library's own SAVE, to look at the file before the sweep would remove it.
        {
            mail::PopMailLibrary library(shortBounds());
            const QString folder = u">"_s + SettingsFixture::tempFolder();
            const mail::MailResult saved =
                library.RcvMail(accountServer(server), kUser, kPass, u"SAVE 1"_s, folder);
            ASSERT_TRUE(saved.has_value()) << library.lastStatus().description.toStdString();
            ASSERT_EQ(saved->size(), 1);
            const QByteArray bytes = fileBytes(saved->front());
            EXPECT_EQ(bytes, expected) << bytes.toStdString();
            const mail::MailResult lines = library.ReadMail(saved->front(), QString(), folder);
            ASSERT_TRUE(lines.has_value()) << library.lastReadError().toStdString();
            EXPECT_TRUE(lines->contains(u"From:Junk <spam@junk.example>"_s))
                << lines->join(u" | "_s).toStdString();
            QFile::remove(saved->front());
        }

        // The sweep judges the message blocked and deletes it, once.
        rig.controller.start();
        const TickRun run = rig.runUntilWaiting(20);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.states, sweeptest::expectedStates(sweeptest::RunBegins::FromStart, {true}));
        EXPECT_EQ(server.count("DELE 1"), 1);
        EXPECT_TRUE(server.mailbox().empty());
        EXPECT_TRUE(run.leftovers.isEmpty()) << run.leftovers.join(u"; "_s).toStdString();
        EXPECT_TRUE(rig.statusLine.isEmpty()) << rig.statusLine.toStdString();
        EXPECT_TRUE(rig.messages.shown.isEmpty());
    }
}

} // namespace
} // namespace faulttest
