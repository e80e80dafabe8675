#include "html_text.h"

#include <QHash>

#include <algorithm>
#include <utility>

namespace mail {

using namespace Qt::StringLiterals;

namespace {

// Elements whose contents are never text for the reader.
bool dropsContents(QStringView name)
{
    for (const QStringView hidden : {u"script", u"style", u"head", u"title", u"noscript",
                                     u"template", u"object", u"iframe", u"svg"}) {
        if (name.compare(hidden, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// Elements that stand on lines of their own.
bool isBlock(QStringView name)
{
    for (const QStringView block :
         {u"p",          u"div", u"br", u"tr",      u"table",   u"h1",     u"h2",
          u"h3",         u"h4",  u"h5", u"h6",      u"ul",      u"ol",     u"li",
          u"blockquote", u"pre", u"hr", u"section", u"article", u"header", u"footer",
          u"center",     u"dl",  u"dt", u"dd",      u"address", u"form",   u"body"}) {
        if (name.compare(block, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

const QHash<QString, char32_t>& namedReferences()
{
    static const QHash<QString, char32_t> names{
        {u"amp"_s, u'&'},     {u"lt"_s, u'<'},       {u"gt"_s, u'>'},      {u"quot"_s, u'"'},
        {u"apos"_s, u'\''},   {u"nbsp"_s, u' '},     {u"copy"_s, 0xA9},    {u"reg"_s, 0xAE},
        {u"yen"_s, 0xA5},     {u"hellip"_s, 0x2026}, {u"mdash"_s, 0x2014}, {u"ndash"_s, 0x2013},
        {u"laquo"_s, 0xAB},   {u"raquo"_s, 0xBB},    {u"middot"_s, 0xB7},  {u"times"_s, 0xD7},
        {u"trade"_s, 0x2122}, {u"euro"_s, 0x20AC},   {u"rsquo"_s, 0x2019}, {u"lsquo"_s, 0x2018},
        {u"rdquo"_s, 0x201D}, {u"ldquo"_s, 0x201C},  {u"bull"_s, 0x2022},
    };
    return names;
}

class TextOut {
public:
    explicit TextOut(qsizetype limit) : m_limit(limit) {}

    bool full() const { return m_text.size() >= m_limit; }
    void character(char32_t c)
    {
        if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == 0xA0) {
            m_space = true;
            return;
        }
        if (m_space && !m_text.isEmpty() && !m_text.endsWith(u'\n'))
            m_text += u' ';
        m_space = false;
        if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            c = QChar::ReplacementCharacter;
        if (QChar::requiresSurrogates(c)) {
            m_text += QChar(QChar::highSurrogate(c));
            m_text += QChar(QChar::lowSurrogate(c));
        } else {
            m_text += QChar(static_cast<char16_t>(c));
        }
    }
    void lineBreak()
    {
        m_space = false;
        // At most one empty line in a row.
        if (!m_text.isEmpty() && !m_text.endsWith(u"\n\n"_s))
            m_text += u'\n';
    }
    QString take()
    {
        m_text.truncate(m_limit);
        return m_text.trimmed();
    }

private:
    qsizetype m_limit;
    QString m_text;
    bool m_space = false;
};

// The character reference at html[i] ("&..."): its character and length, or nothing.
std::pair<char32_t, qsizetype> reference(QStringView html, qsizetype i)
{
    constexpr qsizetype kLongest = 12;
    // Looked for close by only: a text full of "&" stays linear.
    const qsizetype found = html.sliced(i, std::min(kLongest + 1, html.size() - i)).indexOf(u';');
    if (found < 0)
        return {0, 0};
    const qsizetype end = i + found;
    const QStringView body = html.sliced(i + 1, end - i - 1);
    if (body.startsWith(u'#')) {
        bool ok = false;
        const uint code = body.startsWith(u"#x", Qt::CaseInsensitive)
                              ? body.sliced(2).toUInt(&ok, 16)
                              : body.sliced(1).toUInt(&ok, 10);
        return ok ? std::pair<char32_t, qsizetype>{code, end - i + 1}
                  : std::pair<char32_t, qsizetype>{0, 0};
    }
    const auto named = namedReferences().constFind(body.toString().toLower());
    if (named == namedReferences().constEnd())
        return {0, 0};
    return {*named, end - i + 1};
}

} // namespace

QString htmlToText(QStringView html, qsizetype limit)
{
    TextOut out(limit);
    QString droppedUntil; // the closing tag that ends dropped contents, e.g. "/script"
    qsizetype i = 0;
    while (i < html.size() && !out.full()) {
        const QChar c = html[i];
        if (c == u'<') {
            if (html.sliced(i).startsWith(u"<!--")) {
                const qsizetype end = html.indexOf(u"-->", i + 4);
                i = end < 0 ? html.size() : end + 3;
                continue;
            }
            const qsizetype end = html.indexOf(u'>', i + 1);
            if (end < 0)
                break; // an unfinished tag shows nothing
            const QStringView tag = html.sliced(i + 1, end - i - 1).trimmed();
            qsizetype nameEnd = 0;
            while (nameEnd < tag.size() && !tag[nameEnd].isSpace() && tag[nameEnd] != u'>' &&
                   !(nameEnd > 0 && tag[nameEnd] == u'/'))
                ++nameEnd;
            const QStringView name = tag.first(nameEnd);
            i = end + 1;
            if (!droppedUntil.isEmpty()) {
                if (name.compare(droppedUntil, Qt::CaseInsensitive) == 0)
                    droppedUntil.clear();
                continue;
            }
            const bool closing = name.startsWith(u'/');
            const QStringView element = closing ? name.sliced(1) : name;
            if (!closing && dropsContents(element) && !tag.endsWith(u'/')) {
                droppedUntil = u'/' + element.toString();
                continue;
            }
            if (isBlock(element)) {
                out.lineBreak();
                if (!closing && element.compare(u"li", Qt::CaseInsensitive) == 0)
                    out.character(u'・');
            } else if (element.compare(u"td", Qt::CaseInsensitive) == 0 ||
                       element.compare(u"th", Qt::CaseInsensitive) == 0) {
                out.character(u' ');
            }
            continue;
        }
        if (!droppedUntil.isEmpty()) {
            // Inside dropped contents only the closing tag matters.
            const qsizetype next = html.indexOf(u'<', i);
            i = next < 0 ? html.size() : next;
            continue;
        }
        if (c == u'&') {
            const auto [code, length] = reference(html, i);
            if (length > 0) {
                out.character(code);
                i += length;
                continue;
            }
        }
        if (c.isHighSurrogate() && i + 1 < html.size() && html[i + 1].isLowSurrogate()) {
            out.character(QChar::surrogateToUcs4(c, html[i + 1]));
            i += 2;
            continue;
        }
        out.character(c.unicode());
        ++i;
    }
    return out.take();
}

} // namespace mail
