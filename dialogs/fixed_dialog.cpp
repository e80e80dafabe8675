#include "fixed_dialog.h"

#include "app_info.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <limits>

using namespace Qt::StringLiterals;
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

QFont labelFont(qreal points)
{
    QFont font(u"ＭＳ Ｐゴシック"_s);
    font.setPointSizeF(points);
    font.setWeight(QFont::Normal);
    return font;
}

QLabel* makeLabel(QWidget* parent, const QString& text, qreal points, int left, int top, int width,
                  int height)
{
    auto* label = new QLabel(parent);
    label->setGeometry(twips(left), twips(top), twips(width), twips(height));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);
    label->setFont(labelFont(points));
    label->setText(text);
    return label;
}

QLineEdit* makeTextBox(QWidget* parent, int left, int top, int width, int height)
{
    auto* box = new QLineEdit(parent);
    box->setGeometry(twips(left), twips(top), twips(width), twips(height));
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

} // namespace dialogs
