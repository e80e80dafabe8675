// ReadMail's "File:" lines: every named part saved, decoded, inside the folder and nowhere
// else, never over an existing file.

#include "pop_mail_library.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace mail {
namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList entries(const QString& folder)
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                               QDir::Hidden | QDir::System);
    names.sort();
    return names;
}

QByteArray multipart(const QList<QByteArray>& parts)
{
    QByteArray out = "From: a@example.com\r\nSubject: parts\r\nMIME-Version: 1.0\r\n"
                     "Content-Type: multipart/mixed; boundary=\"XyZ\"\r\n\r\n"
                     "--XyZ\r\nContent-Type: text/plain\r\n\r\nThe text.\r\n";
    for (const QByteArray& part : parts)
        out += "--XyZ\r\n" + part;
    return out + "--XyZ--\r\n";
}

// A workspace with the message outside the folder, so that anything written beside the
// folder shows up as an extra entry of root.
class AttachmentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("out/inner")));
        m_folder = m_root.filePath(QStringLiteral("out/inner"));
        m_message = m_root.filePath(QStringLiteral("message.eml"));
    }

    MailResult read(const QByteArray& message, const QString& folderArgument = QString())
    {
        if (!writeBytes(m_message, message))
            return std::nullopt;
        return m_lib.ReadMail(m_message, QString(),
                              folderArgument.isNull() ? QStringLiteral(">") + m_folder
                                                      : folderArgument);
    }

    void expectNothingOutsideTheFolder()
    {
        EXPECT_EQ(entries(m_root.path()),
                  (QStringList{QStringLiteral("message.eml"), QStringLiteral("out")}));
        EXPECT_EQ(entries(m_root.filePath(QStringLiteral("out"))),
                  QStringList{QStringLiteral("inner")});
    }

    QTemporaryDir m_root;
    QString m_folder;
    QString m_message;
    PopMailLibrary m_lib;
};

struct NameCase {
    const char* situation;
    QByteArray headers; // the attachment part's headers
    const char* savedAs;
};

class AttachmentName : public AttachmentTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(AttachmentName, staysInsideTheFolder)
{
    const MailResult lines = read(multipart({GetParam().headers + "\r\nattachment body\r\n"}));
    ASSERT_TRUE(lines) << m_lib.lastReadError().toStdString();
    const QString expected = m_folder + u'/' + QString::fromUtf8(GetParam().savedAs);
    EXPECT_EQ(*lines, (QStringList{QStringLiteral("From:a@example.com"),
                                   QStringLiteral("File:") + expected}));
    EXPECT_EQ(fileBytes(expected), QByteArray("attachment body"));
    EXPECT_EQ(entries(m_folder), QStringList{QString::fromUtf8(GetParam().savedAs)});
    expectNothingOutsideTheFolder();
}

