// HTML bodies turned into text: what a reader sees, nothing the markup names, linear time.

#include "html_text.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(HtmlToText, ShowsTheTextAndNothingTheMarkupNames)
{
    struct Row {
        const char* situation;
        QString html;
        QString text;
    } rows[] = {
        {"paragraphs and breaks", u"<p>one</p><p>two<br>three</p>"_s, u"one\n\ntwo\nthree"_s},
        {"scripts, styles and head dropped",
         u"<head><title>T</title><style>p{}</style></head><script>alert(1)</script>x"_s, u"x"_s},
        {"comments dropped", u"a<!-- <img src=x> -->b"_s, u"ab"_s},
        {"images and links leave only their text",
         u"<img src=\"http://x/t.png\"><a href=\"http://x\">click</a>"_s, u"click"_s},
        {"references", u"&amp;&lt;b&gt; &#12354;&#x3044; &nbsp;&bogus; &"_s,
         u"&<b> あい &bogus; &"_s},
        {"list items", u"<ul><li>a<li>b</ul>"_s, u"・a\n・b"_s},
        {"blanks collapse", u"a \r\n\t  b"_s, u"a b"_s},
        {"a script never closed hides the rest", u"a<script>b"_s, u"a"_s},
        {"an unfinished tag shows nothing more", u"a<img src="_s, u"a"_s},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation);
        EXPECT_EQ(mail::htmlToText(row.html, 1000), row.text);
    }
    EXPECT_EQ(mail::htmlToText(u"abcdef"_s, 3), u"abc"_s);
}

TEST(HtmlToText, HostileInputStaysLinear)
{
    for (const QString& unit : {u"&"_s, u"<!--"_s, u"<a "_s, u"<p>"_s, u"<script>"_s}) {
        const QString html = unit.repeated(2'000'000 / unit.size());
        QElapsedTimer clock;
        clock.start();
        mail::htmlToText(html, 1'000'000);
        // Quadratic work would take hours here.
        EXPECT_LT(clock.elapsed(), 10000) << unit.toStdString();
    }
}
