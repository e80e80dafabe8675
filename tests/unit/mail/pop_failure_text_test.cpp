// What the user reads when a POP3 call fails: each failure names the server and the reason, says
// what to check, and never shows the password.

#include "pop_session.h"

#include <gtest/gtest.h>

#include <vector>

namespace mail {
namespace {

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

const QByteArray kPassword = "s3cret-Pass";

PopSession::Settings settingsFor(const QString& serverText)
{
    const ServerAddressParse parsed = parseServerAddress(serverText);
    EXPECT_TRUE(parsed.address) << parsed.error.toStdString();
    return PopSession::Settings{
        parsed.address.value_or(ServerAddress{}), "taro", kPassword, QString(), 10s, 20s,
        PopSession::Clock::now() + 120s};
}

struct FailureCase {
    const char* situation;
    const char* server;
    CURLcode code;
    const char* curlMessage;
    const char* serverLine;   // the reply to the command
    const char* loginRefusal; // the server's reply to the login
    bool commandSent;
    std::vector<const char*> mustContain;
};

class FailureText : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailureText, namesTheServerAndTheReasonAndNeverThePassword)
{
    const FailureCase& c = GetParam();
    const PopSession session(settingsFor(QString::fromUtf8(c.server)));
    PopSession::Reply reply;
    reply.code = c.code;
    reply.curlMessage = QString::fromUtf8(c.curlMessage);
    reply.line = c.serverLine;
    reply.loginRefusal = c.loginRefusal;
    reply.commandSent = c.commandSent;

