// Faults found in reading saved messages by the fuzz targets (tests/fuzz) and by the large
// crafted messages tried beside them, each pinned by a message or header that shows it. The
// fuzzers' own inputs are replayed from tests/fuzz/regressions/.

#include "header_text.h"
#include "pop_mail_library.h"
#include "safe_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <glib.h>

namespace mail {
namespace {

// A message read with its attachments going into out/ beside it.
MailResult readMessage(const QByteArray& bytes, const QTemporaryDir& dir, QString* folder,
                       PopMailLibrary* library = nullptr)
{
    const QString path = dir.filePath(QStringLiteral("message.eml"));
    *folder = dir.filePath(QStringLiteral("out"));
    QFile file(path);
    if (!QDir(dir.path()).mkpath(QStringLiteral("out")) || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size())
        return std::nullopt;
    file.close();
    PopMailLibrary own;
    return (library ? library : &own)->ReadMail(path, QString(), QStringLiteral(">") + *folder);
}

struct NameCase {
    const char* situation;
    QByteArray claimed; // the filename parameter, raw
    QByteArray savedAs; // UTF-8
};

class ShortenedName : public ::testing::TestWithParam<NameCase> {};

// A name longer than the folder allows is cut at the end of its base name; what is left must
// still be a name of its own, not "." or "..", and not end in a space.
TEST_P(ShortenedName, isStillAFileNameOfItsOwn)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString folder;
    const MailResult lines =
        readMessage("From: a@example.com\r\nContent-Type: application/octet-stream\r\n"
                    "Content-Disposition: attachment; filename=\"" +
                        GetParam().claimed + "\"\r\n\r\nbody\r\n",
                    dir, &folder);
    ASSERT_TRUE(lines);
    const QString expected = folder + u'/' + QString::fromUtf8(GetParam().savedAs);
    EXPECT_EQ(*lines, (QStringList{QStringLiteral("From:a@example.com"),
                                   QStringLiteral("File:") + expected}));
    EXPECT_TRUE(QFile::exists(expected));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_EQ(safeAttachmentName(QString::fromUtf8(GetParam().claimed)),
              QString::fromUtf8(GetParam().savedAs));
}

INSTANTIATE_TEST_SUITE_P(
    Names, ShortenedName,
    ::testing::Values(
        NameCase{"longExtensionAfterOneDot", ".." + QByteArray(250, 'a'), "attachment"},
        NameCase{"longExtensionAfterTwoDots", "..." + QByteArray(250, 'a'), "attachment"},
        NameCase{"spaceWhereTheCutFalls", QByteArray(199, 'a') + "  " + QByteArray(31, 'b'),
                 QByteArray(199, 'a')},
        NameCase{"longBaseKeepsItsExtension", QByteArray(300, 'x') + ".pdf",
                 QByteArray(196, 'x') + ".pdf"}),
    [](const auto& param) { return std::string(param.param.situation); });

struct NulCase {
    const char* situation;
    QByteArray raw;       // raw header text
    const char* expected; // UTF-8
};

class EncodedNul : public ::testing::TestWithParam<NulCase> {};

// UTF-8 that carries a NUL is still UTF-8: the NUL is dropped with the other control
// characters, and the rest must not be guessed as EUC-JP or CP932.
TEST_P(EncodedNul, isDroppedAndTheTextKept)
{
    EXPECT_EQ(decodeHeaderText(GetParam().raw), QString::fromUtf8(GetParam().expected));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString folder;
    const MailResult lines =
        readMessage("From: " + GetParam().raw + "\r\nSubject: s\r\n\r\nbody\r\n", dir, &folder);
    ASSERT_TRUE(lines);
    EXPECT_EQ(*lines,
              QStringList{QStringLiteral("From:") + QString::fromUtf8(GetParam().expected)});
}

INSTANTIATE_TEST_SUITE_P(
    Words, EncodedNul,
    ::testing::Values(NulCase{"qWordEndingInNul", "=?utf-8?Q?caf=C3=A9=00?= <c@example.fr>",
                              "café <c@example.fr>"},
                      NulCase{"bWordWithNulBetweenKana", "=?UTF-8?B?44GCAOOBhA==?= <k@example.jp>",
                              "あい <k@example.jp>"},
                      NulCase{"undeclaredCharsetWithNul",
                              "=?x-unknown?Q?=C6=A3=00?= <u@example.com>", "ƣ <u@example.com>"}),
    [](const auto& param) { return std::string(param.param.situation); });

// An empty encoded word ("=?ISO-2022-JP?B??=") used to hand glib a null pointer, which it
// refuses with a critical warning on the terminal; it is now simply no text.
TEST(EmptyWord, isNoTextAndNoWarning)
{
    const GLogLevelFlags before = g_log_set_always_fatal(G_LOG_LEVEL_CRITICAL);
    for (const char* charset : {"ISO-2022-JP", "euc-jp", "shift_jis", "x-unknown"}) {
        SCOPED_TRACE(charset);
        const QByteArray raw = QByteArray("=?") + charset +
                               "?B?"
                               "?= =?UTF-8?B?5bGx55Sw?= <y@example.jp>";
        EXPECT_EQ(decodeHeaderText(raw), QStringLiteral("山田 <y@example.jp>"));
        EXPECT_EQ(convertFromCharset(QByteArrayView(), charset).value_or(QStringLiteral("?")),
                  QString());
    }
    g_log_set_always_fatal(before);
}

// One message with thousands of parts of one name used to try every earlier number for each
// part (20000 parts: over five minutes of file system calls). The folder now continues after
// the number a name got last, and only a new folder object starts again from the beginning.
TEST(ClashNumbers, continueAfterTheLastNumberGivenToThatName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString error;
    TargetFolder folder(dir.path());
    ASSERT_TRUE(folder.isOpen()) << folder.error().toStdString();
    QStringList names;
    for (const char* name : {"a.txt", "a.txt", "a.txt", "b", "a.txt", "b"}) {
        std::optional<NewFile> file = folder.createNumbered(QString::fromUtf8(name), &error);
        ASSERT_TRUE(file) << error.toStdString();
        file->keep();
        names << QFileInfo(file->path()).fileName();
        if (names.size() == 3) {
            ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("a(1).txt"))));
        }
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("a.txt"), QStringLiteral("a(1).txt"),
                                  QStringLiteral("a(2).txt"), QStringLiteral("b"),
                                  QStringLiteral("a(3).txt"), QStringLiteral("b(1)")}));

    // A name that holds place markers keeps them on a clash (they were once filled in).
    for (int i = 0; i < 2; ++i) {
        std::optional<NewFile> file =
            folder.createNumbered(QStringLiteral("%2 of %1%3.txt"), &error);
        ASSERT_TRUE(file) << error.toStdString();
        file->keep();
        names << QFileInfo(file->path()).fileName();
    }
    EXPECT_EQ(names.mid(6),
              (QStringList{QStringLiteral("%2 of %1%3.txt"), QStringLiteral("%2 of %1%3(1).txt")}));

    TargetFolder again(dir.path());
    std::optional<NewFile> gap = again.createNumbered(QStringLiteral("a.txt"), &error);
    ASSERT_TRUE(gap) << error.toStdString();
    EXPECT_EQ(gap->path(), dir.path() + QStringLiteral("/a(1).txt"));
}

