#include "tray.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>

namespace session {

using namespace Qt::StringLiterals;

namespace {

QString stateText(TrayStatus::State state)
{
    switch (state) {
    case TrayStatus::State::Sweeping:
        return QCoreApplication::translate("session", "巡回中");
    case TrayStatus::State::Waiting:
        return QCoreApplication::translate("session", "待機中");
    case TrayStatus::State::Stopped:
        return QCoreApplication::translate("session", "停止中");
    case TrayStatus::State::Error:
        return QCoreApplication::translate("session", "エラーで停止");
    }
    return {};
}

// The program's icon with a dot in the state's colour in its lower right corner.
QIcon stateIcon(const QIcon& base, TrayStatus::State state)
{
    QColor colour;
    switch (state) {
    case TrayStatus::State::Sweeping:
        colour = QColor(0x2e, 0xa0, 0x43);
        break;
    case TrayStatus::State::Waiting:
        colour = QColor(0x1f, 0x6f, 0xeb);
        break;
    case TrayStatus::State::Stopped:
        colour = QColor(0x8c, 0x8c, 0x8c);
        break;
    case TrayStatus::State::Error:
        colour = QColor(0xd0, 0x22, 0x22);
        break;
    }
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = base.pixmap(size, size);
        if (pixmap.isNull()) {
            pixmap = QPixmap(size, size);
            pixmap.fill(Qt::transparent);
        }
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal dot = size * 0.45;
        painter.setPen(QPen(Qt::white, std::max(1.0, size / 16.0)));
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(size - dot - 0.5, size - dot - 0.5, dot, dot));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QString trayToolTip(const TrayStatus& status)
{
    QString text =
        QCoreApplication::translate("session", "Junkbane：%1").arg(stateText(status.state));
    text += QCoreApplication::translate("session", "\nユーザ：") +
            (status.user.isEmpty() ? QCoreApplication::translate("session", "（未選択）")
                                   : status.user);
    text += QCoreApplication::translate("session", "\n今日の削除：%1 通")
                .arg(QString::number(status.deletedToday));
    if (!status.lastError.isEmpty()) {
        // A tooltip is no place for a page of text; the window's status line has it all.
        constexpr qsizetype kLongest = 200;
        const QString error = status.lastError.simplified();
        text += QCoreApplication::translate("session", "\n最後のエラー：") +
                (error.size() > kLongest ? error.left(kLongest) + u"…"_s : error);
    }
    return text;
}

Tray::Tray(QIcon icon, QObject* parent)
    : QObject(parent), m_icon(std::move(icon)), m_menu(std::make_unique<QMenu>()),
      m_tray(new QSystemTrayIcon(this))
{
    m_toggle = m_menu->addAction(QCoreApplication::translate("session", "ウィンドウを隠す"));
    m_menu->addSeparator();
    QAction* start = m_menu->addAction(QCoreApplication::translate("session", "開始"));
    QAction* stop = m_menu->addAction(QCoreApplication::translate("session", "停止"));
    m_menu->addSeparator();
    QAction* quit = m_menu->addAction(QCoreApplication::translate("session", "終了"));
    connect(m_toggle, &QAction::triggered, this, &Tray::toggleWindowRequested);
    connect(start, &QAction::triggered, this, &Tray::startRequested);
    connect(stop, &QAction::triggered, this, &Tray::stopRequested);
    connect(quit, &QAction::triggered, this, &Tray::quitRequested);
    m_tray->setContextMenu(m_menu.get());
    connect(m_tray, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason why) {
                if (why == QSystemTrayIcon::Trigger)
                    Q_EMIT toggleWindowRequested();
            });
    setStatus(TrayStatus{});
}

Tray::~Tray()
{
    m_tray->hide();
}

bool Tray::available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void Tray::show()
{
    m_tray->show();
}

bool Tray::isVisible() const
{
    return m_tray->isVisible();
}

void Tray::setStatus(const TrayStatus& status)
{
    if (m_statusSet && status == m_status)
        return;
    if (!m_statusSet || status.state != m_status.state)
        m_tray->setIcon(stateIcon(m_icon, status.state));
    m_status = status;
    m_statusSet = true;
    m_tray->setToolTip(trayToolTip(status));
}

void Tray::setWindowShown(bool shown)
{
    m_toggle->setText(shown ? QCoreApplication::translate("session", "ウィンドウを隠す")
                            : QCoreApplication::translate("session", "ウィンドウを表示"));
}

QString Tray::toolTip() const
{
    return m_tray->toolTip();
}

} // namespace session
