#pragma once

#include "sweep_controller.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

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

    // The status line: the last failure of the mail layer, or nothing.
    void setStatusLine(const QString& text);
    QString statusLine() const;

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
    QAction* m7;
    QMenu* etc;
    QAction* m10;
    QAction* m9;

public Q_SLOTS:
    void onTimer1Timeout();

protected:
    // Closing the window cancels the step that runs and waits for it: nothing half done stays.
    void closeEvent(QCloseEvent* event) override;

private:
    void setLabel1(const QString& text) override;
    void setLabel2(const QString& text) override;
    void setLabel3(const QString& text) override;
    void setLabel7(const QString& text) override;

    sweep::SweepController m_controller;
    std::function<bool()> m_closeToTray;
};
