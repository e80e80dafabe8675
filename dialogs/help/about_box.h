#pragma once

#include <QDialog>

class QLabel;
class QShowEvent;

// frmAbout: the about box with the program's icon, title, version and the environment it needs.
class frmAbout : public QDialog {
    Q_OBJECT

public:
    explicit frmAbout(QWidget* owner);

    // Fills every text from the window's design texts, so filling again never adds lines.
    void load();

    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;

protected:
    void showEvent(QShowEvent* event) override;
};
