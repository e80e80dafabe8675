#include "pop_session.h"

#include "header_text.h"

#include <QCoreApplication>
#include <algorithm>
#include <deque>

#include <unistd.h>

namespace mail {

using namespace Qt::StringLiterals;

namespace {

// How close to the whole call's deadline a time-out counts as that bound's.
constexpr std::chrono::milliseconds kDeadlineSlack{200};

long ceilSeconds(std::chrono::milliseconds ms)
{
    return std::max(1L, static_cast<long>((ms.count() + 999) / 1000));
}

// Seconds as a person reads them in a description.
QString wholeSeconds(std::chrono::milliseconds ms)
{
    return QString::number(ceilSeconds(ms));
}

bool isLoginExchange(const QByteArray& command)
{
    return command == "USER" || command == "PASS" || command == "AUTH" || command == "APOP" ||
           command == "(login data)";
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

// Watches a reply's body arrive: too slow when, over a span of at least a window, less came
// than rate × (window − allowance). The allowance (2 s, or a quarter of a short window) lets a
// body that comes at the rate in bursts, one a second, and a little late, go on: over any
// window it may have brought one burst less than the rate would.
class ProgressWatch {
public:
    ProgressWatch(qint64 bytesPerSecond, std::chrono::milliseconds window)
        : m_rate(bytesPerSecond), m_window(window)
    {
    }

    // bytes: the body's bytes so far.
    bool tooSlow(PopSession::Clock::time_point now, qint64 bytes)
    {
        if (m_rate <= 0 || m_window.count() <= 0 || bytes == 0)
            return false; // no bound, or the body has not begun: the stall bound watches
        if (m_samples.empty() || now - m_samples.back().when >= kSampleEvery)
            m_samples.push_back({now, bytes});
        // The oldest sample kept is the last one at least a window old.
        while (m_samples.size() >= 2 && m_samples[1].when <= now - m_window)
            m_samples.pop_front();
        const Sample& oldest = m_samples.front();
        if (now - oldest.when < m_window)
            return false;
        const double seconds =
            std::chrono::duration<double>(m_window - std::min(kAllowance, m_window / 4)).count();
        return static_cast<double>(bytes - oldest.bytes) < static_cast<double>(m_rate) * seconds;
    }

    static constexpr std::chrono::milliseconds kAllowance{2000};

private:
    static constexpr std::chrono::milliseconds kSampleEvery{250};
    struct Sample {
        PopSession::Clock::time_point when;
        qint64 bytes = 0;
    };
    qint64 m_rate;
    std::chrono::milliseconds m_window;
    std::deque<Sample> m_samples;
};

// A rate as a person reads it: "1 KB", "300 バイト".
QString rateText(qint64 bytesPerSecond)
{
    return bytesPerSecond % 1024 == 0 ? u"%1 KB"_s.arg(bytesPerSecond / 1024)
                                      : QCoreApplication::translate("mail", "%1 バイト").arg(bytesPerSecond);
}

} // namespace

PopSession::PopSession(Settings settings) : m_settings(std::move(settings))
{
    if (ensureCurlGlobalInit()) {
        m_multi.reset(curl_multi_init());
        if (m_multi)
            m_curl.reset(curl_easy_init());
    }
}

PopSession::~PopSession() = default; // curl_multi_cleanup sends QUIT on an open connection

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
    if (cancelled()) {
        reply.code = CURLE_ABORTED_BY_CALLBACK;
        return reply;
    }
    // Without a deadline only the connection's own bounds apply.
    const auto remaining = m_settings.deadline
                               ? std::chrono::duration_cast<std::chrono::milliseconds>(
                                     *m_settings.deadline - Clock::now())
                               : m_settings.connectTimeout;
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
    curl_easy_setopt(h, CURLOPT_TIMEOUT_MS,
                     m_settings.deadline ? static_cast<long>(remaining.count()) : 0L);
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
    // Curl waits for some replies (QUIT's above all) inside one call: there it only looks at
    // the progress callback, about once a second, and the cancel flag shuts the socket down.
    curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &PopSession::progressCallback);
    curl_easy_setopt(h, CURLOPT_XFERINFODATA, this);
    curl_easy_setopt(h, CURLOPT_SOCKOPTFUNCTION, &PopSession::sockoptCallback);
    curl_easy_setopt(h, CURLOPT_SOCKOPTDATA, this);
    curl_easy_setopt(h, CURLOPT_CLOSESOCKETFUNCTION, &PopSession::closeSocketCallback);
    curl_easy_setopt(h, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(h, CURLOPT_PREREQFUNCTION, &PopSession::prereqCallback);
    curl_easy_setopt(h, CURLOPT_PREREQDATA, this);
    // The last command closes the connection inside curl_easy_perform, so QUIT (which is
    // what commits deletions) is sent, and its reply seen, before the call returns.
    curl_easy_setopt(h, CURLOPT_FORBID_REUSE, last ? 1L : 0L);

    reply.code = transfer();
    reply.tooSlow = m_tooSlow;
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
    for (size_t i = m_performStart; i < m_transcript.size(); ++i) {
        const Exchange& e = m_transcript[i];
        if (e.command == verb)
            reply.commandSent = true;
        if (isLoginExchange(e.command)) {
            for (const QByteArray& line : e.replies) {
                if (line.startsWith("-ERR"))
                    reply.loginRefusal = line;
            }
        }
    }
    return reply;
}

// curl_easy_perform looks at the clock only once a second while it waits for a reply, which
// stretched a stall bound of n seconds to as much as n + 1 (or past the whole call's bound).
// Waiting in short slices lets curl see each bound run out when it does.
CURLcode PopSession::transfer()
{
    constexpr int kSliceMs = 50;
    CURLM* multi = m_multi.get();
    CURL* h = m_curl.get();
    if (curl_multi_add_handle(multi, h) != CURLM_OK)
        return CURLE_FAILED_INIT;
    m_bodyBytes = 0;
    m_tooSlow = false;
    ProgressWatch progress(m_settings.progressRate, m_settings.progressWindow);
    CURLcode result = CURLE_FAILED_INIT;
    for (;;) {
        // Taken out of the multi handle in the middle of its transfer, the easy handle's
        // connection is closed as a dead one: no QUIT, so a DELE already sent is not committed.
        if (cancelled()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        // Dropped the same way: a message that no longer comes at a reasonable rate.
        if (progress.tooSlow(Clock::now(), m_bodyBytes)) {
            m_tooSlow = true;
            result = CURLE_OPERATION_TIMEDOUT;
            break;
        }
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK)
            break;
        bool done = false;
        int queued = 0;
        while (const CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == h) {
                result = message->data.result;
                done = true;
            }
        }
        if (done || running == 0 ||
            curl_multi_poll(multi, nullptr, 0, kSliceMs, nullptr) != CURLM_OK)
            break;
    }
    curl_multi_remove_handle(multi, h);
    return result;
}

