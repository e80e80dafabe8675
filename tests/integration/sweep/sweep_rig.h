#pragma once

#include "clock.h"
#include "mailbox_sweep.h"
#include "pop_mail_library.h"
#include "recording_messages.h"
#include "settings_fixture.h"
#include "step_runner.h"
#include "sweep_controller.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>

#include <chrono>
#include <functional>
#include <ostream>
#include <vector>

// Lets GoogleTest print texts, and so lists of UIDs, readably when a check fails.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace sweeptest {

// A clock that stands still until the test moves it.
class FakeClock final : public sweep::Clock {
public:
    QDateTime now() const override { return m_now; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now{QDate(2024, 4, 1), QTime(9, 0, 0)};
};

// Stands in for the main window's labels; these tests judge the sweep by the server.
class NoLabels final : public sweep::SweepView {
public:
    void setLabel1(const QString&) override {}
    void setLabel2(const QString&) override {}
    void setLabel3(const QString&) override {}
    void setLabel7(const QString&) override {}
};

// What a run of ticks did, tick by tick.
struct TickRun {
    std::vector<qint16> states;                       // the controller's state after each tick
    std::vector<std::chrono::milliseconds> durations; // how long each tick took
    QStringList leftovers; // "tick n: names" for every tick after which temp/ was not empty
    bool ended = false;    // reached the waiting state (or stopped) within the bound

    std::chrono::milliseconds longest() const;
};

// The sweep as the main window runs it: the real state machine, the real sweep and delete steps
// over the real mail library, a settings database made by junkbane-initdb beside the test
// program, and a clock the test moves by hand. Its destructor clears the selected account and
// removes the database and temp/ again, also when a check failed.
class SweepRig {
public:
    explicit SweepRig(const mail::PopOptions& options);
    ~SweepRig();
    SweepRig(const SweepRig&) = delete;
    SweepRig& operator=(const SweepRig&) = delete;

    // What a picker does: the four values of one account row, the interval as the store gives it.
    static void selectAccount(const QString& server, const QString& user, const QString& pass,
                              qint64 seconds = 60);
    void block(const QStringList& entries) const;

    // Ticks at least once and until the controller waits (state 4) or stops (state 100), at
    // most maxTicks times. After every tick it notes what temp/ still holds, then calls
    // afterTick with the tick's number (from 1).
    TickRun runUntilWaiting(int maxTicks, const std::function<void(int)>& afterTick = {});
    // Moves the clock past the due time the controller shows.
    void passDueTime();

    static QStringList tempEntries();
    // What deleted/ holds: the kept messages' bytes, newest first; the names of the copies
    // waiting for their delete or under way.
    static QList<QByteArray> keptMessages();
    static QStringList pendingCopies();

    SettingsFixture settings;
    FakeClock clock;
    RecordingMessages messages;
    NoLabels view;
    mail::PopMailLibrary library;
    sweep::MailboxSweep sweep;
    sweep::InlineStepRunner
        runner; // each step runs inside its tick: the test reads the server after it
    sweep::SweepController controller;
    QString statusLine;      // what the main window's status line would show
    QByteArray leftOnServer; // the last message the sweep moved past and left on the server
};

// The states a run goes through when the fetches give messages with these verdicts (true:
// blocked) and then nothing: one tick per kept message, two per blocked one (sweep, delete),
// and after the third fetch that gave nothing the waiting state. A run from start() begins
// with the fetch of number 0, which gives nothing; a run begun by the waiting tick begins
// with that tick.
enum class RunBegins { FromStart, FromWaiting };
std::vector<qint16> expectedStates(RunBegins begins, const std::vector<bool>& verdicts);

// The UIDs of before that after no longer holds.
QSet<QString> gone(const QStringList& before, const QStringList& after);

} // namespace sweeptest
