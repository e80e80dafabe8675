#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace mail {

// Turns the raw text of a header, exactly as it stands in the message, into the text a person
// reads: folded lines joined, RFC 2047 encoded words decoded (adjacent words of one charset
// are joined before conversion, so a character split across words, or a word ending in base64
// padding, survives), undeclared 8-bit text guessed, control characters removed.
QString decodeHeaderText(QByteArrayView raw);

// Text in no declared charset: tried as UTF-8, then ISO-2022-JP (when it holds escape
// sequences), EUC-JP, then CP932. Bytes that fit none come out as U+FFFD.
QString decodeUndeclaredBytes(QByteArrayView bytes);

// Strict conversion of bytes in the given charset; nothing when the charset is unknown or the
// bytes are not valid in it. Common aliases (Shift_JIS, Windows-31J, ...) are widened to the
// vendor supersets mail programs actually send.
std::optional<QString> convertFromCharset(QByteArrayView bytes, const QByteArray& charset);

// Removes control characters (tabs become spaces) and trims the ends.
QString removeControlCharacters(const QString& text);

} // namespace mail
