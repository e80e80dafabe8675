// The about box: its texts character for character, its shape, and opening it again.

#include "about_box.h"
#include "app_info.h"
#include "help_menu.h"
#include "program_icon.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The expected texts are written by code point so that a full-width form where a half-width
// one belongs (or the reverse) cannot pass for the same text on screen.
const QString kVersionWord = QString::fromUtf16(u"\uFF8A\uFF9E\uFF70\uFF7C\uFF9E\uFF6E\uFF9D");
const QString kCaptionTail =
    QString::fromUtf16(u"\u306E") + kVersionWord + QString::fromUtf16(u"\u60C5\u5831");
const QStringList kDescriptionLines{
    QString::fromUtf16(u"\uFF71\uFF8C\uFF9F\uFF98\uFF79\uFF70\uFF7C\uFF6E\uFF9D\u306E\u8AAC\u660E"),
    QString::fromUtf16(u"\u8FF7\u60D1\u30E1\u30FC\u30EB\u306E\u524A\u9664\u30C4\u30FC\u30EB\u3067"
                       u"\u3059\u3002"),
    QString::fromUtf16(u"\u25A0\u52D5\u4F5C\u74B0\u5883"),
    u"Debian GNU/Linux 12"_s,
    u"Qt 6.4"_s + QString::fromUtf16(u"\u4EE5\u4E0A"),
    QString::fromUtf16(u"\u304C\u30A4\u30F3\u30B9\u30C8\u30FC\u30EB\u3055\u308C\u3066\u3044\u308B"
                       u"\u4E8B"),
    QString::fromUtf16(u"\u203B") + u"Debian"_s +
        QString::fromUtf16(u"\u306E\u30D1\u30C3\u30B1\u30FC\u30B8\u3088\u308A\u30A4\u30F3\u30B9"
                           u"\u30C8\u30FC\u30EB\u3057\u3066\u304F\u3060\u3055\u3044\u3002"),
};

QString expectedDescription()
{
    QString text;
    for (const QString& line : kDescriptionLines)
        text += line + u"\r\n"_s;
    return text;
}

QString codePoints(const QString& text)
{
    QStringList points;
    for (const char32_t point : text.toUcs4())
        points.append(u"U+%1"_s.arg(static_cast<uint>(point), 4, 16, QChar(u'0')).toUpper());
    return points.join(u' ');
}

struct AboutTexts {
    QString caption;
    QString title;
    QString version;
    QString description;
};

AboutTexts textsOf(const frmAbout& about)
{
    return {about.windowTitle(), about.lblTitle->text(), about.lblVersion->text(),
            about.lblDescription->text()};
}

void expectExactTexts(const AboutTexts& texts)
{
    EXPECT_EQ(codePoints(texts.caption), codePoints(u"Junkbane"_s + kCaptionTail));
    EXPECT_EQ(texts.title, u"Junkbane"_s);
    EXPECT_EQ(codePoints(texts.version), codePoints(kVersionWord + u" 1.0.0"_s));
    EXPECT_EQ(codePoints(texts.description), codePoints(expectedDescription()));
}

} // namespace

TEST(AboutBox, TextsAreExactDownToTheCharacterWidth)
{
    const frmAbout about(nullptr);
    expectExactTexts(textsOf(about));
}

TEST(AboutBox, CaptionJoinsTitleAndSuffixWithoutSpace)
{
    const frmAbout about(nullptr);
    EXPECT_TRUE(about.windowTitle().startsWith(app::applicationTitle() + QChar(u'\u306E')))
        << about.windowTitle().toStdString();
    EXPECT_FALSE(about.windowTitle().contains(u' '));
}

TEST(AboutBox, VersionLineHasOneSpaceAndTheBuildVersion)
{
    const frmAbout about(nullptr);
    const QString version = about.lblVersion->text();
    EXPECT_EQ(version.count(u' '), 1) << version.toStdString();
    EXPECT_EQ(version.section(u' ', 1), app::versionText());
    EXPECT_EQ(version.section(u' ', 0, 0), kVersionWord);
}

