#pragma once

#include "cancel_flag.h"
#include "clock.h"
#include "sweep.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

namespace sweep {

class Messages;
class StepRunner;

// What the controller shows: the main window's labels.
class SweepView {
public:
    virtual ~SweepView() = default;
    virtual void setLabel1(const QString& text) = 0; // the two counter lines
    virtual void setLabel2(const QString& text) = 0; // due time of the next run
    virtual void setLabel3(const QString& text) = 0; // the clock while waiting
    virtual void setLabel7(const QString& text) = 0; // the selected user
};

// The main window's polling state machine: one step per timer tick through the mailbox of the
// selected account, a wait for the account's interval when the mailbox gives nothing.
//
// The steps run on the runner (a worker thread in the program), one at a time; everything
// else, the ticks, the clicks and the message box, stays on the window's thread. While a step
// runs, ticks only refresh the labels. When it ends, its result becomes the state (the next
// tick acts on it, as if the step had run inside its tick), and then the clicks made while it
// ran take effect in the order they were made. Stop and reset also cancel the step: its
// transfer ends at once, nothing is committed, and its result is dropped.
class SweepController {
public:
    SweepController(
        const Clock& clock, sweep::SweepSteps& steps, Messages& messages, SweepView& view,
        StepRunner& runner,
        std::shared_ptr<mail::CancelFlag> cancel = std::make_shared<mail::CancelFlag>());
    ~SweepController();

    // One timer tick: refresh the labels, then act on the state.
    void tick();
    void start(); // Command2
    void stop();  // Command1
    void reset(); // m7
    // The window closes: cancels the step out, waits for it and starts nothing again.
    void shutdown();

    qint16 state() const { return mail_state; }
    qint64 retryCount() const { return retry_count; }
    const sweep::SweepCounters& counters() const { return m_counters; }
    const QString& nextRunText() const { return next_run_text; }
    bool stepRunning() const { return m_running; }

private:
    enum class Click { Start, Stop, Reset };
    struct Step; // one step's input and result, shared with the worker

    void followSelectedAccount();
    void act();
    void launch(bool deleteStep);
    void finishStep(const Step& step);
    void apply(Click click);
    void click(Click click);
    void fail(const QString& description);        // stops the sweep and says why
    void showStopped(const QString& description); // the box of a stopped sweep
    void waitingTick();
    qint64 intervalSeconds() const;

    const Clock& m_clock;
    sweep::SweepSteps& m_steps;
    Messages& m_messages;
    SweepView& m_view;
    StepRunner& m_runner;
    std::shared_ptr<mail::CancelFlag> m_cancel;

    qint16 mail_state = sweep::StateIdle;
    qint64 retry_count = 0;
    QString next_run_text;
    sweep::SweepCounters m_counters; // recv_count and mail_no
    QVariant m_countersAccount;      // the selected account's id the counters belong to
    bool m_inTick = false;
    bool m_boxOpen = false;
    bool m_running = false;
    bool m_shutDown = false;
    std::vector<Click> m_clicks; // made while the step ran, oldest first
};

} // namespace sweep
