#pragma once

#include "clock.h"
#include "sweep.h"

#include <QString>
#include <QVariant>

namespace app {

class Messages;

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
class SweepController {
public:
    SweepController(const Clock& clock, mail::SweepSteps& steps, Messages& messages,
                    SweepView& view);

    // One timer tick: refresh the labels, then act on the state.
    void tick();
    void start() { mail_state = mail::StateSweep; } // Command2
    void stop() { mail_state = mail::StateIdle; }   // Command1
    void reset();                                   // m7

    qint16 state() const { return mail_state; }
    qint64 retryCount() const { return retry_count; }
    const mail::SweepCounters& counters() const { return m_counters; }
    const QString& nextRunText() const { return next_run_text; }

private:
    void followSelectedAccount();
    void act();
    void waitingTick();
    qint64 intervalSeconds() const;

    const Clock& m_clock;
    mail::SweepSteps& m_steps;
    Messages& m_messages;
    SweepView& m_view;

    qint16 mail_state = mail::StateIdle;
    qint64 retry_count = 0;
    QString next_run_text;
    mail::SweepCounters m_counters; // recv_count and mail_no
    QVariant m_countersAccount;     // the selected account's id the counters belong to
    bool m_inTick = false;
};

} // namespace app
