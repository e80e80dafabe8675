#include "kept_message.h"

#include "gmime_parser.h"
#include "gobject_ref.h"
#include "header_text.h"
#include "html_text.h"
#include "safe_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <gmime/gmime.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>

namespace mail {

using namespace Qt::StringLiterals;

namespace {

// A header block larger than this is read only for its first fields, and the body not at all.
constexpr qint64 kLargestHeader = 1024 * 1024;
constexpr qint64 kHeaderHead = 256 * 1024;

QString header(GMimeObject* object, const char* name)
{
    GMimeHeaderList* headers = g_mime_object_get_header_list(object);  // transfer none
    GMimeHeader* found = g_mime_header_list_get_header(headers, name); // transfer none
    const char* raw = found ? g_mime_header_get_raw_value(found) : nullptr;
    if (!raw)
        return QString();
    return decodeHeaderText(QByteArrayView(raw, static_cast<qsizetype>(std::strlen(raw))));
}

// What one pass over the file tells before GMime sees it: where the header ends, and how
// many parts could hold parts. GMime parses nested parts by recursion; a message that nests
// more than any mail does is not given to it whole.
struct Shape {
    qint64 headerEnd = -1; // after the empty line ending the header; -1: none found
    int containers = 0;    // Content-Type fields naming multipart/ or message/
    QString failure;
};

Shape scanShape(const QString& file)
{
    Shape shape;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        shape.failure = in.errorString();
        return shape;
    }
    constexpr qint64 kLineHead = 1000; // the rest of a longer line is read on as lines of it
    bool inContentType = false;
    bool lineStart = true;
    while (!in.atEnd() && shape.containers <= kViewerMostParts) {
        const QByteArray line = in.readLine(kLineHead);
        if (line.isEmpty() && in.error() != QFileDevice::NoError) {
            shape.failure = in.errorString();
            return shape;
        }
        const bool starts = lineStart;
        lineStart = line.endsWith('\n');
        if (!starts)
            continue;
        if (shape.headerEnd < 0 && (line == "\n" || line == "\r\n"))
            shape.headerEnd = in.pos();
        if (line.startsWith(' ') || line.startsWith('\t')) {
            if (!inContentType)
                continue;
        } else {
            inContentType =
                line.size() >= 13 && qstrnicmp(line.constData(), "content-type:", 13) == 0;
            if (!inContentType)
                continue;
        }
        const QByteArray lower = line.toLower();
        if (lower.contains("multipart/") || lower.contains("message/"))
            ++shape.containers;
    }
    return shape;
}

struct ContentTypeText {
    QString type;
    QByteArray charset;
};

ContentTypeText contentType(GMimeObject* object)
{
    GMimeContentType* type = g_mime_object_get_content_type(object); // transfer none
    if (!type)
        return {u"text/plain"_s, {}};
    char* mime = g_mime_content_type_get_mime_type(type); // free with g_free
    ContentTypeText text{QString::fromLatin1(mime).toLower(),
                         QByteArray(g_mime_content_type_get_parameter(type, "charset"))};
    g_free(mime);
    return text;
}

QString fileName(GMimeObject* object)
{
    const char* raw =
        GMIME_IS_PART(object) ? g_mime_part_get_filename(GMIME_PART(object)) : nullptr;
    if (!raw || !*raw)
        return QString();
    const QByteArrayView bytes(raw, static_cast<qsizetype>(std::strlen(raw)));
    QString name = bytes.contains(QByteArrayView("=?")) ? decodeHeaderText(bytes)
                                                        : decodeUndeclaredBytes(bytes);
    name = name.section(u'/', -1).section(u'\\', -1);
    name = removeControlCharacters(name);
    return name == u"."_s || name == u".."_s ? QString() : name;
}

// The decoded content of a leaf, read through the transfer encoding's decoder.
GObjectRef<GMimeStream> decodedContent(GMimePart* part)
{
    GMimeDataWrapper* content = g_mime_part_get_content(part); // transfer none
    if (!content)
        return nullptr;
    GMimeStream* raw = g_mime_data_wrapper_get_stream(content); // transfer none
    if (!raw)
        return nullptr;
    g_mime_stream_reset(raw);
    auto filtered = GObjectRef<GMimeStream>::adopt(g_mime_stream_filter_new(raw));
    const GMimeContentEncoding encoding = g_mime_data_wrapper_get_encoding(content);
    if (encoding == GMIME_CONTENT_ENCODING_BASE64 ||
        encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE ||
        encoding == GMIME_CONTENT_ENCODING_UUENCODE) {
        auto decoder = GObjectRef<GMimeFilter>::adopt(g_mime_filter_basic_new(encoding, FALSE));
        g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered.get()), decoder.get());
    }
    return filtered;
}

