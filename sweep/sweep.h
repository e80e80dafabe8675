#pragma once

#include <QString>
#include <QtGlobal>

namespace sweep {

// The two counters the sweep works with. They are 64-bit, so no mailbox and no run of the
// program can make them overflow.
struct SweepCounters {
    qint64 mail_no = 0;    // the number of the message that the sweep fetches next
    qint64 recv_count = 0; // messages read and judged
};

// The controller's next state, as the steps return it.
enum SweepState : qint16 {
    StateSweep = 0,
    StateNothingFetched = 2,
    StateDeletePending = 3,
    StateWaiting = 4,
    StateIdle = 100,
};

// The account a step works on: a copy of the selected account taken when the step began, so
// that a pick or an edit made while the step runs never changes it under the step's feet.
struct Account {
    QString server;
    QString user;
    QString pass;
};

// The two steps that work on the mailbox, one per timer tick. The real ones fetch, judge and
// delete on the POP3 server; unit tests of the controller put scripted ones in their place.
// They run on the sweep's worker thread, one at a time. Both may throw (store, file system);
// the controller stops the sweep and says why.
class SweepSteps {
public:
    virtual ~SweepSteps() = default;
    // Fetches and judges message counters.mail_no: 0 (kept, mail_no advanced), 2 (nothing
    // fetched) or 3 (sender blocked, mail_no unchanged).
    virtual qint16 mail_koi2(SweepCounters& counters, const Account& account) = 0;
    // Deletes the judged message counters.mail_no: 0 (go on sweeping) or 3 (delete again).
    virtual qint16 mail_koi4(const SweepCounters& counters, const Account& account) = 0;
    // The sweep was stopped or reset: the message judged for deletion will not be deleted, so
    // whatever was kept for its delete goes. Runs on the worker, between steps.
    virtual void dropJudged() {}
};

} // namespace sweep
