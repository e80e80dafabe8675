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
    // The guide in the program's language: its file name is translated with the texts.
    //: The help file of this language, beside the program (help/CMakeLists.txt builds it).
    const QString name = QCoreApplication::translate("dialogs", "kv.chm");
    return store::programFilePath(QCoreApplication::applicationDirPath(), name);
}

void openHelpFile(sweep::Messages& messages, const ApplicationFinder& finder,
                  const DocumentOpener& opener)
{
    const QString path = helpFilePath();
    const QFileInfo file(path);
    const bool opened =
        file.isFile() && file.isReadable() && finder(path) && opener(QUrl::fromLocalFile(path));
    if (!opened)
        messages.showMessage(
            QCoreApplication::translate("dialogs", "開けるアプリケーション\r\nがありません"));
}

} // namespace dialogs
