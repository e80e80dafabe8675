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

// The controls every window places in twips.
using app::makeButton;
using app::makeLabel;
using app::makeTextBox;

} // namespace dialogs
