// PopMailLibrary against a real Dovecot POP3 server started by each test on 127.0.0.1.

#include "dovecot_fixture.h"
#include "pop_mail_library.h"
#include "scripted_pop_server.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mail {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Kind = CallStatus::Kind;
using Outcome = PopMailLibrary::DeleteOutcome;

QByteArray makeMessage(const QByteArray& subject, const QByteArray& body = "Hello.")
{
    static int counter = 0;
    return "From: Sender <sender@example.com>\r\n"
           "To: sweeper@example.com\r\n"
           "Subject: " +
           subject +
           "\r\n"
           "Message-ID: <" +
           QByteArray::number(++counter) + "." + subject +
           "@test>\r\n"
           "\r\n" +
           body +
           "\r\n"
           ".starts with a dot\r\n";
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList folderEntries(const QString& path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

enum class Connect { StartTls, ImplicitTls, PlainText };

std::string connectName(Connect c)
{
    switch (c) {
    case Connect::StartTls:
        return "StartTls";
    case Connect::ImplicitTls:
        return "ImplicitTls";
    case Connect::PlainText:
        return "PlainText";
    }
    return "?";
}

class PopServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_server.start();
        m_options.caFile = m_server.caFile();
        m_options.connectTimeout = 5s;
        m_options.stallTimeout = 5s;
        m_options.deleteTimeout = 20s;
    }

    QString serverText(Connect c = Connect::StartTls) const
    {
        switch (c) {
        case Connect::StartTls:
            return QStringLiteral("127.0.0.1:%1").arg(m_server.port());
        case Connect::ImplicitTls:
            return QStringLiteral("pop3s://127.0.0.1:%1").arg(m_server.pop3sPort());
        case Connect::PlainText:
            return QStringLiteral("pop3://127.0.0.1:%1").arg(m_server.port());
        }
        return QString();
    }

    MailResult rcv(PopMailLibrary& lib, const QString& command, Connect c = Connect::StartTls)
    {
        return lib.RcvMail(serverText(c), m_server.user(), m_server.password(), command,
                           QStringLiteral(">") + m_folder.path());
    }

    DovecotFixture m_server;
    QTemporaryDir m_folder;
    PopOptions m_options;
};

// --- SAVE and DELE on each kind of connection -------------------------------------------

class SaveAndDeleteTest : public PopServerTest, public ::testing::WithParamInterface<Connect> {};

