// The start-up baseline: the least a Qt Widgets program does to show a main window.

#include "startup_phases.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    bench::phase("main");
    QApplication application(argc, argv);
    bench::phase("QApplication");
    QMainWindow window;
    window.show();
    bench::phase("show");
    return QApplication::exec();
}
