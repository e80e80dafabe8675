#include "scripted_pop_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <utility>

namespace faulttest {

namespace {

constexpr qsizetype kFloodChunk = 64 * 1024;

// A new TCP socket bound to a free port on 127.0.0.1, and that port; nothing on failure (the
// socket is closed again).
std::optional<std::pair<int, quint16>> bindLoopback()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    return std::pair{fd, ntohs(addr.sin_port)};
}

} // namespace

RefusingPort::RefusingPort()
{
    const auto bound = bindLoopback();
    if (!bound)
        throw std::runtime_error("no port on 127.0.0.1 could be reserved");
    m_fd = bound->first;
    m_port = bound->second;
}

RefusingPort::~RefusingPort()
{
    ::close(m_fd);
}

QByteArray dotStuffed(const QByteArray& content)
{
    QByteArray out;
    out.reserve(content.size() + content.size() / 16 + 8);
    // Only CRLF ends a line on the wire; a bare LF does not.
    bool lineStart = true;
    char previous = '\0';
    for (const char c : content) {
        if (lineStart && c == '.')
            out += '.';
        out += c;
        lineStart = c == '\n' && previous == '\r';
        previous = c;
    }
    if (!out.endsWith("\r\n"))
        out += "\r\n";
    return out + ".\r\n";
}

// One accepted connection: line reads and writes that give up when the client goes away or
// the server shuts down, so the server thread never blocks for ever.
class ScriptedPopServer::Connection {
public:
    Connection(int fd, int wakeFd) : m_fd(fd), m_wakeFd(wakeFd)
    {
        fcntl(m_fd, F_SETFL, fcntl(m_fd, F_GETFL) | O_NONBLOCK);
        const int on = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    }
    ~Connection() { ::close(m_fd); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The next line without its line end; nothing when the client closed or the server stops.
    std::optional<QByteArray> readLine()
    {
        for (;;) {
            const qsizetype end = m_input.indexOf('\n');
            if (end >= 0) {
                QByteArray line = m_input.left(end);
                m_input.remove(0, end + 1);
                if (line.endsWith('\r'))
                    line.chop(1);
                return line;
            }
            if (!waitFor(POLLIN, -1))
                return std::nullopt;
            char buffer[4096];
            const ssize_t got = ::recv(m_fd, buffer, sizeof buffer, 0);
            if (got == 0 || (got < 0 && errno != EAGAIN && errno != EINTR))
                return std::nullopt;
            if (got > 0)
                m_input.append(buffer, static_cast<qsizetype>(got));
        }
    }

    bool send(const char* data, size_t size)
    {
        while (size > 0) {
            const ssize_t sent = ::send(m_fd, data, size, MSG_NOSIGNAL);
            if (sent > 0) {
                data += sent;
                size -= static_cast<size_t>(sent);
            } else if (sent < 0 && (errno == EAGAIN || errno == EINTR)) {
                if (!waitFor(POLLOUT, -1))
                    return false;
            } else {
                return false;
            }
        }
        return true;
    }
    bool send(const QByteArray& bytes)
    {
        return send(bytes.constData(), static_cast<size_t>(bytes.size()));
    }

    bool sendSlowly(const QByteArray& bytes, qsizetype chunk, std::chrono::milliseconds interval)
    {
        for (qsizetype at = 0; at < bytes.size(); at += chunk) {
            if (at > 0 && !pause(interval))
                return false;
            if (!send(bytes.mid(at, chunk)))
                return false;
        }
        return true;
    }

    // Bytes without a line end, produced piece by piece so that the server itself stays small.
    bool flood(qint64 bytes)
    {
        const QByteArray piece(kFloodChunk, 'x');
        while (bytes > 0) {
            const qsizetype now = static_cast<qsizetype>(std::min<qint64>(bytes, kFloodChunk));
            if (!send(piece.constData(), static_cast<size_t>(now)))
                return false;
            bytes -= now;
        }
        return true;
    }

private:
    // False when the server shuts down (or poll fails) before the socket is ready.
    bool waitFor(short events, int timeoutMs)
    {
        for (;;) {
            pollfd fds[2] = {{m_fd, events, 0}, {m_wakeFd, POLLIN, 0}};
            const int ready = poll(fds, 2, timeoutMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0 || fds[1].revents != 0)
                return false;
            return true;
        }
    }
    // Waits, unless the server shuts down meanwhile.
    bool pause(std::chrono::milliseconds interval)
    {
        pollfd wake{m_wakeFd, POLLIN, 0};
        return poll(&wake, 1, static_cast<int>(interval.count())) == 0;
    }

    int m_fd;
    int m_wakeFd;
    QByteArray m_input;
};

ScriptedPopServer::ScriptedPopServer()
{
    const auto bound = bindLoopback();
    if (bound) {
        m_listenFd = bound->first;
        m_port = bound->second;
    }
    if (!bound || listen(m_listenFd, 8) != 0 || pipe2(m_wakeFds, O_CLOEXEC) != 0) {
        if (m_listenFd >= 0)
            ::close(m_listenFd);
        throw std::runtime_error("the scripted POP3 server could not listen");
    }
    m_thread = std::thread([this] { run(); });
}

ScriptedPopServer::~ScriptedPopServer()
{
    const char stop = 'x';
    (void)::write(m_wakeFds[1], &stop, 1);
    m_thread.join();
    ::close(m_listenFd);
    ::close(m_wakeFds[0]);
    ::close(m_wakeFds[1]);
}

void ScriptedPopServer::setMailbox(std::vector<Message> messages)
{
    const std::lock_guard lock(m_mutex);
    m_mailbox = std::move(messages);
}

void ScriptedPopServer::setFaults(std::vector<Fault> faults)
{
    const std::lock_guard lock(m_mutex);
    m_faults = std::move(faults);
}

void ScriptedPopServer::setSessionHook(std::function<void(int, std::vector<Message>&)> hook)
{
    const std::lock_guard lock(m_mutex);
    m_sessionHook = std::move(hook);
}

std::vector<ScriptedPopServer::Message> ScriptedPopServer::mailbox() const
{
    const std::lock_guard lock(m_mutex);
    return m_mailbox;
}

QList<QByteArray> ScriptedPopServer::uids() const
{
    const std::lock_guard lock(m_mutex);
    QList<QByteArray> result;
    for (const Message& m : m_mailbox)
        result.append(m.uid);
    return result;
}

std::vector<ScriptedPopServer::Received> ScriptedPopServer::received() const
{
    const std::lock_guard lock(m_mutex);
    return m_received;
}

int ScriptedPopServer::count(const QByteArray& line) const
{
    const std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_received.begin(), m_received.end(),
                                          [&](const Received& r) { return r.line == line; }));
}

