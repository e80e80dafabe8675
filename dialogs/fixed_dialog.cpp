#include "fixed_dialog.h"

#include "app_info.h"

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

} // namespace dialogs
