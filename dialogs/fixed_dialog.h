#pragma once

#include <QDialog>
#include <QFont>

class QLabel;
class QLineEdit;
class QPushButton;

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
QFont labelFont(qreal points);

// Controls placed in twips, with the settings every account dialog gives them: labels hold
// plain text at the top left without wrapping (line breaks are the texts' own CR LF),
// text boxes are single-line, in clear and without a length limit of their own, the button
// is nobody's default (Enter in a text box presses nothing).
QLabel* makeLabel(QWidget* parent, const QString& text, qreal points, int left, int top, int width,
                  int height);
QLineEdit* makeTextBox(QWidget* parent, int left, int top, int width, int height);
QPushButton* makeButton(QWidget* parent, const QString& caption, int left, int top, int width,
                        int height);

} // namespace dialogs
