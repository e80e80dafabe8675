// Junkbane: removes junk mail from a POP3 mailbox on the server, sender by sender.
//
//   junkbane                 the program
//   junkbane --minimized     the program, straight to the tray (minimised without one)
//   junkbane --help          the usage; --version the version
//   junkbane --check-start   prepares the data folder, opens the main window, prints the
//                            data folder and the help file it would open, and ends (exit 0
//                            when the window showed); a problem goes to stderr, exit 1.
//                            For checking an installation without a person at the screen.
// One program runs per data folder: a second start brings the first one's window forward
// and ends with exit 0.

#include "background_run.h"
#include "command_line.h"
#include "data_folder.h"
#include "help_command.h"
#include "launch.h"
#include "program.h"
#include "qt_messages.h"
#include "single_instance.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Read before the application object exists: --help and --version need no display.
int printAndEnd(const session::CommandLine& line)
{
    using Action = session::CommandLine::Action;
    if (line.action == Action::Help) {
        std::fputs(session::usageText().toUtf8().constData(), stdout);
        return EXIT_SUCCESS;
    }
    if (line.action == Action::Version) {
        std::fputs(session::versionLine().toUtf8().constData(), stdout);
        return EXIT_SUCCESS;
    }
    std::fprintf(stderr, "junkbane: %s\n%s", line.error.toUtf8().constData(),
                 session::usageText().toUtf8().constData());
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    const session::CommandLine line = session::parseCommandLine(argumentsOf(argc, argv));
    if (line.action != session::CommandLine::Action::Run) {
        // A core application needs no display; it carries the translations of what is
        // printed, so the line is read again in the user's language.
        QCoreApplication core(argc, argv);
        app::installLanguage();
        return printAndEnd(session::parseCommandLine(argumentsOf(argc, argv)));
    }

    QApplication application(argc, argv);
    app::prepareApplication();
    const bool checkStart = line.checkStart;

    // Nothing in the data folder is touched before the lock is ours: a second start must not
    // tidy away the temp/ or deleted/ of the one that runs.
    const QString folder = store::dataFolder();
    std::unique_ptr<session::SingleInstance> instance;
    if (!folder.isEmpty() && app::makeDataFolder(folder, checkStart)) {
        instance = std::make_unique<session::SingleInstance>(folder);
        switch (instance->claim()) {
        case session::SingleInstance::Outcome::First:
            break;
        case session::SingleInstance::Outcome::Second:
            return EXIT_SUCCESS;
        case session::SingleInstance::Outcome::Failed:
            app::tellProblem(instance->error(), checkStart);
            return EXIT_FAILURE;
        }
    }
    if (!app::prepareData(checkStart))
        return EXIT_FAILURE;

    app::QtMessages boxes;
    app::StopNoticeMessages messages(boxes);
    app::Program program(messages);
    boxes.setOwner(&program.window());
    app::BackgroundRun run(program, messages, instance.get());
    run.start(line.minimized && !checkStart);
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
