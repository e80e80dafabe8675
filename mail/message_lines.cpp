#include "message_lines.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace mail {

namespace {

constexpr qint64 kReadChunk = 64 * 1024;

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A header field's first line as GMime takes it: a name without blanks or control
// characters, blanks allowed before the colon. Lines before the first such line are not
// headers; GMime skips them inside a message.
bool startsField(const Line& line)
{
    bool blankSeen = false;
    for (qsizetype i = 0; i < line.head.size(); ++i) {
        const char c = line.head[i];
        if (c == ':')
            return i > 0;
        if (isBlank(c))
            blankSeen = true;
        else if (blankSeen || static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return false;
    }
    return false;
}

// "From" + blanks + ":" (letters in any case): where the value begins in the line, or -1.
qsizetype fromFieldValue(const Line& line)
{
    const QByteArrayView head(line.head);
    if (head.size() < 5 || !head.first(4).toByteArray().toLower().startsWith("from"))
        return -1;
    qsizetype i = 4;
    while (i < head.size() && isBlank(head[i]))
        ++i;
    return i < head.size() && head[i] == ':' ? i + 1 : -1;
}

} // namespace

const Line* LineScanner::peek()
{
    if (!m_have && !scan())
        return nullptr;
    return &m_line;
}

void LineScanner::consume()
{
    if (peek()) {
        m_position = m_line.end;
        m_have = false;
    }
}

std::optional<QByteArray> LineScanner::bytes(qint64 start, qint64 end)
{
    QByteArray out(static_cast<qsizetype>(end - start), Qt::Uninitialized);
    qint64 done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(m_fd, out.data() + done, static_cast<size_t>(out.size() - done),
                                  static_cast<off_t>(start + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : EIO;
            return std::nullopt;
        }
        done += n;
    }
    return out;
}

bool LineScanner::fill(qint64 pos)
{
    if (pos >= m_bufferStart && pos < m_bufferStart + m_buffer.size())
        return true;
    const qint64 length = std::min(kReadChunk, m_size - pos);
    std::optional<QByteArray> chunk = bytes(pos, pos + length);
    if (!chunk)
        return false;
    m_buffer = std::move(*chunk);
    m_bufferStart = pos;
    return true;
}

bool LineScanner::scan()
{
    if (m_error != 0 || m_position >= m_size)
        return false;
    Line line;
    line.start = m_position;
    qint64 pos = m_position;
    char previous = 0;
    while (pos < m_size) {
        if (!fill(pos))
            return false;
        const char* data = m_buffer.constData() + (pos - m_bufferStart);
        const qint64 available = m_bufferStart + m_buffer.size() - pos;
        const auto* found =
            static_cast<const char*>(std::memchr(data, '\n', static_cast<size_t>(available)));
        const qint64 n = found ? found - data : available;
        if (line.head.size() < kLineHead)
            line.head.append(
                data, static_cast<qsizetype>(std::min<qint64>(n, kLineHead - line.head.size())));
        for (qint64 i = n - 1; i >= 0; --i) {
            if (!isBlank(data[i]) && data[i] != '\r') {
                line.lastText = pos - line.start + i;
                break;
            }
        }
        if (n > 0)
            previous = data[n - 1];
        pos += n;
        if (found) {
            const bool cr = pos > line.start && previous == '\r';
            line.end = pos + 1;
            line.breakLength = cr ? 2 : 1;
            line.textLength = pos - line.start - (cr ? 1 : 0);
            m_line = std::move(line);
            m_have = true;
            return true;
        }
    }
    // The last line of the file, without a line break.
    line.textLength = pos - line.start;
    line.end = pos;
    m_line = std::move(line);
    m_have = true;
    return true;
}

HeaderBlock readHeaderBlock(LineScanner& lines, bool findFrom)
{
    HeaderBlock block;
    block.start = lines.position();
    bool inFrom = false;
    while (const Line* line = lines.peek()) {
        if (line->isEmpty()) {
            if (inFrom)
                block.fromEnd = line->start;
            lines.consume();
            block.end = lines.position();
            return block;
        }
        if (!line->isFolded()) {
            if (inFrom) {
                block.fromEnd = line->start;
                inFrom = false;
            }
            if (block.fields < 0 && startsField(*line))
                block.fields = line->start;
            if (findFrom && block.fromValue < 0) {
                const qsizetype value = fromFieldValue(*line);
                if (value >= 0) {
                    block.fromValue = line->start + value;
                    inFrom = true;
                }
            }
        }
        lines.consume();
    }
    block.end = lines.position();
    if (inFrom)
        block.fromEnd = block.end;
    return block;
}

} // namespace mail
