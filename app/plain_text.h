#pragma once

#include <QString>
#include <QStringView>

// Text that comes from outside the program (a message's sender or subject, a server's reply, an
// attachment's name) made fit to show: Qt never reads it as markup, and nothing in it can turn
// the text around, stretch a row or cost more than its shown length.
namespace app {

// How many characters a label, a list cell or one line of a box shows of such a text.
inline constexpr qsizetype kLineLimit = 300;
// How many characters a box or a tool tip of several lines shows.
inline constexpr qsizetype kBoxLimit = 4000;

// One line: control characters and line or paragraph separators become spaces, the
// characters that change the direction of text (U+202A-U+202E, U+2066-U+2069, marks) are
// dropped, unpaired surrogates become U+FFFD; beyond limit characters the text ends in "…".
// Only the start of the text that can show is looked at, however long the text is.
QString plainLine(QStringView text, qsizetype limit = kLineLimit);

// As plainLine, but line breaks stay: LF and CR LF as they are, a lone CR as LF.
QString plainLines(QStringView text, qsizetype limit = kBoxLimit);

// A tool tip that shows the text as it is: escaped into a paragraph, so that Qt, which takes
// a tool tip starting with a tag for rich text, shows its characters and wraps it.
QString plainToolTip(QStringView text, qsizetype limit = kBoxLimit);

} // namespace app
