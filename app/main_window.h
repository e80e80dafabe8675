#pragma once

#include "sweep_controller.h"

#include <QDate>
#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace app {
class StatusLine;
}

// The main window: the selected user, the counters, the due time and the clock, start and
// stop, and the menu that opens every dialog. Its one-second timer drives the sweep, whose
// steps run on the runner beside the window.
class Form1 : public QMainWindow, private sweep::SweepView {
    Q_OBJECT

public:
    Form1(const sweep::Clock& clock, sweep::SweepSteps& steps, sweep::Messages& messages,
          sweep::StepRunner& runner,
          std::shared_ptr<mail::CancelFlag> cancel = std::make_shared<mail::CancelFlag>(),
          QWidget* parent = nullptr);
    ~Form1() override;

    // Connects a menu item that opens a dialog; an item without one stays disabled.
    void setOpener(QAction* item, std::function<void()> open);

    sweep::SweepController& controller() { return m_controller; }

    // Asked when the window is closed: true when the program goes on without it (hidden to
    // the tray), and then the sweep goes on; false, or none set, closes it for good.
    void setCloseToTray(std::function<bool()> hideInstead);

    // The status line: the last failure of the mail layer or note of the program, or nothing.
    // Menus and tool tips never replace it; a click on it or Ctrl+L shows it whole.
    void setStatusLine(const QString& text);
    QString statusLine() const;
    // Opens the box with the whole status text; returns when it closes.
    void showWholeStatus();

    // How many messages were deleted today, from counter(): asked again after every step and
    // when the day changes. Without a counter the count stays 0.
    void setDeletedTodayCounter(std::function<int()> counter);
    int deletedToday() const { return m_deletedToday; }
    void refreshDeletedToday();

    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label7;
    QPushButton* Command1;
    QPushButton* Command2;
    QTimer* Timer1;

    QMenu* m1;
    QAction* m8;
    QAction* m2;
    QAction* m6;
    QMenu* del;
    QAction* m4;
    QAction* m3;
    QAction* m5;
    QAction* m11; // 削除したメール
    QAction* m12; // 元に戻す: the block-list entries of the last deletion come back
    QAction* m7;
    QMenu* etc;
    QAction* m10;
    QAction* m9;

    QAction* wholeStatus; // Ctrl+L: the whole status text, without the mouse

Q_SIGNALS:
    void deletedTodayChanged(int count);
    void statusLineChanged(const QString& text);

public Q_SLOTS:
    void onTimer1Timeout();

protected:
    // Closing the window cancels the step that runs and waits for it: nothing half done stays.
    void closeEvent(QCloseEvent* event) override;
    // The status tips of menus and controls are dropped: they would replace the status line.
    bool event(QEvent* event) override;

private:
    void setLabel1(const QString& text) override;
    void setLabel2(const QString& text) override;
    void setLabel3(const QString& text) override;
    void setLabel7(const QString& text) override;
    void refreshIdleText();

    sweep::SweepController m_controller;
    app::StatusLine* m_statusLine;
    std::function<int()> m_deletedTodayCounter;
    int m_deletedToday = 0;
    QDate m_countedOn;
    bool m_stepWasRunning = false;
    bool m_hasUser = false;
    std::function<bool()> m_closeToTray;
};
