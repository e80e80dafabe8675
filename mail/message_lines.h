#pragma once

#include <QByteArray>

#include <optional>

namespace mail {

// The longest boundary a multipart may have here (the longest line a mail may hold), and
// how much of each line's start is kept to compare with boundaries.
inline constexpr qsizetype kLongestBoundary = 998;
inline constexpr qsizetype kLineHead = kLongestBoundary + 8;
// A header block larger than this is never parsed as a whole.
inline constexpr qint64 kLargestHeaderBlock = 256 * 1024;

// One line of a message file, as far as reading the message needs it: never held whole, so
// that a line of any length costs no memory.
struct Line {
    qint64 start = 0;
    qint64 end = 0;        // after the line break, or the end of the file
    qint64 textLength = 0; // without the line break (LF or CR LF)
    int breakLength = 0;   // 0 at the end of the file, 1 for LF, 2 for CR LF
    qint64 lastText = -1;  // index of the last byte that is not a blank or CR; -1: none
    QByteArray head;       // the first bytes of the text, at most kLineHead

    bool isEmpty() const { return textLength == 0 && breakLength > 0; }
    bool isFolded() const { return !head.isEmpty() && (head[0] == ' ' || head[0] == '\t'); }
};

// Reads a message file line by line, in chunks, without moving the descriptor's offset
// (GMime's streams over the same descriptor seek for themselves).
class LineScanner {
public:
    LineScanner(int fd, qint64 size) : m_fd(fd), m_size(size) {}

    // The line at the current position, not consumed; nothing at the end or after an error.
    const Line* peek();
    void consume();
    qint64 position() const { return m_position; }
    // errno of a read that failed; 0 when none did.
    int error() const { return m_error; }

    // The bytes from start to end, read afresh.
    std::optional<QByteArray> bytes(qint64 start, qint64 end);

private:
    bool fill(qint64 pos); // makes the buffer hold the byte at pos
    bool scan();

    int m_fd;
    qint64 m_size;
    qint64 m_position = 0;
    QByteArray m_buffer;
    qint64 m_bufferStart = 0;
    Line m_line;
    bool m_have = false;
    int m_error = 0;
};

// Where a header block lies in the file.
struct HeaderBlock {
    qint64 start = 0;
    // Where its first header field begins; -1: it has none. GMime skips the lines before
    // the first field of a part (they are not headers).
    qint64 fields = -1;
    qint64 end = 0; // after the empty line that ends it, or the end of the file
    // The first From field, when asked for: its value, from after the colon to the end of
    // its last line.
    qint64 fromValue = -1;
    qint64 fromEnd = -1;

    bool tooLarge() const { return end - start > kLargestHeaderBlock; }
};

// Consumes a header block: the lines up to and including the first empty line.
HeaderBlock readHeaderBlock(LineScanner& lines, bool findFrom);

} // namespace mail
