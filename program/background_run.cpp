#include "background_run.h"

#include "autostart.h"
#include "connection.h"
#include "data_folder.h"
#include "deleted_mail.h"
#include "mdl_main.h"
#include "program.h"
#include "program_icon.h"
#include "selected_account.h"
#include "settings_file.h"
#include "single_instance.h"
#include "sweep.h"
#include "tray.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <QTimer>

namespace app {

using namespace Qt::StringLiterals;

namespace {
// The first line of the box that stops the sweep, in the language the controller writes it in.
QString stoppedText()
{
    return QCoreApplication::translate("sweep", "エラーのため停止しました");
}
} // namespace

void StopNoticeMessages::showMessage(const QString& text)
{
    if (m_onStopped && text.startsWith(stoppedText()))
        m_onStopped(text);
    m_boxes.showMessage(text);
}

BackgroundRun::BackgroundRun(Program& program, StopNoticeMessages& messages,
                             session::SingleInstance* instance, QObject* parent)
    : QObject(parent), m_program(program),
      m_settings(store::ProgramSettings::pathIn(store::dataFolder())), m_timer(new QTimer(this))
{
    m_state = m_settings.read();
    Form1& window = m_program.window();
    // The window counts today's deletions after every step and when the day changes.
    m_feeds.deletedToday = [&window] { return window.deletedToday(); };
    // The status line also carries notes (a resumed sweep); only its failures are errors.
    m_feeds.lastError = [&window] {
        const QString line = window.statusLine();
        return line.contains(QCoreApplication::translate("program", "エラー：")) ? line : QString();
    };

    messages.setOnStopped([this](const QString& text) {
        m_stoppedBy = text.mid(stoppedText().size()).trimmed();
        m_notifier.notify(stoppedText(), m_stoppedBy);
        observe();
    });
    m_program.setSweepEvents({
        .leftOnServer =
            [this](const sweep::Account& account, const QByteArray& uid) {
                if (account.server != MdlMain::sel_server.toString() ||
                    account.user != MdlMain::sel_user.toString() || !MdlMain::sel_id.isValid())
                    return;
                m_state.resumeAccountId = MdlMain::sel_id.toLongLong();
                m_state.resumeUid = uid;
                save();
            },
        .passedOver =
            [this](const QString& text) {
                m_notifier.notify(
                    QCoreApplication::translate("program", "メッセージを飛ばしました"), text);
            },
    });
    if (instance) {
        connect(instance, &session::SingleInstance::showRequested, this,
                &BackgroundRun::showWindow);
    }

    addMenuItems();
    // Seeded captions stay as they are: the shortcuts are the items' own, or the window's.
    window.m10->setShortcut(QKeySequence(Qt::Key_F1));
    auto* quitKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), &window);
    connect(quitKey, &QShortcut::activated, this, &BackgroundRun::quit);
    auto* menuKey = new QShortcut(QKeySequence(Qt::Key_F10), &window);
    connect(menuKey, &QShortcut::activated, &window, [&window] {
        QMenuBar* bar = window.menuBar();
        bar->setFocus(Qt::ShortcutFocusReason);
        if (!bar->actions().isEmpty())
            bar->setActiveAction(bar->actions().first());
    });

    window.setCloseToTray([this] { return hideToTray(); });
    connect(qApp, &QApplication::aboutToQuit, this, [this] {
        observe();
        m_quitting = true;
        save();
    });
    connect(m_timer, &QTimer::timeout, this, &BackgroundRun::observe);
    m_timer->setInterval(1000);
}

BackgroundRun::~BackgroundRun() = default;

void BackgroundRun::addMenuItems()
{
    Form1& window = m_program.window();
    window.etc->addSeparator();
    m_autostart = window.etc->addAction(QCoreApplication::translate("program", "ログイン時に起動"));
    m_autostart->setCheckable(true);
    m_autostart->setChecked(session::Autostart::forThisProcess().isOn());
    connect(m_autostart, &QAction::toggled, this, [this, &window](bool on) {
        const session::Autostart entry = session::Autostart::forThisProcess();
        if (const QString error = entry.setOn(on); !error.isEmpty()) {
            window.setStatusLine(QCoreApplication::translate("program", "設定エラー：") + error);
            const QSignalBlocker quiet(m_autostart);
            m_autostart->setChecked(entry.isOn());
        }
    });
    QAction* notify =
        window.etc->addAction(QCoreApplication::translate("program", "削除件数を通知"));
    notify->setCheckable(true);
    notify->setChecked(m_state.notifyDeletions);
    connect(notify, &QAction::toggled, this, [this](bool on) {
        m_state.notifyDeletions = on;
        save();
    });
}

