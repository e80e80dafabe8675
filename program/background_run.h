#pragma once

#include "messages.h"
#include "notifier.h"
#include "program_settings.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QTimer;

namespace session {
class SingleInstance;
class Tray;
struct TrayStatus;
} // namespace session

namespace app {

class Program;

// The program's message boxes, passed through; a box saying the sweep stopped on a failure is
// also told to the desktop, so that it is seen while the window is in the tray.
class StopNoticeMessages final : public sweep::Messages {
public:
    explicit StopNoticeMessages(sweep::Messages& boxes) : m_boxes(boxes) {}
    // Called with the box's text before the box opens.
    void setOnStopped(std::function<void(const QString&)> onStopped)
    {
        m_onStopped = std::move(onStopped);
    }
    void showMessage(const QString& text) override;
    void showFatal(const QString& text) override { m_boxes.showFatal(text); }

private:
    sweep::Messages& m_boxes;
    std::function<void(const QString&)> m_onStopped;
};

// Lets the program run all day on its own beside the mail reader: it restores the picked
// account and the sweep from junkbane.ini and keeps the file up to date, lives in the system
// tray when the desktop has one, tells the desktop about failures and deletions, writes the
// autostart entry, answers a second start by showing the window, and adds the keyboard
// shortcuts (F1 help, Ctrl+Q quit, F10 menus).
class BackgroundRun : public QObject {
    Q_OBJECT

public:
    // Where the tray's deleted-today count and last error come from; set by the constructor
    // from the kept deleted mail and the main window's status line.
    struct TrayFeeds {
        std::function<int()> deletedToday;
        std::function<QString()> lastError;
    };

    BackgroundRun(Program& program, StopNoticeMessages& messages, session::SingleInstance* instance,
                  QObject* parent = nullptr);
    ~BackgroundRun() override;

    void setTrayFeeds(TrayFeeds feeds) { m_feeds = std::move(feeds); }

    // Restores the last run and shows the window, or only the tray icon when minimized.
    void start(bool minimized);
    // Writes what is to be kept, then ends the program.
    void quit();

private:
    void restore();
    void save();
    void observe();
    void showWindow();
    void toggleWindow();
    bool hideToTray();
    void addMenuItems();
    session::TrayStatus trayStatus();

    Program& m_program;
    store::ProgramSettings m_settings;
    store::ProgramState m_state;
    session::Notifier m_notifier;
    session::DeletionSummary m_summary;
    std::unique_ptr<session::Tray> m_tray;
    TrayFeeds m_feeds;
    QTimer* m_timer;
    QAction* m_autostart = nullptr;
    QString m_stoppedBy; // the failure that stopped the sweep, until it starts again
    int m_deletedToday = 0;
    bool m_quitting = false;
    QString m_saveError;
};

} // namespace app
