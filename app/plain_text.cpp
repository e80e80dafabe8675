#include "plain_text.h"

#include <algorithm>

namespace app {

using namespace Qt::StringLiterals;

namespace {

// Characters that change the direction of the text around them.
bool turnsText(char32_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

QString plain(QStringView text, qsizetype limit, bool keepBreaks)
{
    QString out;
    out.reserve(std::min(text.size(), limit) + 1);
    qsizetype shown = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (shown == limit) {
            out += u'…';
            break;
        }
        const QChar c = text[i];
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text[i + 1]);
            ++i;
        } else if (c.isSurrogate()) {
            code = QChar::ReplacementCharacter;
        }
        if (turnsText(code))
            continue;
        if (code == u'\r' || code == u'\n') {
            const bool crLf = code == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n';
            if (crLf)
                ++i;
            if (!keepBreaks)
                out += u' ';
            else
                out += crLf ? QStringView(u"\r\n") : QStringView(u"\n");
        } else if (QChar::category(code) == QChar::Other_Control || code == QChar::LineSeparator ||
                   code == QChar::ParagraphSeparator) {
            out += u' ';
        } else if (QChar::requiresSurrogates(code)) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(static_cast<char16_t>(code));
        }
        ++shown;
    }
    return out;
}

} // namespace

QString plainLine(QStringView text, qsizetype limit)
{
    return plain(text, limit, false);
}

QString plainLines(QStringView text, qsizetype limit)
{
    return plain(text, limit, true);
}

QString plainToolTip(QStringView text, qsizetype limit)
{
    if (text.isEmpty())
        return QString();
    return u"<p style=\"white-space:pre-wrap\">"_s + plainLines(text, limit).toHtmlEscaped() +
           u"</p>"_s;
}

} // namespace app
