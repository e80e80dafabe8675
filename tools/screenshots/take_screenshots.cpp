// junkbane_screenshots: opens every window of the program on a real X display, the way a user
// reaches it through the menu, and saves a PNG of each, window frame included. It needs
// junkbane.mdb (fresh, from junkbane-initdb) and temp/ beside itself, and starts a Dovecot of
// its own for the sweep; take-screenshots.sh prepares all of it and runs it under Xvfb.
//
//     junkbane_screenshots OUTPUT_FOLDER

#include "about_box.h"
#include "account_pickers.h"
#include "add_address_dialog.h"
#include "app_info.h"
#include "block_list_browser.h"
#include "controls.h"
#include "delete_address_dialog.h"
#include "deleted_mail_dialog.h"
#include "dovecot_fixture.h"
#include "edit_account_dialog.h"
#include "fonts.h"
#include "launch.h"
#include "main_window.h"
#include "mdl_main.h"
#include "new_account_dialog.h"
#include "program.h"
#include "program_icon.h"
#include "qt_messages.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <stdexcept>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

// The PNGs go here; any window that could not be shot or driven is counted as a failure.
QDir g_output;
int g_failures = 0;
// The frame the window manager draws around every window; none without a window manager.
QMargins g_frame;

void fail(const QString& what)
{
    ++g_failures;
    std::fprintf(stderr, "junkbane_screenshots: %s\n", qPrintable(what));
}

// Lets the window manager frame and place new windows and Qt paint them.
void settle(std::chrono::milliseconds time = 500ms)
{
    QTest::qWait(static_cast<int>(time.count()));
}

bool waitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit)
{
    const QDeadlineTimer deadline(limit);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

// Names every label of the window whose text does not fit in it: what the screenshot cuts off.
void reportClippedLabels(const QWidget* window, const QString& name)
{
    for (const QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->isVisible() || label->text().isEmpty())
            continue;
        const QFontMetrics metrics = label->fontMetrics();
        // A trailing line break (the due time has one) adds no line that shows.
        QStringList lines = label->text().split(QRegularExpression(u"\\r?\\n"_s));
        while (lines.size() > 1 && lines.last().isEmpty())
            lines.removeLast();
        int width = 0;
        for (const QString& line : lines)
            width = std::max(width, metrics.horizontalAdvance(line));
        const int height = static_cast<int>(lines.size()) * metrics.lineSpacing();
        const QSize room = label->contentsRect().size();
        if (width > room.width() || height > room.height()) {
            std::printf("  %s: label \"%s\" needs %dx%d px, has %dx%d\n", qPrintable(name),
                        qPrintable(lines.first()), width, height, room.width(), room.height());
        }
    }
}

// Names every widget of the window that draws its text in another font than IPAPGothic.
void reportForeignFonts(QWidget* window, const QString& name)
{
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    QStringList seen;
    for (const QWidget* widget : widgets) {
        const QString family = QFontInfo(widget->font()).family();
        const QString what =
            QString::fromLatin1(widget->metaObject()->className()) + u" "_s + family;
        if (family != u"IPAPGothic"_s && !seen.contains(what)) {
            seen.append(what);
            std::printf("  %s: %s draws with %s\n", qPrintable(name),
                        widget->metaObject()->className(), qPrintable(family));
        }
    }
}

// Saves what the screen shows of the window, its frame included, plus `extra` (an open menu),
// or of `extra` alone (a tool tip).
void shoot(QWidget* window, const QString& name, const QRect& extra = {}, bool extraOnly = false)
{
    settle();
    // The window manager gives every window the same frame. Qt learns a dialog's frame only a
    // moment after it maps, and now and then not at all; the main window's frame stands in.
    QRect area = window->frameGeometry();
    if (area == window->geometry())
        area = window->geometry().marginsAdded(g_frame);
    if (extraOnly)
        area = extra;
    else if (extra.isValid())
        area |= extra;
    const QPixmap shot =
        window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    const QString path = g_output.filePath(name);
    if (shot.isNull() || !shot.save(path, "PNG"))
        fail(u"could not save %1"_s.arg(path));
    else
        std::printf("%s (%dx%d)\n", qPrintable(path), area.width(), area.height());
    if (!extraOnly) {
        reportClippedLabels(window, name);
        reportForeignFonts(window, name);
    }
}

