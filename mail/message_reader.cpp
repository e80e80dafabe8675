#include "message_reader.h"

#include "gobject_ref.h"
#include "header_text.h"
#include "safe_file.h"

#include <QFile>

#include <gmime/gmime.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <vector>

namespace mail {

using namespace Qt::StringLiterals;

namespace {

void ensureGMimeInit()
{
    // GMime keeps process-wide tables (charsets, iconv cache) for the life of the process.
    static const bool initialised = [] {
        g_mime_init();
        return true;
    }();
    (void)initialised;
}

struct ParserOptionsDeleter {
    void operator()(GMimeParserOptions* options) const noexcept
    {
        g_mime_parser_options_free(options);
    }
};
using ParserOptions = std::unique_ptr<GMimeParserOptions, ParserOptionsDeleter>;

// Undeclared 8-bit parameter values (attachment names) are tried in the same order as
// undeclared header text.
ParserOptions makeParserOptions()
{
    ParserOptions options(g_mime_parser_options_new());
    const char* fallback[] = {"utf-8", "iso-2022-jp", "euc-jp", "cp932", nullptr};
    g_mime_parser_options_set_fallback_charsets(options.get(), fallback);
    g_mime_parser_options_set_rfc2047_compliance_mode(options.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_parameter_compliance_mode(options.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    return options;
}

// A header's own text, decoded. For "From" this is not GMime's parsed address list: that list
// rewrites what the sender wrote ("<a@b>" becomes "a@b", comments move, raw 8-bit names are
// lost).
std::optional<QString> headerText(GMimeObject* message, const char* name)
{
    GMimeHeaderList* headers = g_mime_object_get_header_list(message);  // transfer none
    GMimeHeader* header = g_mime_header_list_get_header(headers, name); // transfer none
    if (!header)
        return std::nullopt;
    const char* raw = g_mime_header_get_raw_value(header);
    if (!raw)
        return QString();
    return decodeHeaderText(QByteArrayView(raw, static_cast<qsizetype>(std::strlen(raw))));
}

// The value of parameter name in a raw header value such as
// 'attachment; filename="a b.txt"', quotes and backslash escapes undone.
std::optional<QByteArray> rawParameter(QByteArrayView header, QByteArrayView name)
{
    qsizetype i = header.indexOf(';');
    while (i >= 0 && i < header.size()) {
        ++i; // past ';'
        while (i < header.size() &&
               (header[i] == ' ' || header[i] == '\t' || header[i] == '\r' || header[i] == '\n'))
            ++i;
        const qsizetype equals = header.indexOf('=', i);
        if (equals < 0)
            return std::nullopt;
        const QByteArray key = header.sliced(i, equals - i).trimmed().toByteArray();
        QByteArray value;
        qsizetype j = equals + 1;
        while (j < header.size() && (header[j] == ' ' || header[j] == '\t'))
            ++j;
        if (j < header.size() && header[j] == '"') {
            for (++j; j < header.size() && header[j] != '"'; ++j) {
                if (header[j] == '\\' && j + 1 < header.size())
                    ++j;
                if (header[j] != '\r' && header[j] != '\n')
                    value += header[j];
            }
            i = header.indexOf(';', j);
        } else {
            const qsizetype end = header.indexOf(';', j);
            value = header.sliced(j, (end < 0 ? header.size() : end) - j).trimmed().toByteArray();
            i = end;
        }
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return std::nullopt;
}

// A file name holding RFC 2047 encoded words, decoded from the raw header: GMime loses the
// rest of the name after a base64 word that ends in "=" padding.
std::optional<QString> encodedWordName(GMimeObject* part, const char* headerName,
                                       QByteArrayView parameter)
{
    GMimeHeaderList* headers = g_mime_object_get_header_list(part);           // transfer none
    GMimeHeader* header = g_mime_header_list_get_header(headers, headerName); // transfer none
    const char* raw = header ? g_mime_header_get_raw_value(header) : nullptr;
    if (!raw)
        return std::nullopt;
    const std::optional<QByteArray> value = rawParameter(raw, parameter);
    if (!value || !value->contains("=?"))
        return std::nullopt;
    return decodeHeaderText(*value);
}

// The name a part claims for itself. GMime undoes RFC 2231 encoding and guesses raw 8-bit
// names; names made of RFC 2047 encoded words are decoded here.
QString claimedFileName(GMimeObject* part)
{
    if (auto name = encodedWordName(part, "Content-Disposition", "filename"))
        return *name;
    const char* name = g_mime_object_get_content_disposition_parameter(part, "filename");
    if (!name || !*name) {
        if (auto encoded = encodedWordName(part, "Content-Type", "name"))
            return *encoded;
        name = g_mime_object_get_content_type_parameter(part, "name");
    }
    if (!name || !*name)
        return QString();
    const QByteArrayView bytes(name, static_cast<qsizetype>(std::strlen(name)));
    if (bytes.contains(QByteArrayView("=?")))
        return decodeHeaderText(bytes);
    return decodeUndeclaredBytes(bytes);
}

class AttachmentSaver {
public:
    explicit AttachmentSaver(const QString& folder) : m_folderPath(folder) {}

    // Walks the part tree; false when an attachment could not be written (error() says why).
    bool walk(GMimeObject* object)
    {
        if (GMIME_IS_MULTIPART(object)) {
            GMimeMultipart* multipart = GMIME_MULTIPART(object);
            const int count = g_mime_multipart_get_count(multipart);
            for (int i = 0; i < count; ++i) {
                if (!walk(g_mime_multipart_get_part(multipart, i))) // transfer none
                    return false;
            }
            return true;
        }
        const QString claimed = claimedFileName(object);
        if (GMIME_IS_MESSAGE_PART(object)) {
            GMimeMessage* inner = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
            if (!claimed.isEmpty())
                return inner ? save(claimed, GMIME_OBJECT(inner)) : true;
            // A forwarded message without a name of its own: its attachments are still
            // attachments of this mail.
            if (inner) {
                GMimeObject* body = g_mime_message_get_mime_part(inner); // transfer none
                return !body || walk(body);
            }
            return true;
        }
        if (GMIME_IS_PART(object) && !claimed.isEmpty())
            return save(claimed, object);
        return true;
    }

    QStringList takeSavedPaths()
    {
        QStringList paths;
        for (NewFile& file : m_saved) {
            file.keep();
            paths << file.path();
        }
        return paths;
    }

    const QString& error() const { return m_error; }

    // Without takeSavedPaths() the read failed: the files written so far are removed.
    ~AttachmentSaver() = default;

    AttachmentSaver(const AttachmentSaver&) = delete;
    AttachmentSaver& operator=(const AttachmentSaver&) = delete;

private:
    bool save(const QString& claimed, GMimeObject* part)
    {
        if (!m_folder) {
            m_folder.emplace(m_folderPath);
            if (!m_folder->isOpen()) {
                m_error = m_folder->error();
                return false;
            }
        }
        std::optional<NewFile> file =
            m_folder->createNumbered(safeAttachmentName(claimed), &m_error);
        if (!file)
            return false;

        // The stream borrows the descriptor; NewFile keeps ownership so that it can be
        // closed and checked, or removed, after the stream is gone.
        auto out = GObjectRef<GMimeStream>::adopt(g_mime_stream_fs_new(file->fd()));
        g_mime_stream_fs_set_owner(GMIME_STREAM_FS(out.get()), FALSE);
        bool ok = false;
        if (GMIME_IS_PART(part)) {
            GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part)); // none
            ok = !content || g_mime_data_wrapper_write_to_stream(content, out.get()) >= 0;
        } else {
            ok = g_mime_object_write_to_stream(part, nullptr, out.get()) >= 0;
        }
        ok = ok && g_mime_stream_flush(out.get()) == 0;
        const int writeErrno = errno;
        out.reset();
        if (!ok || !file->closeFile()) {
            m_error =
                u"添付ファイル「%1」を書き込めません（%2）。ディスクの空き容量を確認"
                u"してください。"_s.arg(
                    file->path(), QString::fromLocal8Bit(std::strerror(ok ? errno : writeErrno)));
            file->discard();
            return false;
        }
        m_saved.push_back(std::move(*file));
        return true;
    }

    QString m_folderPath;
    std::optional<TargetFolder> m_folder; // opened at the first attachment
    std::vector<NewFile> m_saved;
    QString m_error;
};

} // namespace

MessageReadResult readMessageFile(const QString& file, const QString& folder)
{
    ensureGMimeInit();
    MessageReadResult result;

    if (file.isEmpty()) {
        result.error = u"読み込むメッセージファイルが指定されていません。"_s;
        return result;
    }
    UniqueFd fd(::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.isValid()) {
        result.error = u"メッセージファイル「%1」を開けません（%2）。"_s.arg(
            file, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    // The stream owns the descriptor from here on and closes it when the last part that
    // refers to it is gone. A file stream is seekable, so parts stay on disk.
    auto stream = GObjectRef<GMimeStream>::adopt(g_mime_stream_fs_new(fd.release()));
    auto parser = GObjectRef<GMimeParser>::adopt(g_mime_parser_new_with_stream(stream.get()));
    g_mime_parser_set_persist_stream(parser.get(), TRUE);
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    const ParserOptions options = makeParserOptions();
    auto message = GObjectRef<GMimeMessage>::adopt(
        g_mime_parser_construct_message(parser.get(), options.get()));
    if (!message) {
        result.error = u"ファイル「%1」をメールのメッセージとして読み込めません。"_s.arg(file);
        return result;
    }

    QStringList lines;
    if (std::optional<QString> from = headerText(GMIME_OBJECT(message.get()), "From"))
        lines << QStringLiteral("From:") + *from;

    AttachmentSaver saver(folderFromArgument(folder));
    if (GMimeObject* body = g_mime_message_get_mime_part(message.get())) { // transfer none
        if (!saver.walk(body)) {
            result.error = saver.error();
            return result;
        }
    }
    for (const QString& path : saver.takeSavedPaths())
        lines << QStringLiteral("File:") + path;
    result.lines = lines;
    return result;
}

MessageSummary readMessageSummary(const QString& file)
{
    // The headers of any message fit in this; the body is of no interest here.
    constexpr qint64 kHeadBytes = 256 * 1024;
    ensureGMimeInit();
    MessageSummary summary;
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) {
        summary.error =
            u"メッセージファイル「%1」を開けません（%2）。"_s.arg(file, in.errorString());
        return summary;
    }
    const QByteArray head = in.read(kHeadBytes);
    if (in.error() != QFileDevice::NoError) {
        summary.error =
            u"メッセージファイル「%1」を読めません（%2）。"_s.arg(file, in.errorString());
        return summary;
    }
    auto stream = GObjectRef<GMimeStream>::adopt(
        g_mime_stream_mem_new_with_buffer(head.constData(), static_cast<size_t>(head.size())));
    auto parser = GObjectRef<GMimeParser>::adopt(g_mime_parser_new_with_stream(stream.get()));
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    const ParserOptions options = makeParserOptions();
    auto message = GObjectRef<GMimeMessage>::adopt(
        g_mime_parser_construct_message(parser.get(), options.get()));
    if (!message) {
        summary.error = u"ファイル「%1」をメールのメッセージとして読み込めません。"_s.arg(file);
        return summary;
    }
    GMimeObject* object = GMIME_OBJECT(message.get());
    summary.from = headerText(object, "From").value_or(QString()).trimmed();
    summary.subject = headerText(object, "Subject").value_or(QString()).trimmed();
    return summary;
}

} // namespace mail
