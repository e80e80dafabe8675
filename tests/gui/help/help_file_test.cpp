// The compiled help file: where the build puts it and what a CHM reader finds inside.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

#include <gtest/gtest.h>

#include <chm_lib.h>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QString kHelpFile = QStringLiteral(JUNKBANE_HELP_FILE);
const QString kProgramDir = QStringLiteral(JUNKBANE_PROGRAM_DIR);
const QString kSourceDir = QStringLiteral(JUNKBANE_HELP_SOURCE_DIR);

struct ChmCloser {
    void operator()(chmFile* file) const noexcept { chm_close(file); }
};
using ChmHandle = std::unique_ptr<chmFile, ChmCloser>;

// One open CHM file, read through chmlib as a viewer reads it.
class ChmReader {
public:
    explicit ChmReader(const QString& path) : m_file(chm_open(QFile::encodeName(path).constData()))
    {
    }
    bool isOpen() const { return m_file != nullptr; }

    // The stored object at `path` ("/index.html"), or nothing when the file has none.
    std::optional<QByteArray> object(const QString& path) const
    {
        chmUnitInfo unit{};
        if (chm_resolve_object(m_file.get(), QFile::encodeName(path).constData(), &unit) !=
            CHM_RESOLVE_SUCCESS)
            return std::nullopt;
        QByteArray data(static_cast<qsizetype>(unit.length), '\0');
        const LONGINT64 read =
            chm_retrieve_object(m_file.get(), &unit, reinterpret_cast<unsigned char*>(data.data()),
                                0, static_cast<LONGINT64>(unit.length));
        if (read != static_cast<LONGINT64>(unit.length))
            return std::nullopt;
        return data;
    }

private:
    ChmHandle m_file;
};