// Once a modal window of type Dialog is in front, runs `act` on it inside its exec(). A window
// of another type, or none within five seconds, is a failure, and the modal window in front is
// closed so that nothing hangs.
template <typename Dialog>
void whenInFront(std::function<void(Dialog&)> act, QDeadlineTimer deadline = QDeadlineTimer(5000))
{
    QTimer::singleShot(20ms, [act = std::move(act), deadline]() mutable {
        QWidget* front = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(front); dialog && dialog->isVisible()) {
            const QPointer<QDialog> guard(dialog);
            act(*dialog);
            QTimer::singleShot(5s, [guard] {
                if (guard && guard->isVisible()) {
                    fail(u"%1 stayed open"_s.arg(
                        QString::fromLatin1(guard->metaObject()->className())));
                    guard->reject();
                }
            });
            return;
        }
        if (!deadline.hasExpired()) {
            whenInFront<Dialog>(std::move(act), deadline);
            return;
        }
        fail(u"expected a %1 in front, found %2"_s.arg(
            QString::fromLatin1(Dialog::staticMetaObject.className()),
            front ? QString::fromLatin1(front->metaObject()->className()) : u"none"_s));
        if (auto* other = qobject_cast<QDialog*>(front))
            other->reject();
    });
}

void typeInto(QLineEdit* box, const QString& text)
{
    box->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(box, text);
}

void pickEntry(QListWidget* list, const QString& text)
{
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    if (found.isEmpty()) {
        fail(u"no entry %1 in the list"_s.arg(text));
        return;
    }
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.first()).center());
}

void leave(QDialog& dialog)
{
    QTest::keyClick(&dialog, Qt::Key_Escape);
}

QByteArray textMessage(const QByteArray& from, const QByteArray& tag,
                       const QByteArray& subject = {})
{
    return "From: " + from +
           "\r\nTo: sweeper@example.test\r\nSubject: " + (subject.isEmpty() ? tag : subject) +
           "\r\nMessage-ID: <" + tag +
           "@example.test>\r\nMIME-Version: 1.0\r\n"
           "Content-Type: text/plain; charset=us-ascii\r\n\r\nHello.\r\n";
}

// The program as main() builds it, trusting the Dovecot's own certificate authority.
struct Program {
    explicit Program(const QString& caFile) : program(messages, mail::PopOptions{.caFile = caFile})
    {
        messages.setOwner(&program.window());
    }

    app::QtMessages messages;
    app::Program program;
};

