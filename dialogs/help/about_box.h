#pragma once

#include "fixed_dialog.h"

class QLabel;

// frmAbout: the about box with the program's icon, title, version and the environment it needs.
class frmAbout : public dialogs::FixedDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* owner);

    // Fills every text from the window's design texts, so filling again never adds lines.
    void load();

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
};
