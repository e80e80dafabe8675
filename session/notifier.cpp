#include "notifier.h"

#include "app_info.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace session {

using namespace Qt::StringLiterals;

Notifier::Notifier(QDBusConnection bus) : m_bus(std::move(bus)) {}

bool Notifier::notify(const QString& summary, const QString& body) const
{
    if (!m_bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        u"org.freedesktop.Notifications"_s, u"/org/freedesktop/Notifications"_s,
        u"org.freedesktop.Notifications"_s, u"Notify"_s);
    // Servers may read markup in the body; a server's or a sender's words must stay text.
    call << app::applicationTitle() << uint{0} << u"junkbane"_s << summary << body.toHtmlEscaped()
         << QStringList() << QVariantMap() << -1;
    return m_bus.send(call);
}

QString DeletionSummary::update(int deletedToday, const QDateTime& now)
{
    if (!m_started) {
        m_started = true;
        m_last = deletedToday;
        return {};
    }
    // A smaller count is a new day: everything in it is new.
    m_unsaid += deletedToday >= m_last ? deletedToday - m_last : deletedToday;
    m_last = deletedToday;
    if (m_unsaid <= 0 || (m_lastSaid.isValid() && m_lastSaid.secsTo(now) < kMinimumGapSeconds))
        return {};
    m_lastSaid = now;
    return QCoreApplication::translate("session", "%1 通削除しました")
        .arg(std::exchange(m_unsaid, 0));
}

} // namespace session
