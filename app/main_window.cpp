#include "main_window.h"

#include "app_info.h"
#include "controls.h"
#include "plain_text.h"
#include "status_line.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

using namespace Qt::StringLiterals;
using app::makeButton;
using app::makeLabel;
using app::twips;

Form1::Form1(const sweep::Clock& clock, sweep::SweepSteps& steps, sweep::Messages& messages,
             sweep::StepRunner& runner, std::shared_ptr<mail::CancelFlag> cancel, QWidget* parent)
    : QMainWindow(parent), m_controller(clock, steps, messages, *this, runner, std::move(cancel))
{
    setFont(app::uiFont());

    auto* client = new QWidget(this);
    client->setFixedSize(twips(2850), twips(1965));
    setCentralWidget(client);

    Label7 = makeLabel(client, QString(), app::kUiFontPoints, 120, 0, 2535, 255);
    Label4 = makeLabel(client, QString(), app::kUiFontPoints, 120, 360, 735, 255);
    // The due time and the clock start further left and run to the window's edge than the
    // layout was drawn with: in IPAPGothic a date with its seconds ("2026/12/28 23:59:59") is
    // 129 pixels wide, and the drawn 1575 twips (105 pixels) cut the seconds off.
    Label2 = makeLabel(client, QString(), app::kUiFontPoints, 900, 360, 1950, 255);
    Label5 = makeLabel(client, QString(), app::kUiFontPoints, 240, 720, 615, 255);
    Label3 = makeLabel(client, QString(), app::kUiFontPoints, 900, 720, 1950, 255);
    Label1 = makeLabel(client, QString(), app::kUiFontPoints, 360, 1080, 2175, 495);
    Command1 =
        makeButton(client, QCoreApplication::translate("app", "停　止"), 120, 1560, 1095, 375);
    Command2 =
        makeButton(client, QCoreApplication::translate("app", "開　始"), 1560, 1560, 1095, 375);
    setTabOrder(Command1, Command2);

    m1 = menuBar()->addMenu(QCoreApplication::translate("app", "受信"));
    m8 = m1->addAction(QCoreApplication::translate("app", "受信設定の選択"));
    m2 = m1->addAction(QCoreApplication::translate("app", "受信設定の登録"));
    m6 = m1->addAction(QCoreApplication::translate("app", "受信設定の編集"));
    del = menuBar()->addMenu(QCoreApplication::translate("app", "削除"));
    m4 = del->addAction(QCoreApplication::translate("app", "アドレスの削除"));
    m3 = del->addAction(QCoreApplication::translate("app", "アドレスの追加"));
    m5 = del->addAction(QCoreApplication::translate("app", "一覧より削除"));
    m11 = del->addAction(QCoreApplication::translate("app", "削除したメール"));
    del->addSeparator();
    m12 = del->addAction(QCoreApplication::translate("app", "元に戻す"));
    m7 = menuBar()->addAction(QCoreApplication::translate("app", "リセット"));
    etc = menuBar()->addMenu(QCoreApplication::translate("app", "その他"));
    m10 = etc->addAction(QCoreApplication::translate("app", "ヘルプ"));
    m9 = etc->addAction(QCoreApplication::translate("app", "バージョン情報"));
    for (QAction* item : {m8, m2, m6, m4, m3, m5, m11, m12, m10, m9})
        item->setEnabled(false);

    statusBar()->setSizeGripEnabled(false);
    m_statusLine = new app::StatusLine(statusBar());
    statusBar()->addWidget(m_statusLine, 1);
    connect(m_statusLine, &app::StatusLine::clicked, this, &Form1::showWholeStatus);
    wholeStatus = new QAction(QCoreApplication::translate("app", "状態の全文"), this);
    wholeStatus->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    addAction(wholeStatus);
    connect(wholeStatus, &QAction::triggered, this, &Form1::showWholeStatus);

    connect(Command2, &QPushButton::clicked, this, [this] { m_controller.start(); });
    connect(Command1, &QPushButton::clicked, this, [this] { m_controller.stop(); });
    connect(m7, &QAction::triggered, this, [this] { m_controller.reset(); });

    refreshIdleText();

    // Window load.
    setWindowTitle(u" "_s + app::applicationTitle() + u":Ver."_s + app::versionText());
    Label4->setText(QCoreApplication::translate("app", "待機時間"));
    Label5->setText(QCoreApplication::translate("app", "カウント"));

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &Form1::onTimer1Timeout);
    Timer1->start();

    setFixedSize(sizeHint());
}

Form1::~Form1() = default;

void Form1::setOpener(QAction* item, std::function<void()> open)
{
    item->setEnabled(true);
    connect(item, &QAction::triggered, this, std::move(open));
}

void Form1::setCloseToTray(std::function<bool()> hideInstead)
{
    m_closeToTray = std::move(hideInstead);
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (m_closeToTray && m_closeToTray()) {
        event->ignore();
        hide();
        return;
    }
    Timer1->stop();
    m_controller.shutdown();
    QMainWindow::closeEvent(event);
}

bool Form1::event(QEvent* event)
{
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void Form1::onTimer1Timeout()
{
    m_controller.tick();
    // A step that has just ended may have deleted a message; a new day starts from 0.
    const bool running = m_controller.stepRunning();
    if ((m_stepWasRunning && !running) || m_countedOn != QDate::currentDate())
        refreshDeletedToday();
    m_stepWasRunning = running;
}

void Form1::setStatusLine(const QString& text)
{
    const bool changed = text != m_statusLine->status();
    m_statusLine->setStatus(text);
    // The line can carry a server's own words: the tool tip shows them as written, whole.
    statusBar()->setToolTip(app::plainToolTip(text));
    if (changed)
        Q_EMIT statusLineChanged(text);
}

QString Form1::statusLine() const
{
    return m_statusLine->status();
}

void Form1::showWholeStatus()
{
    app::showStatusBox(this, statusLine().isEmpty() ? m_statusLine->idleText() : statusLine());
}

void Form1::setDeletedTodayCounter(std::function<int()> counter)
{
    m_deletedTodayCounter = std::move(counter);
    refreshDeletedToday();
}

void Form1::refreshDeletedToday()
{
    m_countedOn = QDate::currentDate();
    const int count = m_deletedTodayCounter ? m_deletedTodayCounter() : 0;
    if (count != m_deletedToday) {
        m_deletedToday = count;
        refreshIdleText();
        Q_EMIT deletedTodayChanged(count);
    }
}

void Form1::setLabel1(const QString& text)
{
    Label1->setText(text);
}
void Form1::setLabel2(const QString& text)
{
    Label2->setText(text);
}
void Form1::setLabel3(const QString& text)
{
    Label3->setText(text);
}
void Form1::setLabel7(const QString& text)
{
    Label7->setText(text);
    m_hasUser = !text.section(u'：', 1).isEmpty();
    refreshIdleText();
}

void Form1::refreshIdleText()
{
    // Without an account there is nothing to count yet: the line says what to do first.
    m_statusLine->setIdleText(
        m_hasUser
            ? QCoreApplication::translate("app", "今日削除したメール：%1 通").arg(m_deletedToday)
            : QCoreApplication::translate("app",
                                          "受信 → 受信設定の登録 でアカウントを登録してください"));
}
