#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace app {
class Messages;
}

namespace dialogs {

// Hands a document to the desktop, which starts the application registered for its type;
// true when the desktop took it.
using DocumentOpener = std::function<bool(const QUrl&)>;

// The desktop's own opener (QDesktopServices::openUrl).
DocumentOpener desktopOpener();

// The help file's path: the program's folder, then "/kv.chm"; when the file is not there but
// in the installed share folder (.../share/junkbane beside .../bin), that one.
QString helpFilePath();

// Opens the help file with the desktop's application for it, or says that nothing can open it.
// The desktop is not asked about a file that is missing or unreadable: it would report success
// for it and then fail out of sight.
void openHelpFile(app::Messages& messages, const DocumentOpener& opener);

} // namespace dialogs
