// ReadMail's "From:" line: the header's own text, decoded the way a person reads it.
// The encoded test words were made with iconv and base64 from the expected text.

#include "pop_mail_library.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace mail {
namespace {

struct FromCase {
    const char* situation;
    QByteArray header;    // everything after "From:" up to the line end, raw bytes
    const char* expected; // UTF-8
};

class FromHeader : public ::testing::TestWithParam<FromCase> {};

MailResult readMessage(const QByteArray& bytes, const QTemporaryDir& dir)
{
    const QString path = dir.filePath(QStringLiteral("message.eml"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return std::nullopt;
    file.close();
    PopMailLibrary lib;
    return lib.ReadMail(path, QString(), QStringLiteral(">") + dir.path());
}

TEST_P(FromHeader, isDecodedToWhatAPersonReads)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray message = "Return-Path: <bounce@example.com>\r\nFrom:" + GetParam().header +
                               "\r\nTo: sweeper@example.com\r\nSubject: s\r\n\r\nbody\r\n";
    const MailResult lines = readMessage(message, dir);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 1) << lines->join(u'|').toStdString();
    EXPECT_EQ(lines->front(), QStringLiteral("From:") + QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, FromHeader,
    ::testing::Values(
        FromCase{"iso2022jpB", " =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?= <a@example.com>",
                 "テスト <a@example.com>"},
        FromCase{"iso2022jpQ", " =?iso-2022-jp?Q?=1B$B;3ED=1B(B?= <a@example.com>",
                 "山田 <a@example.com>"},
        FromCase{"utf8B", " =?UTF-8?B?5bGx55Sw5aSq6YOO?= <a@b.jp>", "山田太郎 <a@b.jp>"},
        FromCase{"utf8Q", " =?utf-8?q?M=C3=BCller_Hans?= <m@b.de>", "Müller Hans <m@b.de>"},
        FromCase{"utf8CharacterSplitAcrossWords",
                 " =?UTF-8?B?5bGx55Sw5Q==?= =?UTF-8?B?pKrpg44=?= <a@b.jp>", "山田太郎 <a@b.jp>"},
        FromCase{"paddedWordFollowedBySameCharset",
                 " =?ISO-2022-JP?B?GyRCJUYlORsoQg==?= =?ISO-2022-JP?B?GyRCJUhCQE86GyhC?= "
                 "<t@example.jp>",
                 "テスト太郎 <t@example.jp>"},
        FromCase{"paddedWordsFoldedOverLines",
                 " =?ISO-2022-JP?B?GyRCJUYlORsoQg==?=\r\n =?ISO-2022-JP?B?GyRCJUhCQE86GyhC?=\r\n"
                 " <t@example.jp>",
                 "テスト太郎 <t@example.jp>"},
        FromCase{"wordsOfDifferentCharsets",
                 " =?UTF-8?B?5bGx55Sw?= =?ISO-2022-JP?B?GyRCRnxLXBsoQg==?= <m@x.jp>",
                 "山田日本 <m@x.jp>"},
        FromCase{"shiftJisDeclared", " =?Shift_JIS?B?jlKTYw==?= <s@x.jp>", "山田 <s@x.jp>"},
        FromCase{"latin1Declared", " =?ISO-8859-1?B?TfxsbGVy?= <m@x.de>", "Müller <m@x.de>"},
        FromCase{"unknownCharsetGuessed", " =?x-unknown?B?5bGx55Sw?= <a@b.jp>", "山田 <a@b.jp>"},
        FromCase{"textBeforeEncodedWordKeepsItsSpace", " Mr. =?UTF-8?B?5bGx55Sw?= <a@b.jp>",
                 "Mr. 山田 <a@b.jp>"},
        FromCase{"encodedWordInsideQuotes", " \"=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=\" <a@b.jp>",
                 "\"テスト\" <a@b.jp>"},
        FromCase{"foldedPlainText", " \"Taro\r\n Yamada\" <taro@example.com>",
                 "\"Taro Yamada\" <taro@example.com>"},
        FromCase{"foldedWithTab", " Taro\r\n\tYamada <taro@example.com>",
                 "Taro Yamada <taro@example.com>"},
        FromCase{"rawShiftJis", QByteArray::fromHex("208e52936391be9859") + " <y@example.jp>",
                 "山田太郎 <y@example.jp>"},
        FromCase{"rawHalfWidthShiftJis", QByteArray::fromHex("20c3bdc4") + " <k@example.jp>",
                 "ﾃｽﾄ <k@example.jp>"},
        FromCase{"rawEucJp", QByteArray::fromHex("20bbb3c5c4c2c0cfba") + " <y@example.jp>",
                 "山田太郎 <y@example.jp>"},
        FromCase{"rawUtf8", QByteArray::fromHex("20e5b1b1e794b0") + " <y@example.jp>",
                 "山田 <y@example.jp>"},
        FromCase{"rawIso2022jp",
                 QByteArray::fromHex("201b24423b33454442404f3a1b2842") + " <y@example.jp>",
                 "山田太郎 <y@example.jp>"},
        FromCase{"controlCharactersRemoved", QByteArray(" Bad\x01Na\x7fme <x@y.com>"),
                 "BadName <x@y.com>"},
        FromCase{"encodedControlCharactersRemoved", " =?UTF-8?Q?A=07B=1BC?= <x@y.com>",
                 "ABC <x@y.com>"},
        FromCase{"emptyAngleAddress", " <>", "<>"},
        FromCase{"nameAndAddress", " Name <a@b>", "Name <a@b>"},
        FromCase{"addressWithComment", " a@b (Comment)", "a@b (Comment)"},
        FromCase{"loneAngleAddressKept", " <a@b>", "<a@b>"},
        FromCase{"noSpaceAfterColon", "a@b", "a@b"}, FromCase{"emptyValue", "", ""}),
    [](const auto& param) { return std::string(param.param.situation); });

TEST(FromHeaderAbsent, givesNoFromLine)
{
    QTemporaryDir dir;
    const MailResult lines = readMessage("To: a@b\r\nSubject: no sender\r\n\r\nbody\r\n", dir);
    ASSERT_TRUE(lines);
    EXPECT_TRUE(lines->isEmpty()) << lines->join(u'|').toStdString();
}

// The shapes of a header block a mail reader still shows a sender for: the From field is found
// whatever comes before it, and a message without one gives no From line (the sweep then judges
// the empty text), never an error.
TEST(HeaderShapes, theFromFieldIsFoundAsAMailReaderShowsIt)
{
    const QStringList junk{QStringLiteral("From:Junk <spam@junk.example>")};
    const struct {
        const char* situation;
        QByteArray message;
        QStringList from; // the lines that start with "From:"
    } rows[] = {
        {"mbox From line first",
         "From spam@junk.example Mon Dec  7 10:00:00 2026\r\nFrom: Junk <spam@junk.example>\r\n"
         "Subject: s\r\n\r\nbody\r\n",
         junk},
        {"stray first line", "not a field\r\nFrom: Junk <spam@junk.example>\r\n\r\nbody\r\n", junk},
        {"stray line in the middle",
         "Subject: s\r\n]]] stray\r\nFrom: Junk <spam@junk.example>\r\n\r\nbody\r\n", junk},
        {"bare LF line ends", "x\nFrom: Junk <spam@junk.example>\n\nbody\n", junk},
        {"no header at all (a plain digest)", "Just a digest.\r\nSecond line.\r\n", {}},
        {"empty file", "", {}},
        {"header without From", "To: a@b\r\nSubject: s\r\n\r\nbody\r\n", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.situation);
        QTemporaryDir dir;
        const MailResult lines = readMessage(row.message, dir);
        ASSERT_TRUE(lines);
        QStringList from;
        for (const QString& line : *lines) {
            if (line.startsWith(QStringLiteral("From:")))
                from << line;
        }
        EXPECT_EQ(from, row.from) << lines->join(u'|').toStdString();
    }
}

TEST(FromHeaderRepeated, usesTheFirst)
{
    QTemporaryDir dir;
    const MailResult lines =
        readMessage("From: first@example.com\r\nFrom: second@example.com\r\n\r\nbody\r\n", dir);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines, QStringList{QStringLiteral("From:first@example.com")});
}

TEST(UnreadableMessage, givesNothingAndSaysWhy)
{
    QTemporaryDir dir;
    PopMailLibrary lib;
    const QString missing = dir.filePath(QStringLiteral("missing.eml"));
    const struct {
        QString path;
        QStringList facts; // the error names what went wrong with which file
    } rows[] = {
        {missing, {missing, QStringLiteral("開けません")}},
        {dir.path(), {dir.path(), QStringLiteral("メッセージとして読み込めません")}},
        {QString(), {QStringLiteral("指定されていません")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        EXPECT_FALSE(lib.ReadMail(row.path, QString(), QStringLiteral(">") + dir.path()));
        for (const QString& fact : row.facts)
            EXPECT_TRUE(lib.lastReadError().contains(fact)) << lib.lastReadError().toStdString();
    }
}

} // namespace
} // namespace mail
