#include "empty_hint.h"

#include <QAbstractItemView>
#include <QLabel>

namespace app {

QLabel* emptyListHint(QAbstractItemView* list, const QString& text)
{
    auto* hint = new QLabel(list->viewport());
    hint->setObjectName(QStringLiteral("emptyHint"));
    hint->setTextFormat(Qt::PlainText);
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    hint->setForegroundRole(QPalette::PlaceholderText);
    hint->setText(text);
    constexpr int kMargin = 4;
    const QSize room = list->contentsRect().size(); // the viewport is laid out later
    hint->setGeometry(kMargin, kMargin, room.width() - 2 * kMargin, room.height() - 2 * kMargin);
    hint->hide();
    return hint;
}

} // namespace app
