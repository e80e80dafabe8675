// The polling state machine, driven tick by tick with a fake clock and scripted steps.

#include "mdl_main.h"
#include "recording_messages.h"
#include "step_runner.h"
#include "store_error.h"
#include "sweep_controller.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <deque>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

class FakeClock final : public sweep::Clock {
public:
    QDateTime now() const override { return m_now; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }
    void advanceMs(qint64 ms) { m_now = m_now.addMSecs(ms); }

private:
    QDateTime m_now{QDate(2026, 12, 7), QTime(9, 0, 0, 250)};
};

// Steps that return a script of results; each call is recorded with the number it was for.
class ScriptedSteps final : public sweep::SweepSteps {
public:
    using Action = std::function<qint16(sweep::SweepCounters&)>;

    qint16 mail_koi2(sweep::SweepCounters& counters, const sweep::Account& account) override
    {
        accounts.push_back(account);
        calls.push_back("koi2@" + std::to_string(counters.mail_no));
        return next(counters);
    }
    qint16 mail_koi4(const sweep::SweepCounters& counters, const sweep::Account&) override
    {
        calls.push_back("koi4@" + std::to_string(counters.mail_no));
        sweep::SweepCounters copy = counters;
        return next(copy);
    }

    void then(qint16 result)
    {
        script.push_back([result](sweep::SweepCounters&) { return result; });
    }
    void then(Action action) { script.push_back(std::move(action)); }

    void dropJudged() override { ++drops; }

    std::vector<std::string> calls;
    std::vector<sweep::Account> accounts;
    int drops = 0;

private:
    qint16 next(sweep::SweepCounters& counters)
    {
        if (script.empty())
            return sweep::StateNothingFetched;
        Action action = std::move(script.front());
        script.pop_front();
        return action(counters);
    }
    std::deque<Action> script;
};

class RecordingView final : public sweep::SweepView {
public:
    void setLabel1(const QString& text) override { label1 = text; }
    void setLabel2(const QString& text) override { label2 = text; }
    void setLabel3(const QString& text) override { label3 = text; }
    void setLabel7(const QString& text) override { label7 = text; }
    QString label1, label2, label3, label7;
};

class Controller : public ::testing::Test {
protected:
    void SetUp() override { selectAccount(u"taro"_s, 60); }
    void TearDown() override { selectAccount(QVariant(), QVariant()); }

    static void selectAccount(const QVariant& user, const QVariant& time,
                              const QVariant& id = QVariant())
    {
        MdlMain::sel_server = user.isNull() ? QVariant() : QVariant(u"pop.example.jp"_s);
        MdlMain::sel_user = user;
        MdlMain::sel_pass = user.isNull() ? QVariant() : QVariant(u"pw"_s);
        MdlMain::sel_time = time;
        MdlMain::sel_id = id;
    }
    void ticks(int count)
    {
        for (int i = 0; i < count; ++i)
            controller.tick();
    }

    FakeClock clock;
    ScriptedSteps steps;
    RecordingMessages messages;
    RecordingView view;
    sweep::InlineStepRunner runner;
    sweep::SweepController controller{clock, steps, messages, view, runner};
};

TEST_F(Controller, StartsIdleAndShowsCountersAndUser)
{
    controller.tick();
    EXPECT_EQ(controller.state(), sweep::StateIdle);
    EXPECT_EQ(view.label1, u"総 受 信 数     ：0\r\nメールBOX残数：0"_s);
    EXPECT_EQ(view.label7, u"ユーザ：taro"_s);
    EXPECT_TRUE(steps.calls.empty());
}

TEST_F(Controller, EmptyMailboxWaitsForTheIntervalThenSweepsAgain)
{
    // Three fetches give nothing; each result is counted one tick after it.
    controller.start();
    ticks(5);
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"koi2@0", "koi2@0", "koi2@0"}));
    EXPECT_EQ(controller.state(), sweep::StateNothingFetched);
    controller.tick(); // the third count
    EXPECT_EQ(controller.state(), sweep::StateWaiting);
    EXPECT_EQ(controller.nextRunText(), u"2026/12/07 9:01:00\r\n"_s);

    clock.advance(1);
    controller.tick();
    EXPECT_EQ(view.label2, u"2026/12/07 9:01:00\r\n"_s);
    EXPECT_EQ(view.label3, u"2026/12/07 9:00:01"_s);
    EXPECT_EQ(controller.retryCount(), 0);
    EXPECT_EQ(controller.state(), sweep::StateWaiting);

    clock.advance(59); // 9:01:00.250: the due second itself is not yet past
    controller.tick();
    EXPECT_EQ(controller.state(), sweep::StateWaiting);
    clock.advance(1);
    controller.tick();
    EXPECT_EQ(controller.state(), sweep::StateSweep);
    EXPECT_EQ(steps.calls.size(), 3u) << "the sweep runs on the tick after the one that noticed";
    controller.tick();
    EXPECT_EQ(steps.calls.size(), 4u);
}

