#include "server_address.h"

#include <QUrl>

#include <arpa/inet.h>

namespace mail {

namespace {

constexpr quint16 kPop3Port = 110;
constexpr quint16 kPop3sPort = 995;

ServerAddressParse failure(const QString& why)
{
    return ServerAddressParse{std::nullopt, why};
}

bool isControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

std::optional<quint16> parsePort(const QString& text)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value < 1 || value > 65535)
        return std::nullopt;
    return static_cast<quint16>(value);
}

// A DNS name or dotted IPv4 address, in ASCII (international names are converted to their
// ACE form first). Underscores are let through: some internal networks use them.
bool isValidHostName(const QString& host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    const QStringList labels = host.split(u'.');
    for (qsizetype i = 0; i < labels.size(); ++i) {
        const QString& label = labels[i];
        if (label.isEmpty())
            return i == labels.size() - 1 && i > 0; // one trailing dot is a valid FQDN
        if (label.size() > 63 || label.front() == u'-' || label.back() == u'-')
            return false;
        for (QChar c : label) {
            const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                            (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
            if (!ok)
                return false;
        }
    }
    return true;
}

} // namespace

QByteArray ServerAddress::url(std::optional<int> messageNumber) const
{
    QByteArray out = security == Security::ImplicitTls ? "pop3s://" : "pop3://";
    out += ipv6Literal ? "[" + host.toLatin1() + "]" : host.toLatin1();
    out += ":" + QByteArray::number(port) + "/";
    if (messageNumber)
        out += QByteArray::number(*messageNumber);
    return out;
}

QString ServerAddress::canonical() const
{
    return QString::fromLatin1(url()).toLower();
}

ServerAddressParse parseServerAddress(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return failure(QStringLiteral(
            "The server is empty. Enter the POP3 server name, for example pop.example.com."));
    for (QChar c : trimmed) {
        if (isControl(c))
            return failure(QStringLiteral("The server \"%1\" contains a control character. "
                                          "Retype the server name.")
                               .arg(trimmed.simplified()));
        if (c.isSpace())
            return failure(QStringLiteral("The server \"%1\" contains a space. Enter only the "
                                          "server name, for example pop.example.com.")
                               .arg(trimmed));
    }

    QString rest = trimmed;
    std::optional<ServerAddress::Security> security;
    const qsizetype schemeEnd = rest.indexOf(QStringLiteral("://"));
    if (schemeEnd >= 0) {
        const QString scheme = rest.left(schemeEnd).toLower();
        if (scheme == u"pop3")
            security = ServerAddress::Security::PlainText;
        else if (scheme == u"pop3s")
            security = ServerAddress::Security::ImplicitTls;
        else
            return failure(QStringLiteral("The server \"%1\" uses \"%2://\", which this program "
                                          "cannot use. Write the server name alone, or start it "
                                          "with pop3s:// (or pop3:// for an unencrypted "
                                          "connection).")
                               .arg(trimmed, scheme));
        rest = rest.mid(schemeEnd + 3);
        if (rest.endsWith(u'/') && rest.count(u'/') == 1)
            rest.chop(1);
    }

    if (rest.contains(u'/') || rest.contains(u'?') || rest.contains(u'#'))
        return failure(QStringLiteral("The server \"%1\" contains a path. Enter only the server "
                                      "name and, if needed, \":port\".")
                           .arg(trimmed));
    if (rest.contains(u'@'))
        return failure(QStringLiteral("The server \"%1\" contains \"@\". Enter the user name in "
                                      "the user field, and only the server name here.")
                           .arg(trimmed));
    if (rest.isEmpty())
        return failure(QStringLiteral("The server \"%1\" has no host name.").arg(trimmed));

    ServerAddress address;
    QString portText;
    bool hasPort = false;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0)
            return failure(QStringLiteral("The server \"%1\" opens \"[\" without closing it. "
                                          "Write an IPv6 address as [::1] or [::1]:110.")
                               .arg(trimmed));
        address.host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(u':'))
                return failure(QStringLiteral("The server \"%1\" has text after \"]\" that is "
                                              "not a port. Write it as [::1]:110.")
                                   .arg(trimmed));
            hasPort = true;
            portText = after.mid(1);
        }
        in6_addr parsed{};
        if (inet_pton(AF_INET6, address.host.toLatin1().constData(), &parsed) != 1)
            return failure(
                QStringLiteral("\"%1\" in the server \"%2\" is not a valid IPv6 address.")
                    .arg(address.host, trimmed));
        address.ipv6Literal = true;
    } else {
        const qsizetype colons = rest.count(u':');
        if (colons > 1)
            return failure(QStringLiteral("The server \"%1\" has more than one \":\". Write an "
                                          "IPv6 address in brackets, for example [::1]:110.")
                               .arg(trimmed));
        if (colons == 1) {
            const qsizetype colon = rest.indexOf(u':');
            hasPort = true;
            portText = rest.mid(colon + 1);
            rest = rest.left(colon);
        }
        // International names go to curl in their ASCII form, which is also what is checked.
        const QByteArray ace = QUrl::toAce(rest);
        address.host = QString::fromLatin1(ace);
        if (ace.isEmpty() || !isValidHostName(address.host))
            return failure(QStringLiteral("\"%1\" in the server \"%2\" is not a valid host "
                                          "name. Use letters, digits, \"-\" and \".\", for "
                                          "example pop.example.com.")
                               .arg(rest, trimmed));
    }

    std::optional<quint16> port;
    if (hasPort) {
        port = parsePort(portText);
        if (!port)
            return failure(QStringLiteral("The port \"%1\" in the server \"%2\" is not valid. "
                                          "A port is a number from 1 to 65535.")
                               .arg(portText, trimmed));
    }

    if (security) {
        address.security = *security;
        address.port = port.value_or(*security == ServerAddress::Security::ImplicitTls ? kPop3sPort
                                                                                       : kPop3Port);
    } else if (port == kPop3sPort) {
        // Port 995 is the TLS-from-the-start port everywhere; STLS there would never work.
        address.security = ServerAddress::Security::ImplicitTls;
        address.port = kPop3sPort;
    } else {
        address.security = ServerAddress::Security::StartTls;
        address.port = port.value_or(kPop3Port);
    }
    return ServerAddressParse{address, QString()};
}

} // namespace mail