QList<QByteArray> ScriptedPopServer::commandsStartingWith(const QByteArray& verb) const
{
    const std::lock_guard lock(m_mutex);
    QList<QByteArray> result;
    for (const Received& r : m_received) {
        if (r.line.startsWith(verb))
            result.append(r.line);
    }
    return result;
}

std::optional<ScriptedPopServer::Fault> ScriptedPopServer::faultAt(Point point, int session,
                                                                   const QByteArray& uid) const
{
    const std::lock_guard lock(m_mutex);
    for (const Fault& fault : m_faults) {
        if (fault.at == point && (fault.session < 0 || fault.session == session) &&
            (fault.uid.isEmpty() || fault.uid == uid))
            return fault;
    }
    return std::nullopt;
}

void ScriptedPopServer::run()
{
    for (;;) {
        pollfd fds[2] = {{m_listenFd, POLLIN, 0}, {m_wakeFds[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents & POLLIN) {
            const int client = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            Connection connection(client, m_wakeFds[0]);
            const int session = m_sessions++;
            serve(connection, session);
        }
    }
}

bool ScriptedPopServer::answer(Connection& connection, int session, Point point,
                               const QByteArray& proper, const std::function<void()>& onCommit,
                               const QByteArray& uid)
{
    const std::optional<Fault> fault = faultAt(point, session, uid);
    if (!fault) {
        if (onCommit)
            onCommit();
        return connection.send(proper);
    }
    if (onCommit && fault->commit)
        onCommit();
    const QByteArray bytes = fault->reply.value_or(fault->slow.isEmpty() ? proper : QByteArray());
    bool sent = connection.send(bytes);
    if (sent && !fault->slow.isEmpty())
        sent = connection.sendSlowly(fault->slow, std::max<qsizetype>(1, fault->chunk),
                                     fault->interval);
    if (sent && fault->flood > 0)
        sent = connection.flood(fault->flood);
    if (sent && !fault->tail.isEmpty())
        sent = connection.send(fault->tail);
    switch (fault->then) {
    case Then::GoOn:
        return sent;
    case Then::Silence:
        // Whatever the client still sends is recorded: a command sent after a time-out counts.
        while (const std::optional<QByteArray> line = connection.readLine()) {
            const std::lock_guard lock(m_mutex);
            m_received.push_back(Received{session, *line});
        }
        return false;
    case Then::Close:
        return false;
    }
    return false;
}

void ScriptedPopServer::serve(Connection& connection, int session)
{
    std::vector<Message> messages;
    {
        const std::lock_guard lock(m_mutex);
        if (m_sessionHook)
            m_sessionHook(session, m_mailbox);
        messages = m_mailbox; // the numbers of this session
    }
    std::set<size_t> marked;
    const auto commit = [&] {
        const std::lock_guard lock(m_mutex);
        for (const size_t index : marked) {
            const QByteArray& uid = messages[index].uid;
            std::erase_if(m_mailbox, [&](const Message& m) { return m.uid == uid; });
        }
    };
    // The message a number names in this session, if it is there and not marked.
    const auto byNumber = [&](const QByteArray& text) -> std::optional<size_t> {
        bool ok = false;
        const int number = text.toInt(&ok);
        if (!ok || number < 1 || static_cast<size_t>(number) > messages.size() ||
            marked.contains(static_cast<size_t>(number - 1)))
            return std::nullopt;
        return static_cast<size_t>(number - 1);
    };
    const QByteArray noSuchMessage = "-ERR no such message\r\n";

    if (!answer(connection, session, Point::Greeting, "+OK scripted POP3 server ready\r\n"))
        return;
    while (const std::optional<QByteArray> line = connection.readLine()) {
        {
            const std::lock_guard lock(m_mutex);
            m_received.push_back(Received{session, *line});
        }
        const qsizetype space = line->indexOf(' ');
        const QByteArray verb = (space < 0 ? *line : line->left(space)).toUpper();
        const QByteArray argument = space < 0 ? QByteArray() : line->mid(space + 1).trimmed();
        bool goOn = true;
        if (verb == "CAPA") {
            goOn = answer(connection, session, Point::Capa, "+OK\r\nUSER\r\nUIDL\r\n.\r\n");
        } else if (verb == "USER") {
            goOn = answer(connection, session, Point::User, "+OK\r\n");
        } else if (verb == "PASS") {
            goOn = answer(connection, session, Point::Pass, "+OK logged in\r\n");
        } else if (verb == "NOOP") {
            goOn = answer(connection, session, Point::Noop, "+OK\r\n");
        } else if (verb == "UIDL" && !argument.isEmpty()) {
            const std::optional<size_t> index = byNumber(argument);
            goOn = answer(connection, session, Point::UidlOne,
                          index ? "+OK " + argument + ' ' + messages[*index].uid + "\r\n"
                                : noSuchMessage);
        } else if (verb == "UIDL") {
            QByteArray listing = "+OK\r\n";
            for (size_t i = 0; i < messages.size(); ++i) {
                if (!marked.contains(i))
                    listing += QByteArray::number(i + 1) + ' ' + messages[i].uid + "\r\n";
            }
            goOn = answer(connection, session, Point::UidlAll, listing + ".\r\n");
        } else if (verb == "LIST" && !argument.isEmpty()) {
            const std::optional<size_t> index = byNumber(argument);
            goOn = answer(connection, session, Point::List,
                          index ? "+OK " + argument + ' ' +
                                      QByteArray::number(messages[*index].content.size()) + "\r\n"
                                : noSuchMessage);
        } else if (verb == "RETR") {
            const std::optional<size_t> index = byNumber(argument);
            goOn = answer(connection, session, Point::Retr,
                          index ? "+OK " + QByteArray::number(messages[*index].content.size()) +
                                      " octets\r\n" + dotStuffed(messages[*index].content)
                                : noSuchMessage,
                          {}, index ? messages[*index].uid : QByteArray());
        } else if (verb == "DELE") {
            const std::optional<size_t> index = byNumber(argument);
            // A DELE the script refuses marks nothing.
            const QByteArray uid = index ? messages[*index].uid : QByteArray();
            const std::optional<Fault> fault = faultAt(Point::Dele, session, uid);
            if (index && !(fault && fault->reply && !fault->reply->startsWith("+OK")))
                marked.insert(*index);
            goOn = answer(connection, session, Point::Dele,
                          index ? QByteArray("+OK marked\r\n") : noSuchMessage, {}, uid);
        } else if (verb == "RSET") {
            marked.clear();
            goOn = connection.send("+OK\r\n");
        } else if (verb == "QUIT") {
            answer(connection, session, Point::Quit, "+OK bye\r\n", commit);
            return;
        } else {
            goOn = connection.send("-ERR unknown command\r\n");
        }
        if (!goOn)
            return;
    }
}

} // namespace faulttest
