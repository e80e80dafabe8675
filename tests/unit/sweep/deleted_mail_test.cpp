// The folder of deleted mail on a real file system: pending copies, kept messages and their
// names, what pruning removes (with a clock and limits the test sets), a full or read-only disk.

#include "deleted_mail.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

#include <sys/mount.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using sweep::DeletedMail;

namespace {

const QDateTime kNow(QDate(2026, 12, 7), QTime(18, 45, 12, 123));

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        << path.toStdString();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// The copies waiting for their delete, or whose delete is under way.
QStringList pendingIn(const QString& folder)
{
    return QDir(folder).entryList({u".pending-*"_s, u".deleting-*"_s}, QDir::Files | QDir::Hidden);
}

class DeletedMailFolder : public ::testing::Test {
protected:
    DeletedMail deletedMail(DeletedMail::Limits limits = {})
    {
        return DeletedMail(
            DeletedMail::folderIn(data.path()), [this] { return now; }, limits);
    }

    // What the sweep does for one delete: the fetched file becomes the pending copy, and the
    // pending copy a kept message. Its path.
    QString keep(const DeletedMail& deleted, const QByteArray& bytes)
    {
        const QString saved = data.filePath(u"mail-saved.eml"_s);
        writeFile(saved, bytes);
        QString error;
        const std::optional<QString> pending = deleted.keepPending(saved, &error);
        EXPECT_TRUE(pending) << error.toStdString();
        EXPECT_FALSE(QFile::exists(saved)) << "the fetched file became the copy";
        const std::optional<QString> kept = pending ? deleted.commit(*pending, &error) : pending;
        EXPECT_TRUE(kept) << error.toStdString();
        return kept.value_or(QString());
    }

    QTemporaryDir data;
    QDateTime now = kNow;
};

TEST_F(DeletedMailFolder, KeptMessagesAreTheBytesUnderNamesThatSortByTheirMoment)
{
    const DeletedMail deleted = deletedMail();
    const QString first = keep(deleted, "first\r\n");
    EXPECT_EQ(modeOf(deleted.folder()), 0700u);
    now = now.addSecs(2);
    QStringList sameMoment;
    for (int i = 0; i < 20; ++i)
        sameMoment << keep(deleted, "same moment " + QByteArray::number(i) + "\r\n");
    EXPECT_EQ(QSet<QString>(sameMoment.begin(), sameMoment.end()).size(), 20) << "no clash";

    const QList<DeletedMail::Kept> kept = deleted.list();
    ASSERT_EQ(kept.size(), 21);
    EXPECT_EQ(kept.last().path, first) << "newest first";
    EXPECT_EQ(kept.last().deletedAt, kNow);
    EXPECT_EQ(kept.first().deletedAt, now);
    EXPECT_TRUE(
        QFileInfo(first).fileName().startsWith(kNow.toUTC().toString(u"yyyyMMdd-HHmmss-zzz-"_s)));
    EXPECT_EQ(readFile(first), QByteArray("first\r\n"));
    EXPECT_EQ(kept.last().size, 7);
    EXPECT_EQ(modeOf(first), 0600u);
    EXPECT_TRUE(pendingIn(deleted.folder()).isEmpty());
}

TEST_F(DeletedMailFolder, PruningRemovesWhatIsTooOldAndTheOldestBeyondTheSize)
{
    constexpr qint64 kMinutesIn30Days = 30 * 24 * 60;
    struct Message {
        qint64 minutesAgo;
        qsizetype size;
    };
    struct Row {
        const char* situation;
        DeletedMail::Limits limits;
        std::vector<Message> messages; // oldest first
        std::vector<int> left;         // indexes into messages, newest first
        int clockAheadDays = 0;        // when pruning: the clock set ahead by this much
    } rows[] = {
        {"past 30 days",
         {},
         {{kMinutesIn30Days + 61, 10}, {kMinutesIn30Days - 1, 10}, {60, 10}},
         {2, 1}},
        {"the oldest beyond 1000 bytes",
         {30, 1000},
         {{40, 400}, {30, 300}, {20, 200}, {10, 300}},
         {3, 2, 1}},
        {"exactly 1000 bytes", {30, 1000}, {{20, 500}, {10, 500}}, {1, 0}},
        {"the newest stays however large", {30, 100}, {{20, 50}, {10, 500}}, {1}},
        {"sizes and ages together",
         {30, 1000},
         {{kMinutesIn30Days + 15, 1}, {30, 900}, {20, 200}, {10, 10}},
         {3, 2}},
        // A dead battery or a restored machine: the clock leaps ahead at a start.
        {"clock 40 days ahead: today's copies stay", {}, {{60, 10}, {10, 10}}, {1, 0}, 40},
        {"clock 40 days ahead: what is 30 days older than the newest goes",
         {},
         {{kMinutesIn30Days + 20, 10}, {kMinutesIn30Days + 1, 10}, {10, 10}},
         {2, 1},
         40},
        {"clock 40 days ahead: the size limit still spares the newest",
         {30, 100},
         {{20, 50}, {10, 500}},
         {1},
         40},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation);
        QDir(DeletedMail::folderIn(data.path())).removeRecursively();
        const DeletedMail deleted = deletedMail(row.limits);
        QStringList paths;
        for (const Message& message : row.messages) {
            now = kNow.addSecs(-60 * message.minutesAgo);
            paths << keep(deleted, QByteArray(message.size, 'x'));
        }
        // Files of other names are not the program's to remove.
        const QStringList foreign{QDir(deleted.folder()).filePath(u"notes.txt"_s),
                                  QDir(deleted.folder()).filePath(u"20200101-000000-000-x.eml"_s)};
        for (const QString& path : foreign)
            writeFile(path, QByteArray(2000, 'f'));

        now = kNow.addDays(row.clockAheadDays);
        QString error;
        EXPECT_TRUE(deleted.prune(&error)) << error.toStdString();
        QStringList expected;
        for (const int index : row.left)
            expected << paths[index];
        QStringList left;
        for (const DeletedMail::Kept& kept : deleted.list())
            left << kept.path;
        EXPECT_EQ(left, expected);
        for (const QString& path : foreign)
            EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    }
}

