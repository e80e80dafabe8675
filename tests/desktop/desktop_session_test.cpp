// The program as a desktop user runs it, as separate processes on a display and session bus of
// the test's own: it starts in the tray, a second start brings the first window forward and
// leaves the first one's files alone, closing goes to the tray with a notification, Ctrl+Q
// ends it, and without a tray host closing ends it as always. The command line answers
// without any display.

#include "connection.h"
#include "settings_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>

#include <memory>
#include <signal.h>
#include <sys/prctl.h>

namespace {

using namespace Qt::StringLiterals;

bool waitFor(const std::function<bool()>& condition, int ms = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > ms)
            return false;
        QThread::msleep(100);
    }
    return true;
}

// A child process ended with the test, also when a check failed.
struct Child {
    Child()
    {
        // Should the test itself be killed, its children go with it.
        process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    }
    std::unique_ptr<QProcess> process = std::make_unique<QProcess>();
    ~Child()
    {
        if (process->state() != QProcess::NotRunning) {
            process->terminate();
            if (!process->waitForFinished(3000)) {
                process->kill();
                process->waitForFinished(3000);
            }
        }
    }
};

// Xvfb, a window manager, a session bus with dunst on it, and (when wanted) a tray host.
class Desktop {
public:
    // Why it cannot be started: a program is missing. Empty when it runs.
    QString start()
    {
        for (const QString& program : {u"Xvfb"_s, u"openbox"_s, u"dbus-daemon"_s, u"dunst"_s,
                                       u"trayer"_s, u"xdotool"_s, u"dbus-monitor"_s}) {
            if (QStandardPaths::findExecutable(program).isEmpty())
                return u"%1 is not installed (scripts/install-deps.sh installs it)"_s.arg(program);
        }
        m_x.process->start(u"Xvfb"_s, {u"-displayfd"_s, u"1"_s, u"-screen"_s, u"0"_s,
                                       u"1024x768x24"_s, u"-nolisten"_s, u"tcp"_s});
        if (!m_x.process->waitForReadyRead(20000))
            return u"Xvfb did not start"_s;
        m_display = u":"_s + QString::fromLatin1(m_x.process->readLine().trimmed());
        m_bus.process->start(u"dbus-daemon"_s,
                             {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
        if (!m_bus.process->waitForReadyRead(20000))
            return u"dbus-daemon did not start"_s;
        m_address = QString::fromLatin1(m_bus.process->readLine().trimmed());
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.remove(u"QT_QPA_PLATFORM"_s);
        // Under AddressSanitizer the program's memory is checked by the in-process tests; here
        // the X and D-Bus client libraries' caches, kept to the end by design, would turn
        // every exit status into a leak report, and the strict string checks stop every X
        // client at start in the keyboard library (a strndup of an unterminated buffer).
        if (m_env.contains(u"ASAN_OPTIONS"_s))
            m_env.insert(u"ASAN_OPTIONS"_s, m_env.value(u"ASAN_OPTIONS"_s) +
                                                u":detect_leaks=0:strict_string_checks=0"_s);
        m_env.insert(u"DISPLAY"_s, m_display);
        m_env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, m_address);
        m_env.insert(u"HOME"_s, m_home.path());
        m_env.insert(u"XDG_CONFIG_HOME"_s, m_home.filePath(u"config"_s));
        launch(m_wm, u"openbox"_s, {});
        m_monitor.process->setProcessEnvironment(m_env);
        m_monitor.process->start(u"dbus-monitor"_s,
                                 {u"--address"_s, m_address,
                                  u"interface='org.freedesktop.Notifications',member='Notify'"_s});
        launch(m_notifications, u"dunst"_s, {});
        if (!waitFor([this] { return run(u"dunstctl"_s, {u"is-paused"_s}) == 0; }))
            return u"dunst did not answer on the session bus"_s;
        return {};
    }

    QString startTray()
    {
        launch(m_tray, u"trayer"_s,
               {u"--edge"_s, u"top"_s, u"--align"_s, u"right"_s, u"--height"_s, u"32"_s,
                u"--widthtype"_s, u"request"_s});
        // An empty tray host has no width, so it is not "visible": any window of it will do.
        if (!waitFor([this] {
                return run(u"xdotool"_s, {u"search"_s, u"--classname"_s, u"trayer"_s}) == 0;
            }))
            return u"trayer did not start"_s;
        return {};
    }
    // Ends the tray host and waits until its windows (and so its tray) are gone.
    bool stopTray()
    {
        m_tray.process->kill();
        m_tray.process->waitForFinished();
        return waitFor([this] {
            return run(u"xdotool"_s, {u"search"_s, u"--classname"_s, u"trayer"_s}) != 0;
        });
    }

    void launch(Child& child, const QString& program, const QStringList& arguments) const
    {
        // Nobody reads what they print: a full pipe must not stop them.
        child.process->setStandardOutputFile(QProcess::nullDevice());
        child.process->setStandardErrorFile(log(program), QIODevice::Append);
        child.process->setProcessEnvironment(m_env);
        child.process->start(program, arguments);
        child.process->waitForStarted();
    }
    // Focuses the window and types the keys, as the keyboard would (XTEST), until done() holds:
    // a window that has just been mapped may not have the focus the first time.
    bool press(const QByteArray& window, const QString& keys,
               const std::function<bool()>& done) const
    {
        for (int attempt = 0; attempt < 3; ++attempt) {
            run(u"xdotool"_s, {u"windowactivate"_s, u"--sync"_s, QString::fromLatin1(window)});
            run(u"xdotool"_s, {u"windowfocus"_s, u"--sync"_s, QString::fromLatin1(window)});
            run(u"xdotool"_s, {u"key"_s, u"--delay"_s, u"50"_s, keys});
            if (waitFor(done, 5000))
                return true;
        }
        return false;
    }
    // What the children started from this program printed on stderr.
    QString log(const QString& program) const
    {
        return m_home.filePath(QFileInfo(program).fileName() + u".log"_s);
    }
    QByteArray logOf(const QString& program) const
    {
        QFile file(log(program));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    int run(const QString& program, const QStringList& arguments, QByteArray* out = nullptr) const
    {
        QProcess process;
        process.setProcessEnvironment(m_env);
        process.start(program, arguments);
        process.waitForFinished(20000);
        if (out)
            *out = process.readAllStandardOutput();
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    // Visible windows that xdotool finds with these criteria.
    QByteArrayList windows(const QStringList& criteria) const
    {
        QByteArray out;
        run(u"xdotool"_s, QStringList{u"search"_s, u"--onlyvisible"_s} + criteria, &out);
        QByteArrayList found;
        for (const QByteArray& line : out.split('\n')) {
            if (!line.trimmed().isEmpty())
                found << line.trimmed();
        }
        return found;
    }
    // The texts of the notifications the daemon was sent so far.
    QString notifications()
    {
        m_monitor.process->waitForReadyRead(100);
        m_seen += QString::fromUtf8(m_monitor.process->readAllStandardOutput());
        return m_seen;
    }

private:
    QTemporaryDir m_home;
    Child m_x;
    Child m_bus;
    Child m_wm;
    Child m_notifications;
    Child m_monitor;
    Child m_tray;
    QString m_display;
    QString m_address;
    QString m_seen;
    QProcessEnvironment m_env;
};

// The program copied into a folder of its own, which is then its data folder (as a build
// folder is), with a database made by junkbane-initdb and temp/.
class Installed {
public:
    Installed()
    {
        m_program = m_folder.filePath(u"junkbane"_s);
        QFile::copy(QStringLiteral(JUNKBANE_PROGRAM), m_program);
        QFile::setPermissions(m_program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        runInitDb(m_folder.path());
        QDir(m_folder.path()).mkdir(u"temp"_s);
    }
    QString program() const { return m_program; }
    QString file(const QString& name) const { return m_folder.filePath(name); }

private:
    QTemporaryDir m_folder;
    QString m_program;
};

const QStringList kMainWindow = {u"--name"_s, u"Junkbane:Ver"_s};

TEST(DesktopSession, livesInTheTrayAndRunsOncePerDataFolder)
{
    Desktop desktop;
    if (const QString why = desktop.start(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    if (const QString why = desktop.startTray(); !why.isEmpty())
        GTEST_SKIP() << why.toStdString();
    const Installed installed;

    // Straight to the tray: the icon is embedded in the tray host, the window stays hidden.
    Child first;
    desktop.launch(first, installed.program(), {u"--minimized"_s});
    ASSERT_TRUE(waitFor([&] {
        return !desktop.windows({u"--classname"_s, u"junkbane"_s}).isEmpty();
    })) << "no tray icon appeared";
    EXPECT_TRUE(desktop.windows(kMainWindow).isEmpty());

    // A click on the icon shows the window, another hides it again.
    const QString icon =
        QString::fromLatin1(desktop.windows({u"--classname"_s, u"junkbane"_s}).front());
    const auto click = [&] {
        desktop.run(u"xdotool"_s,
                    {u"mousemove"_s, u"--window"_s, icon, u"4"_s, u"4"_s, u"click"_s, u"1"_s});
    };
    click();
    EXPECT_TRUE(waitFor([&] { return !desktop.windows(kMainWindow).isEmpty(); }));
    QThread::msleep(800); // two clicks in a row would be a double click
    click();
    EXPECT_TRUE(waitFor([&] { return desktop.windows(kMainWindow).isEmpty(); }));

    // A second start hands over and ends; the first one's message in temp/ stays where it is.
    const QString message = installed.file(u"temp/mail-abc123.eml"_s);
    {
        QFile file(message);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("From: a@b\r\n\r\nmid-step\r\n");
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    }
    Child second;
    desktop.launch(second, installed.program(), {});
    ASSERT_TRUE(second.process->waitForFinished(15000));
    EXPECT_EQ(second.process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process->exitCode(), 0);
    EXPECT_TRUE(QFile::exists(message)) << "a second start tidied the first one's temp/";
    ASSERT_TRUE(waitFor([&] { return !desktop.windows(kMainWindow).isEmpty(); }))
        << "the first program did not show its window";
    EXPECT_EQ(first.process->state(), QProcess::Running);

    // Closing goes to the tray, and the first time the desktop is told the sweep goes on.
    const QByteArray window = desktop.windows(kMainWindow).front();
    ASSERT_TRUE(
        desktop.press(window, u"alt+F4"_s, [&] { return desktop.windows(kMainWindow).isEmpty(); }));
    EXPECT_EQ(first.process->state(), QProcess::Running);
    EXPECT_TRUE(waitFor([&] { return desktop.notifications().contains(u"動き続けます"_s); }))
        << desktop.notifications().toStdString();
    QByteArray count;
    desktop.run(u"dunstctl"_s, {u"count"_s, u"displayed"_s}, &count);
    EXPECT_GE(count.trimmed().toInt(), 1) << "dunst shows no notification";

    // Shown again by another start, Ctrl+Q ends it; what it keeps is for its owner alone.
    Child third;
    desktop.launch(third, installed.program(), {});
    ASSERT_TRUE(third.process->waitForFinished(15000));
    ASSERT_TRUE(waitFor([&] { return !desktop.windows(kMainWindow).isEmpty(); }));
    const QByteArray shown = desktop.windows(kMainWindow).front();
    // F10 opens the menu bar's first menu from the keyboard.
    const QStringList ours = {u"--classname"_s, u"junkbane"_s};
    const qsizetype before = desktop.windows(ours).size();
    EXPECT_TRUE(desktop.press(shown, u"F10"_s, [&] {
        return desktop.windows(ours).size() > before;
    })) << "F10 opened no menu";
    desktop.run(u"xdotool"_s, {u"key"_s, u"Escape"_s, u"Escape"_s});
    ASSERT_TRUE(waitFor([&] { return desktop.windows(ours).size() == before; }));
    ASSERT_TRUE(desktop.press(shown, u"ctrl+q"_s, [&] {
        return first.process->waitForFinished(100);
    })) << "Ctrl+Q did not end the program";
    EXPECT_EQ(first.process->exitCode(), 0);
    EXPECT_EQ(QFile::permissions(installed.file(u"junkbane.ini"_s)) &
                  ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
              QFile::ReadOwner | QFile::WriteOwner);

    // The next start picks the account again and resumes the sweep; a failure that stops it
    // reaches the desktop while the window stays in the tray.
    store::Connection::open(installed.file(u"junkbane.mdb"_s))
        ->Execute(u"insert into cool(id,d_server,d_user,d_pass,d_time)"
                  u"values(1,'127.0.0.1:1','taro','pw','soon')"_s);
    {
        QFile ini(installed.file(u"junkbane.ini"_s));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write("[account]\nid=1\n[sweep]\nrunning=true\n");
    }
    Child resumed;
    desktop.launch(resumed, installed.program(), {u"--minimized"_s});
    EXPECT_TRUE(waitFor(
        [&] { return desktop.notifications().contains(u"エラーのため停止しました"_s); }, 30000))
        << desktop.notifications().toStdString();
    resumed.process->kill(); // its lock is left behind, and taken over by the next start
    resumed.process->waitForFinished();

    // Without a tray host, closing ends the program as it always has.
    ASSERT_TRUE(desktop.stopTray());
    Child alone;
    desktop.launch(alone, installed.program(), {});
    ASSERT_TRUE(waitFor([&] { return !desktop.windows(kMainWindow).isEmpty(); }))
        << desktop.logOf(installed.program()).toStdString();
    const QByteArray last = desktop.windows(kMainWindow).front();
    ASSERT_TRUE(desktop.press(last, u"alt+F4"_s, [&] {
        return alone.process->waitForFinished(100);
    })) << "closing without a tray did not end it";
    EXPECT_EQ(alone.process->exitCode(), 0);
}

// --help and --version need no display; a wrong option says what is wrong and exits 2.
TEST(DesktopSession, commandLineAnswersWithoutADisplay)
{
    struct Row {
        QString option;
        int exitCode;
        const char* out;
        const char* err;
    };
    const Row rows[] = {
        {u"--help"_s, 0, "--minimized", ""},
        {u"--version"_s, 0, "1.0.0", ""},
        {u"--frobnicate"_s, 2, "", "--frobnicate"},
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s, u"QT_QPA_PLATFORM"_s})
        env.remove(name);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.option.toStdString());
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(JUNKBANE_PROGRAM), {row.option});
        ASSERT_TRUE(process.waitForFinished(15000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), row.exitCode);
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        EXPECT_TRUE(out.contains(row.out)) << out.toStdString();
        EXPECT_TRUE(err.contains(row.err)) << err.toStdString();
        if (row.exitCode == 2) {
            EXPECT_TRUE(err.split('\n').front().contains(row.err));
            EXPECT_TRUE(err.contains("--minimized")) << "the usage follows the error";
        } else {
            EXPECT_TRUE(err.isEmpty()) << err.toStdString();
        }
    }
}

} // namespace
