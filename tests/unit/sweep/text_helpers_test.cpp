// Reprep, Angou and the program's date text.

#include "text_helpers.h"

#include <QDateTime>
#include <QSet>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TEST(Reprep, CleansSenderTexts)
{
    struct Row {
        const char* situation;
        QString in;
        QString out;
    } rows[] = {
        {"display name and address", u"Taro Yamada <taro.yamada@example.co.jp>"_s,
         u"TaroYamada<taro.yamada@example.co.jp>"_s},
        {"hyphen inside the address", u"first-last@example.jp"_s, u"firstlast@example.jp"_s},
        {"ideographic space and underscore stay", u"山田　太郎 <a_b@x.jp>"_s,
         u"山田　太郎<a_b@x.jp>"_s},
        {"empty", QString(), QString()},
        {"only table characters", u"'\",;:[]{}|=-()%$#!+ `\\"_s, QString()},
        {"full-width forms in the table", u"a＼b～c∥d｜e…f‥g‘h’i´j･k"_s, u"abcdefghijk"_s},
        {"full-width forms outside the table stay", u"ＡＢ＠．＜＞"_s, u"ＡＢ＠．＜＞"_s},
        {"tab and other ASCII stay", u"a\tb/c?d*e&f^g~h.i_j@k<l>"_s,
         u"a\tb/c?d*e&f^g~h.i_j@k<l>"_s},
    };
    for (const Row& row : rows)
        EXPECT_EQ(sweep::Reprep(row.in).toString(), row.out) << row.situation;
    EXPECT_EQ(sweep::Reprep(QVariant()).toString(), QString()) << "an empty variant";
}

TEST(Reprep, RemovesExactlyThirtyTwoCharacters)
{
    QSet<char16_t> removed;
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QString one(QChar(static_cast<char16_t>(c)));
        if (sweep::Reprep(one).toString().isEmpty())
            removed.insert(static_cast<char16_t>(c));
    }
    const QSet<char16_t> table{0x0027, 0x002C, 0x003A, 0x003B, 0x0060, 0x005B, 0x005D, 0x007B,
                               0x007D, 0x005C, 0x007C, 0x003D, 0x002D, 0x0029, 0x0028, 0x0025,
                               0x0024, 0x0023, 0x0021, 0xFF65, 0x002B, 0x0020, 0xFF3C, 0xFF5E,
                               0x2225, 0xFF5C, 0x2026, 0x2025, 0x2018, 0x2019, 0x0022, 0x00B4};
    EXPECT_EQ(removed, table);
}

TEST(Angou, LengthIsTheArgumentRoundedDownPlusOne)
{
    struct Row {
        QVariant k;
        qsizetype length;
    } rows[] = {{7, 8}, {7.9, 8}, {0, 1}, {-1, 0}, {-0.5, 0}, {u"3"_s, 4}};
    for (const Row& row : rows)
        EXPECT_EQ(sweep::Angou(row.k).toString().size(), row.length)
            << row.k.toString().toStdString();
}

TEST(Angou, DrawsEveryDigitAndSmallLetterAndNothingElse)
{
    QSet<QChar> seen;
    for (int i = 0; i < 2000; ++i) {
        for (QChar c : sweep::Angou(7).toString())
            seen.insert(c);
    }
    QSet<QChar> alphabet;
    for (QChar c : u"0123456789abcdefghijklmnopqrstuvwxyz"_s)
        alphabet.insert(c);
    EXPECT_EQ(seen, alphabet);
}

TEST(Angou, CallsInOneClockTickContinueTheSequence)
{
    QSet<QString> texts;
    for (int i = 0; i < 100; ++i)
        texts.insert(sweep::Angou(7).toString());
    EXPECT_EQ(texts.size(), 100) << "calls made within the same tick repeated a text";
}

TEST(DateText, ReadsBackIntoTheSameSecond)
{
    const QDateTime moment(QDate(2026, 1, 2), QTime(3, 4, 5, 678));
    EXPECT_EQ(sweep::dateText(moment), u"2026/01/02 3:04:05"_s);
    EXPECT_EQ(sweep::parseDateText(sweep::dateText(moment)), moment.addMSecs(-678));
    EXPECT_FALSE(sweep::parseDateText(u"tomorrow"_s).isValid());
}

} // namespace
