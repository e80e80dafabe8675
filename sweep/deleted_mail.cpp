#include "deleted_mail.h"

#include "safe_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTimeZone>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sweep {

using namespace Qt::StringLiterals;

namespace {

const QString kPendingPrefix = u".pending-"_s;
const QString kDeletingPrefix = u".deleting-"_s;
const QString kSuffix = u".eml"_s;

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// "20261207-094512-123-k3j9x2qa.eml": the moment of deletion (UTC, to the millisecond) and
// eight random characters against a clash.
const QRegularExpression& keptName()
{
    static const QRegularExpression pattern(u"^(\\d{8})-(\\d{6})-(\\d{3})-[0-9a-z]{8}\\.eml$"_s);
    return pattern;
}

QDateTime momentOfName(const QString& name)
{
    const QRegularExpressionMatch match = keptName().match(name);
    if (!match.hasMatch())
        return {};
    const QDate date = QDate::fromString(match.captured(1), u"yyyyMMdd"_s);
    const QTime time = QTime::fromString(match.captured(2) + match.captured(3), u"HHmmsszzz"_s);
    if (!date.isValid() || !time.isValid())
        return {};
    return QDateTime(date, time, QTimeZone::utc()).toLocalTime();
}

QString randomText(int length)
{
    static constexpr char kCharacters[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    QString text;
    for (int i = 0; i < length; ++i)
        text += QLatin1Char(kCharacters[QRandomGenerator::global()->bounded(36)]);
    return text;
}

// A rename, a new entry or a removed one in the folder reaches the disk.
bool syncFolder(const QString& folder, int* savedErrno)
{
    const mail::UniqueFd fd(
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // Some file systems cannot sync a folder (EINVAL); the file's own bytes are synced already.
    if (!fd.isValid() || (::fsync(fd.get()) != 0 && errno != EINVAL)) {
        *savedErrno = errno;
        return false;
    }
    return true;
}

// Copies the bytes of one open file into another; errno set on failure.
bool copyBytes(int from, int to)
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!mail::writeAll(to, buffer, static_cast<size_t>(n)))
            return false;
    }
}

QString cannotKeep(const QString& folder, int error)
{
    return QCoreApplication::translate(
               "sweep",
               "削除するメッセージの控えを「%1」に書き込めません（%2）。空き容量と書き込み権限を"
               "確認してください。")
        .arg(QDir::toNativeSeparators(folder), errnoText(error));
}

} // namespace

DeletedMail::DeletedMail(QString folder, std::function<QDateTime()> now, Limits limits)
    : m_folder(QDir::cleanPath(std::move(folder))), m_now(std::move(now)), m_limits(limits)
{
}

QString DeletedMail::folderIn(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(u"deleted"_s);
}

bool DeletedMail::makeFolder(QString* error) const
{
    const QByteArray path = QFile::encodeName(m_folder);
    if (::mkdir(path.constData(), 0700) == 0)
        return true;
    const int mkdirErrno = errno;
    struct stat info {};
    if (mkdirErrno == EEXIST && ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode)) {
        // Our own folder that the user made read-only stays so, even for root, whom its mode
        // alone would not stop.
        if (info.st_uid != ::geteuid() || (info.st_mode & S_IWUSR) != 0)
            return true;
        *error = QCoreApplication::translate(
                     "sweep",
                     "削除したメールの保存先フォルダー「%1」は書き込み禁止になっています。書き込み"
                     "権限を確認してください。")
                     .arg(QDir::toNativeSeparators(m_folder));
        return false;
    }
    *error = mkdirErrno == EEXIST
                 ? QCoreApplication::translate(
                       "sweep",
                       "削除したメールの保存先「%1」がフォルダーではありません。そのファイルを別の"
                       "場所へ移してください。")
                       .arg(QDir::toNativeSeparators(m_folder))
                 : QCoreApplication::translate(
                       "sweep",
                       "削除したメールの保存先フォルダー「%1」を作れません（%2）。書き込み権限を"
                       "確認してください。")
                       .arg(QDir::toNativeSeparators(m_folder), errnoText(mkdirErrno));
    return false;
}

