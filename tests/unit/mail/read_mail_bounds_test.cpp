// Messages shaped to exhaust the reader: whatever their shape, the sender is read, what can
// be saved is saved, and what was left out is named. (Memory and time of the big versions of
// these shapes are measured by bench/reader, P7.)

#include "pop_mail_library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace mail {
namespace {

const QByteArray kFrom = "From: =?UTF-8?B?5bGx55Sw?= <spam@junk.example>\r\n";
const QString kFromLine = QStringLiteral("From:山田 <spam@junk.example>");

QByteArray attachment(const QByteArray& boundary, const QByteArray& name)
{
    return "--" + boundary + "\r\nContent-Disposition: attachment; filename=" + name +
           "\r\n\r\ncontent of " + name + "\r\n";
}

QByteArray multipartHead(const QByteArray& boundary)
{
    return "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
}

QByteArray emptyParts(int count)
{
    QByteArray m = kFrom + multipartHead("b");
    for (int i = 0; i < count; ++i)
        m += "--b\r\n\r\n";
    return m + attachment("b", "late.txt") + "--b--\r\n";
}

QByteArray nestedMultiparts(int depth)
{
    QByteArray m = kFrom;
    for (int i = 0; i < depth; ++i)
        m += "Content-Type: multipart/mixed; boundary=\"n" + QByteArray::number(i) +
             "\"\r\n\r\n--n" + QByteArray::number(i) + "\r\n";
    m += "Content-Disposition: attachment; filename=deep.txt\r\n\r\ndeep\r\n";
    for (int i = depth - 1; i >= 0; --i)
        m += "--n" + QByteArray::number(i) + "--\r\n";
    return m;
}

QByteArray nestedMessages(int depth)
{
    QByteArray m = kFrom;
    for (int i = 0; i < depth; ++i)
        m += "Content-Type: message/rfc822\r\n\r\nFrom: inner@example.com\r\n";
    return m + "Content-Disposition: attachment; filename=deep.txt\r\n\r\ndeep\r\n";
}

QByteArray filler(qsizetype bytes, const QByteArray& line)
{
    QByteArray out;
    out.reserve(bytes + line.size());
    while (out.size() < bytes)
        out += line;
    return out;
}

struct Shape {
    const char* name;
    QByteArray message;
    QString from;      // the From line expected first (or, for a long one, its end)
    QStringList saved; // names of the files saved, in order
    QString leftOut{}; // a fragment of what the reader says it left out; empty: nothing
};

std::vector<Shape> shapes()
{
    const QByteArray bigHeader =
        filler(300 * 1024, "X-Filler: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n");
    return {
        {"more empty parts than the bound",
         emptyParts(10'050),
         kFromLine,
         {},
         QStringLiteral("パートが 10000 を超える")},
        {"empty parts within the bound", emptyParts(500), kFromLine, {"late.txt"}},
        {"multiparts nested past the bound",
         nestedMultiparts(101),
         kFromLine,
         {},
         QStringLiteral("100 段")},
        {"multiparts nested within the bound", nestedMultiparts(99), kFromLine, {"deep.txt"}},
        {"forwarded messages nested past the bound",
         nestedMessages(101),
         kFromLine,
         {},
         QStringLiteral("100 段")},
        {"a header past the bound: its From field alone is read",
         bigHeader + kFrom + multipartHead("b") + attachment("b", "a.txt") + "--b--\r\n",
         kFromLine,
         {},
         QStringLiteral("ヘッダーが 256 KB を超えるため")},
        {"a From field past the bound: its end decides",
         "From: " + filler(300 * 1024, "padding ") + "<spam@junk.example>\r\n\r\nbody\r\n",
         QStringLiteral(" padding <spam@junk.example>"),
         {},
         QStringLiteral("その末尾で判定")},
        {"one part's header past the bound: the next part is still saved",
         kFrom + multipartHead("b") + "--b\r\n" + bigHeader +
             "Content-Disposition: attachment; filename=hidden.txt\r\n\r\nx\r\n" +
             attachment("b", "next.txt") + "--b--\r\n",
         kFromLine,
         {"next.txt"},
         QStringLiteral("ヘッダーが 256 KB を超えるパート")},
        {"a megabyte of preamble with look-alike boundaries and parts",
         kFrom + multipartHead("b") +
             filler(1024 * 1024, "--bb\r\nContent-Disposition: attachment; filename=fake.txt\r\n"
                                 "\r\n--b-x\r\n") +
             attachment("b", "real.txt") + "--b--\r\n" + attachment("b", "epilogue.txt"),
         kFromLine,
         {"real.txt"}},
        {"a boundary longer than any line",
         kFrom + multipartHead(QByteArray(1200, 'L')) + attachment(QByteArray(1200, 'L'), "a.txt"),
         kFromLine,
         {},
         QStringLiteral("区切りの文字列")},
        {"a line of two megabytes, then an attachment",
         kFrom + multipartHead("b") + "--b\r\n\r\n" + QByteArray(2 * 1024 * 1024, 'x') + "\r\n" +
             attachment("b", "after.txt") + "--b--\r\n",
         kFromLine,
         {"after.txt"}},
    };
}

TEST(HostileShape, stillGivesTheSenderAndSaysWhatWasLeftOut)
{
    for (const Shape& shape : shapes()) {
        SCOPED_TRACE(shape.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("message.eml"));
        const QString folder = dir.filePath(QStringLiteral("out"));
        QFile file(path);
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("out")) &&
                    file.open(QIODevice::WriteOnly) &&
                    file.write(shape.message) == shape.message.size());
        file.close();

        PopMailLibrary lib;
        const MailResult lines = lib.ReadMail(path, QString(), QStringLiteral(">") + folder);
        ASSERT_TRUE(lines) << lib.lastReadError().toStdString();
        ASSERT_FALSE(lines->isEmpty());
        if (shape.message.size() > 300 * 1024 && shape.message.startsWith("From: padding")) {
            // Only the field's end was read: still a sender the sweep can look up.
            EXPECT_TRUE(lines->front().startsWith(QStringLiteral("From:padding ")));
            EXPECT_TRUE(lines->front().endsWith(shape.from))
                << lines->front().right(80).toStdString();
            EXPECT_LE(lines->front().size(), 256 * 1024);
        } else {
            EXPECT_EQ(lines->front(), shape.from) << lines->front().right(80).toStdString();
        }
        QStringList saved;
        for (const QString& line : lines->mid(1))
            saved << QFileInfo(line.mid(5)).fileName();
        EXPECT_EQ(saved, shape.saved) << saved.join(u',').toStdString();
        EXPECT_EQ(QDir(folder).entryList(QDir::Files), shape.saved);
        if (shape.leftOut.isEmpty())
            EXPECT_TRUE(lib.lastReadError().isEmpty()) << lib.lastReadError().toStdString();
        else
            EXPECT_TRUE(lib.lastReadError().contains(shape.leftOut))
                << lib.lastReadError().toStdString();
    }
}

} // namespace
} // namespace mail
