// What the server text the user types turns into, and which texts are refused.

#include "server_address.h"

#include <gtest/gtest.h>

namespace mail {
namespace {

using Security = ServerAddress::Security;

struct ValidCase {
    const char* situation;
    const char* text;
    const char* host;
    quint16 port;
    Security security;
    const char* url;
};

class ValidServerText : public ::testing::TestWithParam<ValidCase> {};

TEST_P(ValidServerText, becomesHostPortAndSecurity)
{
    const ValidCase& c = GetParam();
    const ServerAddressParse parsed = parseServerAddress(QString::fromUtf8(c.text));
    ASSERT_TRUE(parsed.address) << parsed.error.toStdString();
    EXPECT_TRUE(parsed.error.isEmpty());
    EXPECT_EQ(parsed.address->host, QString::fromUtf8(c.host));
    EXPECT_EQ(parsed.address->port, c.port);
    EXPECT_EQ(parsed.address->security, c.security);
    EXPECT_EQ(parsed.address->url(), QByteArray(c.url));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ValidServerText,
    ::testing::Values(
        ValidCase{"bareHostNeedsStls", "pop.example.com", "pop.example.com", 110,
                  Security::StartTls, "pop3://pop.example.com:110/"},
        ValidCase{"hostWithPortNeedsStls", "pop.example.com:1100", "pop.example.com", 1100,
                  Security::StartTls, "pop3://pop.example.com:1100/"},
        ValidCase{"port995MeansImplicitTls", "pop.example.com:995", "pop.example.com", 995,
                  Security::ImplicitTls, "pop3s://pop.example.com:995/"},
        ValidCase{"pop3sDefaultsTo995", "pop3s://pop.example.com", "pop.example.com", 995,
                  Security::ImplicitTls, "pop3s://pop.example.com:995/"},
        ValidCase{"pop3sWithPort", "POP3S://pop.example.com:2995", "pop.example.com", 2995,
                  Security::ImplicitTls, "pop3s://pop.example.com:2995/"},
        ValidCase{"pop3IsPlainTextOnlyWhenWritten", "pop3://pop.example.com", "pop.example.com",
                  110, Security::PlainText, "pop3://pop.example.com:110/"},
        ValidCase{"pop3WithPort995StaysPlain", "pop3://mail.test:995", "mail.test", 995,
                  Security::PlainText, "pop3://mail.test:995/"},
        ValidCase{"trailingSlashAfterScheme", "pop3s://pop.example.com/", "pop.example.com", 995,
                  Security::ImplicitTls, "pop3s://pop.example.com:995/"},
        ValidCase{"surroundingWhitespaceTrimmed", " \t pop.example.com:110 \n", "pop.example.com",
                  110, Security::StartTls, "pop3://pop.example.com:110/"},
        ValidCase{"ipv4Literal", "192.0.2.7", "192.0.2.7", 110, Security::StartTls,
                  "pop3://192.0.2.7:110/"},
        ValidCase{"ipv6Literal", "[::1]", "::1", 110, Security::StartTls, "pop3://[::1]:110/"},
        ValidCase{"ipv6LiteralWithPort", "[::1]:1100", "::1", 1100, Security::StartTls,
                  "pop3://[::1]:1100/"},
        ValidCase{"ipv6Pop3s", "pop3s://[2001:db8::5]:995", "2001:db8::5", 995,
                  Security::ImplicitTls, "pop3s://[2001:db8::5]:995/"},
        ValidCase{"internationalNameInAsciiForm", "pop.例え.jp", "pop.xn--r8jz45g.jp", 110,
                  Security::StartTls, "pop3://pop.xn--r8jz45g.jp:110/"},
        ValidCase{"highestPort", "h:65535", "h", 65535, Security::StartTls, "pop3://h:65535/"}),
    [](const auto& param) { return std::string(param.param.situation); });

TEST(ServerAddressUrl, namesTheMessageNumberAndCanonicalFormIgnoresSpelling)
{
    const auto a = parseServerAddress(QStringLiteral("POP.Example.com"));
    const auto b = parseServerAddress(QStringLiteral("pop.example.com:110"));
    ASSERT_TRUE(a.address && b.address);
    EXPECT_EQ(a.address->url(7), QByteArray("pop3://pop.example.com:110/7"));
    EXPECT_EQ(a.address->canonical(), b.address->canonical());
    const auto tls = parseServerAddress(QStringLiteral("pop3s://pop.example.com:110"));
    ASSERT_TRUE(tls.address);
    EXPECT_NE(tls.address->canonical(), b.address->canonical());
}

struct InvalidCase {
    const char* situation;
    const char* text;
    const char* explanation; // what the error must say, so that the user knows what to fix
    bool quotesTheText;      // the error repeats the text as typed (trimmed)
};

class InvalidServerText : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidServerText, isRefusedWithAnExplanation)
{
    const InvalidCase& c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    const ServerAddressParse parsed = parseServerAddress(text);
    EXPECT_FALSE(parsed.address);
    EXPECT_TRUE(parsed.error.contains(QString::fromUtf8(c.explanation), Qt::CaseInsensitive))
        << parsed.error.toStdString();
    if (c.quotesTheText) {
        EXPECT_TRUE(parsed.error.contains(u'「' + text.trimmed() + u'」'))
            << parsed.error.toStdString();
    }
    EXPECT_TRUE(parsed.error.endsWith(u'。')) << parsed.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Forms, InvalidServerText,
    ::testing::Values(
        InvalidCase{"empty", "", "入力されていません", false},
        InvalidCase{"onlyWhitespace", "  \t ", "入力されていません", false},
        InvalidCase{"portZero", "pop.example.com:0", "ポート番号「0」", true},
        InvalidCase{"portTooLarge", "pop.example.com:65536", "65535", true},
        InvalidCase{"portNotANumber", "pop.example.com:pop", "ポート番号「pop」", true},
        InvalidCase{"portSigned", "pop.example.com:+110", "ポート番号「+110」", true},
        InvalidCase{"portMissing", "pop.example.com:", "ポート番号「」", true},
        InvalidCase{"path", "pop.example.com/inbox", "パス", true},
        InvalidCase{"pathAfterScheme", "pop3s://pop.example.com/1", "パス", true},
        InvalidCase{"query", "pop.example.com?x=1", "パス", true},
        InvalidCase{"userInfo", "user@pop.example.com", "ユーザー名の欄", true},
        InvalidCase{"userInfoAfterScheme", "pop3://u:p@pop.example.com", "「@」", true},
        InvalidCase{"spaceInside", "pop example.com", "空白", true},
        InvalidCase{"otherScheme", "imap://pop.example.com", "「imap://」は使えません", true},
        InvalidCase{"httpScheme", "https://pop.example.com", "「https://」は使えません", true},
        InvalidCase{"controlCharacter", "pop.example.com\x01", "制御文字", false},
        InvalidCase{"lineBreakInside", "pop.example\r\n.com", "制御文字", false},
        InvalidCase{"ipv6WithoutBrackets", "::1", "角かっこ", true},
        InvalidCase{"ipv6Unclosed", "[::1", "「[」が閉じていません", true},
        InvalidCase{"ipv6Invalid", "[::g]", "「::g」は正しい IPv6 アドレスではありません", true},
        InvalidCase{"ipv6JunkAfterBracket", "[::1]x", "ポート番号ではない文字", true},
        InvalidCase{"invalidHostCharacter", "pop!.example.com", "「pop!.example.com」はサーバー名",
                    true},
        InvalidCase{"emptyLabel", "pop..example.com", "サーバー名として正しくありません", true},
        InvalidCase{"hyphenAtLabelEnd", "pop-.example.com", "サーバー名として正しくありません",
                    true},
        InvalidCase{"schemeOnly", "pop3s://", "サーバー名がありません", true}),
    [](const auto& param) { return std::string(param.param.situation); });

} // namespace
} // namespace mail
