#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include <memory>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace session {

// What the tray icon shows.
struct TrayStatus {
    enum class State { Sweeping, Waiting, Stopped, Error };
    State state = State::Stopped;
    QString user;
    int deletedToday = 0;
    QString lastError;

    bool operator==(const TrayStatus&) const = default;
};

// The tooltip's text: the user, the state, today's deletions and the last error.
QString trayToolTip(const TrayStatus& status);

// The program's icon in the desktop's system tray: its state at a glance, a click shows or
// hides the window, and its menu starts, stops and ends the program.
class Tray : public QObject {
    Q_OBJECT

public:
    explicit Tray(QIcon icon, QObject* parent = nullptr);
    ~Tray() override;

    // Whether the desktop has a tray to show an icon in now.
    static bool available();

    void show();
    bool isVisible() const;
    void setStatus(const TrayStatus& status);
    // Names the show/hide item after what it will do.
    void setWindowShown(bool shown);
    QString toolTip() const;

Q_SIGNALS:
    void toggleWindowRequested();
    void startRequested();
    void stopRequested();
    void quitRequested();

private:
    QIcon m_icon;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon* m_tray;
    QAction* m_toggle;
    TrayStatus m_status;
    bool m_statusSet = false;
};

} // namespace session