TEST_F(Controller, IntervalZeroStillPassesThroughTheWait)
{
    selectAccount(u"taro"_s, 0);
    controller.start();
    ticks(6);
    ASSERT_EQ(controller.state(), sweep::StateWaiting);
    controller.tick(); // same second as the due time
    EXPECT_EQ(controller.state(), sweep::StateWaiting);
    clock.advance(1);
    controller.tick();
    EXPECT_EQ(controller.state(), sweep::StateSweep);
}

TEST_F(Controller, BlockedMessageIsDeletedOnTheNextTickAtTheSameNumber)
{
    steps.then([](sweep::SweepCounters& c) {
        c.mail_no = 4;
        ++c.recv_count;
        return qint16(sweep::StateDeletePending);
    });
    steps.then(sweep::StateSweep);
    steps.then(sweep::StateSweep);
    controller.start();
    ticks(3);
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"koi2@0", "koi4@4", "koi2@4"}));
    controller.tick();
    EXPECT_EQ(view.label1, u"総 受 信 数     ：1\r\nメールBOX残数：4"_s);
}

TEST_F(Controller, DeleteThatAsksAgainIsRepeated)
{
    steps.then(sweep::StateDeletePending);
    steps.then(sweep::StateDeletePending);
    steps.then(sweep::StateSweep);
    controller.start();
    ticks(4);
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"koi2@0", "koi4@0", "koi4@0", "koi2@0"}));
}

TEST_F(Controller, StartAndStopActInEveryState)
{
    // Start while a delete is pending skips the delete: the message is judged anew.
    steps.then(sweep::StateDeletePending);
    controller.start();
    controller.tick();
    ASSERT_EQ(controller.state(), sweep::StateDeletePending);
    controller.start();
    controller.tick();
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"koi2@0", "koi2@0"}));

    // Stop while waiting, while a delete is pending, while sweeping: nothing more runs.
    for (qint16 result : {sweep::StateDeletePending, sweep::StateSweep, sweep::StateNothingFetched}) {
        steps.then(result);
        controller.start();
        controller.tick();
        controller.stop();
        const size_t before = steps.calls.size();
        ticks(3);
        EXPECT_EQ(steps.calls.size(), before) << "after a step returning " << result;
        EXPECT_EQ(controller.state(), sweep::StateIdle);
    }
}

TEST_F(Controller, StopAndResetDropTheMessageJudgedForDeletion)
{
    steps.then(sweep::StateDeletePending);
    controller.start();
    controller.tick();
    controller.stop();
    EXPECT_EQ(steps.drops, 1);
    controller.start();
    EXPECT_EQ(steps.drops, 1) << "a start judges the message anew, which replaces the copy";
    controller.reset();
    EXPECT_EQ(steps.drops, 2);
}

TEST_F(Controller, RetryCountIsClearedOnlyByTheWaitOrReset)
{
    // Results 2, 0, 2, 0, 2: the third 2 starts the wait although messages came between.
    steps.then(sweep::StateNothingFetched);
    steps.then(sweep::StateSweep);
    steps.then(sweep::StateNothingFetched);
    steps.then(sweep::StateSweep);
    steps.then(sweep::StateNothingFetched);
    controller.start();
    ticks(7);
    EXPECT_EQ(controller.state(), sweep::StateNothingFetched);
    controller.tick();
    EXPECT_EQ(controller.state(), sweep::StateWaiting);
}

TEST_F(Controller, StartBetweenTheThirdCountAndTheWaitStillWaitsLater)
{
    controller.start();
    ticks(6);
    ASSERT_EQ(controller.state(), sweep::StateWaiting);
    controller.start(); // before the waiting tick could clear the count
    ticks(2);
    EXPECT_EQ(controller.state(), sweep::StateWaiting)
        << "a fourth count must still start the wait, not poll every other second";
}

TEST_F(Controller, ResetDuringTheWaitKeepsTheLabels)
{
    steps.then([](sweep::SweepCounters& c) {
        c.mail_no = 7;
        c.recv_count = 9;
        return qint16(sweep::StateNothingFetched);
    });
    controller.start();
    ticks(7);
    ASSERT_EQ(controller.state(), sweep::StateWaiting);
    const QString due = view.label2;
    controller.reset();
    EXPECT_EQ(controller.state(), sweep::StateIdle);
    EXPECT_EQ(controller.counters().mail_no, 0);
    EXPECT_EQ(controller.counters().recv_count, 0);
    EXPECT_EQ(controller.retryCount(), 0);
    controller.tick();
    EXPECT_EQ(view.label1, u"総 受 信 数     ：0\r\nメールBOX残数：0"_s);
    EXPECT_EQ(view.label2, due);
    EXPECT_FALSE(view.label3.isEmpty());
}

