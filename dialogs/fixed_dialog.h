#pragma once

#include "controls.h"

#include <QDialog>

namespace dialogs {

// A dialog window of fixed client size, with a fixed border and no minimise or maximise
// button, that centres itself over its owner each time it is shown.
class FixedDialog : public QDialog {
    Q_OBJECT

protected:
    // Sizes in twips, the unit the layouts were drawn in.
    FixedDialog(QWidget* owner, int widthTwips, int heightTwips);

    void showEvent(QShowEvent* event) override;
};

// The Japanese UI font of the dialogs' labels at the given size.
inline QFont labelFont(qreal points)
{
    return app::uiFont(points);
}

// A label in the UI font at the given size; the other controls are the program's own.
QLabel* makeLabel(QWidget* parent, const QString& text, qreal points, int left, int top, int width,
                  int height);
using app::makeButton;
using app::makeTextBox;

} // namespace dialogs
