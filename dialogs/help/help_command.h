#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace sweep {
class Messages;
}

namespace dialogs {

// Hands a document to the desktop, which starts the application registered for its type;
// true when the desktop took it.
using DocumentOpener = std::function<bool(const QUrl&)>;

// The desktop's own opener (QDesktopServices::openUrl).
DocumentOpener desktopOpener();

// Tells whether the desktop has an application registered for a file's type.
using ApplicationFinder = std::function<bool(const QString& path)>;

// Asks the desktop's own opener tools (xdg-mime) for the file's type and for the application
// registered for it. When the tools cannot be asked, it answers true and leaves the verdict to
// the opener.
ApplicationFinder desktopApplicationFinder();

// The help file's path: the program's folder, then "/kv.chm" (in English "/kv_en.chm");
// when the file is not there but in the installed share folder (.../share/junkbane beside
// .../bin), that one.
QString helpFilePath();

// Opens the help file with the desktop's application for it, or says that nothing can open it.
// The desktop is asked only about a file that is there and readable and that an application
// is registered for: for any other it would report success and then fail out of sight.
void openHelpFile(sweep::Messages& messages, const ApplicationFinder& finder,
                  const DocumentOpener& opener);

} // namespace dialogs
