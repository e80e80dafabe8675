#include "sweep_controller.h"

#include "mdl_main.h"
#include "messages.h"
#include "step_runner.h"
#include "store_error.h"
#include "text_helpers.h"

#include <QCoreApplication>
#include <QScopeGuard>

#include <cmath>
#include <optional>
#include <stdexcept>

namespace sweep {

using namespace Qt::StringLiterals;

namespace {
const QString kCrLf = u"\r\n"_s;
}

struct SweepController::Step {
    bool deleteStep = false;
    sweep::Account account;
    sweep::SweepCounters counters;
    qint16 state = sweep::StateIdle;
    std::optional<QString> failure; // the step threw: why
    bool cancelled = false;
};

SweepController::SweepController(const Clock& clock, sweep::SweepSteps& steps, Messages& messages,
                                 SweepView& view, StepRunner& runner,
                                 std::shared_ptr<mail::CancelFlag> cancel)
    : m_clock(clock), m_steps(steps), m_messages(messages), m_view(view), m_runner(runner),
      m_cancel(std::move(cancel))
{
}

SweepController::~SweepController()
{
    shutdown();
}

void SweepController::tick()
{
    // A message box runs its own event loop, in which the timer keeps firing; those ticks
    // must not start a step or open a second box.
    if (m_inTick || m_boxOpen || m_shutDown)
        return;
    m_inTick = true;
    const auto leave = qScopeGuard([this] { m_inTick = false; });

    // A step out works on the account it began with; its counters come back when it ends.
    if (!m_running)
        followSelectedAccount();
    m_view.setLabel1(QCoreApplication::translate("sweep", "総 受 信 数     ：") +
                     QString::number(m_counters.recv_count) + kCrLf +
                     QCoreApplication::translate("sweep", "メールBOX残数：") +
                     QString::number(m_counters.mail_no));
    m_view.setLabel7(QCoreApplication::translate("sweep", "ユーザ：") +
                     MdlMain::sel_user.toString());
    if (m_running)
        return; // the step's result is acted on at the first tick after it

    try {
        act();
    } catch (const store::StoreError& error) {
        fail(error.description());
    } catch (const std::exception& error) {
        fail(QString::fromUtf8(error.what()));
    }
}

void SweepController::fail(const QString& description)
{
    // A failing step stops the sweep; the user sees why and can start again.
    mail_state = sweep::StateIdle;
    showStopped(description);
}

void SweepController::showStopped(const QString& description)
{
    m_boxOpen = true;
    const auto closed = qScopeGuard([this] { m_boxOpen = false; });
    m_messages.showMessage(QCoreApplication::translate("sweep", "エラーのため停止しました") +
                           kCrLf + description);
}

void SweepController::followSelectedAccount()
{
    // Another account's mailbox is swept from its first message: the number reached in the
    // previous one means nothing there. The state stays as it is.
    if (MdlMain::sel_id == m_countersAccount)
        return;
    if (m_countersAccount.isValid()) {
        m_counters = {};
        retry_count = 0;
    }
    m_countersAccount = MdlMain::sel_id;
}

void SweepController::act()
{
    switch (mail_state) {
    case sweep::StateSweep:
        if (MdlMain::sel_user.toString().isEmpty()) {
            mail_state = sweep::StateIdle;
            m_boxOpen = true;
            const auto closed = qScopeGuard([this] { m_boxOpen = false; });
            m_messages.showMessage(QCoreApplication::translate("sweep", "受信ユーザーが") + kCrLf +
                                   QCoreApplication::translate("sweep", "選択されてません"));
            return;
        }
        launch(false);
        return;
    case sweep::StateNothingFetched:
        ++retry_count;
        // ">=": a start pressed between the third count and the waiting tick must not leave
        // the count past 3, where the sweep would poll every other second for ever.
        if (retry_count >= 3) {
            next_run_text = sweep::dateText(m_clock.now().addSecs(intervalSeconds())) + kCrLf;
            mail_state = sweep::StateWaiting;
        } else {
            mail_state = sweep::StateSweep;
        }
        return;
    case sweep::StateDeletePending:
        launch(true);
        return;
    case sweep::StateWaiting:
        waitingTick();
        return;
    default:
        return;
    }
}

void SweepController::launch(bool deleteStep)
{
    auto step = std::make_shared<Step>();
    step->deleteStep = deleteStep;
    // The step works on a copy: a pick or an edit while it runs changes the next step only.
    step->account = sweep::Account{MdlMain::sel_server.toString(), MdlMain::sel_user.toString(),
                                   MdlMain::sel_pass.toString()};
    step->counters = m_counters;
    m_cancel->clear();
    m_running = true;
    sweep::SweepSteps* steps = &m_steps;
    std::shared_ptr<const mail::CancelFlag> cancel = m_cancel;
    m_runner.run(
        [step, steps, cancel] {
            try {
                step->state = step->deleteStep ? steps->mail_koi4(step->counters, step->account)
                                               : steps->mail_koi2(step->counters, step->account);
            } catch (const store::StoreError& error) {
                step->failure = error.description();
            } catch (const std::exception& error) {
                step->failure = QString::fromUtf8(error.what());
            }
            step->cancelled = cancel->raised();
        },
        [this, step] { finishStep(*step); });
}

void SweepController::finishStep(const Step& step)
{
    m_running = false;
    // A cancelled step leaves no result: the clicks that cancelled it decide.
    if (!step.cancelled && !step.failure) {
        mail_state = step.state;
        m_counters = step.counters;
    }
    if (!step.cancelled && step.failure)
        mail_state = sweep::StateIdle;
    const std::vector<Click> clicks = std::exchange(m_clicks, {});
    for (const Click c : clicks)
        apply(c);
    if (!step.cancelled && step.failure)
        showStopped(*step.failure);
}

void SweepController::click(Click c)
{
    if (m_running) {
        m_clicks.push_back(c);
        if (c != Click::Start)
            m_cancel->raise();
        return;
    }
    apply(c);
}

void SweepController::apply(Click c)
{
    switch (c) {
    case Click::Start:
        mail_state = sweep::StateSweep;
        return;
    case Click::Stop:
        mail_state = sweep::StateIdle;
        break;
    case Click::Reset:
        mail_state = sweep::StateIdle;
        m_counters = {};
        retry_count = 0;
        break;
    }
    // Queued behind any step on the worker; no step runs now, so it runs before the next one.
    sweep::SweepSteps* steps = &m_steps;
    m_runner.run([steps] { steps->dropJudged(); }, [] {});
}

void SweepController::start()
{
    click(Click::Start);
}

void SweepController::stop()
{
    click(Click::Stop);
}

void SweepController::reset()
{
    click(Click::Reset);
}

void SweepController::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_cancel->raise();
    m_runner.finish();
    m_running = false;
    m_clicks.clear();
}

