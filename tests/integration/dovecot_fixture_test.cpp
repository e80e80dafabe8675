// The Dovecot fixture leaves nothing behind: no server process, no temporary folder.

#include "dovecot_fixture.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <optional>
#include <thread>

namespace mail {
namespace {

bool anyAlive(const std::vector<pid_t>& pids)
{
    // Orphaned children are reaped by init a moment later: give them up to 3 s.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (;;) {
        bool alive = false;
        for (pid_t pid : pids)
            alive = alive || kill(pid, 0) == 0;
        if (!alive || std::chrono::steady_clock::now() > deadline)
            return alive;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

TEST(DovecotFixtureCleanup, stopAndDestructionLeaveNoProcessOrFolder)
{
    for (const bool byDestructor : {false, true}) {
        SCOPED_TRACE(byDestructor ? "destructor" : "stop()");
        std::vector<pid_t> pids;
        QString root;
        {
            std::optional<DovecotFixture> server(std::in_place);
            server->start();
            server->uids(); // a login starts the auth and mail processes too
            pids = server->processIds();
            root = server->rootDir();
            ASSERT_GE(pids.size(), 3u) << "master and its children";
            ASSERT_TRUE(QFileInfo::exists(root));
            if (!byDestructor) {
                server->stop();
                EXPECT_FALSE(server->isRunning());
                EXPECT_TRUE(server->rootDir().isEmpty());
            }
        }
        EXPECT_FALSE(anyAlive(pids));
        EXPECT_FALSE(QFileInfo::exists(root)) << root.toStdString();
    }
}

TEST(DovecotFixtureCleanup, mailboxStartsEmptyAndReportsUidsInOrder)
{
    DovecotFixture server;
    server.start();
    EXPECT_TRUE(server.uids().isEmpty());
    const QString a = server.addMessage("Subject: a\r\n\r\na\r\n");
    const QString b = server.addMessage("Subject: b\r\n\r\nb\r\n");
    EXPECT_NE(a, b);
    EXPECT_EQ(server.uids(), (QStringList{a, b}));
    EXPECT_TRUE(server.deleteByUid(a));
    EXPECT_FALSE(server.deleteByUid(a));
    EXPECT_EQ(server.uids(), QStringList{b});
}

} // namespace
} // namespace mail
