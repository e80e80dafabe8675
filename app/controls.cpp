#include "controls.h"

#include "app_info.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

namespace app {

QFont uiFont(qreal points)
{
    QFont font(kUiFontFamily.toString());
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

QLabel* makeLabel(QWidget* parent, const QString& text, qreal points, int left, int top, int width,
                  int height)
{
    auto* label = new QLabel(parent);
    label->setGeometry(twips(left), twips(top), twips(width), twips(height));
    label->setFont(uiFont(points));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);
    label->setText(text);
    return label;
}

QLineEdit* makeTextBox(QWidget* parent, int left, int top, int width, int height)
{
    auto* box = new QLineEdit(parent);
    box->setGeometry(twips(left), twips(top), twips(width), twips(height));
    // QLineEdit would cut at 32767 characters without a word.
    box->setMaxLength(std::numeric_limits<int>::max());
    box->setEchoMode(QLineEdit::Normal);
    return box;
}

QPushButton* makeButton(QWidget* parent, const QString& caption, int left, int top, int width,
                        int height)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(twips(left), twips(top), twips(width), twips(height));
    button->setAutoDefault(false);
    return button;
}

} // namespace app
