#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <vector>

namespace mail {

// A real POP3 server for tests: a Dovecot started as a child process on 127.0.0.1 with its
// whole configuration, mailbox and certificates in a temporary folder that it removes again.
// One user; messages are put straight into its Maildir. Not thread-safe.
class DovecotFixture {
public:
    struct Options {
        bool implicitTls = true; // also listen for pop3s (TLS from the first byte)
        bool offerStls = true;   // offer STLS on the plain port
    };

    DovecotFixture() = default;
    DovecotFixture(const DovecotFixture&) = delete;
    DovecotFixture& operator=(const DovecotFixture&) = delete;
    ~DovecotFixture(); // stop()

    // Starts the server and returns once it greets. Throws std::runtime_error (with the
    // server's log) when it cannot be started.
    void start(const Options& options);
    void start() { start(Options{}); }
    // Stops the server (SIGTERM, then SIGKILL after 5 s) and removes the temporary folder.
    void stop() noexcept;
    bool isRunning() const noexcept { return m_pid > 0; }

    QString host() const { return QStringLiteral("127.0.0.1"); }
    quint16 port() const noexcept { return m_port; }           // plain / STLS
    quint16 pop3sPort() const noexcept { return m_pop3sPort; } // 0 without implicitTls
    QString caFile() const; // the CA that signed the server's certificate
    QString user() const { return QStringLiteral("sweeper"); }
    QString password() const { return QStringLiteral("correct horse"); }

    // Puts a message into the mailbox and returns the UID the server gives it. The bytes
    // are stored as given (use CRLF line ends to compare with what POP3 hands out).
    QString addMessage(const QByteArray& bytes);
    // The UIDs on the server, in message-number order, read over a POP3 session of the
    // fixture's own (not the library under test).
    QStringList uids() const;
    // Deletes the message with that UID over a POP3 session of its own, as another mail
    // reader would. False when it is not there.
    bool deleteByUid(const QString& uid);

    // The temporary folder holding everything of this server; empty when stopped.
    QString rootDir() const { return m_root; }
    // The server's master process and its current children.
    std::vector<pid_t> processIds() const;
    QString logText() const;

private:
    bool startOnce(const Options& options, QString* log);
    void makeCertificates();
    void writeConfig(const Options& options);

    QString m_root;
    pid_t m_pid = -1;
    quint16 m_port = 0;
    quint16 m_pop3sPort = 0;
    int m_messageCounter = 0;
};

} // namespace mail
