#include "header_text.h"

#include <glib.h>

#include <memory>
#include <vector>

namespace mail {

namespace {

struct GFreeDeleter {
    void operator()(gchar* p) const noexcept { g_free(p); }
};
struct GErrorDeleter {
    void operator()(GError* e) const noexcept { g_error_free(e); }
};

std::optional<QString> convertWithIconv(QByteArrayView bytes, const char* charset)
{
    if (bytes.isEmpty()) // an empty encoded word; g_convert refuses a null pointer
        return QString();
    gsize read = 0;
    gsize written = 0;
    GError* rawError = nullptr;
    std::unique_ptr<gchar, GFreeDeleter> out(g_convert(bytes.data(),
                                                       static_cast<gssize>(bytes.size()), "UTF-8",
                                                       charset, &read, &written, &rawError));
    std::unique_ptr<GError, GErrorDeleter> error(rawError);
    if (!out || error || read != static_cast<gsize>(bytes.size()))
        return std::nullopt;
    return QString::fromUtf8(out.get(), static_cast<qsizetype>(written));
}

// NUL is valid UTF-8 (an encoded word can carry one as "=00"); it is removed later with the
// other control characters. glib refuses any NUL, so the stretches between them are checked.
bool isValidUtf8(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qsizetype nul = bytes.indexOf('\0');
        const QByteArrayView stretch = nul < 0 ? bytes : bytes.first(nul);
        if (!stretch.isEmpty() &&
            !g_utf8_validate_len(stretch.data(), static_cast<gsize>(stretch.size()), nullptr))
            return false;
        if (nul < 0)
            break;
        bytes = bytes.sliced(nul + 1);
    }
    return true;
}

// Encoded words may carry an RFC 2231 language ("utf-8*ja"); iconv knows neither that nor
// some aliases mail programs use.
QByteArray iconvCharsetName(const QByteArray& declared)
{
    QByteArray name = declared.toLower();
    const qsizetype star = name.indexOf('*');
    if (star >= 0)
        name.truncate(star);
    if (name == "shift_jis" || name == "shift-jis" || name == "sjis" || name == "x-sjis" ||
        name == "windows-31j" || name == "ms932" || name == "ms_kanji" || name == "cp932")
        return "CP932";
    if (name == "x-euc-jp" || name == "euc-jp")
        return "EUC-JP";
    if (name == "utf8")
        return "UTF-8";
    return name;
}

struct EncodedWord {
    qsizetype begin = 0;
    qsizetype end = 0; // one past the closing "?="
    QByteArray charset;
    QByteArray bytes; // decoded from base64 / Q, still in charset
};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

QByteArray decodeQ(QByteArrayView text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                   hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

// Where the encoded text that begins at from ends (the position of its "?="), or -1 when no
// word ends there: at a space, a control or 8-bit byte, or the start of another word, which
// no encoding produces inside a word (base64 padding before the end, "==?=", is no start).
// Stopping there keeps each byte of a header looked at a bounded number of times, however
// many "=?" it holds.
qsizetype encodedTextEnd(QByteArrayView raw, qsizetype from)
{
    for (qsizetype i = from; i + 1 < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '?' && raw[i + 1] == '=')
            return i;
        const bool wordStart =
            c == '=' && raw[i + 1] == '?' && (i + 2 >= raw.size() || raw[i + 2] != '=');
        if (wordStart || c <= ' ' || c >= 0x7f)
            return -1;
    }
    return -1;
}

// Finds "=?charset?B|Q?text?=" starting at or after from. Each word is decoded on its own,
// padding included, which is what keeps a name whole when a word ends in "=" padding.
std::optional<EncodedWord> findEncodedWord(QByteArrayView raw, qsizetype from)
{
    for (qsizetype start = raw.indexOf(QByteArrayView("=?"), from); start >= 0;
         start = raw.indexOf(QByteArrayView("=?"), start + 1)) {
        const qsizetype q1 = raw.indexOf('?', start + 2);
        if (q1 < 0)
            return std::nullopt;
        if (q1 + 3 > raw.size() || raw[q1 + 2] != '?')
            continue;
        const char encoding = raw[q1 + 1];
        if (encoding != 'B' && encoding != 'b' && encoding != 'Q' && encoding != 'q')
            continue;
        const qsizetype q3 = encodedTextEnd(raw, q1 + 3);
        if (q3 < 0)
            continue;
        const QByteArrayView charset = raw.sliced(start + 2, q1 - start - 2);
        const QByteArrayView text = raw.sliced(q1 + 3, q3 - q1 - 3);
        bool plausible = !charset.isEmpty();
        for (char c : charset)
            plausible = plausible && c > ' ' && c != '?' && c < 0x7f;
        if (!plausible)
            continue;
        EncodedWord word;
        word.begin = start;
        word.end = q3 + 2;
        word.charset = charset.toByteArray();
        if (encoding == 'B' || encoding == 'b') {
            auto decoded = QByteArray::fromBase64Encoding(
                text.toByteArray(),
                QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
            if (!decoded)
                continue;
            word.bytes = std::move(*decoded);
        } else {
            word.bytes = decodeQ(text);
        }
        return word;
    }
    return std::nullopt;
}

bool isFoldingWhitespaceOnly(QByteArrayView text)
{
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n')
            return false;
    }
    return true;
}

QByteArray unfold(QByteArrayView raw)
{
    QByteArray out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue; // the LF that follows decides
        if (c == '\n')
            continue; // a line break inside a header is folding; the whitespace after it stays
        out += c;
    }
    return out;
}

