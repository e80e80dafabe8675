#pragma once

#include <QDBusConnection>
#include <QDateTime>
#include <QString>

namespace session {

// Desktop notifications through the session's org.freedesktop.Notifications service. Sent
// without waiting for an answer: a missing or hung service costs nothing and breaks nothing.
class Notifier {
public:
    explicit Notifier(QDBusConnection bus = QDBusConnection::sessionBus());

    // False when there is no session bus to send it on.
    bool notify(const QString& summary, const QString& body) const;

private:
    QDBusConnection m_bus;
};

// Sums up the deletions for a notification: "3 通削除しました", at most once a minute.
class DeletionSummary {
public:
    static constexpr qint64 kMinimumGapSeconds = 60;

    // deletedToday: the count of messages deleted today so far. The text to notify now, or
    // empty. The first call only takes the count as where it starts.
    QString update(int deletedToday, const QDateTime& now);

private:
    bool m_started = false;
    int m_last = 0;
    int m_unsaid = 0;
    QDateTime m_lastSaid;
};

} // namespace session