TEST(AboutBox, DescriptionKeepsItsDesignLineAndEndsInOneLineBreak)
{
    const frmAbout about(nullptr);
    const QString text = about.lblDescription->text();
    const QStringList lines = text.split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 8); // seven lines and the empty rest after the final break
    EXPECT_EQ(lines.first(), kDescriptionLines.first());
    EXPECT_TRUE(lines.last().isEmpty());
    // Every break is CR LF: no lone CR or LF is left once the pairs are taken out.
    QString withoutPairs = text;
    withoutPairs.remove(u"\r\n"_s);
    EXPECT_FALSE(withoutPairs.contains(u'\r'));
    EXPECT_FALSE(withoutPairs.contains(u'\n'));
}

TEST(AboutBox, LoadingAgainRebuildsInsteadOfAppending)
{
    frmAbout about(nullptr);
    about.load();
    about.load();
    expectExactTexts(textsOf(about));
}

TEST(AboutBox, OpeningFromTheMenuTwiceShowsTheSameTexts)
{
    QWidget owner;
    owner.resize(400, 300);
    owner.show();

    QList<AboutTexts> seen;
    for (int opening = 0; opening < 2; ++opening) {
        // The box is modal: look at it from inside its own event loop, then close it the way
        // the user does.
        QTimer::singleShot(0, [&seen] {
            auto* about = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            EXPECT_TRUE(about->isModal());
            seen.append(textsOf(*about));
            about->close();
        });
        dialogs::openAboutBox(&owner);
    }
    ASSERT_EQ(seen.size(), 2);
    for (const AboutTexts& texts : seen)
        expectExactTexts(texts);
}

TEST(AboutBox, EscapeClosesIt)
{
    frmAbout about(nullptr);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
}

TEST(AboutBox, IsAFixedDialogWithoutButtons)
{
    const frmAbout about(nullptr);
    EXPECT_EQ(about.minimumSize(), about.maximumSize());
    const Qt::WindowFlags flags = about.windowFlags();
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(about.findChildren<QAbstractButton*>().isEmpty());
}

TEST(AboutBox, EveryTextFitsItsLabel)
{
    // The font the program puts in place of the Windows UI font at start-up.
    QFont::insertSubstitutions(u"ＭＳ Ｐゴシック"_s, {u"IPAPGothic"_s, u"IPAGothic"_s});
    const frmAbout about(nullptr);
    for (const QLabel* label : {about.lblTitle, about.lblVersion, about.lblDescription}) {
        const QSize needed = label->sizeHint();
        EXPECT_LE(needed.width(), label->width()) << label->text().toStdString();
        EXPECT_LE(needed.height(), label->height()) << label->text().toStdString();
        EXPECT_TRUE(about.rect().contains(label->geometry()));
    }
}

TEST(AboutBox, ShowsTheProgramIcon)
{
    ASSERT_TRUE(resources::programIconProblem().isEmpty())
        << resources::programIconProblem().toStdString();
    const frmAbout about(nullptr);
    const QPixmap shown = about.picIcon->pixmap();
    ASSERT_FALSE(shown.isNull());
    // The same image as the windows' icon, at the size the box shows it.
    const QImage expected = resources::programIcon()
                                .pixmap(shown.size())
                                .toImage()
                                .convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(shown.toImage().convertToFormat(QImage::Format_ARGB32), expected);
    // Not a blank square: the red sign and the envelope's outline are drawn.
    const QImage image = shown.toImage();
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.alpha() > 200 && colour.red() > 180 && colour.green() < 90)
                ++red;
        }
    EXPECT_GT(red, image.width() * image.height() / 20);
}

TEST(AboutBox, OpensCentredOverItsOwner)
{
    QWidget owner;
    owner.setGeometry(100, 80, 600, 400);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    frmAbout about(&owner);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    const QPoint ownerCentre = owner.mapToGlobal(owner.rect().center());
    const QPoint aboutCentre = about.mapToGlobal(about.rect().center());
    // The window frame may shift the client area by its border and title bar.
    const QSize frame = about.frameGeometry().size() - about.size();
    EXPECT_LE((ownerCentre - aboutCentre).manhattanLength(), frame.width() + frame.height() + 2)
        << "owner centre " << ownerCentre.x() << "," << ownerCentre.y() << ", about box centre "
        << aboutCentre.x() << "," << aboutCentre.y();
}
