// Fuzz target: arbitrary text as the server the user typed. Bytes are read as UTF-8, or as
// UTF-16LE after a byte order mark (FF FE), the way text arrives from a text box.

#include "fuzz_support.h"
#include "server_address.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace Qt::StringLiterals;
using mail::ServerAddress;

QString textFromBytes(const uint8_t* data, size_t size)
{
    if (size >= 2 && data[0] == 0xff && data[1] == 0xfe) {
        std::vector<char16_t> units((size - 2) / 2);
        if (!units.empty())
            std::memcpy(units.data(), data + 2, units.size() * sizeof(char16_t));
        return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
    }
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

bool isHexDigit(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

void checkHost(const ServerAddress& address, const QString& text)
{
    const QString& host = address.host;
    fuzz::require(!host.isEmpty(), "an accepted server has no host", text);
    for (QChar c : host) {
        fuzz::require(!c.isSpace() && !fuzz::isControl(c),
                      "an accepted host holds a space or a control character", text);
        fuzz::require(c != u'/' && c != u'@' && c != u'?' && c != u'#' && c != u'[' && c != u']',
                      "an accepted host holds a URL delimiter", text);
        fuzz::require(c.unicode() < 0x80, "an accepted host is not ASCII", text);
        if (address.ipv6Literal)
            fuzz::require(isHexDigit(c) || c == u':' || c == u'.',
                          "an IPv6 host holds something other than an address", text);
        else
            fuzz::require(c != u':', "a host name holds a colon", text);
    }
}

void checkAccepted(const ServerAddress& address, const QString& text)
{
    checkHost(address, text);
    fuzz::require(address.port >= 1, "an accepted server has port 0", text);

    // Plain text is never chosen for the user: only an explicit pop3:// asks for it.
    if (address.security == ServerAddress::Security::PlainText)
        fuzz::require(text.trimmed().startsWith(u"pop3://"_s, Qt::CaseInsensitive),
                      "an unencrypted connection without pop3://", text);

    // The URL handed to curl reads back as the same server.
    const QByteArray url = address.url();
    const mail::ServerAddressParse again = mail::parseServerAddress(QString::fromLatin1(url));
    fuzz::require(again.address.has_value(), "the built URL is not accepted again",
                  text + u" -> "_s + QString::fromLatin1(url) + u": "_s + again.error);
    fuzz::require(again.address->host == address.host && again.address->port == address.port &&
                      again.address->ipv6Literal == address.ipv6Literal,
                  "the built URL names another server",
                  text + u" -> "_s + QString::fromLatin1(url));
    fuzz::require((again.address->security == ServerAddress::Security::ImplicitTls) ==
                      (address.security == ServerAddress::Security::ImplicitTls),
                  "the built URL changes whether TLS starts at once", text);
    fuzz::require(again.address->url() == url, "building the URL twice differs",
                  QString::fromLatin1(url) + u" / "_s + QString::fromLatin1(again.address->url()));
    fuzz::require(address.url(7) == url + "7", "the URL of message 7 is not the server URL + 7",
                  QString::fromLatin1(address.url(7)));

    // One spelling per server: the canonical text reads back to itself.
    const QString canonical = address.canonical();
    const mail::ServerAddressParse fromCanonical = mail::parseServerAddress(canonical);
    fuzz::require(fromCanonical.address && fromCanonical.address->canonical() == canonical,
                  "the canonical spelling is not stable", text + u" -> "_s + canonical);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = textFromBytes(data, size);
    const mail::ServerAddressParse parsed = mail::parseServerAddress(text);
    if (parsed.address) {
        fuzz::require(parsed.error.isEmpty(), "an accepted server also has an error", text);
        checkAccepted(*parsed.address, text);
    } else {
        fuzz::require(!parsed.error.isEmpty(), "a refused server has no explanation", text);
    }
    return 0;
}