std::optional<QString> DeletedMail::keepPending(const QString& savedFile, QString* error) const
{
    if (!makeFolder(error))
        return std::nullopt;
    const mail::TargetFolder target(m_folder);
    if (!target.isOpen()) {
        *error = target.error();
        return std::nullopt;
    }
    // A fresh name of our own, taken exclusively; the message then takes its place.
    std::optional<mail::NewFile> copy = target.createUnique(kPendingPrefix, kSuffix, error);
    if (!copy)
        return std::nullopt;
    const QByteArray from = QFile::encodeName(savedFile);
    const QByteArray to = QFile::encodeName(copy->path());

    // The message is on the disk, and the owner's alone, before the server is asked to delete
    // it.
    const mail::UniqueFd saved(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    if (!saved.isValid() || ::fchmod(saved.get(), 0600) != 0 || ::fsync(saved.get()) != 0) {
        *error = cannotKeep(m_folder, errno);
        return std::nullopt;
    }
    if (::rename(from.constData(), to.constData()) != 0) {
        if (errno != EXDEV) {
            *error = cannotKeep(m_folder, errno);
            return std::nullopt;
        }
        // deleted/ lies on another file system than the fetched file: its bytes are copied.
        if (!copyBytes(saved.get(), copy->fd()) || ::fsync(copy->fd()) != 0 || !copy->closeFile()) {
            *error = cannotKeep(m_folder, errno);
            return std::nullopt;
        }
    }
    int syncErrno = 0;
    if (!syncFolder(m_folder, &syncErrno)) {
        *error = cannotKeep(m_folder, syncErrno);
        return std::nullopt; // the copy (moved or written) is removed with `copy`
    }
    copy->keep();
    return copy->path();
}

std::optional<QString> DeletedMail::markDeleting(const QString& copyPath, QString* error) const
{
    const QFileInfo copy(copyPath);
    if (!copy.fileName().startsWith(kPendingPrefix))
        return copyPath; // marked already
    const QString marked =
        copy.dir().filePath(kDeletingPrefix + copy.fileName().mid(kPendingPrefix.size()));
    int savedErrno = 0;
    if (::rename(QFile::encodeName(copyPath).constData(), QFile::encodeName(marked).constData()) !=
            0 ||
        !syncFolder(m_folder, &savedErrno)) {
        *error = cannotKeep(m_folder, savedErrno != 0 ? savedErrno : errno);
        return std::nullopt;
    }
    return marked;
}

std::optional<QString> DeletedMail::commit(const QString& copyPath, QString* error) const
{
    return commitAt(copyPath, m_now(), error);
}

std::optional<QString> DeletedMail::commitAt(const QString& pendingPath, const QDateTime& moment,
                                             QString* error) const
{
    const QByteArray from = QFile::encodeName(pendingPath);
    const QString stamp = moment.toUTC().toString(u"yyyyMMdd-HHmmss-zzz"_s);
    int savedErrno = EEXIST;
    for (int attempt = 0; attempt < 20 && savedErrno == EEXIST; ++attempt) {
        const QString path = QDir(m_folder).filePath(stamp + u'-' + randomText(8) + kSuffix);
        const QByteArray to = QFile::encodeName(path);
        // Never over another kept message: the rename refuses a name that exists.
        int result =
            ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without that kind of rename: a link refuses the name as well.
            result = ::link(from.constData(), to.constData());
            if (result == 0)
                ::unlink(from.constData());
        }
        if (result == 0) {
            if (!syncFolder(m_folder, &savedErrno))
                break;
            return path;
        }
        savedErrno = errno;
    }
    *error =
        QCoreApplication::translate(
            "sweep", "サーバーから削除したメッセージの控え「%1」を、削除したメールとして残せません"
                     "（%2）。控えはそのまま残っています。")
            .arg(QDir::toNativeSeparators(pendingPath), errnoText(savedErrno));
    return std::nullopt;
}

bool DeletedMail::removePending(const QString& copyPath, QString* error) const
{
    QFile file(copyPath);
    if (!file.exists() || file.remove())
        return true;
    *error = QCoreApplication::translate(
                 "sweep", "削除しなかったメッセージの控え「%1」を削除できません（%2）。")
                 .arg(QDir::toNativeSeparators(copyPath), file.errorString());
    return false;
}

bool DeletedMail::recoverLeftovers(QString* error) const
{
    bool handled = true;
    const QDir folder(m_folder);
    // Regular files only: with QDir::System a dangling link would be listed, and taken for a
    // copy.
    const auto copies = [&folder](const QString& prefix) {
        return folder.entryInfoList({prefix + u'*' + kSuffix},
                                    QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    };
    for (const QFileInfo& copy : copies(kPendingPrefix))
        handled = removePending(copy.filePath(), error) && handled;
    // Kept as deleted when the message was saved, the nearest moment known.
    for (const QFileInfo& copy : copies(kDeletingPrefix))
        handled = commitAt(copy.filePath(), copy.lastModified(), error).has_value() && handled;
    return handled;
}

bool DeletedMail::prune(QString* error) const
{
    const QList<Kept> all = list();
    if (all.isEmpty())
        return true;
    // Past the age limit by the clock and also by the newest copy: a clock set ahead (a dead
    // battery, a restored machine) cannot make today's copies look old.
    const QDateTime oldest = std::min(m_now(), all.front().deletedAt).addDays(-m_limits.maxAgeDays);
    bool removed = true;
    qint64 total = 0;
    bool newest = true;
    for (const Kept& kept : all) {
        total += kept.size;
        const bool tooLarge = !newest && total > m_limits.maxTotalBytes;
        newest = false;
        if (kept.deletedAt >= oldest && !tooLarge)
            continue;
        QFile file(kept.path);
        if (!file.remove() && file.exists()) {
            *error = QCoreApplication::translate(
                         "sweep", "保存期間を過ぎた削除したメール「%1」を削除できません（%2）。")
                         .arg(QDir::toNativeSeparators(kept.path), file.errorString());
            removed = false;
        }
    }
    return removed;
}

QList<DeletedMail::Kept> DeletedMail::list() const
{
    QList<Kept> kept;
    const QFileInfoList files = QDir(m_folder).entryInfoList(
        {u"*"_s + kSuffix}, QDir::Files | QDir::NoSymLinks, QDir::Name | QDir::Reversed);
    for (const QFileInfo& file : files) {
        const QDateTime moment = momentOfName(file.fileName());
        if (moment.isValid())
            kept.append(Kept{file.filePath(), moment, file.size()});
    }
    return kept;
}

} // namespace sweep
