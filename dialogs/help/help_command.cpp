#include "help_command.h"

#include "data_folder.h"
#include "desktop_opener.h"
#include "messages.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>

#include <optional>

using namespace Qt::StringLiterals;

namespace dialogs {

DocumentOpener desktopOpener()
{
    return [](const QUrl& url) { return QDesktopServices::openUrl(url); };
}

ApplicationFinder desktopApplicationFinder()
{
    return [](const QString& path) {
        // The same questions the desktop's opener asks before it starts an application.
        const std::optional<QString> type = desktopFileType(path);
        if (!type || type->isEmpty())
            return true;
        const std::optional<QString> application = desktopApplicationFor(*type);
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

void openHelpFile(sweep::Messages& messages, const ApplicationFinder& finder,
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