// Passes the decoded content of a leaf, chunk by chunk, to sink; stops when sink says so.
// False when the content cannot be read.
bool eachChunk(GMimePart* part, const std::function<bool(QByteArrayView)>& sink)
{
    const GObjectRef<GMimeStream> stream = decodedContent(part);
    if (!stream)
        return true; // a part without content is empty
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = g_mime_stream_read(stream.get(), buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        if (!sink(QByteArrayView(buffer, n)))
            return true;
    }
}

qint64 decodedSize(GMimeObject* object)
{
    if (GMIME_IS_PART(object)) {
        qint64 size = 0;
        eachChunk(GMIME_PART(object), [&size](QByteArrayView chunk) {
            size += chunk.size();
            return true;
        });
        return size;
    }
    auto counter = GObjectRef<GMimeStream>::adopt(g_mime_stream_null_new());
    const ssize_t written = g_mime_object_write_to_stream(object, nullptr, counter.get());
    return written < 0 ? 0 : written;
}

QString bodyText(GMimePart* part, const QByteArray& charset, bool* cut)
{
    QByteArray bytes;
    eachChunk(part, [&bytes](QByteArrayView chunk) {
        bytes += chunk.first(std::min<qsizetype>(chunk.size(), kViewerBodyBytes - bytes.size()));
        return bytes.size() < kViewerBodyBytes;
    });
    *cut = bytes.size() >= kViewerBodyBytes;
    if (!charset.isEmpty()) {
        // A character cut in two at the bound would fail the strict conversion.
        for (int trim = 0; trim < 8 && trim < bytes.size(); ++trim) {
            if (std::optional<QString> text =
                    convertFromCharset(QByteArrayView(bytes).chopped(trim), charset))
                return *text;
            if (!*cut)
                break;
        }
    }
    return decodeUndeclaredBytes(bytes);
}

// The leaves of a message in order, with what the viewer does with each.
class Walker {
public:
    // attachment: called for every leaf that is no text body, in order.
    explicit Walker(std::function<void(GMimeObject*)> attachment)
        : m_attachment(std::move(attachment))
    {
    }

    void walk(GMimeObject* object, int depth)
    {
        if (!object || m_parts >= kViewerMostParts || depth > kViewerDeepestNesting) {
            m_leftOut = true;
            return;
        }
        ++m_parts;
        if (GMIME_IS_MULTIPART(object)) {
            GMimeMultipart* multipart = GMIME_MULTIPART(object);
            const int count = g_mime_multipart_get_count(multipart);
            for (int i = 0; i < count; ++i)
                walk(g_mime_multipart_get_part(multipart, i), depth + 1);
            return;
        }
        const QString name = fileName(object);
        const ContentTypeText type = contentType(object);
        const char* disposition = g_mime_object_get_disposition(object);
        const bool attached =
            !name.isEmpty() || (disposition && g_ascii_strcasecmp(disposition, "attachment") == 0);
        if (GMIME_IS_PART(object) && !attached) {
            if (type.type == u"text/plain"_s) {
                if (!plain)
                    plain = GMIME_PART(object), plainCharset = type.charset;
                return;
            }
            if (type.type == u"text/html"_s) {
                if (!html)
                    html = GMIME_PART(object), htmlCharset = type.charset;
                return;
            }
        }
        m_attachment(object);
    }

    bool leftOut() const { return m_leftOut; }

    GMimePart* plain = nullptr; // transfer none: owned by the message
    QByteArray plainCharset;
    GMimePart* html = nullptr;
    QByteArray htmlCharset;

private:
    std::function<void(GMimeObject*)> m_attachment;
    int m_parts = 0;
    bool m_leftOut = false;
};

// A parsed message file, with the stream it reads its contents from.
struct Parsed {
    GObjectRef<GMimeMessage> message;
    bool headerOnly = false;
    QString note;
    QString error;
};

Parsed parse(const QString& file)
{
    Parsed parsed;
    const Shape shape = scanShape(file);
    if (!shape.failure.isEmpty()) {
        parsed.error =
            QCoreApplication::translate("mail", "メッセージファイル「%1」を読めません（%2）。")
                .arg(file, shape.failure);
        return parsed;
    }
    const ParserOptions options = makeParserOptions();
    GObjectRef<GMimeStream> stream;
    if (shape.containers > kViewerMostParts ||
        (shape.headerEnd < 0 ? QFileInfo(file).size() : shape.headerEnd) > kLargestHeader) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly)) {
            parsed.error =
                QCoreApplication::translate("mail", "メッセージファイル「%1」を開けません（%2）。")
                    .arg(file, in.errorString());
            return parsed;
        }
        QByteArray head =
            in.read(shape.headerEnd > 0 ? std::min(shape.headerEnd, kHeaderHead) : kHeaderHead);
        stream = GObjectRef<GMimeStream>::adopt(g_mime_stream_mem_new_with_byte_array(
            g_byte_array_append(g_byte_array_new(),
                                reinterpret_cast<const guint8*>(head.constData()),
                                static_cast<guint>(head.size()))));
        parsed.headerOnly = true;
        parsed.note =
            shape.containers > kViewerMostParts
                ? QCoreApplication::translate(
                      "mail", "パートが多すぎるため、本文と添付ファイルは表示していません。")
                : QCoreApplication::translate(
                      "mail", "ヘッダーが大きすぎるため、その先頭だけを表示しています。");
    } else {
        UniqueFd fd(::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC));
        if (!fd.isValid()) {
            parsed.error =
                QCoreApplication::translate("mail", "メッセージファイル「%1」を開けません（%2）。")
                    .arg(file, QString::fromLocal8Bit(std::strerror(errno)));
            return parsed;
        }
        stream = GObjectRef<GMimeStream>::adopt(g_mime_stream_fs_new(fd.release()));
    }
    auto parser = GObjectRef<GMimeParser>::adopt(g_mime_parser_new_with_stream(stream.get()));
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    // Contents stay in the file and are read from it when asked for: memory stays flat.
    g_mime_parser_set_persist_stream(parser.get(), TRUE);
    parsed.message = GObjectRef<GMimeMessage>::adopt(
        g_mime_parser_construct_message(parser.get(), options.get()));
    if (!parsed.message)
        parsed.error = QCoreApplication::translate(
                           "mail", "ファイル「%1」をメールのメッセージとして読み込めません。")
                           .arg(file);
    return parsed;
}

} // namespace

