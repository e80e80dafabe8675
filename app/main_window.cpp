#include "main_window.h"

#include "app_info.h"
#include "controls.h"

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
    m7 = menuBar()->addAction(QCoreApplication::translate("app", "リセット"));
    etc = menuBar()->addMenu(QCoreApplication::translate("app", "その他"));
    m10 = etc->addAction(QCoreApplication::translate("app", "ヘルプ"));
    m9 = etc->addAction(QCoreApplication::translate("app", "バージョン情報"));
    for (QAction* item : {m8, m2, m6, m4, m3, m5, m11, m10, m9})
        item->setEnabled(false);

    statusBar()->setSizeGripEnabled(false);

    connect(Command2, &QPushButton::clicked, this, [this] { m_controller.start(); });
    connect(Command1, &QPushButton::clicked, this, [this] { m_controller.stop(); });
    connect(m7, &QAction::triggered, this, [this] { m_controller.reset(); });

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

void Form1::closeEvent(QCloseEvent* event)
{
    Timer1->stop();
    m_controller.shutdown();
    QMainWindow::closeEvent(event);
}

void Form1::onTimer1Timeout()
{
    m_controller.tick();
}

void Form1::setStatusLine(const QString& text)
{
    statusBar()->showMessage(text);
    // The line can carry a server's own words; a tooltip would take markup in them for rich
    // text, so the text goes in escaped (and wrapped, since the line is often cut short).
    statusBar()->setToolTip(text.isEmpty() ? QString()
                                           : u"<p>"_s + text.toHtmlEscaped() + u"</p>"_s);
}

QString Form1::statusLine() const
{
    return statusBar()->currentMessage();
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
}
