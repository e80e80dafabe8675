#pragma once

// What a user does with the program's windows, for tests that drive the whole program: type,
// press, pick from a list, and act inside a modal dialog while its exec() runs.

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

class QAbstractButton;
class QLineEdit;
class QListWidget;

namespace e2e {

// How long a dialog may take to come to the front, and to close after the user's last action.
inline constexpr std::chrono::milliseconds kDialogWait{5000};

// Types the text into the box after the text it already holds, key by key.
void typeInto(QLineEdit* box, const QString& text);
// Replaces the whole text of the box as a user does: select all, then type.
void retype(QLineEdit* box, const QString& text);
// A left mouse click in the middle of the button.
void press(QAbstractButton* button);
// A left mouse click on the first entry of the list that reads exactly `text`, or else on the
// first account entry of that user name ("text（server）"); false when the list has neither.
bool pickEntry(QListWidget* list, const QString& text);
// The texts of the list's entries, top to bottom.
QStringList entries(const QListWidget* list);
// Runs the event loop (timers included) until `done` is true or the time is up; true when
// `done` became true.
bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

// Fails the test and closes the dialog when it is still open after kDialogWait: an action that
// should have closed it did not, and the exec() it runs in must not hang the test.
void closeIfStillOpen(QPointer<QDialog> dialog, const char* what);

// Once a modal window of type Dialog is in front, runs `act` on it, from inside the event loop
// of the exec() that shows it. Call it before the action that opens the dialog, which returns
// only when the dialog has closed. A different window in front, or none within kDialogWait,
// fails the test, and whatever modal window is in front is closed so that nothing hangs.
template <typename Dialog>
void whenInFront(std::function<void(Dialog&)> act,
                 QDeadlineTimer deadline = QDeadlineTimer(kDialogWait))
{
    QTimer::singleShot(std::chrono::milliseconds(20), [act = std::move(act), deadline]() mutable {
        QWidget* front = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(front); dialog && dialog->isVisible()) {
            const QPointer<QDialog> guard(dialog);
            act(*dialog);
            closeIfStillOpen(guard, Dialog::staticMetaObject.className());
            return;
        }
        if (!deadline.hasExpired()) {
            whenInFront<Dialog>(std::move(act), deadline);
            return;
        }
        ADD_FAILURE() << "expected a " << Dialog::staticMetaObject.className()
                      << " in front, found " << (front ? front->metaObject()->className() : "none");
        if (auto* other = qobject_cast<QDialog*>(front))
            other->reject();
    });
}

} // namespace e2e
