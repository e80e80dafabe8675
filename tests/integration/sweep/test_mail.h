#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace sweeptest {

// One attachment of a test mail: its type, the whole Content-Disposition value (so that a
// test can write any form of file name), and the bytes, sent base64-encoded.
struct Attachment {
    QByteArray contentType;
    QByteArray disposition;
    QByteArray content;
};

// An attachment with a plain quoted file name.
Attachment namedAttachment(const QByteArray& contentType, const QByteArray& fileName,
                           const QByteArray& content = "attachment bytes");

// A mail as a sender's program writes it, CRLF line ends throughout: the From header with
// the given value (no From header when there is none; a value may hold folds "\r\n "), a
// text part, and the attachments as base64 parts of a multipart/mixed body.
QByteArray buildMail(const std::optional<QByteArray>& from, const QByteArray& subject,
                     const QList<Attachment>& attachments = {});

// RFC 2047 encoded words of UTF-8 text.
QByteArray utf8BWord(const QString& text);
QByteArray utf8QWord(const QString& text);

// Base64 in lines of 76 characters, each ended by CRLF.
QByteArray base64Lines(const QByteArray& bytes);

} // namespace sweeptest