TEST_P(SaveAndDeleteTest, savesTheMessageByteForByteAndDeletesOnlyIt)
{
    const QByteArray second = makeMessage("second", "line one\r\n..double dot\r\nline three");
    const QString uid1 = m_server.addMessage(makeMessage("first"));
    const QString uid2 = m_server.addMessage(second);
    const QString uid3 = m_server.addMessage(makeMessage("third"));
    PopMailLibrary lib(m_options);

    const MailResult saved = rcv(lib, QStringLiteral("SAVE 2"), GetParam());
    ASSERT_TRUE(saved) << lib.lastStatus().description.toStdString();
    EXPECT_EQ(lib.lastStatus().kind, Kind::Ok);
    ASSERT_EQ(saved->size(), 1);
    EXPECT_TRUE(saved->front().startsWith(m_folder.path() + u'/'));
    EXPECT_EQ(fileBytes(saved->front()), second);
    EXPECT_EQ(QFileInfo(saved->front()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
              QFile::Permissions());

    const MailResult deleted = rcv(lib, QStringLiteral("DELE 2"), GetParam());
    EXPECT_FALSE(deleted);
    EXPECT_EQ(lib.lastStatus().kind, Kind::Ok) << lib.lastStatus().description.toStdString();
    EXPECT_EQ(lib.lastDeleteOutcome(), Outcome::Deleted);
    EXPECT_EQ(m_server.uids(), (QStringList{uid1, uid3}));
}

INSTANTIATE_TEST_SUITE_P(Connections, SaveAndDeleteTest,
                         ::testing::Values(Connect::StartTls, Connect::ImplicitTls,
                                           Connect::PlainText),
                         [](const auto& param) { return connectName(param.param); });

// --- The end of the mailbox -------------------------------------------------------------

TEST_F(PopServerTest, saveBeyondTheLastMessageIsNoSuchMessageAndCreatesNoFile)
{
    PopMailLibrary lib(m_options);
    for (int stored : {0, 2}) {
        SCOPED_TRACE(stored);
        while (m_server.uids().size() < stored)
            m_server.addMessage(makeMessage("m"));
        const QString command = QStringLiteral("SAVE %1").arg(stored + 1);
        EXPECT_FALSE(rcv(lib, command));
        EXPECT_EQ(lib.lastStatus().kind, Kind::NoSuchMessage)
            << lib.lastStatus().description.toStdString();
        EXPECT_TRUE(folderEntries(m_folder.path()).isEmpty());
    }
}

// --- Deleting after another mail reader moved the numbers ---------------------------------

struct RenumberCase {
    const char* name;
    int judged;               // the number SAVE was given
    std::vector<int> removed; // numbers (before) another reader deletes after the SAVE
    bool judgedSurvives;
};

class RenumberTest : public PopServerTest, public ::testing::WithParamInterface<RenumberCase> {};

TEST_P(RenumberTest, deletesTheJudgedMessageWhereverItIsAndNothingElse)
{
    const RenumberCase& c = GetParam();
    QStringList uids;
    for (int i = 1; i <= 4; ++i)
        uids << m_server.addMessage(makeMessage("m" + QByteArray::number(i)));
    PopMailLibrary lib(m_options);
    ASSERT_TRUE(rcv(lib, QStringLiteral("SAVE %1").arg(c.judged)))
        << lib.lastStatus().description.toStdString();

    QStringList expected = uids;
    for (int number : c.removed) {
        const QString uid = uids[number - 1];
        ASSERT_TRUE(m_server.deleteByUid(uid));
        expected.removeOne(uid);
    }
    const QString judgedUid = uids[c.judged - 1];
    expected.removeOne(judgedUid);

    EXPECT_FALSE(rcv(lib, QStringLiteral("DELE %1").arg(c.judged)));
    EXPECT_EQ(lib.lastStatus().kind, Kind::Ok) << lib.lastStatus().description.toStdString();
    EXPECT_EQ(lib.lastDeleteOutcome(),
              c.judgedSurvives ? Outcome::Deleted : Outcome::JudgedMessageGone);
    EXPECT_EQ(m_server.uids(), expected);
}

INSTANTIATE_TEST_SUITE_P(AnotherReader, RenumberTest,
                         ::testing::Values(RenumberCase{"nothingMoved", 2, {}, true},
                                           RenumberCase{"earlierMessageRemoved", 3, {1}, true},
                                           RenumberCase{"laterMessageRemoved", 2, {4}, true},
                                           RenumberCase{"numberNowBeyondTheEnd", 4, {1, 2}, true},
                                           RenumberCase{"judgedMessageRemoved", 2, {2}, false},
                                           RenumberCase{
                                               "judgedAndEarlierRemoved", 3, {1, 3}, false}),
                         [](const auto& param) { return std::string(param.param.name); });

// --- Only the last SAVE is the judged message ------------------------------------------------

struct CallStep {
    const char* command;
    const char* user; // nullptr: the server's user
    bool wrongPassword;
    Kind kind;
    Outcome outcome; // after a DELE; Outcome::None after a SAVE
};

struct JudgedCase {
    const char* situation;
    std::vector<CallStep> steps;
    std::vector<int> kept; // numbers (1 to 3, before the calls) still on the server after them
};

class JudgedMessageTest : public PopServerTest, public ::testing::WithParamInterface<JudgedCase> {};

TEST_P(JudgedMessageTest, deleteRemovesOnlyTheMessageOfTheLastSaveAndOnlyOnce)
{
    QStringList uids;
    for (int i = 1; i <= 3; ++i)
        uids << m_server.addMessage(makeMessage("m" + QByteArray::number(i)));
    PopMailLibrary lib(m_options);
    for (const CallStep& step : GetParam().steps) {
        SCOPED_TRACE(step.command);
        const QString user = step.user ? QString::fromUtf8(step.user) : m_server.user();
        const QString pass = step.wrongPassword ? u"wrong"_s : m_server.password();
        const MailResult result = lib.RcvMail(
            serverText(), user, pass, QString::fromUtf8(step.command), u">"_s + m_folder.path());
        EXPECT_EQ(lib.lastStatus().kind, step.kind) << lib.lastStatus().description.toStdString();
        EXPECT_EQ(lib.lastDeleteOutcome(), step.outcome);
        if (result) {
            for (const QString& path : *result)
                QFile::remove(path);
        }
    }
    QStringList expected;
    for (int number : GetParam().kept)
        expected << uids[number - 1];
    EXPECT_EQ(m_server.uids(), expected);
    EXPECT_TRUE(folderEntries(m_folder.path()).isEmpty());
}

constexpr CallStep saved(const char* command)
{
    return {command, nullptr, false, Kind::Ok, Outcome::None};
}
constexpr CallStep deleted(const char* command)
{
    return {command, nullptr, false, Kind::Ok, Outcome::Deleted};
}
constexpr CallStep nothingDeleted(const char* command, const char* user = nullptr)
{
    return {command, user, false, Kind::Ok, Outcome::NothingJudged};
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, JudgedMessageTest,
    ::testing::Values(
        JudgedCase{"saveThenDelete", {saved("SAVE 2"), deleted("DELE 2")}, {1, 3}},
        JudgedCase{"deleteWithNothingSaved", {nothingDeleted("DELE 1")}, {1, 2, 3}},
        JudgedCase{"deleteOfAnEarlierSave",
                   {saved("SAVE 1"), saved("SAVE 2"), nothingDeleted("DELE 1")},
                   {1, 2, 3}},
        JudgedCase{"secondDeleteOfTheSameNumber",
                   {saved("SAVE 2"), deleted("DELE 2"), nothingDeleted("DELE 2")},
                   {1, 3}},
        JudgedCase{"deleteOfAnotherNumberUsesTheJudgementUp",
                   {saved("SAVE 1"), nothingDeleted("DELE 2"), nothingDeleted("DELE 1")},
                   {1, 2, 3}},
        JudgedCase{"deleteAsAnotherUserUsesTheJudgementUp",
                   {saved("SAVE 1"), nothingDeleted("DELE 1", "other"), nothingDeleted("DELE 1")},
                   {1, 2, 3}},
        JudgedCase{"saveBeyondTheEndClearsTheJudgement",
                   {saved("SAVE 1"),
                    {"SAVE 4", nullptr, false, Kind::NoSuchMessage, Outcome::None},
                    nothingDeleted("DELE 1")},
                   {1, 2, 3}},
        JudgedCase{"saveZeroClearsTheJudgement",
                   {saved("SAVE 1"),
                    {"SAVE 0", nullptr, false, Kind::NoSuchMessage, Outcome::None},
                    nothingDeleted("DELE 1")},
                   {1, 2, 3}},
        JudgedCase{"failedSaveClearsTheJudgement",
                   {saved("SAVE 1"),
                    {"SAVE 1", nullptr, true, Kind::Failed, Outcome::None},
                    nothingDeleted("DELE 1")},
                   {1, 2, 3}},
        JudgedCase{"deleteZeroDeletesNothing",
                   {saved("SAVE 1"), nothingDeleted("DELE 0"), nothingDeleted("DELE 1")},
                   {1, 2, 3}}),
    [](const auto& param) { return std::string(param.param.situation); });

// --- Numbers that name no message ---------------------------------------------------------------

struct NumberCase {
    const char* situation;
    const char* command;
    bool wrongPassword;
    Kind kind;
    std::vector<const char*> mustContain; // in the description
};

class CommandNumberTest : public PopServerTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(CommandNumberTest, logsInAndReportsNoMessageOrSaysWhatIsWrong)
{
    const NumberCase& c = GetParam();
    const QString uid = m_server.addMessage(makeMessage("only"));
    PopMailLibrary lib(m_options);
    const QString pass = c.wrongPassword ? u"wrong-secret"_s : m_server.password();
    EXPECT_FALSE(lib.RcvMail(serverText(), m_server.user(), pass, QString::fromUtf8(c.command),
                             u">"_s + m_folder.path()));
    const CallStatus status = lib.lastStatus();
    EXPECT_EQ(status.kind, c.kind) << status.description.toStdString();
    for (const char* text : c.mustContain) {
        QString fact = QString::fromUtf8(text);
        if (fact.contains(u"%1"))
            fact = fact.arg(m_server.port());
        EXPECT_TRUE(status.description.contains(fact))
            << fact.toStdString() << " in " << status.description.toStdString();
    }
    EXPECT_FALSE(status.description.contains(pass)) << status.description.toStdString();
    EXPECT_TRUE(folderEntries(m_folder.path()).isEmpty());
    EXPECT_EQ(m_server.uids(), QStringList{uid});
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandNumberTest,
    ::testing::Values(
        NumberCase{"saveZeroAtStartUp", "SAVE 0", false, Kind::NoSuchMessage, {}},
        NumberCase{"saveZeroWithAWrongPassword",
                   "SAVE 0",
                   true,
                   Kind::Failed,
                   {"127.0.0.1:%1", "ログインが拒否されました", "「sweeper」"}},
        NumberCase{"saveAboveTheLargestNumber", "SAVE 2147483648", false, Kind::NoSuchMessage, {}},
        NumberCase{
            "saveThatWouldWrapToMessageOne", "SAVE 4294967297", false, Kind::NoSuchMessage, {}},
        NumberCase{"saveAboveWhatQint64Holds",
                   "SAVE 99999999999999999999",
                   false,
                   Kind::NoSuchMessage,
                   {}},
        NumberCase{"saveAboveTheLargestNumberWithAWrongPassword",
                   "save 2147483648",
                   true,
                   Kind::Failed,
                   {"ログイン"}},
        NumberCase{"saveTheLargestNumber", "SAVE 2147483647", false, Kind::NoSuchMessage, {}},
        NumberCase{"deleteZero", "DELE 0", false, Kind::Ok, {}},
        NumberCase{"negativeNumber", "SAVE -1", false, Kind::Failed, {"「SAVE -1」"}},
        NumberCase{"leadingZero", "SAVE 01", false, Kind::Failed, {"「SAVE 01」"}},
        NumberCase{"noNumber", "SAVE", false, Kind::Failed, {"「SAVE」", "SAVE n"}},
        NumberCase{"otherCommand", "LIST 1", false, Kind::Failed, {"「LIST 1」"}}),
    [](const auto& param) { return std::string(param.param.situation); });

// --- Failures -----------------------------------------------------------------------------

TEST_F(PopServerTest, untrustedCertificatesAreRefused)
{
    const QString uid = m_server.addMessage(makeMessage("kept"));
    for (Connect c : {Connect::StartTls, Connect::ImplicitTls}) {
        SCOPED_TRACE(connectName(c));
        PopOptions systemStore = m_options;
        systemStore.caFile.clear();
        PopMailLibrary lib(systemStore);
        EXPECT_FALSE(rcv(lib, QStringLiteral("SAVE 1"), c));
        EXPECT_EQ(lib.lastStatus().kind, Kind::Failed);
        EXPECT_TRUE(lib.lastStatus().description.contains(u"証明書"_s))
            << lib.lastStatus().description.toStdString();
        EXPECT_TRUE(lib.lastStatus().description.contains(u"127.0.0.1:"_s))
            << lib.lastStatus().description.toStdString();
        EXPECT_TRUE(folderEntries(m_folder.path()).isEmpty());
    }

    // Trusted while judging, untrusted when deleting: the DELE must not reach the server.
    const QString trust = m_folder.path() + QStringLiteral("/../trust.pem");
    ASSERT_TRUE(QFile::copy(m_server.caFile(), trust));
    PopOptions switching = m_options;
    switching.caFile = trust;
    PopMailLibrary lib(switching);
    const MailResult saved = rcv(lib, QStringLiteral("SAVE 1"));
    ASSERT_TRUE(saved) << lib.lastStatus().description.toStdString();
    QFile::remove(saved->front());
    DovecotFixture stranger; // another CA altogether
    stranger.start();
    ASSERT_TRUE(QFile::remove(trust));
    ASSERT_TRUE(QFile::copy(stranger.caFile(), trust));
    EXPECT_FALSE(rcv(lib, QStringLiteral("DELE 1")));
    EXPECT_EQ(lib.lastStatus().kind, Kind::Failed);
    EXPECT_TRUE(lib.lastStatus().description.contains(u"証明書"_s))
        << lib.lastStatus().description.toStdString();
    EXPECT_EQ(m_server.uids(), QStringList{uid});

    // The failed DELE used the judgement up: with trust back, a DELE without a new SAVE
    // deletes nothing.
    ASSERT_TRUE(QFile::remove(trust));
    ASSERT_TRUE(QFile::copy(m_server.caFile(), trust));
    EXPECT_FALSE(rcv(lib, QStringLiteral("DELE 1")));
    QFile::remove(trust);
    EXPECT_EQ(lib.lastStatus().kind, Kind::Ok) << lib.lastStatus().description.toStdString();
    EXPECT_EQ(lib.lastDeleteOutcome(), Outcome::NothingJudged);
    EXPECT_EQ(m_server.uids(), QStringList{uid});
}

TEST_F(PopServerTest, wrongPasswordSaysTheLoginWasRefused)
{
    m_server.addMessage(makeMessage("a"));
    PopMailLibrary lib(m_options);
    const QString wrong = u"wrong-secret"_s;
    EXPECT_FALSE(lib.RcvMail(serverText(), m_server.user(), wrong, QStringLiteral("SAVE 1"),
                             QStringLiteral(">") + m_folder.path()));
    const QString description = lib.lastStatus().description;
    EXPECT_EQ(lib.lastStatus().kind, Kind::Failed);
    for (const QString& fact : {u"ログインが拒否されました"_s, serverText(), m_server.user(),
                                u"ユーザー名とパスワード"_s})
        EXPECT_TRUE(description.contains(fact)) << description.toStdString();
    EXPECT_FALSE(description.contains(wrong)) << description.toStdString();
    EXPECT_TRUE(folderEntries(m_folder.path()).isEmpty());
}

TEST(PopServerWithoutStls, bareHostIsRefusedAndExplicitPlainTextWorks)
{
    DovecotFixture server;
    server.start(DovecotFixture::Options{false, false});
    const QString uid = server.addMessage(makeMessage("plain"));
    QTemporaryDir folder;
    PopOptions options;
    options.connectTimeout = 5s;
    PopMailLibrary lib(options);
    const QString folderArg = QStringLiteral(">") + folder.path();

    EXPECT_FALSE(lib.RcvMail(QStringLiteral("127.0.0.1:%1").arg(server.port()), server.user(),
                             server.password(), QStringLiteral("SAVE 1"), folderArg));
    EXPECT_EQ(lib.lastStatus().kind, Kind::Failed);
    for (const QString& fact :
         {u"STLS"_s, u"暗号化せずに"_s, u"pop3://127.0.0.1:%1 と書いて"_s.arg(server.port())})
        EXPECT_TRUE(lib.lastStatus().description.contains(fact))
            << lib.lastStatus().description.toStdString();
    EXPECT_TRUE(folderEntries(folder.path()).isEmpty());

    const MailResult saved =
        lib.RcvMail(QStringLiteral("pop3://127.0.0.1:%1").arg(server.port()), server.user(),
                    server.password(), QStringLiteral("SAVE 1"), folderArg);
    ASSERT_TRUE(saved) << lib.lastStatus().description.toStdString();
    EXPECT_EQ(server.uids(), QStringList{uid});
}

struct UnreachableCase {
    const char* name;
    bool silent;      // accepts and never greets; otherwise nothing listens
    const char* says; // after "サーバー 127.0.0.1:port "
};

class UnreachableServerTest : public ::testing::TestWithParam<UnreachableCase> {};

TEST_P(UnreachableServerTest, failsWithinItsTimeBound)
{
    std::optional<faulttest::ScriptedPopServer> silent;
    std::optional<faulttest::RefusingPort> refusing;
    quint16 port = 0;
    if (GetParam().silent) {
        silent.emplace();
        silent->neverGreet();
        port = silent->port();
    } else {
        refusing.emplace();
        port = refusing->port();
    }
    QTemporaryDir folder;
    PopOptions options;
    options.connectTimeout = 1s;
    options.stallTimeout = 1s;
    options.deleteTimeout = 3s;
    PopMailLibrary lib(options);
    for (const char* server : {"127.0.0.1:%1", "pop3s://127.0.0.1:%1", "pop3://127.0.0.1:%1"}) {
        SCOPED_TRACE(server);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(lib.RcvMail(QString::fromLatin1(server).arg(port), QStringLiteral("u"),
                                 QStringLiteral("p"), QStringLiteral("SAVE 1"),
                                 QStringLiteral(">") + folder.path()));
        const auto elapsed = std::chrono::steady_clock::now() - start;
        EXPECT_EQ(lib.lastStatus().kind, Kind::Failed);
        const QString expected =
            u"サーバー 127.0.0.1:%1 "_s.arg(port) + QString::fromUtf8(GetParam().says);
        EXPECT_TRUE(lib.lastStatus().description.contains(expected))
            << lib.lastStatus().description.toStdString();
        EXPECT_LT(elapsed, 2500ms);
        EXPECT_TRUE(folderEntries(folder.path()).isEmpty());
    }
    if (silent) {
        EXPECT_EQ(silent->sessions(), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, UnreachableServerTest,
                         ::testing::Values(UnreachableCase{"nothingListening", false,
                                                           "に接続できません"},
                                           UnreachableCase{"acceptsButNeverGreets", true,
                                                           "から 1 秒間応答がありません"}),
                         [](const auto& param) { return std::string(param.param.name); });

// --- A large message ----------------------------------------------------------------------

long currentRssKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : 0;
}

TEST_F(PopServerTest, thirtyMegabyteMessageIsSavedWholeAndReadInPlace)
{
    QByteArray attachment(22 * 1024 * 1024, '\0');
    quint32 state = 12345;
    for (char& byte : attachment) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 24);
    }
    const QByteArray attachmentHash =
        QCryptographicHash::hash(attachment, QCryptographicHash::Sha256);
    QByteArray encoded = attachment.toBase64();
    attachment = QByteArray();
    QByteArray body;
    body.reserve(encoded.size() + encoded.size() / 38 + 1024);
    body += "This is a multi-part message.\r\n--b\r\nContent-Type: text/plain\r\n\r\nSee the "
            "attachment.\r\n--b\r\nContent-Type: application/octet-stream; name=big.bin\r\n"
            "Content-Transfer-Encoding: base64\r\n\r\n";
    for (qsizetype i = 0; i < encoded.size(); i += 76)
        body += encoded.mid(i, 76) + "\r\n";
    encoded = QByteArray();
    body += "--b--\r\n";
    QByteArray message = "From: Big <big@example.com>\r\nSubject: big\r\nMIME-Version: 1.0\r\n"
                         "Content-Type: multipart/mixed; boundary=b\r\n\r\n" +
                         body;
    body = QByteArray();
    ASSERT_GT(message.size(), 30 * 1000 * 1000);
    m_server.addMessage(message);
    const QByteArray messageHash = QCryptographicHash::hash(message, QCryptographicHash::Sha256);
    message = QByteArray();

    PopMailLibrary lib(m_options);
    const auto start = std::chrono::steady_clock::now();
    const MailResult saved = rcv(lib, QStringLiteral("SAVE 1"));
    const auto saveTime = std::chrono::steady_clock::now() - start;
    ASSERT_TRUE(saved) << lib.lastStatus().description.toStdString();
    {
        QFile file(saved->front());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QCryptographicHash hash(QCryptographicHash::Sha256);
        ASSERT_TRUE(hash.addData(&file));
        EXPECT_EQ(hash.result(), messageHash);
    }

    // ReadMail runs in a child process so that its peak memory can be measured alone: the
    // child reports its resident size before the call and its peak after it.
    QTemporaryDir attachments;
    int report[2] = {-1, -1};
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const long before = currentRssKb();
        const MailResult lines =
            lib.ReadMail(saved->front(), QString(), QStringLiteral(">") + attachments.path());
        rusage self{};
        getrusage(RUSAGE_SELF, &self);
        const long sizes[2] = {before, self.ru_maxrss};
        const bool written = write(report[1], sizes, sizeof sizes) == sizeof sizes;
        _exit(written && lines && lines->size() == 2 ? 0 : 1);
    }
    close(report[1]);
    long sizes[2] = {0, 0};
    const bool reported = read(report[0], sizes, sizeof sizes) == sizeof sizes;
    close(report[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(reported);
    const long growthKb = sizes[1] - sizes[0];
    std::printf("30 MB message: SAVE %lld ms; ReadMail peak RSS %ld kB, %ld kB above the "
                "process before the call\n",
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(saveTime).count()),
                sizes[1], growthKb);
#ifdef __SANITIZE_ADDRESS__
    // AddressSanitizer keeps freed blocks in quarantine and pads every allocation: the bound
    // is the build's that ships, checked there; here only a runaway would show.
    constexpr long kGrowthBoundKb = 48 * 1024;
#else
    constexpr long kGrowthBoundKb = 16 * 1024;
#endif
    EXPECT_LT(growthKb, kGrowthBoundKb);

    QFile saved1(attachments.path() + QStringLiteral("/big.bin"));
    ASSERT_TRUE(saved1.open(QIODevice::ReadOnly));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    ASSERT_TRUE(hash.addData(&saved1));
    EXPECT_EQ(hash.result(), attachmentHash);
}

} // namespace
} // namespace mail
