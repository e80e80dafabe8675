// Junkbane: removes junk mail from a POP3 mailbox on the server, sender by sender.

#include "app_info.h"
#include "controls.h"
#include "fonts.h"
#include "messages.h"
#include "program.h"
#include "program_icon.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(app::applicationTitle());
    QApplication::setApplicationVersion(app::versionText());
    app::installFontSubstitutions();
    QApplication::setFont(app::uiFont());
    QApplication::setWindowIcon(resources::programIcon());
    if (const QString why = resources::programIconProblem(); !why.isEmpty())
        qWarning("%s", qPrintable(why));

    app::QtMessages messages;
    app::Program program(messages);
    messages.setOwner(&program.window());
    program.window().show();
    return QApplication::exec();
}
