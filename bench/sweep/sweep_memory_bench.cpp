// P2: the peak memory of one sweep step on a 10 KB, a 1 MB and a 30 MB message. Each step runs
// in a fresh process (this program started again with --child), which reads its own VmHWM
// before and after the step, so nothing of an earlier step or of the server setup counts.

#include "bare_pop3.h"
#include "bench_common.h"
#include "dovecot_fixture.h"
#include "mailbox_sweep.h"
#include "pop_mail_library.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr double kTargetGrowthMb = 10.0;
constexpr int kRuns = 3;

// The child: one sweep step on message number; or, for comparison, the library's SAVE alone
// (--save), a bare fetch (--bare), a bare fetch writing each piece unbuffered (--unbuffered).
int child(quint16 port, int number, const QString& user, const QString& password,
          const QByteArray& mode)
{
    curl_global_init(CURL_GLOBAL_DEFAULT);
    const long before = bench::statusKb("VmHWM");
    QElapsedTimer timer;
    timer.start();
    const QString serverText = u"pop3://127.0.0.1:%1"_s.arg(port);
    if (mode == "--bare" || mode == "--unbuffered") {
        const QString path = QDir(bench::SettingsBeside::tempFolder()).filePath(u"bare.eml"_s);
        QString error;
        bench::BarePop3 bare{"pop3://127.0.0.1:" + QByteArray::number(port) + "/",
                             user.toUtf8(),
                             password.toUtf8(),
                             false,
                             {}};
        bare.unbuffered = mode == "--unbuffered";
        const qint64 written = bench::bareFetch(bare, number, path, &error);
        QFile::remove(path);
        if (written <= 0) {
            std::fprintf(stderr, "bare fetch failed: %s\n", qPrintable(error));
            return 1;
        }
    } else if (mode == "--save") {
        mail::PopMailLibrary library;
        const mail::MailResult saved =
            library.RcvMail(serverText, user, password, u"SAVE %1"_s.arg(number),
                            u">"_s + bench::SettingsBeside::tempFolder());
        if (!saved || saved->size() != 1) {
            std::fprintf(stderr, "SAVE failed: %s\n", qPrintable(library.lastStatus().description));
            return 1;
        }
        QFile::remove(saved->front());
    } else {
        QString status;
        mail::PopMailLibrary library;
        sweep::MailboxSweep sweep(
            library, sweep::MailboxSweep::Hooks{
                         .folder = [] { return bench::SettingsBeside::folder(); },
                         .statusLine = [&status](const QString& text) { status = text; },
                     });
        sweep::SweepCounters counters{number, 0};
        const qint16 state = sweep.mail_koi2(counters, {serverText, user, password});
        if (state != sweep::StateSweep || !status.isEmpty() ||
            bench::SettingsBeside::leftovers() != 0) {
            std::fprintf(stderr, "the sweep step failed (state %d, %lld files left): %s\n", state,
                         static_cast<long long>(bench::SettingsBeside::leftovers()),
                         qPrintable(status));
            return 1;
        }
    }
    const double ms = bench::elapsedMs(timer);
    std::printf("%ld %ld %.1f\n", before, bench::statusKb("VmHWM"), ms);
    return 0;
}

// What one child reported, median over the runs.
struct Peak {
    double beforeMb = 0;
    double afterMb = 0;
    double ms = 0; // how long the step (or the bare fetch) took
};

