#include "message_reader.h"

#include "gmime_parser.h"
#include "gobject_ref.h"
#include "header_text.h"
#include "message_lines.h"
#include "safe_file.h"

#include <QCoreApplication>
#include <QFile>

#include <gmime/gmime.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace mail {

using namespace Qt::StringLiterals;

namespace {

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

// Bounds of one message. No mail needs more; a message that goes past them is still judged by
// its sender, and the status line says what was not looked into.
// (A header block is parsed only up to kLargestHeaderBlock, a boundary recognised only up to
// kLongestBoundary: message_lines.h.)
constexpr int kMostParts = 10'000;      // parts looked at
constexpr int kMostAttachments = 1'000; // attachments saved
constexpr int kDeepestNesting = 100;    // parts inside parts

GMimeStream* memoryStream(const QByteArray& bytes)
{
    return g_mime_stream_mem_new_with_buffer(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// The parts of a message: what the walk needs to know of one.
struct Part {
    enum class Kind { Leaf, Multipart, Message } kind = Kind::Leaf;
    QByteArray boundary; // a multipart's "--" + boundary; empty: it has none the walk can use
    bool digest = false; // multipart/digest: its parts without a type are messages
    QString name;        // the file name the part claims
    GObjectRef<GMimeObject> leaf; // a named leaf, kept to save its content
};

Part describe(GMimeObject* object, bool inDigest, bool* boundaryTooLong)
{
    Part part;
    if (!object) {
        part.kind = inDigest ? Part::Kind::Message : Part::Kind::Leaf;
        return part;
    }
    part.name = claimedFileName(object);
    if (GMIME_IS_MULTIPART(object)) {
        part.kind = Part::Kind::Multipart;
        GMimeContentType* type = g_mime_object_get_content_type(object); // transfer none
        const char* subtype = type ? g_mime_content_type_get_media_subtype(type) : nullptr;
        part.digest = subtype && g_ascii_strcasecmp(subtype, "digest") == 0;
        const char* boundary = g_mime_object_get_content_type_parameter(object, "boundary");
        if (boundary && *boundary) {
            if (std::strlen(boundary) > static_cast<size_t>(kLongestBoundary))
                *boundaryTooLong = true;
            else
                part.boundary = QByteArray("--") + boundary;
        }
    } else if (GMIME_IS_MESSAGE_PART(object) ||
               (inDigest && !g_mime_object_get_header(object, "Content-Type"))) {
        part.kind = Part::Kind::Message;
    } else if (GMIME_IS_PART(object) && !part.name.isEmpty()) {
        part.leaf = GObjectRef<GMimeObject>::retain(object);
    }
    return part;
}

// Saves attachments into the folder, at most kMostAttachments of one message, and keeps
// account of what it left out. The first attachment that cannot be written ends the saving
// (a full disk fails them all); the message is judged all the same.
class AttachmentSaver {
public:
    explicit AttachmentSaver(const QString& folder) : m_folderPath(folder) {}

    // content: the part's encoded content in the message file (a substream).
    void saveLeaf(const QString& claimed, GMimePart* part, GMimeStream* content)
    {
        auto wrapper = GObjectRef<GMimeDataWrapper>::adopt(
            g_mime_data_wrapper_new_with_stream(content, g_mime_part_get_content_encoding(part)));
        save(claimed, [&](GMimeStream* out) {
            return g_mime_data_wrapper_write_to_stream(wrapper.get(), out) >= 0;
        });
    }
    // A forwarded message with a name of its own, saved as it stands.
    void saveWhole(const QString& claimed, GMimeStream* content)
    {
        save(claimed,
             [&](GMimeStream* out) { return g_mime_stream_write_to_stream(content, out) >= 0; });
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

    int notSaved() const { return m_notSaved; }
    const QString& failure() const { return m_failure; }

private:
    template <typename Write> void save(const QString& claimed, const Write& write)
    {
        if (!m_failure.isEmpty() || m_saved.size() >= static_cast<size_t>(kMostAttachments)) {
            ++m_notSaved;
            return;
        }
        if (!m_folder) {
            m_folder.emplace(m_folderPath);
            if (!m_folder->isOpen()) {
                fail(m_folder->error());
                return;
            }
        }
        QString error;
        std::optional<NewFile> file = m_folder->createNumbered(safeAttachmentName(claimed), &error);
        if (!file) {
            fail(error);
            return;
        }
        // A pipe stream only writes: a file stream's flush would also wait for the disk
        // (fsync), once per attachment, for files that are removed a moment later.
        auto out = GObjectRef<GMimeStream>::adopt(g_mime_stream_pipe_new(file->fd()));
        g_mime_stream_pipe_set_owner(GMIME_STREAM_PIPE(out.get()), FALSE);
        const bool ok = write(out.get()) && g_mime_stream_flush(out.get()) == 0;
        const int writeErrno = errno;
        out.reset();
        if (!ok || !file->closeFile()) {
            fail(QCoreApplication::translate(
                     "mail", "添付ファイル「%1」を書き込めません（%2）。ディスクの空き容量を確認"
                             "してください。")
                     .arg(file->path(),
                          QString::fromLocal8Bit(std::strerror(ok ? errno : writeErrno))));
            file->discard();
            return;
        }
        m_saved.push_back(std::move(*file));
    }

    void fail(const QString& why)
    {
        m_failure = why;
        ++m_notSaved;
    }

    QString m_folderPath;
    std::optional<TargetFolder> m_folder; // opened at the first attachment
    std::vector<NewFile> m_saved;
    int m_notSaved = 0;
    QString m_failure;
};

// One pass over the message's body: finds the parts by their boundaries as GMime would,
// parses each part's header block alone, and saves the named leaves from the file. Nothing
// of a part stays in memory once the walk is past it; a preamble or an epilogue is skipped.
class Walker {
public:
    Walker(LineScanner& lines, GMimeStream* file, GMimeParserOptions* options,
           AttachmentSaver& saver)
        : m_lines(lines), m_file(file), m_options(options), m_saver(saver)
    {
    }

    // The message's body, as its header describes it.
    Part describeBody(GMimeObject* body) { return describe(body, false, &m_boundaryTooLong); }
    void walkMessageBody(Part body)
    {
        m_parts = 1;
        walk(std::move(body), 0);
    }

    // What the walk could not look into, in sentences; empty when it saw everything.
    QStringList leftOut() const
    {
        QStringList out;
        if (m_tooManyParts)
            out << QCoreApplication::translate(
                       "mail", "パートが %1 を超えるため、それより後は調べていません。")
                       .arg(kMostParts);
        if (m_tooDeep)
            out << QCoreApplication::translate("mail",
                                               "%1 段より深く入れ子になった部分は調べていません。")
                       .arg(kDeepestNesting);
        if (m_largeHeader)
            out << QCoreApplication::translate("mail",
                                               "ヘッダーが %1 KB を超えるパートは調べていません。")
                       .arg(kLargestHeaderBlock / 1024);
        if (m_boundaryTooLong)
            out << QCoreApplication::translate(
                       "mail", "区切りの文字列が %1 バイトを超えるマルチパートは調べていません。")
                       .arg(kLongestBoundary);
        return out;
    }

private:
    enum class Found {
        None,       // an ordinary line
        End,        // the end of the file
        Next,       // the innermost multipart's boundary
        Close,      // the innermost multipart's closing boundary
        OuterNext,  // an enclosing multipart's boundary
        OuterClose, // an enclosing multipart's closing boundary
        Stop,       // too many parts: the walk ends here
    };

    struct Content {
        Found found = Found::End;
        qint64 start = 0;
        qint64 end = 0;
    };

    static bool isBoundary(const Line& line, const QByteArray& marker, bool closing)
    {
        const qsizetype length = marker.size() + (closing ? 2 : 0);
        return line.head.size() >= length && line.head.startsWith(marker) &&
               (!closing || line.head.sliced(marker.size(), 2) == "--") && line.lastText < length;
    }

    Found classify(const Line& line) const
    {
        if (m_boundaries.empty() || !line.head.startsWith("--"))
            return Found::None;
        for (size_t i = m_boundaries.size(); i-- > 0;) {
            const bool innermost = i + 1 == m_boundaries.size();
            if (isBoundary(line, m_boundaries[i], true))
                return innermost ? Found::Close : Found::OuterClose;
            if (isBoundary(line, m_boundaries[i], false))
                return innermost ? Found::Next : Found::OuterNext;
        }
        return Found::None;
    }

    // Skips a part's content up to the next boundary line (left unread). The line break
    // before a boundary belongs to the boundary.
    Content skipContent()
    {
        Content content;
        content.start = m_lines.position();
        int previousBreak = 0;
        while (const Line* line = m_lines.peek()) {
            const Found found = classify(*line);
            if (found != Found::None) {
                content.found = found;
                content.end =
                    line->start > content.start ? line->start - previousBreak : content.start;
                return content;
            }
            previousBreak = line->breakLength;
            m_lines.consume();
        }
        content.end = m_lines.position();
        return content;
    }

    bool countPart()
    {
        if (++m_parts <= kMostParts)
            return true;
        m_tooManyParts = true;
        return false;
    }

    GObjectRef<GMimeStream> contentStream(const Content& content) const
    {
        return GObjectRef<GMimeStream>::adopt(
            g_mime_stream_substream(m_file, content.start, content.end));
    }

    // The header block just read, parsed alone: a part, or a message's header.
    std::optional<QByteArray> fieldsOf(const HeaderBlock& block)
    {
        if (block.tooLarge()) {
            m_largeHeader = true;
            return std::nullopt;
        }
        if (block.fields < 0)
            return QByteArray();
        return m_lines.bytes(block.fields, block.end);
    }

    Part partFrom(const HeaderBlock& block, bool inDigest)
    {
        const std::optional<QByteArray> fields = fieldsOf(block);
        if (!fields || fields->isEmpty())
            return describe(nullptr, inDigest && fields.has_value(), &m_boundaryTooLong);
        auto stream = GObjectRef<GMimeStream>::adopt(memoryStream(*fields));
        auto parser = GObjectRef<GMimeParser>::adopt(g_mime_parser_new_with_stream(stream.get()));
        auto object =
            GObjectRef<GMimeObject>::adopt(g_mime_parser_construct_part(parser.get(), m_options));
        return describe(object.get(), inDigest, &m_boundaryTooLong);
    }

    Part messageFrom(const HeaderBlock& block)
    {
        const std::optional<QByteArray> fields = fieldsOf(block);
        if (!fields || fields->isEmpty())
            return {};
        auto stream = GObjectRef<GMimeStream>::adopt(memoryStream(*fields));
        auto parser = GObjectRef<GMimeParser>::adopt(g_mime_parser_new_with_stream(stream.get()));
        auto message = GObjectRef<GMimeMessage>::adopt(
            g_mime_parser_construct_message(parser.get(), m_options));
        GMimeObject* body = message ? g_mime_message_get_mime_part(message.get()) : nullptr;
        return describe(body, false, &m_boundaryTooLong);
    }

    // Walks one part whose header block has been read; returns the boundary (or the end) the
    // walk stopped at, as the enclosing multiparts see it.
    Found walk(Part part, int depth)
    {
        switch (part.kind) {
        case Part::Kind::Multipart:
            if (part.boundary.isEmpty())
                return skipContent().found; // GMime takes it all for a preamble
            if (depth >= kDeepestNesting) {
                m_tooDeep = true;
                return skipContent().found;
            }
            return walkMultipart(part, depth);
        case Part::Kind::Message:
            return walkMessage(part, depth);
        case Part::Kind::Leaf:
            break;
        }
        const Content content = skipContent();
        if (part.leaf) {
            const auto stream = contentStream(content);
            m_saver.saveLeaf(part.name, GMIME_PART(part.leaf.get()), stream.get());
        }
        return content.found;
    }

    Found walkMessage(const Part& part, int depth)
    {
        if (!part.name.isEmpty()) {
            const Content content = skipContent();
            m_saver.saveWhole(part.name, contentStream(content).get());
            return content.found;
        }
        if (depth >= kDeepestNesting) {
            m_tooDeep = true;
            return skipContent().found;
        }
        // A boundary right away: the forwarded message is empty.
        if (const Line* line = m_lines.peek()) {
            if (const Found found = classify(*line); found != Found::None)
                return found;
        } else {
            return Found::End;
        }
        if (!countPart())
            return Found::Stop;
        const HeaderBlock block = readHeaderBlock(m_lines, false);
        return walk(messageFrom(block), depth + 1);
    }

    Found walkMultipart(const Part& part, int depth)
    {
        m_boundaries.push_back(part.boundary);
        Found found = skipContent().found; // the preamble
        while (found == Found::Next) {
            m_lines.consume(); // the boundary line
            if (!countPart()) {
                m_boundaries.pop_back();
                return Found::Stop;
            }
            const HeaderBlock block = readHeaderBlock(m_lines, false);
            found = walk(partFrom(block, part.digest), depth + 1);
        }
        if (found == Found::Close) {
            m_lines.consume();
            m_boundaries.pop_back();
            return skipContent().found; // the epilogue
        }
        m_boundaries.pop_back();
        if (found == Found::End || found == Found::Stop)
            return found;
        // The line that ended this multipart belongs to an enclosing one: what it is to it.
        const Line* line = m_lines.peek();
        return line ? classify(*line) : Found::End;
    }

    LineScanner& m_lines;
    GMimeStream* m_file;
    GMimeParserOptions* m_options;
    AttachmentSaver& m_saver;
    std::vector<QByteArray> m_boundaries; // innermost last
    int m_parts = 0;
    bool m_tooManyParts = false;
    bool m_tooDeep = false;
    bool m_largeHeader = false;
    bool m_boundaryTooLong = false;
};

QString readFailure(const QString& file, int error)
{
    return QCoreApplication::translate("mail", "メッセージファイル「%1」を読み込めません（%2）。")
        .arg(file, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

MessageReadResult readMessageFile(const QString& file, const QString& folder)
{
    ensureGMimeInit();
    MessageReadResult result;

    if (file.isEmpty()) {
        result.error =
            QCoreApplication::translate("mail", "読み込むメッセージファイルが指定されていません。");
        return result;
    }
    UniqueFd fd(::open(QFile::encodeName(file).constData(), O_RDONLY | O_CLOEXEC));
    if (!fd.isValid()) {
        result.error =
            QCoreApplication::translate("mail", "メッセージファイル「%1」を開けません（%2）。")
                .arg(file, QString::fromLocal8Bit(std::strerror(errno)));
        return result;
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        result.error = QCoreApplication::translate(
                           "mail", "ファイル「%1」をメールのメッセージとして読み込めません。")
                           .arg(file);
        return result;
    }
    LineScanner lines(fd.get(), static_cast<qint64>(info.st_size));
    // The stream owns the descriptor from here on; the scanner reads it without seeking.
    const int descriptor = fd.release();
    auto stream = GObjectRef<GMimeStream>::adopt(g_mime_stream_fs_new(descriptor));
    const ParserOptions options = makeParserOptions();

    // The message's own header: parsed by GMime as a whole when it has a reasonable size;
    // beyond that only its From field is read.
    const HeaderBlock header = readHeaderBlock(lines, true);
    if (lines.error() != 0) {
        result.error = readFailure(file, lines.error());
        return result;
    }
    QStringList found;
    std::optional<Part> body;
    QStringList leftOut;
    AttachmentSaver saver(folderFromArgument(folder));
    Walker walker(lines, stream.get(), options.get(), saver);
    // The first From field of the header block as the scanner found it, the way a mail reader
    // shows it: for a header GMime cannot use, or too large to parse. A sender is judged by the
    // address after its last "<", or as a whole when it has none: no entry holds a quarter of a
    // megabyte, so the end of an overlong From field gives the verdict the whole field would,
    // and a sender cannot slip past the sweep by padding it.
    const auto scannedFrom = [&]() -> bool {
        if (header.fromValue < 0)
            return true;
        qint64 from = header.fromValue;
        if (header.fromEnd - from > kLargestHeaderBlock) {
            from = header.fromEnd - kLargestHeaderBlock;
            leftOut << QCoreApplication::translate(
                           "mail",
                           "差出人（From ヘッダー）が %1 KB を超えるため、その末尾で判定しました。")
                           .arg(kLargestHeaderBlock / 1024);
        }
        std::optional<QByteArray> value = lines.bytes(from, header.fromEnd);
        if (!value)
            return false;
        if (from != header.fromValue) {
            // Begins at a word: an encoded word cut in two would turn into stray text.
            const qsizetype blank = value->indexOf(' ');
            if (blank >= 0 && blank < value->size() / 2)
                value->remove(0, blank);
        }
        found << QStringLiteral("From:") + decodeHeaderText(*value);
        return true;
    };
    if (!header.tooLarge()) {
        const std::optional<QByteArray> bytes = lines.bytes(header.start, header.end);
        if (!bytes) {
            result.error = readFailure(file, lines.error());
            return result;
        }
        auto headerStream = GObjectRef<GMimeStream>::adopt(memoryStream(*bytes));
        auto parser =
            GObjectRef<GMimeParser>::adopt(g_mime_parser_new_with_stream(headerStream.get()));
        g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
        auto message = GObjectRef<GMimeMessage>::adopt(
            g_mime_parser_construct_message(parser.get(), options.get()));
        std::optional<QString> from;
        if (message) {
            from = headerText(GMIME_OBJECT(message.get()), "From");
            body = walker.describeBody(g_mime_message_get_mime_part(message.get()));
        } else if (header.fields >= 0 || !bytes->trimmed().isEmpty()) {
            // A stray first line, a block that is no header at all: no parts to look into, but
            // the sender is still judged.
            leftOut << QCoreApplication::translate(
                "mail", "ヘッダーの形が崩れているため、添付ファイルは調べていません。");
        }
        if (from)
            found << QStringLiteral("From:") + *from;
        else if (!scannedFrom()) {
            result.error = readFailure(file, lines.error());
            return result;
        }
    } else {
        if (!scannedFrom()) {
            result.error = readFailure(file, lines.error());
            return result;
        }
        leftOut << QCoreApplication::translate(
                       "mail", "ヘッダーが %1 KB を超えるため、添付ファイルは調べていません。")
                       .arg(kLargestHeaderBlock / 1024);
    }

    if (body) {
        walker.walkMessageBody(std::move(*body));
        if (lines.error() != 0)
            leftOut << readFailure(file, lines.error());
    }
    leftOut << walker.leftOut();
    if (saver.notSaved() > 0) {
        leftOut.prepend(
            saver.failure().isEmpty()
                ? QCoreApplication::translate(
                      "mail", "添付ファイル %1 件は保存していません（1 通につき %2 件まで）。")
                      .arg(saver.notSaved())
                      .arg(kMostAttachments)
                : QCoreApplication::translate("mail", "%1（保存できなかった添付ファイルは %2 件）")
                      .arg(saver.failure())
                      .arg(saver.notSaved()));
    }
    for (const QString& path : saver.takeSavedPaths())
        found << QStringLiteral("File:") + path;
    result.lines = found;
    result.unsaved = leftOut.join(QString());
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
            QCoreApplication::translate("mail", "メッセージファイル「%1」を開けません（%2）。")
                .arg(file, in.errorString());
        return summary;
    }
    const QByteArray head = in.read(kHeadBytes);
    if (in.error() != QFileDevice::NoError) {
        summary.error =
            QCoreApplication::translate("mail", "メッセージファイル「%1」を読めません（%2）。")
                .arg(file, in.errorString());
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
        summary.error = QCoreApplication::translate(
                            "mail", "ファイル「%1」をメールのメッセージとして読み込めません。")
                            .arg(file);
        return summary;
    }
    GMimeObject* object = GMIME_OBJECT(message.get());
    summary.from = headerText(object, "From").value_or(QString()).trimmed();
    summary.subject = headerText(object, "Subject").value_or(QString()).trimmed();
    return summary;
}

} // namespace mail