bool PopSession::cancelled() const
{
    return m_settings.cancel && m_settings.cancel->raised();
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

bool PopSession::quitSent() const
{
    for (size_t i = m_performStart; i < m_transcript.size(); ++i) {
        if (m_transcript[i].command == "QUIT")
            return true;
    }
    return false;
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
    session->m_bodyBytes += static_cast<qint64>(bytes);
    if (!session->m_sink || !*session->m_sink)
        return bytes; // a one-line command has no body to keep
    return (*session->m_sink)(data, bytes) ? bytes : 0;
}

int PopSession::progressCallback(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return static_cast<PopSession*>(self)->cancelled() ? 1 : 0;
}

int PopSession::sockoptCallback(void* self, curl_socket_t fd, curlsocktype)
{
    const CancelFlag* cancel = static_cast<PopSession*>(self)->m_settings.cancel;
    return !cancel || cancel->watchSocket(fd) ? CURL_SOCKOPT_OK : CURL_SOCKOPT_ERROR;
}

// Also called when the connection cache is cleaned up in the destructor: m_settings, declared
// before the cache, is still there.
int PopSession::closeSocketCallback(void* self, curl_socket_t fd)
{
    const CancelFlag* cancel = static_cast<PopSession*>(self)->m_settings.cancel;
    return cancel ? cancel->closeSocket(fd) : ::close(fd);
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

QString PopSession::serverName() const
{
    const ServerAddress& s = m_settings.server;
    return (s.ipv6Literal ? u"[%1]"_s.arg(s.host) : s.host) + u':' + QString::number(s.port);
}

QString PopSession::shownText(const QString& text) const
{
    // A reply line may hold anything up to the line limit: escapes, bells, a screenful.
    const QString clean = removeControlCharacters(text);
    const QString password = QString::fromUtf8(m_settings.password);
    if (!password.isEmpty() && (text.contains(password) || clean.contains(password)))
        return QString();
    if (clean.size() <= kLongestShownText)
        return clean;
    return clean.left(kLongestShownText) + u'…';
}

QString PopSession::describeFailure(const Reply& reply) const
{
    const ServerAddress& s = m_settings.server;
    const QString where = serverName();
    // Curl never sees the password in a URL, so its own text cannot hold it.
    const QString detail =
        reply.curlMessage.isEmpty() ? QString() : QCoreApplication::translate("mail", "（%1）").arg(reply.curlMessage);
    if (reply.connectionChanged)
        return QCoreApplication::translate("mail", "サーバー %1 との接続がコマンドの途中で入れ替わり、メッセージ番号が当てに"
               "ならなくなったため、何もせずに中止しました。もう一度試してください。").arg(where);
    switch (reply.code) {
    case CURLE_OK:
        return QString();
    case CURLE_ABORTED_BY_CALLBACK:
        return QCoreApplication::translate("mail", "サーバー %1 とのやり取りを途中で中止しました。").arg(where);
    case CURLE_FAILED_INIT:
        return QCoreApplication::translate("mail", "通信ライブラリ（libcurl）を初期化できません。メモリが不足している可能性が"
               "あります。プログラムを起動し直してください。");
    case CURLE_COULDNT_RESOLVE_HOST:
        return QCoreApplication::translate("mail", "サーバー名 %1 が見つかりません%2。サーバーアドレスとネットワークの接続を"
               "確認してください。").arg(s.host, detail);
    case CURLE_COULDNT_CONNECT:
        return QCoreApplication::translate("mail", "サーバー %1 に接続できません%2。サーバーアドレスとポートを確認してください。")
            .arg(where, detail);
    case CURLE_OPERATION_TIMEDOUT: {
        if (reply.tooSlow)
            return QCoreApplication::translate("mail", "サーバー %1 からの受信が %2 秒間の平均で毎秒 %3 を下回ったため中止しました"
                   "。回線が非常に混んでいる可能性があります。しばらくしてからもう一度試して"
                   "ください。").arg(where, wholeSeconds(m_settings.progressWindow),
                                       rateText(m_settings.progressRate));
        const Clock::time_point now = Clock::now();
        if (m_settings.deadline && now + kDeadlineSlack >= *m_settings.deadline)
            return QCoreApplication::translate("mail", "サーバー %1 とのやり取りが制限時間の %2 秒以内に終わらなかったため中止"
                   "しました%3。回線が混んでいる可能性があります。しばらくしてからもう一度"
                   "試してください。").arg(where)
                       .arg(wholeSeconds(std::chrono::duration_cast<std::chrono::milliseconds>(
                           *m_settings.deadline - m_started)))
                       .arg(detail);
        if (!reply.commandSent)
            return QCoreApplication::translate("mail", "サーバー %1 から %2 秒間応答がありません%3。接続とログインを完了できません"
                   "でした。サーバーアドレスとポートを確認するか、しばらくしてからもう一度試"
                   "してください。").arg(where)
                       .arg(wholeSeconds(
                           std::min(m_settings.connectTimeout, m_settings.stallTimeout)))
                       .arg(detail);
        return QCoreApplication::translate("mail", "サーバー %1 から %2 秒間応答がありません%3。しばらくしてからもう一度試して"
               "ください。").arg(where)
                   .arg(wholeSeconds(m_settings.stallTimeout))
                   .arg(detail);
    }
    case CURLE_LOGIN_DENIED: {
        const QString refusal = shownText(QString::fromUtf8(reply.loginRefusal));
        // Response codes of RFC 3206: the password may well be right.
        if (reply.loginRefusal.contains("[IN-USE]"))
            return QCoreApplication::translate("mail", "サーバー %1 のメールボックスは別のプログラム（メールソフトなど）が使用中です"
                   "（「%2」）。しばらくしてからもう一度試してください。").arg(where, refusal);
        if (reply.loginRefusal.contains("[SYS/TEMP]"))
            return QCoreApplication::translate("mail", "サーバー %1 で一時的な障害のためログインできません（「%2」）。しばらくして"
                   "からもう一度試してください。").arg(where, refusal);
        return QCoreApplication::translate("mail", "サーバー %1 でユーザー「%2」のログインが拒否されました%3。ユーザー名とパス"
               "ワードを確認してください。").arg(
                   where, QString::fromUtf8(m_settings.user),
                   refusal.isEmpty() ? QString() : QCoreApplication::translate("mail", "（「%1」）").arg(refusal));
    }
    case CURLE_USE_SSL_FAILED: {
        // How the user writes this server for a plain-text connection.
        const QString host = s.ipv6Literal ? u"[%1]"_s.arg(s.host) : s.host;
        const QString plain = s.port == 110 ? host : where;
        return QCoreApplication::translate("mail", "%1 は STLS に対応していないため、暗号化せずにパスワードを送らないよう接続を"
               "中止しました。平文で接続するには pop3://%2 と書いてください。").arg(host, plain);
    }
    case CURLE_PEER_FAILED_VERIFICATION:
        return QCoreApplication::translate("mail", "サーバー %1 の証明書を確認できません%2。信頼できる認証局の署名がないか、期限"
               "切れか、別のサーバー名の証明書です。パスワードを守るため接続を中止しました。")
                   .arg(where, detail);
    case CURLE_SSL_CACERT_BADFILE:
        return m_settings.caFile.isEmpty()
                   ? QCoreApplication::translate("mail", "システムの認証局の証明書を読み込めません%1。ca-certificates パッケージが"
                     "入っているか確認してください。").arg(detail)
                   : QCoreApplication::translate("mail", "認証局の証明書ファイル「%1」を読み込めません%2。").arg(m_settings.caFile,
                                                                               detail);
    case CURLE_SSL_CONNECT_ERROR:
        return QCoreApplication::translate("mail", "サーバー %1 と暗号化した接続（TLS）を確立できません%2。ポート番号が合って"
               "いるか（pop3s:// は通常 995 番）を確認してください。").arg(where, detail);
    case CURLE_RECV_ERROR:
        if (reply.curlMessage.contains(u"Too large"_s))
            return QCoreApplication::translate("mail", "サーバー %1 から長すぎる応答行が届いたため中止しました%2。POP3 サーバーの"
                   "アドレスとポートを確認してください。").arg(where, detail);
        [[fallthrough]];
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
        return QCoreApplication::translate("mail", "サーバー %1 との接続が途中で切れました%2。しばらくしてからもう一度試して"
               "ください。").arg(where, detail);
    case CURLE_WEIRD_SERVER_REPLY: {
        const QString line = shownText(QString::fromUtf8(reply.line));
        return QCoreApplication::translate("mail", "サーバー %1 から予期しない応答がありました%2。POP3 サーバーのアドレスとポート"
               "か確認してください。").arg(where,
                                             line.isEmpty() ? detail : QCoreApplication::translate("mail", "（「%1」）").arg(line));
    }
    default:
        return QCoreApplication::translate("mail", "サーバー %1 との通信に失敗しました（%2）%3。しばらくしてからもう一度試して"
               "ください。").arg(where, QString::fromUtf8(curl_easy_strerror(reply.code)),
                                   detail);
    }
}

} // namespace mail
