#include "prepare_data.h"

#include "pop_mail_library.h"
#include "settings_init.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace startup {

namespace {

constexpr mode_t kGroupAndOthers = S_IRWXG | S_IRWXO;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString makeDatabase(const QString& folder)
{
    const store::InitResult result = store::createSettingsDatabase(folder);
    switch (result.outcome) {
    case store::InitResult::Outcome::Created:
    case store::InitResult::Outcome::AlreadyExists:
        return {};
    case store::InitResult::Outcome::NoFolder:
        return QCoreApplication::translate(
                   "startup", "データフォルダー %1 がないため、設定データベースを作成できません。")
            .arg(folder);
    case store::InitResult::Outcome::Failed:
        break;
    }
    return QCoreApplication::translate(
               "startup",
               "設定データベース %1 を作成できません（%2）。フォルダーの書き込み権限と空き容量を"
               "確認してください。")
        .arg(result.path, result.reason);
}

// Takes every permission of group and others off path when it is of the given type. A
// missing path is left to the code that uses it, and a symbolic link is left as the user
// made it: its target may be anything.
QString restrictToOwner(const QString& path, mode_t type, mode_t mode, const QString& what)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::lstat(name.constData(), &status) != 0 || (status.st_mode & S_IFMT) != type ||
        (status.st_mode & kGroupAndOthers) == 0)
        return {};
    if (::chmod(name.constData(), mode) == 0)
        return {};
    const int error = errno;
    return QCoreApplication::translate(
               "startup",
               "%1 %2 はほかのユーザーも使える状態のため所有者だけに制限しようとしましたが、でき"
               "ません（%3）。ファイルの所有者で「chmod %4 %2」を実行してください。")
        .arg(what, path, systemError(error), QString::number(mode, 8));
}

QString removeLeftovers(const QString& temp)
{
    struct stat folder {};
    if (::lstat(QFile::encodeName(temp).constData(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return {};
    const QStringList names =
        QDir(temp).entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& fileName : names) {
        if (!mail::isSavedMessageName(fileName))
            continue;
        const QString path = QDir(temp).filePath(fileName);
        const QByteArray name = QFile::encodeName(path);
        struct stat status {};
        if (::lstat(name.constData(), &status) != 0 || !S_ISREG(status.st_mode) ||
            status.st_uid != ::geteuid() || (status.st_mode & kGroupAndOthers) != 0)
            continue;
        if (::unlink(name.constData()) != 0 && errno != ENOENT) {
            const int error = errno;
            return QCoreApplication::translate(
                       "startup",
                       "前回の実行で一時フォルダーに残ったメール %1 を削除できません（%2）。フォル"
                       "ダーの書き込み権限を確認してください。")
                .arg(path, systemError(error));
        }
    }
    return {};
}

} // namespace

QString prepareDataFolder(const QString& programFolder, const store::UserFolders& user)
{
    const store::DataFolder data = store::dataFolderFor(programFolder, user);
    if (data.path.isEmpty())
        return QCoreApplication::translate(
            "startup", "設定データベースを置くフォルダーが決まりません。環境変数 HOME（または "
                       "XDG_DATA_HOME）に自分のホームフォルダーを設定して起動してください。");
    const QString database =
        QDir(data.path).filePath(QString::fromLatin1(store::kSettingsFileName));
    const QString temp = QDir(data.path).filePath(u"temp"_s);

    if (data.perUser) {
        QString failed, reason;
        if (!store::makePrivateFolder(data.path, &failed, &reason))
            return QCoreApplication::translate(
                       "startup",
                       "データフォルダー %1 を作成できません（%2）。上位のフォルダーの書き込み"
                       "権限と空き容量を確認してください。")
                .arg(failed, reason);
        if (QString problem = makeDatabase(data.path); !problem.isEmpty())
            return problem;
        if (::mkdir(QFile::encodeName(temp).constData(), 0700) != 0 && errno != EEXIST) {
            const int error = errno;
            return QCoreApplication::translate(
                       "startup",
                       "一時フォルダー %1 を作成できません（%2）。フォルダーの書き込み権限と空き"
                       "容量を確認してください。")
                .arg(temp, systemError(error));
        }
    }

    if (QString problem = restrictToOwner(
            database, S_IFREG, 0600, QCoreApplication::translate("startup", "設定データベース"));
        !problem.isEmpty())
        return problem;
    if (QString problem = restrictToOwner(temp, S_IFDIR, 0700,
                                          QCoreApplication::translate("startup", "一時フォルダー"));
        !problem.isEmpty())
        return problem;
    return removeLeftovers(temp);
}

QString prepareDataFolder()
{
    return prepareDataFolder(QCoreApplication::applicationDirPath(),
                             store::userFoldersFromEnvironment());
}

} // namespace startup