void SweepController::waitingTick()
{
    retry_count = 0;
    const QDateTime now = m_clock.now();
    m_view.setLabel2(next_run_text);
    m_view.setLabel3(sweep::dateText(now));
    const QDateTime due = sweep::parseDateText(next_run_text.trimmed());
    if (!due.isValid()) {
        throw std::runtime_error(
            QCoreApplication::translate("sweep", "次回の受信時刻「%1」を日時として読み戻せません")
                .arg(next_run_text.trimmed())
                .toStdString());
    }
    // The due time is kept to the second, so the clock is compared to the second as well.
    if (due.toSecsSinceEpoch() < now.toSecsSinceEpoch())
        mail_state = sweep::StateSweep;
}

qint64 SweepController::intervalSeconds() const
{
    const QVariant& value = MdlMain::sel_time;
    bool ok = false;
    const double seconds = value.toDouble(&ok);
    // A day count far beyond any calendar would make the due time unreadable.
    constexpr double kLimit = 100.0 * 366 * 24 * 3600;
    if (!ok || !std::isfinite(seconds) || std::fabs(seconds) > kLimit) {
        throw std::runtime_error(
            QCoreApplication::translate(
                "sweep", "受信間隔「%1」が秒数として読めません。受信設定を編集してください")
                .arg(value.toString())
                .toStdString());
    }
    return static_cast<qint64>(std::floor(seconds));
}

} // namespace sweep