void run(mail::DovecotFixture& server)
{
    Program program(server.caFile());
    Form1& window = program.program.window();
    window.move(360, 240);
    window.show();
    settle(1000ms);
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    g_frame = QMargins(client.left() - frame.left(), client.top() - frame.top(),
                       frame.right() - client.right(), frame.bottom() - client.bottom());
    if (g_frame.isNull())
        std::printf("no window manager: the windows are shot without frames\n");

    // Start without an account: the one message box of the program that needs no server.
    whenInFront<QMessageBox>([](QMessageBox& box) {
        shoot(&box, u"message-box.png"_s);
        QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton);
    });
    QTest::mouseClick(window.Command2, Qt::LeftButton);
    if (!waitUntil([&] { return window.controller().state() == sweep::StateIdle; }, 5s))
        fail(u"the no-account message did not come"_s);

    whenInFront<Form2>([](Form2& dialog) {
        typeInto(dialog.Text1, u"pop3s://mail.example.jp"_s);
        typeInto(dialog.Text2, u"taro"_s);
        typeInto(dialog.Text3, u"secret"_s);
        typeInto(dialog.Text4, u"300"_s);
        shoot(&dialog, u"form2-new-account.png"_s);
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    });
    window.m2->trigger();
    const QString serverText = u"127.0.0.1:%1"_s.arg(server.port());
    whenInFront<Form2>([&](Form2& dialog) {
        typeInto(dialog.Text1, serverText);
        typeInto(dialog.Text2, server.user());
        typeInto(dialog.Text3, server.password());
        typeInto(dialog.Text4, u"600"_s);
        QTest::mouseClick(dialog.Command1, Qt::LeftButton);
    });
    window.m2->trigger();

    const QStringList entries{u"junk@bad.example"_s, u"Offers@Cheap.Example"_s,
                              u"newsletter@spam.example"_s};
    for (const QString& entry : entries) {
        const bool first = entry == entries.first();
        whenInFront<dialogs::Form3>([entry, first](dialogs::Form3& dialog) {
            typeInto(dialog.Text1, entry);
            if (first)
                shoot(&dialog, u"form3-add-address.png"_s);
            QTest::mouseClick(dialog.Command1, Qt::LeftButton);
        });
        window.m3->trigger();
    }

    whenInFront<dialogs::Form4>([](dialogs::Form4& dialog) {
        typeInto(dialog.Text1, u"spam.example"_s);
        shoot(&dialog, u"form4-delete-address.png"_s);
        leave(dialog);
    });
    window.m4->trigger();

    whenInFront<dialogs::Form5>([](dialogs::Form5& dialog) {
        shoot(&dialog, u"form5-block-list.png"_s);
        leave(dialog);
    });
    window.m5->trigger();

    const QString user = server.user();
    whenInFront<Form6>([user](Form6& picker) {
        shoot(&picker, u"form6-edit-picker.png"_s);
        whenInFront<Form8>([](Form8& editor) {
            shoot(&editor, u"form8-edit-account.png"_s);
            leave(editor);
        });
        pickEntry(picker.List1, user);
    });
    window.m6->trigger();

    whenInFront<Form7>([user](Form7& picker) {
        shoot(&picker, u"form7-sweep-picker.png"_s);
        pickEntry(picker.List1, user);
    });
    window.m8->trigger();

    whenInFront<frmAbout>([](frmAbout& about) {
        shoot(&about, u"about-box.png"_s);
        leave(about);
    });
    window.m9->trigger();

    // The menu as it drops down from the menu bar.
    window.menuBar()->setActiveAction(window.m1->menuAction());
    settle();
    shoot(&window, u"main-window-menu.png"_s,
          window.m1->isVisible() ? window.m1->frameGeometry() : QRect());
    window.m1->hide();
    window.menuBar()->setActiveAction(nullptr);

    // A real sweep: two of the five messages are junk. Shot while the window waits, with the
    // due time and the clock on show.
    QTest::mouseClick(window.Command2, Qt::LeftButton);
    const bool waiting = waitUntil(
        [&] {
            return window.controller().state() == sweep::StateWaiting &&
                   !window.Label2->text().isEmpty();
        },
        60s);
    if (!waiting)
        fail(u"the sweep did not reach the wait; status line: %1"_s.arg(window.statusLine()));
    settle(1200ms);
    shoot(&window, u"main-window.png"_s);

    // The two junk messages the sweep deleted, kept in deleted/.
    whenInFront<dialogs::DeletedMailDialog>([](dialogs::DeletedMailDialog& dialog) {
        if (dialog.List1->topLevelItemCount() != 2)
            fail(u"the deleted-mail dialog lists %1 messages, not 2"_s.arg(
                dialog.List1->topLevelItemCount()));
        shoot(&dialog, u"deleted-mail.png"_s);
        leave(dialog);
    });
    window.m11->trigger();

    // The server goes away: the next fetch fails and the status line says why.
    server.stop();
    QTest::mouseClick(window.Command2, Qt::LeftButton);
    if (!waitUntil([&] { return !window.statusLine().isEmpty(); }, 30s))
        fail(u"no error in the status line"_s);
    QTest::mouseClick(window.Command1, Qt::LeftButton);
    // The status line is narrower than most errors; its tool tip, where the pointer rests on
    // it, holds the whole text.
    QStatusBar* status = window.statusBar();
    QToolTip::showText(status->mapToGlobal(QPoint(status->width() / 2, status->height() / 2)),
                       status->toolTip(), status);
    settle();
    QRect tip;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->inherits("QTipLabel") && top->isVisible())
            tip = top->frameGeometry();
    }
    if (tip.isValid())
        shoot(&window, u"status-line-tooltip.png"_s, tip, true);
    else
        fail(u"the status line's tool tip did not show"_s);
    QToolTip::hideText();
    settle();
    shoot(&window, u"main-window-error.png"_s);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: junkbane_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    app::prepareApplication();

    const QString family = QFontInfo(app::uiFont()).family();
    if (family != u"IPAPGothic"_s) {
        std::fprintf(stderr,
                     "junkbane_screenshots: the windows' font is drawn with %s, not "
                     "IPAPGothic (install fonts-ipafont-gothic)\n",
                     qPrintable(family));
        return 1;
    }

    g_output = QDir(QString::fromLocal8Bit(argv[1]));
    if (!g_output.exists() && !QDir().mkpath(g_output.path())) {
        std::fprintf(stderr, "junkbane_screenshots: cannot create %s\n", argv[1]);
        return 1;
    }

    mail::DovecotFixture server;
    try {
        server.start();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "junkbane_screenshots: Dovecot did not start: %s\n", error.what());
        return 1;
    }
    server.addMessage(textMessage("Friend <friend@example.org>", "keep1"));
    server.addMessage(
        textMessage("=?UTF-8?B?5a6J44GE5ZWG5ZOB?= <junk@bad.example>", "junk1",
                    "=?UTF-8?B?44CQ5pyf6ZaT6ZmQ5a6a44CR5LuK44Gg44GR44Gu54m55Yil5L6h5qC8?="));
    server.addMessage(textMessage("colleague@example.net", "keep2"));
    server.addMessage(
        textMessage("offers@cheap.example", "junk2", "=?UTF-8?B?44GU6KuL5rGC5pu444Gu5Lu2?="));
    server.addMessage(textMessage("Mother <mother@example.org>", "keep3"));

    run(server);
    if (g_failures > 0) {
        std::fprintf(stderr, "junkbane_screenshots: %d failure(s)\n", g_failures);
        return 1;
    }
    return 0;
}