void BackgroundRun::start(bool minimized)
{
    restore();
    Form1& window = m_program.window();
    if (session::Tray::available()) {
        m_tray = std::make_unique<session::Tray>(resources::programIcon());
        connect(m_tray.get(), &session::Tray::toggleWindowRequested, this,
                &BackgroundRun::toggleWindow);
        connect(m_tray.get(), &session::Tray::startRequested, this,
                [this] { m_program.window().controller().start(); });
        connect(m_tray.get(), &session::Tray::stopRequested, this,
                [this] { m_program.window().controller().stop(); });
        connect(m_tray.get(), &session::Tray::quitRequested, this, &BackgroundRun::quit);
        m_tray->show();
        // A box closed while the window is in the tray is no reason to end.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    m_deletedToday = m_feeds.deletedToday ? m_feeds.deletedToday() : 0;
    m_summary.update(m_deletedToday, QDateTime::currentDateTime());
    if (!minimized)
        window.show();
    else if (!m_tray)
        window.showMinimized();
    observe();
    m_timer->start();
}

void BackgroundRun::restore()
{
    Form1& window = m_program.window();
    if (!m_state.accountId)
        return;
    bool picked = false;
    try {
        const auto settings = store::openSettings();
        picked = dialogs::selectAccountRow(*settings, *m_state.accountId);
    } catch (const std::exception&) {
        // The sweep's first step reports a database that cannot be read.
        picked = false;
    }
    if (!picked) {
        m_state.accountId.reset();
        m_state.sweeping = false;
        save();
        return;
    }
    if (m_state.resumeAccountId == m_state.accountId && !m_state.resumeUid.isEmpty()) {
        m_program.sweep().resumeAfter({MdlMain::sel_server.toString(), MdlMain::sel_user.toString(),
                                       MdlMain::sel_pass.toString()},
                                      m_state.resumeUid);
    }
    if (m_state.sweeping) {
        window.controller().start();
        window.setStatusLine(QCoreApplication::translate("program", "前回の巡回を再開します"));
    }
}

void BackgroundRun::save()
{
    if (const QString error = m_settings.write(m_state); error != m_saveError) {
        m_saveError = error;
        if (!error.isEmpty())
            m_program.window().setStatusLine(
                QCoreApplication::translate("program", "設定エラー：") + error);
    }
}

session::TrayStatus BackgroundRun::trayStatus()
{
    using State = session::TrayStatus::State;
    const qint16 state = m_program.window().controller().state();
    session::TrayStatus status;
    if (state == sweep::StateIdle)
        status.state = m_stoppedBy.isEmpty() ? State::Stopped : State::Error;
    else
        status.state = state == sweep::StateWaiting ? State::Waiting : State::Sweeping;
    status.user = MdlMain::sel_user.toString();
    status.deletedToday = m_deletedToday;
    status.lastError =
        m_stoppedBy.isEmpty() && m_feeds.lastError ? m_feeds.lastError() : m_stoppedBy;
    return status;
}

void BackgroundRun::observe()
{
    if (m_quitting)
        return;
    Form1& window = m_program.window();
    const bool sweeping = window.controller().state() != sweep::StateIdle;
    if (sweeping)
        m_stoppedBy.clear();
    std::optional<qint64> account;
    if (MdlMain::sel_id.isValid())
        account = MdlMain::sel_id.toLongLong();
    if (sweeping != m_state.sweeping || account != m_state.accountId) {
        m_state.sweeping = sweeping;
        m_state.accountId = account;
        save();
    }
    if (m_feeds.deletedToday) {
        m_deletedToday = m_feeds.deletedToday();
        const QString summary = m_summary.update(m_deletedToday, QDateTime::currentDateTime());
        if (m_state.notifyDeletions && !summary.isEmpty())
            m_notifier.notify(summary, QCoreApplication::translate("program", "ユーザ：") +
                                           MdlMain::sel_user.toString());
    }
    if (m_tray) {
        m_tray->setStatus(trayStatus());
        m_tray->setWindowShown(window.isVisible());
    }
}

void BackgroundRun::showWindow()
{
    Form1& window = m_program.window();
    window.showNormal();
    window.raise();
    window.activateWindow();
    observe();
}

void BackgroundRun::toggleWindow()
{
    if (m_program.window().isVisible())
        m_program.window().hide();
    else
        showWindow();
    observe();
}

bool BackgroundRun::hideToTray()
{
    if (m_quitting)
        return false;
    if (!m_tray || !session::Tray::available()) {
        // No tray to go on in (or its host went away): closing ends the program, as always.
        QTimer::singleShot(0, this, &BackgroundRun::quit);
        return false;
    }
    if (!m_state.closeNoticeShown) {
        m_notifier.notify(
            QCoreApplication::translate("program", "Junkbane は動き続けます"),
            QCoreApplication::translate(
                "program", "ウィンドウを閉じても、通知領域（トレイ）で巡回を続けます。終了するには"
                           "トレイのアイコンのメニューから「終了」を選んでください。"));
        m_state.closeNoticeShown = true;
        save();
    }
    QTimer::singleShot(0, this, &BackgroundRun::observe);
    return true;
}

void BackgroundRun::quit()
{
    observe();
    m_quitting = true;
    save();
    m_program.window().close();
    QApplication::quit();
}

} // namespace app
