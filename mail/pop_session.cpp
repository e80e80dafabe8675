#include "pop_session.h"

#include <algorithm>

namespace mail {

namespace {

long ceilSeconds(std::chrono::milliseconds ms)
{
    return std::max(1L, static_cast<long>((ms.count() + 999) / 1000));
}

QByteArray trimLineEnd(QByteArray line)
{
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

// What the transcript keeps of a command: never a password or SASL data.
QByteArray redactedCommand(const QByteArray& line)
{
    const qsizetype space = line.indexOf(' ');
    const QByteArray verb = (space < 0 ? line : line.left(space)).toUpper();
    static const QByteArray kept[] = {"UIDL", "RETR", "DELE", "QUIT", "CAPA", "STLS",
                                      "LIST", "STAT", "NOOP", "RSET", "TOP"};
    for (const QByteArray& k : kept) {
        if (verb == k)
            return line;
    }
    if (verb == "USER" || verb == "PASS" || verb == "AUTH" || verb == "APOP")
        return verb;
    return "(login data)";
}

} // namespace

PopSession::PopSession(Settings settings) : m_settings(std::move(settings))
{
    if (ensureCurlGlobalInit())
        m_curl.reset(curl_easy_init());
}

PopSession::~PopSession() = default; // curl_easy_cleanup sends QUIT on an open connection

PopSession::Reply PopSession::command(const QByteArray& line, Connection connection, bool last)
{
    return perform(m_settings.server.url(), line.constData(), true, nullptr, connection, last);
}

PopSession::Reply PopSession::listing(const QByteArray& line, const Sink& sink,
                                      Connection connection, bool last)
{
    return perform(m_settings.server.url(), line.constData(), false, &sink, connection, last);
}

PopSession::Reply PopSession::retrieve(int number, const Sink& sink, Connection connection,
                                       bool last)
{
    return perform(m_settings.server.url(number), nullptr, false, &sink, connection, last);
}

PopSession::Reply PopSession::perform(const QByteArray& url, const char* customRequest, bool noBody,
                                      const Sink* sink, Connection connection, bool last)
{
    Reply reply;
    if (!m_curl) {
        reply.code = CURLE_FAILED_INIT;
        return reply;
    }
    const auto remaining =
        std::chrono::duration_cast<std::chrono::milliseconds>(m_settings.deadline - Clock::now());
    if (remaining.count() <= 0) {
        reply.code = CURLE_OPERATION_TIMEDOUT;
        return reply;
    }

    CURL* h = m_curl.get();
    m_errorBuffer[0] = '\0';
    m_performStart = m_transcript.size();
    m_sink = sink;
    m_prereqRefused = false;
    m_requiredPort = connection == Connection::Same ? m_localPort : -1;
    if (connection == Connection::Same && m_localPort < 0) {
        reply.connectionChanged = true;
        return reply;
    }

    curl_easy_setopt(h, CURLOPT_URL, url.constData());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "pop3,pop3s");
    curl_easy_setopt(h, CURLOPT_USERNAME, m_settings.user.constData());
    curl_easy_setopt(h, CURLOPT_PASSWORD, m_settings.password.constData());
    curl_easy_setopt(h, CURLOPT_USE_SSL,
                     m_settings.server.security == ServerAddress::Security::StartTls
                         ? CURLUSESSL_ALL
                         : CURLUSESSL_NONE);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(h, CURLOPT_SSLVERSION, CURL_SSLVERSION_TLSv1_2);
    if (!m_settings.caFile.isEmpty())
        curl_easy_setopt(h, CURLOPT_CAINFO, m_settings.caFile.toLocal8Bit().constData());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, m_errorBuffer);

    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(std::min(m_settings.connectTimeout, remaining).count()));
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(remaining.count()));
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, ceilSeconds(m_settings.stallTimeout));
    curl_easy_setopt(h, CURLOPT_SERVER_RESPONSE_TIMEOUT, ceilSeconds(m_settings.stallTimeout));

    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, customRequest);
    curl_easy_setopt(h, CURLOPT_NOBODY, noBody ? 1L : 0L);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &PopSession::writeCallback);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    // Every server line, QUIT's reply included, reaches the transcript through here.
    curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, &PopSession::debugCallback);
    curl_easy_setopt(h, CURLOPT_DEBUGDATA, this);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &PopSession::prereqCallback);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, this);
    // The last command closes the connection inside curl_easy_perform, so QUIT (which is
    // what commits deletions) is sent, and its reply seen, before the call returns.
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, last ? 1L : 0L);

    reply.code = curl_easy_perform(h);
    m_sink = nullptr;
    reply.curlMessage = QString::fromUtf8(m_errorBuffer).trimmed();

    long connects = 0;
    curl_easy_getinfo(h, CURLINFO_NUM_CONNECTS, &connects);
    long localPort = -1;
    curl_easy_getinfo(h, CURLINFO_LOCAL_PORT, &localPort);
    if (m_prereqRefused || (connection == Connection::Same && connects > 0))
        reply.connectionChanged = true;
    m_localPort = localPort > 0 ? localPort : -1;

    const QByteArray verb = customRequest ? QByteArray(customRequest)
                                          : QByteArray("RETR ") + url.mid(url.lastIndexOf('/') + 1);
    reply.line = firstReplyTo(verb);
    return reply;
}

