#include "program_settings.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace store {
namespace {

using namespace Qt::StringLiterals;

struct ReadRow {
    const char* situation;
    QByteArray file; // what junkbane.ini holds; null: no file
    ProgramState expected;
};

ProgramState state(std::optional<qint64> account, bool sweeping,
                   std::optional<qint64> resumeAccount, QByteArray uid, bool notify = false)
{
    ProgramState s;
    s.accountId = account;
    s.sweeping = sweeping;
    s.resumeAccountId = resumeAccount;
    s.resumeUid = std::move(uid);
    s.notifyDeletions = notify;
    return s;
}

const ReadRow kReadRows[] = {
    {"no file: a first start", QByteArray(), state(std::nullopt, false, std::nullopt, {})},
    {"all there",
     "[account]\nid=7\n[sweep]\nrunning=true\nlastAccount=7\nlastUid=00000001.abc\n"
     "[notifications]\ndeletions=true\n",
     state(7, true, 7, "00000001.abc", true)},
    {"id that is no number", "[account]\nid=seven\n[sweep]\nrunning=true\n",
     state(std::nullopt, true, std::nullopt, {})},
    {"id zero or negative", "[account]\nid=-3\n[sweep]\nlastAccount=0\nlastUid=u1\n",
     state(std::nullopt, false, std::nullopt, {})},
    {"UID with a space", "[sweep]\nlastAccount=2\nlastUid=\"a b\"\n",
     state(std::nullopt, false, 2, {})},
    {"running written oddly", "[sweep]\nrunning=yes\n",
     state(std::nullopt, false, std::nullopt, {})},
    {"not an INI file at all", "\x01\x02garbage\n[[[",
     state(std::nullopt, false, std::nullopt, {})},
};

TEST(ProgramSettings, readsWhatItCanAndDefaultsTheRest)
{
    for (const ReadRow& row : kReadRows) {
        SCOPED_TRACE(row.situation);
        QTemporaryDir folder;
        const QString path = ProgramSettings::pathIn(folder.path());
        if (!row.file.isNull()) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(row.file);
        }
        const ProgramState read = ProgramSettings(path).read();
        EXPECT_EQ(read.accountId, row.expected.accountId);
        EXPECT_EQ(read.sweeping, row.expected.sweeping);
        EXPECT_EQ(read.resumeAccountId, row.expected.resumeAccountId);
        EXPECT_EQ(read.resumeUid, row.expected.resumeUid);
        EXPECT_EQ(read.notifyDeletions, row.expected.notifyDeletions);
    }
}

TEST(ProgramSettings, writesPrivatelyAndReadsBackWhatItWrote)
{
    QTemporaryDir folder;
    const QString path = ProgramSettings::pathIn(folder.path());
    const ProgramSettings settings(path);
    // UIDs may hold any printable character, the INI file's own included.
    ProgramState written = state(42, true, 42, "x;#=\"[u]\\%,", true);
    written.closeNoticeShown = true;
    ASSERT_EQ(settings.write(written), QString());
    EXPECT_EQ(settings.read(), written);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);

    // Less to keep: nothing of the old state stays behind.
    const ProgramState fewer = state(std::nullopt, false, std::nullopt, {});
    ASSERT_EQ(settings.write(fewer), QString());
    EXPECT_EQ(settings.read(), fewer);

    EXPECT_NE(ProgramSettings(folder.filePath(u"missing/junkbane.ini"_s)).write(written),
              QString());
}

} // namespace
} // namespace store