// A thousand attachments of one name are saved in order; those past the bound of a message
// are counted, not written (the sweep removes them again at once: thousands of file system
// calls for nothing).
TEST(ClashNumbers, partsOfOneNameAreSavedInOrderUpToTheBound)
{
    constexpr int kParts = 1200;
    constexpr int kSaved = 1000;
    QByteArray message = "From: d@example.com\r\nContent-Type: multipart/mixed; boundary=d\r\n\r\n";
    for (int i = 0; i < kParts; ++i)
        message += "--d\r\nContent-Disposition: attachment; filename=same.txt\r\n\r\n" +
                   QByteArray::number(i) + "\r\n";
    message += "--d--\r\n";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString folder;
    PopMailLibrary lib;
    const MailResult lines = readMessage(message, dir, &folder, &lib);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), kSaved + 1);
    EXPECT_EQ(lines->at(1), QStringLiteral("File:") + folder + QStringLiteral("/same.txt"));
    for (int i = 1; i < kSaved; ++i) {
        const QString path = folder + QStringLiteral("/same(%1).txt").arg(i);
        ASSERT_EQ(lines->at(i + 1), QStringLiteral("File:") + path);
    }
    QFile last(folder + QStringLiteral("/same(%1).txt").arg(kSaved - 1));
    ASSERT_TRUE(last.open(QIODevice::ReadOnly));
    EXPECT_EQ(last.readAll(), QByteArray::number(kSaved - 1));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), kSaved);
    EXPECT_TRUE(
        lib.lastReadError().contains(QStringLiteral("添付ファイル 200 件は保存していません")))
        << lib.lastReadError().toStdString();
}

// Shortening a long name used to encode the whole remaining name once per character cut
// (a 200 KB name: 24 seconds; a megabyte: ten minutes). The result must stay the same.
TEST(LongName, isShortenedInOnePass)
{
    const QString claimed = QString(300'000, u'長') + QStringLiteral(".txt");
    QElapsedTimer timer;
    timer.start();
    const QString name = safeAttachmentName(claimed);
    EXPECT_LT(timer.elapsed(), 2000) << "milliseconds to shorten a 900 KB name";
    EXPECT_EQ(name, QString(65, u'長') + QStringLiteral(".txt")); // 195 + 4 bytes
}

// Every "=?" used to search the rest of the header for a "?=" and then check all of the text
// in between, again for the next "=?" (a 400 KB From header: 25 seconds). A word now ends at
// the first byte no word can hold; what is not a word stays as it was written.
TEST(ManyWordStarts, areLookedAtOnce)
{
    QByteArray raw;
    for (int i = 0; i < 100'000; ++i)
        raw += "=?u?B?x ";
    raw += "?= =?UTF-8?B?5bGx55Sw?=";
    QElapsedTimer timer;
    timer.start();
    const QString text = decodeHeaderText(raw);
    EXPECT_LT(timer.elapsed(), 2000) << "milliseconds to decode an 800 KB header";
    EXPECT_EQ(text,
              QString::fromLatin1(raw.first(raw.size() - 21)).trimmed() + QStringLiteral(" 山田"));
}

} // namespace
} // namespace mail
