#include "dovecot_fixture.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace mail {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kStartAttempts = 5;

[[noreturn]] void fail(const QString& what)
{
    throw std::runtime_error(what.toStdString());
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs a program to completion with its output in logPath; true on exit status 0.
bool runProgram(const std::vector<std::string>& args, const QString& logPath)
{
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        const int log = ::open(QFile::encodeName(logPath).constData(),
                               O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (log >= 0) {
            dup2(log, STDOUT_FILENO);
            dup2(log, STDERR_FILENO);
        }
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A port that was free a moment ago. Another process may take it before the server binds
// it; start() then tries again with new ports.
quint16 freePort()
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        fail(QStringLiteral("socket: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0;
    ::close(fd);
    if (!ok)
        fail(QStringLiteral("cannot find a free port"));
    return ntohs(addr.sin_port);
}

// A blocking line-based client with a time bound on every step, enough to speak POP3 to the
// fixture's own server over the plain port.
class LineClient {
public:
    LineClient(quint16 port, std::chrono::milliseconds timeout) : m_timeout(timeout)
    {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(port);
        if (m_fd < 0 || ::connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            m_failed = true;
    }
    ~LineClient()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    LineClient(const LineClient&) = delete;
    LineClient& operator=(const LineClient&) = delete;

    bool failed() const { return m_failed; }

    std::optional<QByteArray> readLine()
    {
        const auto deadline = Clock::now() + m_timeout;
        while (!m_failed) {
            const qsizetype eol = m_buffer.indexOf('\n');
            if (eol >= 0) {
                QByteArray line = m_buffer.left(eol);
                m_buffer.remove(0, eol + 1);
                if (line.endsWith('\r'))
                    line.chop(1);
                return line;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            pollfd p{m_fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            char chunk[4096];
            const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
            if (n <= 0)
                break;
            m_buffer.append(chunk, n);
        }
        m_failed = true;
        return std::nullopt;
    }

    bool send(const QByteArray& line)
    {
        const QByteArray data = line + "\r\n";
        return !m_failed && ::send(m_fd, data.constData(), static_cast<size_t>(data.size()),
                                   MSG_NOSIGNAL) == data.size();
    }

    // Sends a command and returns its status line when it starts with "+OK".
    std::optional<QByteArray> ok(const QByteArray& command)
    {
        if (!send(command))
            return std::nullopt;
        std::optional<QByteArray> line = readLine();
        if (!line || !line->startsWith("+OK"))
            return std::nullopt;
        return line;
    }

    // The body of a multi-line reply, dot-stuffing undone.
    std::optional<QList<QByteArray>> body()
    {
        QList<QByteArray> lines;
        for (;;) {
            std::optional<QByteArray> line = readLine();
            if (!line)
                return std::nullopt;
            if (*line == ".")
                return lines;
            lines << (line->startsWith("..") ? line->mid(1) : *line);
        }
    }

private:
    int m_fd = -1;
    bool m_failed = false;
    QByteArray m_buffer;
    std::chrono::milliseconds m_timeout;
};

// Number and UID of each message, in a logged-in session.
std::optional<QList<std::pair<int, QString>>> listUids(LineClient& client)
{
    if (!client.ok("UIDL"))
        return std::nullopt;
    const auto lines = client.body();
    if (!lines)
        return std::nullopt;
    QList<std::pair<int, QString>> out;
    for (const QByteArray& line : *lines) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            out.append({parts[0].toInt(), QString::fromLatin1(parts[1])});
    }
    return out;
}

bool waitForGreeting(quint16 port, std::chrono::milliseconds timeout)
{
    LineClient client(port, timeout);
    const auto line = client.readLine();
    return line && line->startsWith("+OK");
}

} // namespace

DovecotFixture::~DovecotFixture()
{
    stop();
}

QString DovecotFixture::caFile() const
{
    return m_root + QStringLiteral("/ca.crt");
}

QString DovecotFixture::logText() const
{
    return QString::fromUtf8(readFile(m_root + QStringLiteral("/dovecot.log")) +
                             readFile(m_root + QStringLiteral("/stderr.log")));
}

void DovecotFixture::start(const Options& options)
{
    if (isRunning())
        fail(QStringLiteral("the server is already running"));
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/junkbane-dovecot-XXXXXX";
    if (!mkdtemp(pattern.data()))
        fail(QStringLiteral("mkdtemp: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    m_root = QString::fromLocal8Bit(pattern);
    try {
        // Mail processes run as nobody: every folder on the way to the Maildir must let it
        // through (mkdtemp makes 0700).
        chmod(pattern.constData(), 0755);
        const passwd* nobody = getpwnam("nobody");
        if (!nobody)
            fail(QStringLiteral("there is no user \"nobody\""));
        const QString home = m_root + QStringLiteral("/home/") + user();
        for (const QString& dir :
             {m_root + QStringLiteral("/home"), home, home + QStringLiteral("/Maildir"),
              home + QStringLiteral("/Maildir/cur"), home + QStringLiteral("/Maildir/new"),
              home + QStringLiteral("/Maildir/tmp")}) {
            const QByteArray path = QFile::encodeName(dir);
            if (mkdir(path.constData(), 0755) != 0 ||
                chown(path.constData(), nobody->pw_uid, nobody->pw_gid) != 0)
                fail(QStringLiteral("cannot prepare %1: %2")
                         .arg(dir, QString::fromLocal8Bit(std::strerror(errno))));
        }
        writeFile(m_root + QStringLiteral("/passwd"), QStringLiteral("%1:{PLAIN}%2:%3:%4::%5::\n")
                                                          .arg(user(), password())
                                                          .arg(nobody->pw_uid)
                                                          .arg(nobody->pw_gid)
                                                          .arg(home)
                                                          .toUtf8());
        if (options.implicitTls || options.offerStls)
            makeCertificates();

        QString log;
        for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
            writeConfig(options);
            if (startOnce(options, &log))
                return;
            // Only a port taken in the meantime is worth another try.
            if (!log.contains(QStringLiteral("Address already in use")))
                break;
        }
        fail(QStringLiteral("Dovecot did not start:\n%1").arg(log));
    } catch (...) {
        stop();
        throw;
    }
}

void DovecotFixture::makeCertificates()
{
    const std::string root = m_root.toStdString();
    const QString log = m_root + QStringLiteral("/openssl.log");
    writeFile(m_root + QStringLiteral("/server.ext"),
              "basicConstraints=critical,CA:FALSE\n"
              "keyUsage=critical,digitalSignature,keyEncipherment\n"
              "extendedKeyUsage=serverAuth\n"
              "subjectAltName=IP:127.0.0.1,DNS:localhost\n");
    const bool ok =
        runProgram({"openssl",
                    "req",
                    "-x509",
                    "-newkey",
                    "ec",
                    "-pkeyopt",
                    "ec_paramgen_curve:prime256v1",
                    "-nodes",
                    "-days",
                    "2",
                    "-subj",
                    "/CN=Junkbane Test CA",
                    "-addext",
                    "basicConstraints=critical,CA:TRUE",
                    "-addext",
                    "keyUsage=critical,keyCertSign,cRLSign",
                    "-keyout",
                    root + "/ca.key",
                    "-out",
                    root + "/ca.crt"},
                   log) &&
        runProgram({"openssl", "req", "-new", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-subj", "/CN=127.0.0.1", "-keyout",
                    root + "/server.key", "-out", root + "/server.csr"},
                   log) &&
        runProgram({"openssl", "x509", "-req", "-in", root + "/server.csr", "-CA", root + "/ca.crt",
                    "-CAkey", root + "/ca.key", "-CAcreateserial", "-days", "2", "-extfile",
                    root + "/server.ext", "-out", root + "/server.crt"},
                   log);
    if (!ok)
        fail(QStringLiteral("openssl failed:\n%1").arg(QString::fromUtf8(readFile(log))));
}

void DovecotFixture::writeConfig(const Options& options)
{
    m_port = freePort();
    m_pop3sPort = options.implicitTls ? freePort() : 0;
    while (options.implicitTls && m_pop3sPort == m_port)
        m_pop3sPort = freePort();
    const bool anyTls = options.implicitTls || options.offerStls;

    QString conf;
    QTextStream out(&conf);
    out << "base_dir = " << m_root << "/run\n"
        << "state_dir = " << m_root << "/state\n"
        << "log_path = " << m_root << "/dovecot.log\n"
        << "info_log_path = " << m_root << "/dovecot.log\n"
        << "protocols = pop3\n"
        << "listen = 127.0.0.1\n"
        << "ssl = " << (options.offerStls ? "yes" : "no") << "\n";
    if (anyTls)
        out << "ssl_cert = <" << m_root << "/server.crt\n"
            << "ssl_key = <" << m_root << "/server.key\n";
    out << "disable_plaintext_auth = no\n"
        << "auth_mechanisms = plain\n"
        << "auth_failure_delay = 0 secs\n"
        << "mail_location = maildir:~/Maildir\n"
        << "pop3_uidl_format = %08Xu%08Xv\n"
        << "passdb {\n  driver = passwd-file\n  args = scheme=PLAIN " << m_root << "/passwd\n}\n"
        << "userdb {\n  driver = passwd-file\n  args = " << m_root << "/passwd\n}\n"
        << "service pop3-login {\n"
        << "  inet_listener pop3 {\n    port = " << m_port << "\n  }\n"
        << "  inet_listener pop3s {\n    port = " << m_pop3sPort << "\n"
        << (options.implicitTls ? "    ssl = yes\n" : "") << "  }\n"
        << "}\n"
        << "service anvil {\n  unix_listener anvil-auth-penalty {\n    mode = 0\n  }\n}\n";
    out.flush();
    writeFile(m_root + QStringLiteral("/dovecot.conf"), conf.toUtf8());
}

bool DovecotFixture::startOnce(const Options& options, QString* log)
{
    QFile::remove(m_root + QStringLiteral("/dovecot.log"));
    QFile::remove(m_root + QStringLiteral("/stderr.log"));
    const QByteArray conf = QFile::encodeName(m_root + QStringLiteral("/dovecot.conf"));
    const QByteArray errLog = QFile::encodeName(m_root + QStringLiteral("/stderr.log"));
    const char* program = access("/usr/sbin/dovecot", X_OK) == 0 ? "/usr/sbin/dovecot" : "dovecot";
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid < 0)
        fail(QStringLiteral("fork: %1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    if (pid == 0) {
        // The server goes when the test process goes, even when a test crashes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        const int fd = ::open(errLog.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd >= 0) {
            dup2(fd, STDOUT_FILENO);
            dup2(fd, STDERR_FILENO);
        }
        execlp(program, program, "-F", "-c", conf.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    m_pid = pid;

    const auto deadline = Clock::now() + 10s;
    while (Clock::now() < deadline) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            *log = logText();
            return false;
        }
        if (waitForGreeting(m_port, 200ms) &&
            (!options.implicitTls || LineClient(m_pop3sPort, 200ms).failed() == false))
            return true;
        std::this_thread::sleep_for(20ms);
    }
    *log = QStringLiteral("no greeting within 10 s\n") + logText();
    stop();
    return false;
}

void DovecotFixture::stop() noexcept
{
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        const auto deadline = Clock::now() + 5s;
        int status = 0;
        pid_t done = 0;
        while ((done = waitpid(m_pid, &status, WNOHANG)) == 0 && Clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        if (done == 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
    }
    if (!m_root.isEmpty()) {
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(m_root).toStdString(), ignored);
        m_root.clear();
    }
    m_port = 0;
    m_pop3sPort = 0;
}

std::vector<pid_t> DovecotFixture::processIds() const
{
    std::vector<pid_t> pids;
    if (m_pid <= 0)
        return pids;
    pids.push_back(m_pid);
    const QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        // /proc/PID/stat: "pid (comm) state ppid ..."; comm may hold spaces and parentheses.
        const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
        const qsizetype close = stat.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == m_pid)
            pids.push_back(pid);
    }
    return pids;
}

QString DovecotFixture::addMessage(const QByteArray& bytes)
{
    const QStringList before = uids();
    const passwd* nobody = getpwnam("nobody");
    const QString maildir = m_root + QStringLiteral("/home/") + user() + QStringLiteral("/Maildir");
    // Maildir delivery: write under tmp/, then rename into new/ so the server never sees a
    // half-written message.
    const QString name = QStringLiteral("%1.M%2P%3.junkbane")
                             .arg(time(nullptr))
                             .arg(++m_messageCounter)
                             .arg(getpid());
    const QString tmpPath = maildir + QStringLiteral("/tmp/") + name;
    writeFile(tmpPath, bytes);
    if (nobody)
        chown(QFile::encodeName(tmpPath).constData(), nobody->pw_uid, nobody->pw_gid);
    if (rename(QFile::encodeName(tmpPath).constData(),
               QFile::encodeName(maildir + QStringLiteral("/new/") + name).constData()) != 0)
        fail(QStringLiteral("cannot deliver into the Maildir: %1")
                 .arg(QString::fromLocal8Bit(std::strerror(errno))));
    const QStringList after = uids();
    QStringList added;
    for (const QString& uid : after) {
        if (!before.contains(uid))
            added << uid;
    }
    if (added.size() != 1)
        fail(QStringLiteral("expected one new UID, server lists %1").arg(after.join(u' ')));
    return added.front();
}

QStringList DovecotFixture::uids() const
{
    LineClient client(m_port, 5s);
    if (!client.readLine() || !client.ok("USER " + user().toUtf8()) ||
        !client.ok("PASS " + password().toUtf8()))
        fail(QStringLiteral("the fixture could not log in to its own server:\n%1").arg(logText()));
    const auto list = listUids(client);
    if (!list)
        fail(QStringLiteral("UIDL failed on the fixture's own session"));
    client.ok("QUIT");
    QStringList out;
    for (const auto& entry : *list)
        out << entry.second;
    return out;
}

bool DovecotFixture::deleteByUid(const QString& uid)
{
    LineClient client(m_port, 5s);
    if (!client.readLine() || !client.ok("USER " + user().toUtf8()) ||
        !client.ok("PASS " + password().toUtf8()))
        fail(QStringLiteral("the fixture could not log in to its own server"));
    const auto list = listUids(client);
    if (!list)
        fail(QStringLiteral("UIDL failed on the fixture's own session"));
    for (const auto& [number, listed] : *list) {
        if (listed == uid)
            return client.ok("DELE " + QByteArray::number(number)) && client.ok("QUIT");
    }
    client.ok("QUIT");
    return false;
}

} // namespace mail
