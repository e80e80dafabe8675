// Junkbane: removes junk mail from a POP3 mailbox on the server, sender by sender.

#include "app_info.h"
#include "clock.h"
#include "fonts.h"
#include "main_window.h"
#include "mailbox_sweep.h"
#include "mdl_main.h"
#include "messages.h"
#include "pop_mail_library.h"
#include "menu_wiring.h"
#include "program_icon.h"

#include <QApplication>
#include <QFont>

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

    app::QtMessages messages;
    app::SystemClock clock;
    mail::PopMailLibrary library;
    Form1* window = nullptr;
    mail::MailboxSweep sweep(library, {
        .account = [] {
            return mail::Account{MdlMain::sel_server.toString(), MdlMain::sel_user.toString(),
                                 MdlMain::sel_pass.toString()};
        },
        .folder = [] { return QApplication::applicationDirPath(); },
        .statusLine = [&window](const QString& text) { window->setStatusLine(text); },
    });

    Form1 form(clock, sweep, messages);
    window = &form;
    messages.setOwner(&form);
    app::wireMenu(form, messages);
    form.show();
    return QApplication::exec();
}
