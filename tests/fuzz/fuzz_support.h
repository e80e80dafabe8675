#pragma once

// What every fuzz target shares: a broken invariant stops the process the way a crash does,
// so that libFuzzer keeps the input and the regression driver fails on it.

#include <QString>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

// The text with control characters and surrogates shown as \uXXXX, for the failure report.
inline QString visible(const QString& text)
{
    QString out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f) || c.isSurrogate() || u == u'\\')
            out += QStringLiteral("\\u%1").arg(static_cast<uint>(u), 4, 16, QChar(u'0'));
        else
            out += c;
    }
    return out;
}

[[noreturn]] inline void fail(const char* what, const QString& detail = QString())
{
    std::fprintf(stderr, "Fuzz invariant broken: %s\n  %s\n", what,
                 visible(detail).toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

inline void require(bool ok, const char* what, const QString& detail = QString())
{
    if (!ok)
        fail(what, detail);
}

// C0, DEL and C1: what would split a line or hide text when the sweep reads a value.
inline bool isControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

inline bool hasControlCharacter(const QString& text)
{
    for (QChar c : text) {
        if (isControl(c))
            return true;
    }
    return false;
}

// A surrogate without its partner cannot be written to a file name or to UTF-8.
inline bool hasLoneSurrogate(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return true;
    }
    return false;
}

} // namespace fuzz