// Number 62 reached in one mailbox means nothing in another: a pick of another row starts it
// at 0 with a fresh retry count, without stopping the run. A pick of the same row (or a saved
// edit of it) keeps the place.
TEST_F(Controller, PickingAnotherAccountMidRunSweepsItFromTheTop)
{
    selectAccount(u"info"_s, 60, qlonglong(1));
    steps.then([](sweep::SweepCounters& c) {
        c.mail_no = 62;
        c.recv_count = 70;
        return qint16(sweep::StateSweep);
    });
    controller.start();
    controller.tick();
    selectAccount(u"info"_s, 60, qlonglong(1));
    ticks(2); // nothing at 62, counted once
    ASSERT_EQ(controller.retryCount(), 1);
    ASSERT_EQ(controller.state(), sweep::StateSweep);

    selectAccount(u"info"_s, 60, qlonglong(2));
    controller.tick();
    EXPECT_EQ(view.label1, u"総 受 信 数     ：0\r\nメールBOX残数：0"_s);
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"koi2@0", "koi2@62", "koi2@0"}));
    EXPECT_EQ(controller.retryCount(), 0);
    EXPECT_EQ(controller.state(), sweep::StateNothingFetched) << "the run goes on";
}

TEST_F(Controller, NoAccountShowsTheMessageOnceEvenWhileTicksKeepComing)
{
    selectAccount(QVariant(), QVariant());
    // While the box is open, the timer keeps firing inside its event loop.
    messages.whileShown = [this] { ticks(3); };
    controller.start();
    ticks(3);
    EXPECT_EQ(messages.shown, QStringList{u"受信ユーザーが\r\n選択されてません"_s});
    EXPECT_EQ(controller.state(), sweep::StateIdle);
    EXPECT_TRUE(steps.calls.empty());
    EXPECT_EQ(view.label7, u"ユーザ："_s);
}

TEST_F(Controller, FailingStepStopsTheSweepWithOneMessage)
{
    steps.then([](sweep::SweepCounters&) -> qint16 {
        throw store::StoreError(u"設定データベースを開けません"_s, store::StoreError::kCantOpen);
    });
    messages.whileShown = [this] { ticks(2); };
    controller.start();
    ticks(3);
    EXPECT_EQ(messages.shown,
              QStringList{u"エラーのため停止しました\r\n設定データベースを開けません"_s});
    EXPECT_EQ(controller.state(), sweep::StateIdle);
    EXPECT_EQ(steps.calls.size(), 1u);
}

TEST_F(Controller, IntervalThatIsNotANumberStopsTheSweep)
{
    selectAccount(u"taro"_s, u"soon"_s);
    controller.start();
    ticks(6);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith(u"エラーのため停止しました\r\n"_s));
    EXPECT_TRUE(messages.shown[0].contains(u"soon"_s));
    EXPECT_EQ(controller.state(), sweep::StateIdle);
}

TEST_F(Controller, IntervalReadAsItsWholeNumber)
{
    for (const QVariant& interval : {QVariant(u"90"_s), QVariant(90.9), QVariant(qlonglong(90))}) {
        selectAccount(u"taro"_s, interval);
        controller.reset();
        controller.start();
        ticks(6);
        EXPECT_EQ(controller.nextRunText(), u"2026/12/07 9:01:30\r\n"_s)
            << interval.toString().toStdString();
    }
}

TEST_F(Controller, CountersGoPast32767)
{
    steps.then([](sweep::SweepCounters& c) {
        c.mail_no = 32767;
        c.recv_count = 32767;
        return qint16(sweep::StateSweep);
    });
    steps.then([](sweep::SweepCounters& c) {
        ++c.mail_no;
        ++c.recv_count;
        return qint16(sweep::StateSweep);
    });
    controller.start();
    ticks(3);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(view.label1, u"総 受 信 数     ：32768\r\nメールBOX残数：32768"_s);
}

// Holds each step back until the test lets it finish, as a worker thread that is still busy
// would: the test clicks and ticks while the step "runs".
class HeldRunner final : public sweep::StepRunner {
public:
    void run(std::function<void()> work, std::function<void()> done) override
    {
        m_work = std::move(work);
        m_done = std::move(done);
    }
    void finish() override { m_work = m_done = nullptr; }
    bool holding() const { return bool(m_work); }
    void complete()
    {
        ASSERT_TRUE(holding());
        auto work = std::exchange(m_work, nullptr);
        auto done = std::exchange(m_done, nullptr);
        work();
        done();
    }

private:
    std::function<void()> m_work, m_done;
};

