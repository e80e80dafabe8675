#include "server_address.h"

#include <QCoreApplication>
#include <QUrl>

#include <arpa/inet.h>

namespace mail {

using namespace Qt::StringLiterals;

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
        return failure(QCoreApplication::translate(
            "mail", "サーバーが入力されていません。POP3 サーバーの名前を入力してください"
                    "（例：pop.example.jp）。"));
    for (QChar c : trimmed) {
        if (isControl(c))
            return failure(QCoreApplication::translate(
                               "mail",
                               "サーバー「%1」に制御文字（改行など）が含まれています。サーバー名を"
                               "入力し直してください。")
                               .arg(trimmed.simplified()));
        if (c.isSpace())
            return failure(QCoreApplication::translate(
                               "mail",
                               "サーバー「%1」に空白が含まれています。サーバー名だけを入力してくだ"
                               "さい（例：pop.example.jp）。")
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
            return failure(QCoreApplication::translate(
                               "mail",
                               "サーバー「%1」の「%2://」は使えません。サーバー名だけを書くか、"
                               "先頭に pop3s://（暗号化しない接続は pop3://）を付けてください。")
                               .arg(trimmed, scheme));
        rest = rest.mid(schemeEnd + 3);
        if (rest.endsWith(u'/') && rest.count(u'/') == 1)
            rest.chop(1);
    }

    if (rest.contains(u'/') || rest.contains(u'?') || rest.contains(u'#'))
        return failure(QCoreApplication::translate(
                           "mail",
                           "サーバー「%1」にパス（「/」以降）が含まれています。サーバー名と、必要"
                           "なら「:ポート番号」だけを入力してください。")
                           .arg(trimmed));
    if (rest.contains(u'@'))
        return failure(QCoreApplication::translate(
                           "mail",
                           "サーバー「%1」に「@」が含まれています。ユーザー名はユーザー名の欄に"
                           "入力し、ここにはサーバー名だけを入力してください。")
                           .arg(trimmed));
    if (rest.isEmpty())
        return failure(QCoreApplication::translate(
                           "mail",
                           "サーバー「%1」にサーバー名がありません。pop3s://pop.example.jp の"
                           "ように入力してください。")
                           .arg(trimmed));

    ServerAddress address;
    QString portText;
    bool hasPort = false;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        if (close < 0)
            return failure(QCoreApplication::translate(
                               "mail",
                               "サーバー「%1」の「[」が閉じていません。IPv6 アドレスは [::1] や "
                               "[::1]:110 のように書いてください。")
                               .arg(trimmed));
        address.host = rest.mid(1, close - 1);
        const QString after = rest.mid(close + 1);
        if (!after.isEmpty()) {
            if (!after.startsWith(u':'))
                return failure(QCoreApplication::translate(
                                   "mail",
                                   "サーバー「%1」の「]」の後にポート番号ではない文字があります。"
                                   "[::1]:110 のように書いてください。")
                                   .arg(trimmed));
            hasPort = true;
            portText = after.mid(1);
        }
        in6_addr parsed{};
        if (inet_pton(AF_INET6, address.host.toLatin1().constData(), &parsed) != 1)
            return failure(QCoreApplication::translate(
                               "mail",
                               "サーバー「%2」の「%1」は正しい IPv6 アドレスではありません。"
                               "[::1] のように入力し直してください。")
                               .arg(address.host, trimmed));
        address.ipv6Literal = true;
    } else {
        const qsizetype colons = rest.count(u':');
        if (colons > 1)
            return failure(QCoreApplication::translate(
                               "mail",
                               "サーバー「%1」に「:」が二つ以上あります。IPv6 アドレスは [::1]:110 "
                               "のように角かっこで囲んでください。")
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
            return failure(QCoreApplication::translate(
                               "mail",
                               "サーバー「%2」の「%1」はサーバー名として正しくありません。英字、"
                               "数字、「-」、「.」で pop.example.jp のように入力してください。")
                               .arg(rest, trimmed));
    }

    std::optional<quint16> port;
    if (hasPort) {
        port = parsePort(portText);
        if (!port)
            return failure(QCoreApplication::translate(
                               "mail",
                               "サーバー「%2」のポート番号「%1」が正しくありません。ポート番号は "
                               "1 から 65535 までの数字で指定してください。")
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
