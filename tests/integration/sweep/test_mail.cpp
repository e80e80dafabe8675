#include "test_mail.h"

namespace sweeptest {

Attachment namedAttachment(const QByteArray& contentType, const QByteArray& fileName,
                           const QByteArray& content)
{
    return {contentType, "attachment; filename=\"" + fileName + "\"", content};
}

QByteArray base64Lines(const QByteArray& bytes)
{
    const QByteArray encoded = bytes.toBase64();
    QByteArray out;
    out.reserve(encoded.size() + encoded.size() / 76 * 2 + 2);
    for (qsizetype at = 0; at < encoded.size(); at += 76)
        out += encoded.mid(at, 76) + "\r\n";
    return out;
}

QByteArray utf8BWord(const QString& text)
{
    return "=?UTF-8?B?" + text.toUtf8().toBase64() + "?=";
}

QByteArray utf8QWord(const QString& text)
{
    QByteArray out = "=?UTF-8?Q?";
    for (const char c : text.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == ' ')
            out += '_';
        else if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                 (byte >= '0' && byte <= '9'))
            out += c;
        else
            out += '=' + QByteArray::number(byte, 16).toUpper().rightJustified(2, '0');
    }
    return out + "?=";
}

QByteArray buildMail(const std::optional<QByteArray>& from, const QByteArray& subject,
                     const QList<Attachment>& attachments)
{
    static int counter = 0;
    ++counter;
    QByteArray mail;
    if (from)
        mail += "From: " + *from + "\r\n";
    mail += "To: sweeper@mail.example\r\n"
            "Subject: " +
            subject +
            "\r\n"
            "Date: Mon, 01 Apr 2024 09:00:00 +0900\r\n"
            "Message-ID: <" +
            QByteArray::number(counter) +
            ".sweep@test.example>\r\n"
            "MIME-Version: 1.0\r\n";
    const QByteArray text = "Hello,\r\nthis is mail number " + QByteArray::number(counter) +
                            ".\r\n.a line that starts with a dot\r\n";
    if (attachments.isEmpty())
        return mail + "Content-Type: text/plain; charset=us-ascii\r\n\r\n" + text;

    const QByteArray boundary = "=_sweep_boundary_" + QByteArray::number(counter);
    mail += "Content-Type: multipart/mixed; boundary=\"" + boundary +
            "\"\r\n\r\n"
            "This is a multi-part message in MIME format.\r\n"
            "--" +
            boundary + "\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\n" + text;
    for (const Attachment& attachment : attachments) {
        mail += "--" + boundary + "\r\nContent-Type: " + attachment.contentType +
                "\r\nContent-Disposition: " + attachment.disposition +
                "\r\nContent-Transfer-Encoding: base64\r\n\r\n" + base64Lines(attachment.content);
    }
    return mail + "--" + boundary + "--\r\n";
}

} // namespace sweeptest
