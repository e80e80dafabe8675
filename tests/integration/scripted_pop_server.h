#pragma once

#include <QByteArray>
#include <QList>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace faulttest {

// A plain-text POP3 server on 127.0.0.1, run by a thread of the test, that answers properly
// until told to misbehave at a chosen point of a chosen session, and records every command it
// received. One connection at a time: the mail library holds one session per call.
class ScriptedPopServer {
public:
    struct Message {
        QByteArray uid;
        QByteArray content; // as the sender wrote it; the server dot-stuffs it on RETR
    };

    // Where in a session a fault takes the place of the proper answer.
    enum class Point { Greeting, Capa, User, Pass, Noop, UidlOne, UidlAll, List, Retr, Dele, Quit };

    // What the server does after the fault's bytes.
    enum class Then {
        GoOn,    // reads the next command as usual
        Silence, // reads and records what comes, never answers again
        Close,   // closes the connection at once
    };

    // What goes out at one point instead of the proper reply, in this order: reply at once,
    // slow piece by piece, flood, tail; then the session goes on, falls silent or closes.
    struct Fault {
        Point at = Point::Greeting;
        int session = -1; // the session (connections from 0) it applies to; -1: every session
        // Sent at once instead of the proper reply; nothing (and no slow bytes): the proper one.
        std::optional<QByteArray> reply{};
        QByteArray slow{}; // sent `chunk` bytes at a time, `interval` apart
        qsizetype chunk = 1;
        std::chrono::milliseconds interval{0};
        qint64 flood = 0; // this many bytes of 'x' without a line end
        QByteArray tail{};
        Then then = Then::GoOn;
        bool commit = false; // at Quit: the deletions are committed although the reply is lost
        // At Retr or Dele: only for the message with this UID; empty: for any message.
        QByteArray uid{};
    };

    // A command as the server read it, without its line end, and the session it came in.
    struct Received {
        int session = 0;
        QByteArray line;
    };

    ScriptedPopServer();  // listening when constructed; throws std::runtime_error otherwise
    ~ScriptedPopServer(); // stops the thread and closes every socket
    ScriptedPopServer(const ScriptedPopServer&) = delete;
    ScriptedPopServer& operator=(const ScriptedPopServer&) = delete;

    quint16 port() const noexcept { return m_port; }

    // Everything below may be called while the server runs; the server reads it at each step.
    void setMailbox(std::vector<Message> messages);
    void setFaults(std::vector<Fault> faults);
    // Accepts every connection and never says a word: a server that hangs before greeting.
    void neverGreet()
    {
        setFaults({Fault{.at = Point::Greeting, .reply = QByteArray(), .then = Then::Silence}});
    }
    // Runs in the server thread at the start of each session, before the greeting, with the
    // mailbox: lets a test reassign UIDs between sessions.
    void setSessionHook(std::function<void(int session, std::vector<Message>&)> hook);

    std::vector<Message> mailbox() const;
    QList<QByteArray> uids() const;
    std::vector<Received> received() const;
    // How often a command line came in, over every session.
    int count(const QByteArray& line) const;
    // Commands starting with verb (e.g. "DELE"), over every session.
    QList<QByteArray> commandsStartingWith(const QByteArray& verb) const;
    int sessions() const noexcept { return m_sessions.load(); }

private:
    class Connection;
    void run();
    void serve(Connection& connection, int session);
    std::optional<Fault> faultAt(Point point, int session, const QByteArray& uid = {}) const;
    // Sends the fault's bytes (or the proper reply) and says whether the session goes on.
    bool answer(Connection& connection, int session, Point point, const QByteArray& proper,
                const std::function<void()>& onCommit = {}, const QByteArray& uid = {});

    int m_listenFd = -1;
    int m_wakeFds[2] = {-1, -1}; // written to on shutdown, so that poll() returns
    quint16 m_port = 0;
    std::atomic<int> m_sessions{0};

    mutable std::mutex m_mutex;
    std::vector<Message> m_mailbox;
    std::vector<Fault> m_faults;
    std::function<void(int, std::vector<Message>&)> m_sessionHook;
    std::vector<Received> m_received;

    std::thread m_thread;
};

// A port on 127.0.0.1 that refuses connections: bound, so that nobody else takes it, but not
// listening. Throws std::runtime_error when no port can be reserved.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    quint16 port() const noexcept { return m_port; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
};

// The message as RETR sends it: lines starting with "." get another ".", the body ends with
// CRLF (added when the message lacks it), then ".\r\n".
QByteArray dotStuffed(const QByteArray& content);

} // namespace faulttest
