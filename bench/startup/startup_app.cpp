// The program's start-up as app/main.cpp does it, object for object, with the moment each
// phase ends written to stderr. The first paint itself is reported by Qt (see
// startup_bench.cpp); this copy only says where the time before it goes. Keep it in step
// with app/main.cpp.

#include "app_info.h"
#include "clock.h"
#include "data_folder.h"
#include "fonts.h"
#include "mailbox_sweep.h"
#include "main_window.h"
#include "mdl_main.h"
#include "menu_wiring.h"
#include "messages.h"
#include "pop_mail_library.h"
#include "prepare_data.h"
#include "program_icon.h"
#include "startup_phases.h"

#include <QApplication>
#include <QFont>

using namespace Qt::StringLiterals;

int main(int argc, char* argv[])
{
    bench::phase("main");
    QApplication application(argc, argv);
    bench::phase("QApplication");
    QApplication::setApplicationName(app::applicationTitle());
    QApplication::setApplicationVersion(app::versionText());
    app::installFontSubstitutions();
    QApplication::setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
    QApplication::setWindowIcon(resources::programIcon());
    if (const QString why = resources::programIconProblem(); !why.isEmpty())
        qWarning("%s", qPrintable(why));
    bench::phase("fonts+icon");
    if (const QString problem = startup::prepareDataFolder(); !problem.isEmpty())
        qWarning("%s", qPrintable(problem));
    bench::phase("data folder");

    app::QtMessages messages;
    app::SystemClock clock;
    mail::PopMailLibrary library;
    Form1* window = nullptr;
    mail::MailboxSweep sweep(
        library, {
                     .account =
                         [] {
                             return mail::Account{MdlMain::sel_server.toString(),
                                                  MdlMain::sel_user.toString(),
                                                  MdlMain::sel_pass.toString()};
                         },
                     .folder = [] { return store::dataFolder(); },
                     .statusLine = [&window](const QString& text) { window->setStatusLine(text); },
                 });

    Form1 form(clock, sweep, messages);
    window = &form;
    messages.setOwner(&form);
    app::wireMenu(form, messages);
    bench::phase("Form1");
    form.show();
    bench::phase("show");
    return QApplication::exec();
}
