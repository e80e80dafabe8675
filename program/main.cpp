// Junkbane: removes junk mail from a POP3 mailbox on the server, sender by sender.
//
//   junkbane                 the program
//   junkbane --check-start   prepares the data folder, opens the main window, prints the
//                            data folder and the help file it would open, and ends (exit 0
//                            when the window showed); a problem goes to stderr, exit 1.
//                            For checking an installation without a person at the screen.

#include "data_folder.h"
#include "help_command.h"
#include "launch.h"
#include "program.h"
#include "qt_messages.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    app::prepareApplication();
    const bool checkStart = QApplication::arguments().contains(u"--check-start"_s);
    if (!app::prepareData(checkStart))
        return EXIT_FAILURE;

    app::QtMessages messages;
    app::Program program(messages);
    messages.setOwner(&program.window());
    program.window().show();
    if (checkStart) {
        QTimer::singleShot(0, &program.window(), [&program] {
            std::printf("data-folder=%s\nhelp-file=%s\n", qPrintable(store::dataFolder()),
                        qPrintable(dialogs::helpFilePath()));
            std::fflush(stdout);
            QApplication::exit(program.window().isVisible() ? EXIT_SUCCESS : EXIT_FAILURE);
        });
    }
    return QApplication::exec();
}
