#pragma once

#include "cancel_flag.h"
#include "curl_handles.h"
#include "server_address.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

namespace mail {

// One POP3 conversation with a server over a single curl easy handle: connect, log in, the
// commands asked for, QUIT. Curl keeps the connection open between commands, so message
// numbers stay valid from one command to the next; when they must, the session refuses to
// send a command on any connection but the one the numbers came from.
class PopSession {
public:
    using Clock = std::chrono::steady_clock;

    struct Settings {
        ServerAddress server;
        QByteArray user;
        QByteArray password;
        QString caFile; // empty: the system's certificate store
        std::chrono::milliseconds connectTimeout{0};
        std::chrono::milliseconds stallTimeout{0};
        // The whole call ends by then, whatever it is doing. Nothing: no such bound (a fetch,
        // which the stall bound and the progress bound keep moving instead).
        std::optional<Clock::time_point> deadline;
        // When raised, the transfer in progress ends at once and no command goes out; the
        // connection is dropped without QUIT. May be null.
        const CancelFlag* cancel = nullptr;
        // Once a reply's body has begun, it must go on arriving at progressRate bytes a second
        // or more, on average over any progressWindow. A rate of 0: no such bound.
        qint64 progressRate = 0;
        std::chrono::milliseconds progressWindow{0};
    };

    // Receives the body of a multi-line reply piece by piece; false stops the transfer.
    using Sink = std::function<bool(const char* data, size_t size)>;

    enum class Connection {
        Any,  // a new connection (a new session on the server) is fine
        Same, // must run on the connection the previous command used
    };

    struct Reply {
        CURLcode code = CURLE_OK;
        QByteArray line;                // the server's first reply line to the command, if any
        QString curlMessage;            // curl's own detail, if any
        bool connectionChanged = false; // refused: the connection had been replaced
        bool commandSent = false;       // the login was over and the command went out
        QByteArray loginRefusal;        // the server's "-ERR" line to the login, if any
        bool tooSlow = false;           // the body came slower than the progress bound allows
        bool ok() const { return code == CURLE_OK && !connectionChanged; }
        bool serverSaidErr() const { return line.startsWith("-ERR"); }
    };

    explicit PopSession(Settings settings);
    PopSession(const PopSession&) = delete;
    PopSession& operator=(const PopSession&) = delete;
    ~PopSession(); // sends QUIT if the connection is still open

    // A command whose reply is one line ("UIDL n", "DELE n").
    Reply command(const QByteArray& line, Connection connection, bool last);
    // A command whose reply has a body ("UIDL"), handed to sink.
    Reply listing(const QByteArray& line, const Sink& sink, Connection connection, bool last);
    // RETR number, the message handed to sink.
    Reply retrieve(int number, const Sink& sink, Connection connection, bool last);

    // The server's reply to QUIT when the last command closed the session (last = true).
    std::optional<QByteArray> quitReply() const;
    // Whether the last command's session sent QUIT. Sent without a reply, the server may or
    // may not have committed the deletions.
    bool quitSent() const;

    // The first reply line to command (the whole line as sent) in the current or last command;
    // while a sink runs, the reply to the command whose body it receives.
    QByteArray firstReplyTo(const QByteArray& command) const;

    // Sentences a person can act on, in Japanese, for a reply that was not ok(). Never holds
    // the password: a server line that contains it is left out.
    QString describeFailure(const Reply& reply) const;

    // The server as the user would read it: "host:port", or "[v6]:port".
    QString serverName() const;
    // Text from the server fit to show: empty when it contains the password, without control
    // characters, cut after kLongestShownText characters.
    QString shownText(const QString& text) const;
    static constexpr qsizetype kLongestShownText = 200;

private:
    struct Exchange {
        QByteArray command; // without credentials
        QList<QByteArray> replies;
    };

    Reply perform(const QByteArray& url, const char* customRequest, bool noBody, const Sink* sink,
                  Connection connection, bool last);
    void onDebug(curl_infotype type, const char* data, size_t size);
    // Runs the transfer set up on m_curl to its end, or until the cancel flag is raised.
    CURLcode transfer();
    bool cancelled() const;

    static int debugCallback(CURL* handle, curl_infotype type, char* data, size_t size, void* self);
    static size_t writeCallback(char* data, size_t size, size_t count, void* self);
    static int progressCallback(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);
    static int sockoptCallback(void* self, curl_socket_t fd, curlsocktype purpose);
    static int closeSocketCallback(void* self, curl_socket_t fd);
    static int prereqCallback(void* self, char* primaryIp, char* localIp, int primaryPort,
                              int localPort);

    Settings m_settings;
    Clock::time_point m_started = Clock::now(); // the whole call's bound counts from here
    // The connection cache lives in the multi handle, so that it outlasts each command; it is
    // declared first so that it is cleaned up last, which says QUIT on a connection still open.
    CurlMulti m_multi;
    CurlEasy m_curl;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    std::vector<Exchange> m_transcript;
    size_t m_performStart = 0; // first exchange of the current command
    const Sink* m_sink = nullptr;
    qint64 m_bodyBytes = 0; // of the current command's reply
    bool m_tooSlow = false;
    long m_localPort = -1;    // local port of the connection in use: identifies it
    long m_requiredPort = -1; // when set, a command may only go out on this connection
    bool m_prereqRefused = false;
};

} // namespace mail
