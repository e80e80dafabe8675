// Junkbane: removes junk mail from a POP3 mailbox on the server, sender by sender.

#include "launch.h"
#include "program.h"
#include "qt_messages.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    app::prepareApplication();

    app::QtMessages messages;
    app::Program program(messages);
    messages.setOwner(&program.window());
    program.window().show();
    return QApplication::exec();
}