KeptMessage readKeptMessage(const QString& file)
{
    KeptMessage kept;
    const Parsed parsed = parse(file);
    if (!parsed.error.isEmpty()) {
        kept.error = parsed.error;
        return kept;
    }
    GMimeObject* message = GMIME_OBJECT(parsed.message.get());
    kept.from = header(message, "From");
    kept.to = header(message, "To");
    kept.subject = header(message, "Subject");
    kept.date = header(message, "Date");
    if (GDateTime* date = g_mime_message_get_date(parsed.message.get())) { // transfer none
        auto local = std::unique_ptr<GDateTime, decltype(&g_date_time_unref)>(
            g_date_time_to_local(date), &g_date_time_unref);
        if (char* text = local ? g_date_time_format(local.get(), "%Y/%m/%d %H:%M:%S") : nullptr) {
            kept.date = QString::fromUtf8(text);
            g_free(text);
        }
    }
    QStringList notes;
    if (!parsed.note.isEmpty())
        notes << parsed.note;
    if (parsed.headerOnly) {
        kept.note = notes.join(QString());
        return kept;
    }

    Walker walker([&kept](GMimeObject* object) {
        kept.attachments << KeptAttachment{fileName(object), contentType(object).type,
                                           decodedSize(object)};
    });
    walker.walk(g_mime_message_get_mime_part(parsed.message.get()), 0);
    bool cut = false;
    if (walker.plain) {
        kept.body = bodyText(walker.plain, walker.plainCharset, &cut);
    } else if (walker.html) {
        kept.body = htmlToText(bodyText(walker.html, walker.htmlCharset, &cut), kViewerBodyChars);
        kept.bodyIsHtml = true;
    }
    if (kept.body.size() > kViewerBodyChars) {
        kept.body.truncate(kViewerBodyChars);
        cut = true;
    }
    if (cut)
        notes << QCoreApplication::translate("mail", "本文が長いため、先頭だけを表示しています。");
    if (walker.leftOut())
        notes << QCoreApplication::translate(
            "mail", "パートが多すぎるか深すぎるため、一部を表示していません。");
    kept.note = notes.join(QString());
    return kept;
}

bool saveKeptAttachment(const QString& file, int index, const QString& target, QString* error)
{
    const Parsed parsed = parse(file);
    if (!parsed.error.isEmpty() || parsed.headerOnly) {
        *error = parsed.error.isEmpty() ? parsed.note : parsed.error;
        return false;
    }
    GMimeObject* found = nullptr;
    int seen = 0;
    Walker walker([&](GMimeObject* object) {
        if (seen++ == index)
            found = object;
    });
    walker.walk(g_mime_message_get_mime_part(parsed.message.get()), 0);
    if (!found) {
        *error = QCoreApplication::translate("mail", "添付ファイルが見つかりません。");
        return false;
    }
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        *error = out.errorString();
        return false;
    }
    bool written = true;
    if (GMIME_IS_PART(found)) {
        const bool read = eachChunk(GMIME_PART(found), [&out, &written](QByteArrayView chunk) {
            written = out.write(chunk.data(), chunk.size()) == chunk.size();
            return written;
        });
        written = written && read;
    } else {
        // An attached message is saved as the message it is.
        out.flush();
        auto stream = GObjectRef<GMimeStream>::adopt(g_mime_stream_fs_new(out.handle()));
        g_mime_stream_fs_set_owner(GMIME_STREAM_FS(stream.get()), FALSE); // QSaveFile closes it
        written = g_mime_object_write_to_stream(found, nullptr, stream.get()) >= 0 &&
                  g_mime_stream_flush(stream.get()) == 0;
    }
    if (!written || !out.commit()) {
        *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace mail
