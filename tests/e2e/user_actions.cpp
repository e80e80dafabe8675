#include "user_actions.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

namespace e2e {

void typeInto(QLineEdit* box, const QString& text)
{
    box->setFocus(Qt::MouseFocusReason);
    box->end(false);
    QTest::keyClicks(box, text);
}

void retype(QLineEdit* box, const QString& text)
{
    box->setFocus(Qt::MouseFocusReason);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

void press(QAbstractButton* button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

bool pickEntry(QListWidget* list, const QString& text)
{
    // An account's entry shows its server beside the user name: "user（server）".
    QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    if (found.isEmpty())
        found = list->findItems(text + QChar(u'（'), Qt::MatchStartsWith);
    if (found.isEmpty())
        return false;
    list->scrollToItem(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.first()).center());
    return true;
}

QStringList entries(const QListWidget* list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts.append(list->item(row)->text());
    return texts;
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

void closeIfStillOpen(QPointer<QDialog> dialog, const char* what)
{
    QTimer::singleShot(kDialogWait, [dialog, what] {
        if (dialog && dialog->isVisible()) {
            ADD_FAILURE() << what << " is still open after the user's last action";
            dialog->reject();
        }
    });
}

} // namespace e2e