    const QString text = session.describeFailure(reply);
    for (const char* fact : c.mustContain)
        EXPECT_TRUE(text.contains(QString::fromUtf8(fact))) << fact << " in " << text.toStdString();
    EXPECT_FALSE(text.contains(QString::fromUtf8(kPassword))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(u'。')) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailureText,
    ::testing::Values(
        FailureCase{
            "connectionRefused",
            "pop.example.jp:995",
            CURLE_COULDNT_CONNECT,
            "Connection refused",
            "",
            "",
            false,
            {"サーバー pop.example.jp:995 に接続できません（Connection refused）", "ポート"}},
        FailureCase{"unknownHostName",
                    "pop.example.jp",
                    CURLE_COULDNT_RESOLVE_HOST,
                    "Could not resolve host: pop.example.jp",
                    "",
                    "",
                    false,
                    {"pop.example.jp", "見つかりません", "（Could not resolve host"}},
        FailureCase{"loginRefused",
                    "pop.example.jp",
                    CURLE_LOGIN_DENIED,
                    "",
                    "",
                    "-ERR [AUTH] Authentication failed.",
                    false,
                    {"pop.example.jp:110", "「taro」", "ログインが拒否されました",
                     "「-ERR [AUTH] Authentication failed.」", "ユーザー名とパスワード"}},
        FailureCase{"loginRefusalQuotingThePassword",
                    "pop.example.jp",
                    CURLE_LOGIN_DENIED,
                    "",
                    "",
                    "-ERR bad password s3cret-Pass",
                    false,
                    {"ログインが拒否されました"}},
        FailureCase{"noStlsOnTheDefaultPort",
                    "pop.example.jp",
                    CURLE_USE_SSL_FAILED,
                    "",
                    "",
                    "",
                    false,
                    {"pop.example.jp は STLS に対応していない", "pop3://pop.example.jp と書いて"}},
        FailureCase{"noStlsOnAnotherPort",
                    "pop.example.jp:1100",
                    CURLE_USE_SSL_FAILED,
                    "",
                    "",
                    "",
                    false,
                    {"STLS", "pop3://pop.example.jp:1100 と書いて"}},
        FailureCase{"untrustedCertificate",
                    "pop3s://pop.example.jp",
                    CURLE_PEER_FAILED_VERIFICATION,
                    "SSL certificate problem: self-signed certificate",
                    "",
                    "",
                    false,
                    {"pop.example.jp:995", "証明書を確認できません",
                     "（SSL certificate problem: self-signed certificate）"}},
        FailureCase{"tlsHandshakeFails",
                    "pop3s://[2001:db8::5]:110",
                    CURLE_SSL_CONNECT_ERROR,
                    "wrong version number",
                    "",
                    "",
                    false,
                    {"[2001:db8::5]:110", "TLS", "（wrong version number）"}},
        FailureCase{"silentBeforeTheLogin",
                    "pop.example.jp",
                    CURLE_OPERATION_TIMEDOUT,
                    "",
                    "",
                    "",
                    false,
                    {"サーバー pop.example.jp:110 から 10 秒間応答がありません", "ログイン"}},
        FailureCase{"silentAfterTheCommand",
                    "pop.example.jp",
                    CURLE_OPERATION_TIMEDOUT,
                    "",
                    "",
                    "",
                    true,
                    {"サーバー pop.example.jp:110 から 20 秒間応答がありません"}},
        FailureCase{"connectionBroken",
                    "pop.example.jp",
                    CURLE_RECV_ERROR,
                    "Connection reset by peer",
                    "",
                    "",
                    true,
                    {"pop.example.jp:110", "切れました", "（Connection reset by peer）"}},
        FailureCase{"unexpectedReply",
                    "pop.example.jp",
                    CURLE_WEIRD_SERVER_REPLY,
                    "",
                    "* OK IMAP4 ready",
                    "",
                    true,
                    {"pop.example.jp:110", "予期しない応答", "「* OK IMAP4 ready」"}},
        FailureCase{"unexpectedReplyQuotingThePassword",
                    "pop.example.jp",
                    CURLE_WEIRD_SERVER_REPLY,
                    "",
                    "-ERR s3cret-Pass",
                    "",
                    true,
                    {"予期しない応答"}},
        FailureCase{"otherCurlFailure",
                    "pop.example.jp",
                    CURLE_OUT_OF_MEMORY,
                    "",
                    "",
                    "",
                    true,
                    {"pop.example.jp:110", "通信に失敗しました（"}}),
    [](const auto& param) { return std::string(param.param.situation); });

// A server's reply is quoted in the status line: terminal escapes and bells are dropped, a
// screenful is cut short, and a password hidden behind a control character is still hidden.
TEST(FailureTextServerWords, areCleanedAndCutShort)
{
    const PopSession session(settingsFor(u"pop.example.jp"_s));
    PopSession::Reply reply;
    reply.code = CURLE_LOGIN_DENIED;

    reply.loginRefusal = "-ERR \x1b[2J\x07locked\x7f out";
    QString text = session.describeFailure(reply);
    EXPECT_TRUE(text.contains(u"（「-ERR [2Jlocked out」）"_s)) << text.toStdString();

    reply.loginRefusal = "-ERR " + QByteArray(100'000, 'x');
    text = session.describeFailure(reply);
    EXPECT_TRUE(text.contains(u"（「-ERR "_s + QString(PopSession::kLongestShownText - 5, u'x') +
                              u"…」）"_s))
        << text.size();
    EXPECT_LT(text.size(), PopSession::kLongestShownText + 200);

    reply.loginRefusal = "-ERR wrong s3cret\x01-Pass";
    text = session.describeFailure(reply);
    EXPECT_FALSE(text.contains(u"s3cret"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"ログインが拒否されました"_s)) << text.toStdString();
}

TEST(FailureTextWholeCall, aCallPastItsDeadlineSaysSo)
{
    PopSession::Settings settings = settingsFor(u"pop.example.jp"_s);
    settings.deadline = PopSession::Clock::now(); // nothing is left of the call's time
    PopSession session(settings);
    const PopSession::Reply reply = session.command("NOOP", PopSession::Connection::Any, true);
    EXPECT_EQ(reply.code, CURLE_OPERATION_TIMEDOUT);
    const QString text = session.describeFailure(reply);
    EXPECT_TRUE(text.contains(u"pop.example.jp:110"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"制限時間"_s)) << text.toStdString();
}

TEST(FailureTextTooSlow, namesTheRateAndTheWindow)
{
    PopSession::Settings settings = settingsFor(u"pop.example.jp"_s);
    settings.progressRate = 1024;
    settings.progressWindow = 60s;
    const PopSession session(settings);
    PopSession::Reply reply;
    reply.code = CURLE_OPERATION_TIMEDOUT;
    reply.commandSent = true;
    reply.tooSlow = true;
    const QString text = session.describeFailure(reply);
    for (const QString& fact : {u"pop.example.jp:110"_s, u"60 秒間"_s, u"毎秒 1 KB"_s})
        EXPECT_TRUE(text.contains(fact)) << text.toStdString();
}

TEST(FailureTextLostConnection, saysNothingWasDone)
{
    PopSession session(settingsFor(u"pop3s://pop.example.jp"_s));
    // No command has run yet, so there is no connection to stay on.
    const PopSession::Reply reply = session.command("DELE 1", PopSession::Connection::Same, true);
    EXPECT_TRUE(reply.connectionChanged);
    const QString text = session.describeFailure(reply);
    EXPECT_TRUE(text.contains(u"pop.example.jp:995"_s)) << text.toStdString();
    EXPECT_TRUE(text.contains(u"何もせずに中止しました"_s)) << text.toStdString();
}

} // namespace
} // namespace mail
