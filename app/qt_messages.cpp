#include "qt_messages.h"

#include "plain_text.h"
#include "main_window.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdlib>

namespace app {

void QtMessages::showMessage(const QString& text)
{
    // The text may quote a server or a message: shown as plain characters, never turned around.
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), plainLines(text),
                    QMessageBox::Ok, m_owner);
    box.setTextFormat(Qt::PlainText); // the text may quote a server or a file name: never markup
    box.exec();
}

void QtMessages::showFatal(const QString& text)
{
    showMessage(text);
    // A step may be out on the worker: it is cancelled and waited for (a second at most), so
    // that it does not run on while the program's static objects are destroyed under it.
    if (auto* window = qobject_cast<Form1*>(m_owner))
        window->controller().shutdown();
    // Every statement has committed by itself and every handle was released while the
    // exception unwound; nothing is left to save.
    std::exit(EXIT_FAILURE);
}

} // namespace app
