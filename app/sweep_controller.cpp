#include "sweep_controller.h"

#include "mdl_main.h"
#include "messages.h"
#include "store_error.h"
#include "text_helpers.h"

#include <QScopeGuard>

#include <cmath>
#include <stdexcept>

namespace app {

using namespace Qt::StringLiterals;

namespace {
const QString kCrLf = u"\r\n"_s;
}

SweepController::SweepController(const Clock& clock, mail::SweepSteps& steps, Messages& messages,
                                 SweepView& view)
    : m_clock(clock), m_steps(steps), m_messages(messages), m_view(view)
{
}

void SweepController::tick()
{
    // A message box opened by this tick runs its own event loop, in which the timer keeps
    // firing; those ticks must not run a second step or open a second box.
    if (m_inTick)
        return;
    m_inTick = true;
    const auto leave = qScopeGuard([this] { m_inTick = false; });

    followSelectedAccount();
    m_view.setLabel1(u"総 受 信 数     ："_s + QString::number(m_counters.recv_count) + kCrLf +
                     u"メールBOX残数："_s + QString::number(m_counters.mail_no));
    m_view.setLabel7(u"ユーザ："_s + MdlMain::sel_user.toString());

    QString failure;
    try {
        act();
        return;
    } catch (const store::StoreError& error) {
        failure = error.description();
    } catch (const std::exception& error) {
        failure = QString::fromUtf8(error.what());
    }
    // A failing step stops the sweep; the user sees why and can start again.
    mail_state = mail::StateIdle;
    m_messages.showMessage(u"エラーのため停止しました"_s + kCrLf + failure);
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
    case mail::StateSweep:
        if (MdlMain::sel_user.toString().isEmpty()) {
            mail_state = mail::StateIdle;
            m_messages.showMessage(u"受信ユーザーが"_s + kCrLf + u"選択されてません"_s);
            return;
        }
        mail_state = m_steps.mail_koi2(m_counters);
        return;
    case mail::StateNothingFetched:
        ++retry_count;
        // ">=": a start pressed between the third count and the waiting tick must not leave
        // the count past 3, where the sweep would poll every other second for ever.
        if (retry_count >= 3) {
            next_run_text = mail::dateText(m_clock.now().addSecs(intervalSeconds())) + kCrLf;
            mail_state = mail::StateWaiting;
        } else {
            mail_state = mail::StateSweep;
        }
        return;
    case mail::StateDeletePending:
        mail_state = m_steps.mail_koi4(m_counters);
        return;
    case mail::StateWaiting:
        waitingTick();
        return;
    default:
        return;
    }
}

void SweepController::waitingTick()
{
    retry_count = 0;
    const QDateTime now = m_clock.now();
    m_view.setLabel2(next_run_text);
    m_view.setLabel3(mail::dateText(now));
    const QDateTime due = mail::parseDateText(next_run_text.trimmed());
    if (!due.isValid()) {
        throw std::runtime_error(
            u"次回の受信時刻「%1」を日時として読み戻せません"_s.arg(next_run_text.trimmed())
                .toStdString());
    }
    // The due time is kept to the second, so the clock is compared to the second as well.
    if (due.toSecsSinceEpoch() < now.toSecsSinceEpoch())
        mail_state = mail::StateSweep;
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
            u"受信間隔「%1」が秒数として読めません。受信設定を編集してください"_s
                .arg(value.toString())
                .toStdString());
    }
    return static_cast<qint64>(std::floor(seconds));
}

void SweepController::reset()
{
    mail_state = mail::StateIdle;
    m_counters = {};
    retry_count = 0;
}

} // namespace app
