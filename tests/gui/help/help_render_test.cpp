// The help pages laid out 600 pixels wide by Qt's text engine with their own style sheet:
// every line, also inside tables, wraps within the page.

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString kSourceDir = QStringLiteral(JUNKBANE_HELP_SOURCE_DIR);
constexpr qreal kWidth = 600;

QString sourceText(const QString& name)
{
    QFile file(kSourceDir + u'/' + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// Every page the help file is compiled from.
std::vector<std::string> pages()
{
    std::vector<std::string> names;
    for (const QString& page : QStringLiteral(JUNKBANE_HELP_PAGES).split(u','))
        names.push_back(page.toStdString());
    return names;
}

class HelpRender : public testing::TestWithParam<std::string> {};

TEST_P(HelpRender, EveryLineEndsInsideSixHundredPixels)
{
    const QString html = sourceText(QString::fromStdString(GetParam()));
    ASSERT_FALSE(html.isEmpty());
    const QString style = sourceText(u"style.css"_s);
    ASSERT_FALSE(style.isEmpty());

    QTextDocument document;
    document.setDefaultFont(QFont(u"IPAPGothic"_s, 10));
    document.setDefaultStyleSheet(style);
    document.setHtml(html);
    document.setTextWidth(kWidth);
    QAbstractTextDocumentLayout* layout = document.documentLayout();

    int lines = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QRectF box = layout->blockBoundingRect(block);
        const QTextLayout* text = block.layout();
        for (int i = 0; i < text->lineCount(); ++i) {
            const QTextLine line = text->lineAt(i);
            const qreal right = box.x() + line.x() + line.naturalTextWidth();
            EXPECT_LE(right, kWidth)
                << block.text().mid(line.textStart(), line.textLength()).toStdString();
            ++lines;
        }
    }
    EXPECT_GT(lines, 10);
    EXPECT_LE(layout->documentSize().width(), kWidth) << "a table is wider than the page";
}

INSTANTIATE_TEST_SUITE_P(Pages, HelpRender, testing::ValuesIn(pages()),
                         [](const testing::TestParamInfo<std::string>& page) {
                             return page.param.substr(0, page.param.find('.'));
                         });

} // namespace