TEST_F(DeletedMailFolder, LeftoversOfAnEarlierRunGoUnlessTheirDeleteWasUnderWay)
{
    const DeletedMail deleted = deletedMail();
    const QString kept = keep(deleted, "kept\r\n");
    QString error;
    QStringList copies;
    for (const char* name : {"a.eml", "b.eml", "c.eml"}) {
        const QString saved = data.filePath(QString::fromLatin1(name));
        writeFile(saved, name);
        copies << deleted.keepPending(saved, &error).value_or(QString());
    }
    EXPECT_EQ(deleted.list().size(), 1) << "a pending copy is no kept message";
    const std::optional<QString> underWay = deleted.markDeleting(copies[2], &error);
    ASSERT_TRUE(underWay) << error.toStdString();
    EXPECT_TRUE(QFileInfo(*underWay).fileName().startsWith(u".deleting-"_s));
    EXPECT_EQ(deleted.markDeleting(*underWay, &error), underWay) << "marked once";
    const QDateTime saved = QFileInfo(*underWay).lastModified();
    // A dangling link named like a copy under way is no copy of ours.
    const QString link = QDir(deleted.folder()).filePath(u".deleting-link.eml"_s);
    ASSERT_TRUE(QFile::link(data.filePath(u"nowhere.eml"_s), link));

    EXPECT_TRUE(deleted.recoverLeftovers(&error)) << error.toStdString();
    EXPECT_TRUE(QFileInfo(link).isSymLink()) << "the link is left alone";
    EXPECT_TRUE(pendingIn(deleted.folder()).isEmpty());
    const QList<DeletedMail::Kept> left = deleted.list();
    ASSERT_EQ(left.size(), 2);
    EXPECT_TRUE(QFile::exists(kept));
    const auto recovered = std::find_if(left.begin(), left.end(), [&](const auto& k) {
        return readFile(k.path) == QByteArray("c.eml");
    });
    ASSERT_NE(recovered, left.end()) << "the copy whose delete was under way is kept";
    EXPECT_LE(std::abs(recovered->deletedAt.msecsTo(saved)), 1);
    EXPECT_TRUE(DeletedMail(data.filePath(u"never-made"_s)).recoverLeftovers(&error));
}

// A small tmpfs of its own, mounted where the copies go: another file system than the fetched
// file's, so that the copy is written byte by byte; skipped where mounting is not allowed.
TEST_F(DeletedMailFolder, FullOrReadOnlyDiskKeepsNoCopyAndSaysWhy)
{
    QTemporaryDir mountPoint;
    const QByteArray where = QFile::encodeName(mountPoint.path());
    if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=256k,mode=0700") != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    struct Unmount {
        QByteArray where;
        ~Unmount() { ::umount2(where.constData(), MNT_DETACH); }
    } unmount{where};
    const DeletedMail deleted(mountPoint.path(), [this] { return now; });
    const QString saved = data.filePath(u"mail-saved.eml"_s);
    QString error;

    QByteArray fits(100 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < fits.size(); ++i)
        fits[i] = static_cast<char>(i * 7 % 251);
    writeFile(saved, fits);
    const std::optional<QString> pending = deleted.keepPending(saved, &error);
    ASSERT_TRUE(pending) << error.toStdString();
    EXPECT_EQ(readFile(*pending), fits);
    EXPECT_EQ(modeOf(*pending), 0600u);
    ASSERT_TRUE(deleted.removePending(*pending, &error));

    writeFile(saved, QByteArray(512 * 1024, 'x'));
    EXPECT_FALSE(deleted.keepPending(saved, &error)) << "512 KB onto a 256 KB disk";
    EXPECT_TRUE(error.contains(u"書き込めません"_s)) << error.toStdString();
    EXPECT_TRUE(pendingIn(deleted.folder()).isEmpty()) << "no partial copy stays";

    ASSERT_EQ(
        ::mount("tmpfs", where.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=256k,mode=0700"),
        0);
    writeFile(saved, "small\r\n");
    error.clear();
    EXPECT_FALSE(deleted.keepPending(saved, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(QFile::exists(saved));
}

} // namespace
