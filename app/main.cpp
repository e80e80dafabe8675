// Junkbane: removes junk mail from a POP3 mailbox on the server, sender by sender.
//
//   junkbane                 the program
//   junkbane --check-start   prepares the data folder, opens the main window, prints the
//                            data folder and the help file it would open, and ends (exit 0
//                            when the window showed); a problem goes to stderr, exit 1.
//                            For checking an installation without a person at the screen.

#include "app_info.h"
#include "data_folder.h"
#include "fonts.h"
#include "help_command.h"
#include "messages.h"
#include "prepare_data.h"
#include "program.h"
#include "program_icon.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(app::applicationTitle());
    QApplication::setApplicationVersion(app::versionText());
    app::installFontSubstitutions();
    QApplication::setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
    QApplication::setWindowIcon(resources::programIcon());
    if (const QString why = resources::programIconProblem(); !why.isEmpty())
        qWarning("%s", qPrintable(why));
    const bool checkStart = QApplication::arguments().contains(u"--check-start"_s);

    if (const QString problem = startup::prepareDataFolder(); !problem.isEmpty()) {
        if (checkStart)
            std::fprintf(stderr, "%s\n", qPrintable(problem));
        else
            app::QtMessages().showMessage(problem);
        return EXIT_FAILURE;
    }

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