Peak runChild(const mail::DovecotFixture& server, int number, const char* mode)
{
    std::vector<double> before, after, ms;
    for (int run = 0; run < kRuns; ++run) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList args{u"--child"_s, QString::number(server.port()), QString::number(number),
                         server.user(), server.password()};
        if (mode)
            args << QString::fromLatin1(mode);
        process.start(QCoreApplication::applicationFilePath(), args);
        if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            bench::fail(u"the child measuring message %1 failed"_s.arg(number));
        const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 3)
            bench::fail(u"the child measuring message %1 printed nothing usable"_s.arg(number));
        before.push_back(fields[0].toDouble() / 1024.0);
        after.push_back(fields[1].toDouble() / 1024.0);
        ms.push_back(fields[2].toDouble());
    }
    return {bench::median(before), bench::median(after), bench::median(ms)};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc >= 6 && std::strcmp(argv[1], "--child") == 0)
        return child(static_cast<quint16>(std::atoi(argv[2])), std::atoi(argv[3]),
                     QString::fromLocal8Bit(argv[4]), QString::fromLocal8Bit(argv[5]),
                     argc > 6 ? QByteArray(argv[6]) : QByteArray());

    try {
        mail::DovecotFixture server;
        mail::DovecotFixture::Options serverOptions;
        serverOptions.implicitTls = false;
        serverOptions.offerStls = false;
        server.start(serverOptions);
        bench::SettingsBeside settings;
        bench::SettingsBeside::addBlockEntries(100);

        // One message size and its number on the server.
        struct Case {
            const char* name;
            qsizetype bytes;
            int number = 0;
        };
        std::vector<Case> cases{
            {"10 KB", 10 * 1024}, {"1 MB", 1024 * 1024}, {"30 MB", 30 * 1024 * 1024}};
        for (size_t i = 0; i < cases.size(); ++i) {
            server.addMessage(bench::makeMessage(
                cases[i].bytes, "\"Mailer News\" <news@mailer.example.com>", true));
            cases[i].number = static_cast<int>(i) + 1;
        }

        std::printf("P2  peak memory (VmHWM) of one sweep step in a fresh process, message with "
                    "a base64 attachment, median of %d runs\n",
                    kRuns);
        std::printf("  %-10s %12s %12s %14s %14s %10s %10s\n", "message", "before (MB)",
                    "peak (MB)", "step adds (MB)", "bare peak (MB)", "step (ms)", "bare (ms)");
        std::vector<Peak> peaks;
        struct Times {
            double save, unbuffered, step, bare;
        };
        std::vector<Times> times;
        for (const Case& c : cases) {
            const Peak sweep = runChild(server, c.number, nullptr);
            const Peak bare = runChild(server, c.number, "--bare");
            peaks.push_back(sweep);
            times.push_back({runChild(server, c.number, "--save").ms,
                             runChild(server, c.number, "--unbuffered").ms, sweep.ms, bare.ms});
            std::printf("  %-10s %12.1f %12.1f %14.1f %14.1f %10.1f %10.1f\n", c.name,
                        sweep.beforeMb, sweep.afterMb, sweep.afterMb - sweep.beforeMb, bare.afterMb,
                        sweep.ms, bare.ms);
        }
        std::printf("  where the step's time goes, fresh process each (ms, median of %d runs):\n"
                    "  %-10s %10s %12s %14s %16s\n",
                    kRuns, "message", "whole step", "SAVE alone", "bare fetch", "bare unbuffered");
        for (size_t i = 0; i < cases.size(); ++i)
            std::printf("  %-10s %10.1f %12.1f %14.1f %16.1f\n", cases[i].name, times[i].step,
                        times[i].save, times[i].bare, times[i].unbuffered);
        const double grown1 = peaks[1].afterMb - peaks[0].afterMb;
        const double grown30 = peaks[2].afterMb - peaks[0].afterMb;
        std::printf("  growth above the 10 KB case: 1 MB %+.1f MB, 30 MB %+.1f MB\n", grown1,
                    grown30);
        bench::printRow({"P2", "peak memory growth, 1 MB vs 10 KB",
                         bench::format("%+.1f MB", grown1),
                         bench::format("10 KB peak %.1f MB", peaks[0].afterMb), "-", "-"});
        bench::printRow({"P2", "peak memory growth, 30 MB vs 10 KB",
                         bench::format("%+.1f MB", grown30),
                         bench::format("10 KB peak %.1f MB", peaks[0].afterMb), "target <= 10 MB",
                         grown30 <= kTargetGrowthMb ? "yes" : "no"});
        bench::printRow({"P2", "time of the 30 MB step (fresh process)",
                         bench::format("%.0f ms", times[2].step),
                         bench::format("%.0f ms bare curl", times[2].bare),
                         bench::format("%.1fx (no target)", times[2].step / times[2].bare), "-"});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "P2 failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