QByteArray sourceFile(const QString& name)
{
    QFile file(kSourceDir + u'/' + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A stored page as text: the pages are stored in CP932, the code page of the file's language.
QString storedText(const QByteArray& stored)
{
    QStringDecoder cp932("Shift_JIS");
    const QString text = cp932.decode(stored);
    return cp932.hasError() ? QString() : text;
}

QStringList pages()
{
    return QStringLiteral(JUNKBANE_HELP_PAGES).split(u',');
}

// The #SYSTEM object is a version word followed by records: a 16-bit code, a 16-bit length
// and that many bytes. Gives the data of the record with `code`.
std::optional<QByteArray> systemRecord(const QByteArray& system, quint16 code)
{
    auto word = [&system](qsizetype at) {
        return static_cast<quint16>(static_cast<quint8>(system.at(at)) |
                                    static_cast<quint8>(system.at(at + 1)) << 8);
    };
    for (qsizetype at = 4; at + 4 <= system.size();) {
        const quint16 recordCode = word(at);
        const quint16 length = word(at + 2);
        if (at + 4 + length > system.size())
            break;
        if (recordCode == code)
            return system.mid(at + 4, length);
        at += 4 + length;
    }
    return std::nullopt;
}

// Checks that a link target ("page.html" or "page.html#anchor") names a stored page and, when
// it has one, an anchor of that page.
void expectTargetExists(const ChmReader& chm, const QString& target, const QString& from)
{
    const QString page = target.section(u'#', 0, 0);
    const QString anchor = target.section(u'#', 1);
    const std::optional<QByteArray> content = chm.object(u'/' + page);
    ASSERT_TRUE(content.has_value())
        << from.toStdString() << " links to missing " << target.toStdString();
    if (!anchor.isEmpty()) {
        EXPECT_TRUE(content->contains(("<a name=\"" + anchor + "\">").toUtf8()))
            << from.toStdString() << " links to missing anchor " << target.toStdString();
    }
}

class HelpFile : public testing::Test {
protected:
    ChmReader chm{kHelpFile};
};

} // namespace

TEST_F(HelpFile, LiesBesideTheProgram)
{
    const QFileInfo file(kHelpFile);
    ASSERT_TRUE(file.isFile()) << kHelpFile.toStdString();
    EXPECT_EQ(file.absoluteDir(), QDir(kProgramDir));
    EXPECT_EQ(file.fileName(), u"kv.chm"_s);
    ASSERT_TRUE(chm.isOpen()) << "chmlib cannot open " << kHelpFile.toStdString();
}

TEST_F(HelpFile, HoldsEveryPageAsWritten)
{
    ASSERT_TRUE(chm.isOpen());
    ASSERT_FALSE(pages().isEmpty());
    for (const QString& page : pages()) {
        SCOPED_TRACE(page.toStdString());
        const std::optional<QByteArray> stored = chm.object(u'/' + page);
        ASSERT_TRUE(stored.has_value());
        EXPECT_FALSE(stored->isEmpty());
        QString source = QString::fromUtf8(sourceFile(page));
        source.replace(u"charset=utf-8"_s, u"charset=Shift_JIS"_s);
        EXPECT_EQ(storedText(*stored), source);
    }
}

TEST_F(HelpFile, OpensAtTheFirstPageInJapanese)
{
    ASSERT_TRUE(chm.isOpen());
    const std::optional<QByteArray> system = chm.object(u"/#SYSTEM"_s);
    ASSERT_TRUE(system.has_value());
    const std::optional<QByteArray> defaultTopic = systemRecord(*system, 2);
    ASSERT_TRUE(defaultTopic.has_value());
    EXPECT_EQ(QByteArray(defaultTopic->constData()), QByteArray("index.html"));
    const std::optional<QByteArray> locale = systemRecord(*system, 4);
    ASSERT_TRUE(locale.has_value());
    ASSERT_GE(locale->size(), 4);
    EXPECT_EQ(static_cast<quint8>(locale->at(0)) | static_cast<quint8>(locale->at(1)) << 8, 0x0411);
}

TEST_F(HelpFile, ContentsAndIndexPointAtStoredPagesAndReadAsJapanese)
{
    ASSERT_TRUE(chm.isOpen());
    static const QRegularExpression local(uR"re(<param name="Local" value="([^"]+)">)re"_s);
    for (const QString& name : {u"/kv.hhc"_s, u"/kv.hhk"_s}) {
        SCOPED_TRACE(name.toStdString());
        const std::optional<QByteArray> stored = chm.object(name);
        ASSERT_TRUE(stored.has_value());
        // The viewer reads these in the code page of the file's language, CP932.
        QStringDecoder cp932("Shift_JIS");
        ASSERT_TRUE(cp932.isValid());
        const QString text = cp932.decode(*stored);
        EXPECT_FALSE(cp932.hasError());
        EXPECT_TRUE(
            text.contains(QString::fromUtf16(u"\u30D6\u30ED\u30C3\u30AF\u30EA\u30B9\u30C8")))
            << "no entry for the block list";
        int targets = 0;
        for (const QRegularExpressionMatch& match : local.globalMatch(text)) {
            expectTargetExists(chm, match.captured(1), name);
            ++targets;
        }
        EXPECT_GE(targets, 5);
    }
}

TEST_F(HelpFile, LinksBetweenPagesLeadToStoredPagesAndAnchors)
{
    ASSERT_TRUE(chm.isOpen());
    static const QRegularExpression link(uR"re(href="([^"]+)")re"_s);
    QSet<QString> linkedPages;
    for (const QString& page : pages()) {
        const std::optional<QByteArray> stored = chm.object(u'/' + page);
        ASSERT_TRUE(stored.has_value()) << page.toStdString();
        for (const QRegularExpressionMatch& match : link.globalMatch(storedText(*stored))) {
            QString target = match.captured(1);
            if (target.startsWith(u'#'))
                target.prepend(page);
            expectTargetExists(chm, target, page);
            linkedPages.insert(target.section(u'#', 0, 0));
        }
    }
    // Every page can be reached from another one.
    for (const QString& page : pages())
        EXPECT_TRUE(linkedPages.contains(page)) << page.toStdString() << " is not linked";
}

struct GuideTopic {
    const char* situation;
    const char* page;
    const char* phrase;
};

class HelpFileTopics : public testing::TestWithParam<GuideTopic> {};

TEST_P(HelpFileTopics, TheGuideExplainsIt)
{
    const ChmReader chm(kHelpFile);
    ASSERT_TRUE(chm.isOpen());
    const std::optional<QByteArray> stored = chm.object(u'/' + QString::fromUtf8(GetParam().page));
    ASSERT_TRUE(stored.has_value());
    EXPECT_TRUE(storedText(*stored).contains(QString::fromUtf8(GetParam().phrase)))
        << GetParam().phrase;
}

INSTANTIATE_TEST_SUITE_P(
    Topics, HelpFileTopics,
    testing::Values(
        GuideTopic{"plain_host_uses_stls_on_110", "account.html", "STLS"},
        GuideTopic{"pop3s_form", "account.html", "pop3s://mail.example.jp"},
        GuideTopic{"port_995_is_tls_from_the_start", "account.html", "mail.example.jp:995"},
        GuideTopic{"plain_text_only_when_written", "account.html", "pop3://"},
        GuideTopic{"ipv6_in_brackets", "account.html", "[2001:db8::1]:995"},
        GuideTopic{"hyphen_removed_before_lookup", "blocklist.html", "firstlast@example.jp"},
        GuideTopic{"empty_address_blocks_nothing", "blocklist.html", "&lt;&gt;"},
        GuideTopic{"status_line", "sweep.html", "受信エラー"},
        GuideTopic{"settings_file", "files.html", "junkbane.mdb"},
        GuideTopic{"temporary_folder", "files.html", "<code>temp</code>"},
        GuideTopic{"deleted_mail_folder", "files.html", "<code>deleted</code>"},
        GuideTopic{"deleted_mail_kept_30_days", "sweep.html", "30 日間"}),
    [](const testing::TestParamInfo<GuideTopic>& row) { return std::string(row.param.situation); });
