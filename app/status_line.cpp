#include "status_line.h"

#include "app_info.h"
#include "controls.h"
#include "plain_text.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextLayout>
#include <QVBoxLayout>

namespace app {

using namespace Qt::StringLiterals;

namespace {
constexpr int kLines = 2;
} // namespace

StatusLine::StatusLine(QWidget* parent) : QLabel(parent)
{
    setObjectName(u"statusLine"_s);
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setCursor(Qt::PointingHandCursor);
    setFixedHeight(fontMetrics().lineSpacing() * kLines + 2);
    refresh();
}

void StatusLine::setStatus(const QString& text)
{
    m_status = text;
    refresh();
}

void StatusLine::setIdleText(const QString& text)
{
    m_idle = text;
    refresh();
}

QString StatusLine::fitted(const QString& text, const QFont& font, int width, int lines)
{
    // A status text is never longer than a few lines at most; what could never show is not
    // laid out.
    const QString plain = plainLine(text, kBoxLimit);
    QTextLayout layout(plain, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList shown;
    layout.beginLayout();
    for (int n = 0; n < lines; ++n) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        shown << plain.mid(line.textStart(), line.textLength());
    }
    const QTextLine more = layout.createLine();
    layout.endLayout();
    if (more.isValid() && !shown.isEmpty()) {
        const QFontMetrics metrics(font);
        const QString last = shown.takeLast() + plain.mid(more.textStart());
        shown << metrics.elidedText(last.left(kLineLimit) + u'…', Qt::ElideRight, width);
    }
    return shown.join(u'\n');
}

void StatusLine::refresh()
{
    const QString& text = m_status.isEmpty() ? m_idle : m_status;
    setText(fitted(text, font(), contentsRect().width(), kLines));
    // The whole text where the pointer rests, and the way to it without one.
    setToolTip(plainToolTip(text) +
               QCoreApplication::translate(
                   "app", "<p>クリックするか Ctrl+L を押すと全文を表示します</p>"));
}

void StatusLine::mousePressEvent(QMouseEvent* event)
{
    // Taken here, so that the release comes here too.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void StatusLine::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

void StatusLine::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    refresh();
}

void showStatusBox(QWidget* owner, const QString& text)
{
    QDialog box(owner);
    box.setObjectName(u"statusBox"_s);
    box.setWindowTitle(QCoreApplication::translate("app", "状態の全文"));
    box.setFont(uiFont());
    auto* shown = new QPlainTextEdit(&box);
    shown->setObjectName(u"statusText"_s);
    shown->setReadOnly(true);
    shown->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    shown->setPlainText(text.isEmpty()
                            ? QCoreApplication::translate("app", "表示する状態はありません。")
                            : plainLines(text, kBoxLimit * 4));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &box);
    buttons->button(QDialogButtonBox::Close)->setText(QCoreApplication::translate("app", "閉じる"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(shown);
    layout->addWidget(buttons);
    box.resize(twips(6000), twips(2700));
    shown->setFocus();
    box.exec();
}

} // namespace app
