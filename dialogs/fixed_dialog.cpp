#include "fixed_dialog.h"

#include "app_info.h"

#include <QLabel>

using app::twips;

namespace dialogs {

FixedDialog::FixedDialog(QWidget* owner, int widthTwips, int heightTwips) : QDialog(owner)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(twips(widthTwips), twips(heightTwips));
}

void FixedDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The owner may have moved since the last showing, so the place is worked out each time.
    if (const QWidget* owner = parentWidget()) {
        const QRect ownerFrame = owner->window()->frameGeometry();
        const QRect frame = frameGeometry();
        move(pos() + ownerFrame.center() - frame.center());
    }
}

QLabel* makeLabel(QWidget* parent, const QString& text, qreal points, int left, int top, int width,
                  int height)
{
    QLabel* label = app::makeLabel(parent, text, left, top, width, height);
    label->setFont(labelFont(points));
    return label;
}

} // namespace dialogs
