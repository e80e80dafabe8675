#pragma once

#include <QFont>
#include <QString>
#include <QStringView>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Controls placed in twips, the unit every window's layout was drawn in, with the settings all
// of the program's windows give them.
namespace app {

// The Japanese UI font every window asks for, by its Windows name (installFontSubstitutions()
// maps it to the installed font), and the size of the text that has no size of its own.
inline constexpr QStringView kUiFontFamily = u"ＭＳ Ｐゴシック";
inline constexpr qreal kUiFontPoints = 9;

// The Japanese UI font at the given size.
QFont uiFont(qreal points = kUiFontPoints);

// A label holding plain text at its top left in the UI font at the given size, without
// wrapping: line breaks are the text's own CR LF.
QLabel* makeLabel(QWidget* parent, const QString& text, qreal points, int left, int top, int width,
                  int height);
// A single-line text box, in clear and without a length limit of its own.
QLineEdit* makeTextBox(QWidget* parent, int left, int top, int width, int height);
// A button that is nobody's default: Enter in a text box does not press it.
QPushButton* makeButton(QWidget* parent, const QString& caption, int left, int top, int width,
                        int height);

} // namespace app