class ControllerWithWorker : public Controller {
protected:
    // Starts and brings the sweep to a step that is out on the worker at message 5.
    void stepOut(qint16 result)
    {
        steps.then([result](sweep::SweepCounters& c) {
            c.mail_no = 5;
            c.recv_count = 3;
            return result;
        });
        worked.start();
        worked.tick();
        ASSERT_TRUE(held.holding());
        ASSERT_TRUE(worked.stepRunning());
    }

    std::shared_ptr<mail::CancelFlag> cancel = std::make_shared<mail::CancelFlag>();
    HeldRunner held;
    sweep::SweepController worked{clock, steps, messages, view, held, cancel};
};

TEST_F(ControllerWithWorker, TicksDuringAStepOnlyRefreshTheLabels)
{
    stepOut(sweep::StateSweep);
    selectAccount(u"jiro"_s, 60);
    for (int i = 0; i < 3; ++i)
        worked.tick();
    EXPECT_TRUE(steps.calls.empty()) << "no second step starts beside the one out";
    EXPECT_EQ(view.label7, u"ユーザ：jiro"_s);
    held.complete();
    EXPECT_EQ(worked.counters().mail_no, 5) << "the result is stored when the step ends";
    EXPECT_EQ(worked.state(), sweep::StateSweep);
    worked.tick();
    held.complete();
    EXPECT_EQ(steps.calls, (std::vector<std::string>{"koi2@0", "koi2@5"}));
}

// Clicks made while a step runs act after its result, in the order they were made; stop and
// reset cancel the step, whose result is then dropped.
TEST_F(ControllerWithWorker, ClicksDuringAStepActAfterItInOrder)
{
    struct Row {
        const char* clicks;
        qint16 stepResult;
        bool cancelled;
        qint16 state;
        qint64 mailNo;
    } rows[] = {
        {"start", sweep::StateNothingFetched, false, sweep::StateSweep, 5},
        {"start", sweep::StateDeletePending, false, sweep::StateSweep, 5},
        {"stop", sweep::StateDeletePending, true, sweep::StateIdle, 0},
        {"reset", sweep::StateSweep, true, sweep::StateIdle, 0},
        {"stop start", sweep::StateDeletePending, true, sweep::StateSweep, 0},
        {"start stop", sweep::StateSweep, true, sweep::StateIdle, 0},
        {"reset start", sweep::StateDeletePending, true, sweep::StateSweep, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.clicks);
        worked.reset();
        stepOut(row.stepResult);
        for (const QString& click : QString::fromLatin1(row.clicks).split(u' ')) {
            if (click == u"start")
                worked.start();
            else if (click == u"stop")
                worked.stop();
            else
                worked.reset();
        }
        EXPECT_EQ(cancel->raised(), row.cancelled) << "the transfer is told to stop at once";
        EXPECT_EQ(worked.state(), sweep::StateSweep) << "nothing acts before the step ends";
        held.complete();
        EXPECT_FALSE(worked.stepRunning());
        EXPECT_EQ(worked.state(), row.state);
        EXPECT_EQ(worked.counters().mail_no, row.mailNo);
    }
}

TEST_F(ControllerWithWorker, FailureOfACancelledStepOpensNoBox)
{
    steps.then([](sweep::SweepCounters&) -> qint16 { throw std::runtime_error("disk gone"); });
    worked.start();
    worked.tick();
    worked.stop();
    held.complete();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(worked.state(), sweep::StateIdle);

    // Not cancelled: the step's failure stops the sweep first, then a start made during it
    // starts again, and the box says why once.
    steps.then([](sweep::SweepCounters&) -> qint16 { throw std::runtime_error("disk gone"); });
    worked.start();
    worked.tick();
    worked.start();
    held.complete();
    EXPECT_EQ(messages.shown, QStringList{u"エラーのため停止しました\r\ndisk gone"_s});
    EXPECT_EQ(worked.state(), sweep::StateSweep);
}

TEST_F(ControllerWithWorker, StepWorksOnTheAccountAsItWasWhenItBegan)
{
    steps.then([&](sweep::SweepCounters&) { return qint16(sweep::StateSweep); });
    worked.start();
    worked.tick();
    selectAccount(u"jiro"_s, 60);
    MdlMain::sel_server = u"pop.other.example"_s;
    held.complete();
    EXPECT_EQ(steps.accounts.back().user, u"taro"_s);
    EXPECT_EQ(steps.accounts.back().server, u"pop.example.jp"_s);
}

TEST_F(ControllerWithWorker, ShutdownCancelsTheStepAndStartsNothingAgain)
{
    stepOut(sweep::StateSweep);
    worked.shutdown();
    EXPECT_TRUE(cancel->raised());
    EXPECT_FALSE(held.holding());
    worked.start();
    worked.tick();
    EXPECT_FALSE(held.holding());
}

} // namespace
