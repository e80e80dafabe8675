#include "data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <vector>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace store {

namespace {

// The account's home folder from the user database, for a process started without $HOME.
QString accountHome()
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir)
        return {};
    return QFile::decodeName(found->pw_dir);
}

bool isWritableFolder(const QString& path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK | X_OK) == 0;
}

} // namespace

UserFolders userFoldersFromEnvironment()
{
    UserFolders user;
    user.xdgDataHome = qEnvironmentVariable("XDG_DATA_HOME");
    user.home = qEnvironmentVariable("HOME");
    if (user.home.isEmpty())
        user.home = accountHome();
    return user;
}

QString installedShareFolder(const QString& programFolder)
{
    return QDir::cleanPath(programFolder + u"/"_s + QStringLiteral(JUNKBANE_SHARE_FROM_BIN));
}

bool isInstalledLayout(const QString& programFolder)
{
    return QFileInfo(installedShareFolder(programFolder)).isDir();
}

QString userDataFolder(const UserFolders& user)
{
    // A relative $XDG_DATA_HOME is invalid and is ignored, as the XDG base directory rules say.
    if (!user.xdgDataHome.isEmpty() && QDir::isAbsolutePath(user.xdgDataHome))
        return QDir::cleanPath(user.xdgDataHome + u"/junkbane"_s);
    if (!user.home.isEmpty() && QDir::isAbsolutePath(user.home))
        return QDir::cleanPath(user.home + u"/.local/share/junkbane"_s);
    return {};
}

DataFolder dataFolderFor(const QString& programFolder, const UserFolders& user)
{
    if (!isInstalledLayout(programFolder) && isWritableFolder(programFolder))
        return {programFolder, false};
    return {userDataFolder(user), true};
}

QString dataFolder()
{
    return dataFolderFor(QCoreApplication::applicationDirPath(), userFoldersFromEnvironment()).path;
}

QString programFilePath(const QString& programFolder, const QString& name)
{
    const QString beside = programFolder + u"/"_s + name;
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir(installedShareFolder(programFolder)).filePath(name);
    return QFileInfo::exists(installed) ? installed : beside;
}

bool makePrivateFolder(const QString& path, QString* failed, QString* reason)
{
    // From the top down, each missing folder made 0700 (the XDG base directory rules ask
    // for that of folders a program makes in the user's data folder).
    const QStringList parts =
        QDir::cleanPath(QDir(path).absolutePath()).split(u'/', Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += u"/"_s + part;
        if (::mkdir(QFile::encodeName(current).constData(), 0700) == 0)
            continue;
        const int error = errno;
        if (QFileInfo(current).isDir())
            continue;
        *failed = current;
        *reason = QString::fromLocal8Bit(std::strerror(error == EEXIST ? ENOTDIR : error));
        return false;
    }
    return true;
}

} // namespace store
