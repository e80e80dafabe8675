#pragma once

class QWidget;

namespace sweep {
class Messages;
}

// What the main window's "その他" menu runs.
namespace dialogs {

// m10 "ヘルプ": opens kv.chm from the program's folder in the desktop's viewer for it, or shows
// why it cannot. The owner is where the message box belongs through `messages`.
void openHelp(QWidget* owner, sweep::Messages& messages);

// m9 "バージョン情報": shows frmAbout modally over the owner; returns when the user closes it.
void openAboutBox(QWidget* owner);

} // namespace dialogs