INSTANTIATE_TEST_SUITE_P(
    Names, AttachmentName,
    ::testing::Values(
        NameCase{"plain", "Content-Disposition: attachment; filename=\"report.txt\"\r\n",
                 "report.txt"},
        NameCase{"nameOnlyInContentType", "Content-Type: text/plain; name=\"list.csv\"\r\n",
                 "list.csv"},
        NameCase{"parentTraversal", "Content-Disposition: attachment; filename=\"../../x\"\r\n",
                 "x"},
        NameCase{"absolutePath", "Content-Disposition: attachment; filename=\"/etc/passwd\"\r\n",
                 "passwd"},
        NameCase{"dotDot", "Content-Disposition: attachment; filename=\"..\"\r\n", "attachment"},
        NameCase{"dot", "Content-Disposition: attachment; filename=\".\"\r\n", "attachment"},
        NameCase{"trailingSlash", "Content-Disposition: attachment; filename=\"dir/\"\r\n",
                 "attachment"},
        NameCase{"bothSeparators", "Content-Disposition: attachment; filename=\"a/b\\\\c\"\r\n",
                 "c"},
        NameCase{"windowsPath",
                 "Content-Disposition: attachment; filename=\"C:\\\\Users\\\\x\\\\report.doc\"\r\n",
                 "report.doc"},
        NameCase{"encodedControlCharacters",
                 "Content-Disposition: attachment; filename*=UTF-8''ev%01il%0A%7F.txt\r\n",
                 "evil.txt"},
        NameCase{"encodedTraversal",
                 "Content-Disposition: attachment; filename*=UTF-8''..%2F..%2Fy.txt\r\n", "y.txt"},
        NameCase{"rfc2231",
                 "Content-Disposition: attachment; "
                 "filename*=UTF-8''%e8%a6%8b%e7%a9%8d%e6%9b%b8%2e%70%64%66\r\n",
                 "見積書.pdf"},
        NameCase{"rfc2231Continued",
                 "Content-Disposition: attachment;\r\n filename*0*=UTF-8''%e8%a6%8b;\r\n"
                 " filename*1*=%e7%a9%8d%e6%9b%b8.pdf\r\n",
                 "見積書.pdf"},
        NameCase{"rfc2231ShiftJis",
                 "Content-Disposition: attachment; filename*=Shift_JIS''%8e%52%93%63.txt\r\n",
                 "山田.txt"},
        NameCase{"rfc2047InQuotes",
                 "Content-Type: application/pdf;\r\n"
                 " name=\"=?ISO-2022-JP?B?GyRCOCtAUT1xGyhCLnBkZg==?=\"\r\n",
                 "見積書.pdf"},
        NameCase{
            "rfc2047PaddedPair",
            "Content-Disposition: attachment;\r\n filename=\"=?ISO-2022-JP?B?GyRCJUYlORsoQg==?= "
            "=?ISO-2022-JP?B?GyRCJUhCQE86GyhC?=\"\r\n",
            "テスト太郎"},
        NameCase{"rawUtf8Name",
                 "Content-Disposition: attachment; filename=\"\xe5\xb1\xb1\xe7\x94\xb0.txt\"\r\n",
                 "山田.txt"}),
    [](const auto& param) { return std::string(param.param.situation); });

TEST_F(AttachmentTest, contentIsDecodedAndClashesAreNumbered)
{
    const QByteArray jpeg = QByteArray::fromHex("ffd8ffe000104a46494600010100000100010000ffd9");
    const QByteArray gif = QByteArray("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14);
    const QByteArray pdf = "%PDF-1.4\n1 0 obj << >> endobj\ntrailer << >>\n%%EOF\n";
    ASSERT_TRUE(writeBytes(m_folder + QStringLiteral("/photo.jpg"), "already here"));
    const MailResult lines = read(multipart({
        "Content-Type: image/jpeg; name=photo.jpg\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
            jpeg.toBase64() + "\r\n",
        "Content-Type: image/gif\r\nContent-Disposition: inline; filename=anim.gif\r\n"
        "Content-Transfer-Encoding: base64\r\n\r\n" +
            gif.toBase64() + "\r\n",
        "Content-Type: application/pdf; name=doc.pdf\r\nContent-Transfer-Encoding: "
        "quoted-printable\r\n\r\n%PDF-1.4=0A1 0 obj << >> endobj=0Atrailer << >>=0A%%EOF=0A\r\n",
        "Content-Type: application/pdf; name=doc.pdf\r\n\r\nsecond\r\n",
        "Content-Type: application/pdf; name=doc.pdf\r\n\r\nthird\r\n",
        "Content-Type: text/plain\r\n\r\nno name: not an attachment\r\n",
    }));
    ASSERT_TRUE(lines) << m_lib.lastReadError().toStdString();
    const QString f = QStringLiteral("File:") + m_folder + u'/';
    EXPECT_EQ(*lines,
              (QStringList{QStringLiteral("From:a@example.com"), f + "photo(1).jpg", f + "anim.gif",
                           f + "doc.pdf", f + "doc(1).pdf", f + "doc(2).pdf"}));
    EXPECT_EQ(fileBytes(m_folder + QStringLiteral("/photo.jpg")), QByteArray("already here"));
    EXPECT_EQ(fileBytes(m_folder + QStringLiteral("/photo(1).jpg")), jpeg);
    EXPECT_EQ(fileBytes(m_folder + QStringLiteral("/anim.gif")), gif);
    EXPECT_EQ(fileBytes(m_folder + QStringLiteral("/doc.pdf")), pdf);
    EXPECT_EQ(fileBytes(m_folder + QStringLiteral("/doc(1).pdf")), QByteArray("second"));
    EXPECT_EQ(QFileInfo(m_folder + QStringLiteral("/doc.pdf")).permissions() &
                  (QFile::ReadOther | QFile::WriteOther),
              QFile::Permissions());
    expectNothingOutsideTheFolder();
}

TEST_F(AttachmentTest, anExistingLinkIsNeverWrittenThrough)
{
    const QString target = m_root.filePath(QStringLiteral("target.txt"));
    ASSERT_TRUE(writeBytes(target, "precious"));
    ASSERT_EQ(symlink(target.toLocal8Bit().constData(),
                      (m_folder + QStringLiteral("/link.txt")).toLocal8Bit().constData()),
              0);
    const MailResult lines = read(
        multipart({"Content-Disposition: attachment; filename=link.txt\r\n\r\noverwritten\r\n"}));
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->back(), QStringLiteral("File:") + m_folder + QStringLiteral("/link(1).txt"));
    EXPECT_EQ(fileBytes(target), QByteArray("precious"));
}

