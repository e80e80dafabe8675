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
    const char* explanation; // a word the error must contain, so the user knows what to fix
};

class InvalidServerText : public ::testing::TestWithParam<InvalidCase> {};

TEST_P(InvalidServerText, isRefusedWithAnExplanation)
{
    const InvalidCase& c = GetParam();
    const ServerAddressParse parsed = parseServerAddress(QString::fromUtf8(c.text));
    EXPECT_FALSE(parsed.address);
    EXPECT_TRUE(parsed.error.contains(QString::fromUtf8(c.explanation), Qt::CaseInsensitive))
        << parsed.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Forms, InvalidServerText,
    ::testing::Values(InvalidCase{"empty", "", "empty"},
                      InvalidCase{"onlyWhitespace", "  \t ", "empty"},
                      InvalidCase{"portZero", "pop.example.com:0", "port"},
                      InvalidCase{"portTooLarge", "pop.example.com:65536", "port"},
                      InvalidCase{"portNotANumber", "pop.example.com:pop", "port"},
                      InvalidCase{"portSigned", "pop.example.com:+110", "port"},
                      InvalidCase{"portMissing", "pop.example.com:", "port"},
                      InvalidCase{"path", "pop.example.com/inbox", "path"},
                      InvalidCase{"pathAfterScheme", "pop3s://pop.example.com/1", "path"},
                      InvalidCase{"query", "pop.example.com?x=1", "path"},
                      InvalidCase{"userInfo", "user@pop.example.com", "@"},
                      InvalidCase{"userInfoAfterScheme", "pop3://u:p@pop.example.com", "@"},
                      InvalidCase{"spaceInside", "pop example.com", "space"},
                      InvalidCase{"otherScheme", "imap://pop.example.com", "imap"},
                      InvalidCase{"httpScheme", "https://pop.example.com", "https"},
                      InvalidCase{"controlCharacter", "pop.example.com\x01", "control"},
                      InvalidCase{"lineBreakInside", "pop.example\r\n.com", "control"},
                      InvalidCase{"ipv6WithoutBrackets", "::1", "brackets"},
                      InvalidCase{"ipv6Unclosed", "[::1", "["},
                      InvalidCase{"ipv6Invalid", "[::g]", "IPv6"},
                      InvalidCase{"ipv6JunkAfterBracket", "[::1]x", "port"},
                      InvalidCase{"invalidHostCharacter", "pop!.example.com", "host name"},
                      InvalidCase{"emptyLabel", "pop..example.com", "host name"},
                      InvalidCase{"hyphenAtLabelEnd", "pop-.example.com", "host name"},
                      InvalidCase{"schemeOnly", "pop3s://", "no host"}),
    [](const auto& param) { return std::string(param.param.situation); });

} // namespace
} // namespace mail
