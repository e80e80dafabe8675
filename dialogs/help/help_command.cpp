#include "help_command.h"

#include "data_folder.h"
#include "messages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>

#include <optional>

using namespace Qt::StringLiterals;

namespace dialogs {

namespace {

// How long one question to xdg-mime may take; it answers in well under a second.
constexpr int kQueryMilliseconds = 5000;

// The first line xdg-mime prints for the arguments; nothing when it cannot be run or fails.
std::optional<QString> xdgMime(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(u"xdg-mime"_s, arguments);
    if (!process.waitForStarted(kQueryMilliseconds))
        return std::nullopt;
    if (!process.waitForFinished(kQueryMilliseconds)) {
        process.kill();
        process.waitForFinished(kQueryMilliseconds);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
}

} // namespace

DocumentOpener desktopOpener()
{
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

ApplicationFinder desktopApplicationFinder()
{
    return [](const QString& path) {
        // The same questions the desktop's opener asks before it starts an application.
        const std::optional<QString> type = xdgMime({u"query"_s, u"filetype"_s, path});
        if (!type || type->isEmpty())
            return true;
        const std::optional<QString> application = xdgMime({u"query"_s, u"default"_s, *type});
        if (!application)
            return true;
        return !application->isEmpty();
    };
}

QString helpFilePath()
{
    // The folder goes in as Qt reports it; at the root of the file system that gives "//kv.chm",
    // which names the same file.
    return store::programFilePath(QCoreApplication::applicationDirPath(), u"kv.chm"_s);
}

void openHelpFile(app::Messages& messages, const ApplicationFinder& finder,
                  const DocumentOpener& opener)
{
    const QString path = helpFilePath();
    const QFileInfo file(path);
    const bool opened =
        file.isFile() && file.isReadable() && finder(path) && opener(QUrl::fromLocalFile(path));
    if (!opened)
        messages.showMessage(u"開けるアプリケーション"_s + u"\r\n"_s + u"がありません"_s);
}

} // namespace dialogs
