#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Controls placed in twips, the unit every window's layout was drawn in, with the settings all
// of the program's windows give them.
namespace app {

// The Japanese UI font at the given size.
QFont uiFont(qreal points);

// A label holding plain text at its top left, without wrapping: line breaks are the text's own
// CR LF.
QLabel* makeLabel(QWidget* parent, const QString& text, int left, int top, int width, int height);
// A single-line text box, in clear and without a length limit of its own.
QLineEdit* makeTextBox(QWidget* parent, int left, int top, int width, int height);
// A button that is nobody's default: Enter in a text box does not press it.
QPushButton* makeButton(QWidget* parent, const QString& caption, int left, int top, int width,
                        int height);

} // namespace app
