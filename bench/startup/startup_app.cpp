// The program's start-up exactly as main() does it, through the same calls, with the moment
// each phase ends written to stderr. The first paint itself is reported by Qt (see
// startup_bench.cpp); this only says where the time before it goes.

#include "launch.h"
#include "program.h"
#include "qt_messages.h"
#include "startup_phases.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    bench::phase("main");
    QApplication application(argc, argv);
    bench::phase("QApplication");
    app::prepareApplication();
    bench::phase("fonts+icon");
    if (!app::prepareData(false))
        return 1;
    bench::phase("data folder");

    app::QtMessages messages;
    app::Program program(messages);
    messages.setOwner(&program.window());
    bench::phase("Form1");
    program.window().show();
    bench::phase("show");
    return QApplication::exec();
}