TEST_F(AttachmentTest, manyAttachmentsAreAllSaved)
{
    QList<QByteArray> parts;
    for (int i = 0; i < 300; ++i)
        parts << "Content-Disposition: attachment; filename=same.txt\r\n\r\n" +
                     QByteArray::number(i) + "\r\n";
    const MailResult lines = read(multipart(parts));
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->size(), 301);
    EXPECT_EQ(fileBytes(m_folder + QStringLiteral("/same(299).txt")), QByteArray("299"));
    EXPECT_EQ(entries(m_folder).size(), 300);
}

TEST_F(AttachmentTest, forwardedMessagesAreSearchedAndSinglePartAttachmentsFound)
{
    const QByteArray inner = "From: inner@example.com\r\nMIME-Version: 1.0\r\n"
                             "Content-Type: application/zip; name=inner.zip\r\n"
                             "Content-Transfer-Encoding: base64\r\n\r\n" +
                             QByteArray("PK zip").toBase64() + "\r\n";
    const MailResult lines = read(multipart({"Content-Type: message/rfc822\r\n\r\n" + inner}));
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines->back(), QStringLiteral("File:") + m_folder + QStringLiteral("/inner.zip"));
    EXPECT_EQ(fileBytes(m_folder + QStringLiteral("/inner.zip")), QByteArray("PK zip"));

    // The whole message is the attachment, and the folder is given without the ">" marker.
    const MailResult single =
        read("From: b@example.com\r\nMIME-Version: 1.0\r\nContent-Type: text/plain\r\n"
             "Content-Disposition: attachment; filename=whole.txt\r\n\r\nall of it\r\n",
             m_folder);
    ASSERT_TRUE(single);
    EXPECT_EQ(*single,
              (QStringList{QStringLiteral("From:b@example.com"),
                           QStringLiteral("File:") + m_folder + QStringLiteral("/whole.txt")}));
}

// An attachment that cannot be saved never costs the verdict: the sender is still read, and
// the reader says what it left out.
TEST_F(AttachmentTest, aFolderThatCannotBeWrittenStillGivesTheSenderAndSaysWhy)
{
    const QString missing = m_folder + QStringLiteral("/missing");
    const MailResult lines =
        read(multipart({"Content-Disposition: attachment; filename=a.txt\r\n\r\na\r\n",
                        "Content-Disposition: attachment; filename=b.txt\r\n\r\nb\r\n"}),
             QStringLiteral(">") + missing);
    ASSERT_TRUE(lines) << m_lib.lastReadError().toStdString();
    EXPECT_EQ(*lines, QStringList{QStringLiteral("From:a@example.com")});
    const std::string note = m_lib.lastReadError().toStdString();
    EXPECT_TRUE(m_lib.lastReadError().contains(missing)) << note;
    EXPECT_TRUE(m_lib.lastReadError().contains(QStringLiteral("2 件"))) << note;
    EXPECT_TRUE(entries(m_folder).isEmpty());
}

} // namespace
} // namespace mail