QByteArray PopSession::firstReplyTo(const QByteArray& command) const
{
    for (size_t i = m_performStart; i < m_transcript.size(); ++i) {
        const Exchange& e = m_transcript[i];
        if (e.command == command)
            return e.replies.isEmpty() ? QByteArray() : e.replies.front();
    }
    return QByteArray();
}

std::optional<QByteArray> PopSession::quitReply() const
{
    for (size_t i = m_performStart; i < m_transcript.size(); ++i) {
        const Exchange& e = m_transcript[i];
        if (e.command == "QUIT" && !e.replies.isEmpty())
            return e.replies.front();
    }
    return std::nullopt;
}

void PopSession::onDebug(curl_infotype type, const char* data, size_t size)
{
    if (type == CURLINFO_HEADER_OUT) {
        const QByteArray line = trimLineEnd(QByteArray(data, static_cast<qsizetype>(size)));
        m_transcript.push_back(Exchange{redactedCommand(line), {}});
    } else if (type == CURLINFO_HEADER_IN) {
        if (m_transcript.empty())
            m_transcript.push_back(Exchange{"(greeting)", {}});
        const QByteArray text(data, static_cast<qsizetype>(size));
        for (const QByteArray& line : text.split('\n')) {
            const QByteArray trimmed = trimLineEnd(line);
            if (!trimmed.isEmpty())
                m_transcript.back().replies.push_back(trimmed);
        }
    }
}

int PopSession::debugCallback(CURL*, curl_infotype type, char* data, size_t size, void* self)
{
    static_cast<PopSession*>(self)->onDebug(type, data, size);
    return 0;
}

size_t PopSession::writeCallback(char* data, size_t size, size_t count, void* self)
{
    auto* session = static_cast<PopSession*>(self);
    const size_t bytes = size * count;
    if (!session->m_sink || !*session->m_sink)
        return bytes; // a one-line command has no body to keep
    return (*session->m_sink)(data, bytes) ? bytes : 0;
}

int PopSession::prereqCallback(void* self, char*, char*, int, int localPort)
{
    auto* session = static_cast<PopSession*>(self);
    if (session->m_requiredPort >= 0 && localPort != session->m_requiredPort) {
        session->m_prereqRefused = true;
        return CURL_PREREQFUNC_ABORT;
    }
    return CURL_PREREQFUNC_OK;
}

QString PopSession::describeFailure(const Reply& reply) const
{
    const ServerAddress& s = m_settings.server;
    const QString where = QStringLiteral("%1:%2").arg(s.host).arg(s.port);
    const QString detail =
        reply.curlMessage.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reply.curlMessage);
    if (reply.connectionChanged)
        return QStringLiteral("The connection to %1 was lost between two commands, so the "
                              "message numbers could no longer be trusted; nothing was done. "
                              "Try again.")
            .arg(where);
    switch (reply.code) {
    case CURLE_OK:
        return QString();
    case CURLE_FAILED_INIT:
        return QStringLiteral("The network library could not be started (out of memory?).");
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("The server name \"%1\" could not be found. Check the server "
                              "name and the network connection.%2")
            .arg(s.host, detail);
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("Could not connect to %1: the connection was refused or the "
                              "server cannot be reached. Check the server name and port, and "
                              "that the server is running.%2")
            .arg(where, detail);
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("The server %1 did not answer in time. Check the server name "
                              "and port, or try again later.%2")
            .arg(where, detail);
    case CURLE_LOGIN_DENIED:
        return QStringLiteral("The server %1 refused the login for user \"%2\". Check the "
                              "user name and password.%3")
            .arg(where, QString::fromUtf8(m_settings.user), detail);
    case CURLE_USE_SSL_FAILED:
        return QStringLiteral("The server %1 does not offer an encrypted connection (STLS). "
                              "Use pop3s:// if the server supports it, or write pop3://%1 to "
                              "connect without encryption, knowing that the password is then "
                              "sent in clear.%2")
            .arg(where, detail);
    case CURLE_PEER_FAILED_VERIFICATION:
        return QStringLiteral("The certificate of %1 could not be verified: it is not signed "
                              "by a trusted authority, has expired, or is for another name. "
                              "The connection was refused to protect the password.%2")
            .arg(where, detail);
    case CURLE_SSL_CACERT_BADFILE:
        return QStringLiteral("The file of trusted certificate authorities could not be "
                              "read.%1")
            .arg(detail);
    case CURLE_SSL_CONNECT_ERROR:
        return QStringLiteral("The encrypted connection (TLS) to %1 could not be set up; the "
                              "server's certificate or TLS settings were not accepted.%2")
            .arg(where, detail);
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return QStringLiteral("The connection to %1 was broken off. Try again later.%2")
            .arg(where, detail);
    case CURLE_WEIRD_SERVER_REPLY:
        return QStringLiteral("The server %1 gave an unexpected reply: %2")
            .arg(where, reply.line.isEmpty() ? reply.curlMessage : QString::fromUtf8(reply.line));
    default:
        return QStringLiteral("Talking to %1 failed: %2.%3")
            .arg(where, QString::fromUtf8(curl_easy_strerror(reply.code)), detail);
    }
}

} // namespace mail
