#include "help_menu.h"

#include "about_box.h"
#include "help_command.h"

namespace dialogs {

void openHelp(QWidget* owner, sweep::Messages& messages)
{
    // The viewer runs on its own and needs no owner; the message box takes its owner from
    // `messages`.
    static_cast<void>(owner);
    openHelpFile(messages, desktopApplicationFinder(), desktopOpener());
}

void openAboutBox(QWidget* owner)
{
    frmAbout about(owner);
    about.exec();
}

} // namespace dialogs