QString decodeWords(const std::vector<EncodedWord>& run)
{
    QByteArray joined;
    for (const EncodedWord& word : run)
        joined += word.bytes;
    const QByteArray charset = run.front().charset;
    if (auto text = convertFromCharset(joined, charset))
        return *text;
    // A declared charset that is wrong or unknown is common in junk mail: guess instead.
    return decodeUndeclaredBytes(joined);
}

} // namespace

std::optional<QString> convertFromCharset(QByteArrayView bytes, const QByteArray& charset)
{
    const QByteArray name = iconvCharsetName(charset);
    if (name == "utf-8" || name == "UTF-8" || name == "us-ascii") {
        if (!isValidUtf8(bytes))
            return std::nullopt;
        return QString::fromUtf8(bytes);
    }
    if (auto text = convertWithIconv(bytes, name.constData()))
        return text;
    // Japanese mail often declares the plain charset but uses vendor or JIS X 0213
    // characters (circled digits, extra kanji): the supersets decode those.
    if (name == "iso-2022-jp")
        return convertWithIconv(bytes, "ISO-2022-JP-3");
    if (name == "EUC-JP")
        return convertWithIconv(bytes, "EUC-JP-MS");
    return std::nullopt;
}

QString decodeUndeclaredBytes(QByteArrayView bytes)
{
    // ISO-2022-JP is 7-bit and so also valid UTF-8: its escape sequences decide first.
    if (bytes.contains(QByteArrayView("\x1b$")) || bytes.contains(QByteArrayView("\x1b("))) {
        if (auto text = convertFromCharset(bytes, "iso-2022-jp"))
            return *text;
    }
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    if (auto text = convertFromCharset(bytes, "euc-jp"))
        return *text;
    if (auto text = convertFromCharset(bytes, "cp932"))
        return *text;
    return QString::fromUtf8(bytes);
}

QString removeControlCharacters(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t')
            out += u' ';
        else if (u >= 0x20 && !(u >= 0x7f && u <= 0x9f))
            out += c;
    }
    return out.trimmed();
}

QString decodeHeaderText(QByteArrayView raw)
{
    const QByteArray text = unfold(raw);
    QString out;
    qsizetype pos = 0;
    std::vector<EncodedWord> run; // adjacent words of one charset, decoded together

    auto flushRun = [&] {
        if (!run.empty())
            out += decodeWords(run);
        run.clear();
    };

    while (pos < text.size()) {
        std::optional<EncodedWord> word = findEncodedWord(text, pos);
        const qsizetype plainEnd = word ? word->begin : text.size();
        const QByteArrayView between = QByteArrayView(text).sliced(pos, plainEnd - pos);
        if (!word) {
            flushRun();
            out += decodeUndeclaredBytes(between);
            break;
        }
        // Whitespace between two encoded words is not part of the text.
        const bool afterWord = !run.empty();
        const bool onlySpace = isFoldingWhitespaceOnly(between);
        if (afterWord && onlySpace &&
            run.back().charset.compare(word->charset, Qt::CaseInsensitive) == 0) {
            run.push_back(std::move(*word));
        } else {
            flushRun();
            if (!(afterWord && onlySpace))
                out += decodeUndeclaredBytes(between);
            run.push_back(std::move(*word));
        }
        pos = run.back().end;
    }
    flushRun();
    return removeControlCharacters(out);
}

} // namespace mail
