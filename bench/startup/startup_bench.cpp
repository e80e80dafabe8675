// P5: the time from starting the program to the first paint of its main window, beside a
// minimal Qt Widgets program that shows an empty QMainWindow, measured the same way. The
// moment of the first paint comes from Qt itself: with the category qt.widgets.painting at
// info level, the widget repaint manager logs "Flushing top level" as it hands the first
// painted frame of the window to the platform, and the message pattern stamps it with
// CLOCK_MONOTONIC (%{time boot}), the clock this parent reads just before it starts the
// child. The production program runs unchanged; a copy of its start-up that logs each phase
// shows where the time goes.

#include "bench_common.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

using namespace Qt::StringLiterals;

namespace {

constexpr double kTargetMs = 500.0;
constexpr int kTimeoutMs = 30000;

// One program started again and again, with what each start measured.
struct Program {
    const char* name;
    QString path;
    std::vector<double> firstPaint;
    std::map<std::string, std::vector<double>> phases; // from the harness's own stamps
};

QString platformName()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return platform;
    return qEnvironmentVariableIsEmpty("DISPLAY") ? u"offscreen"_s : u"xcb"_s;
}

// Starts the program, waits for its first flushed frame, ends it. Milliseconds from just
// before the start to that frame; phase stamps go into phases.
double startOnce(const QString& path, std::map<std::string, double>& phases)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_s, platformName());
    env.insert(u"QT_LOGGING_RULES"_s, u"qt.widgets.painting.info=true"_s);
    env.insert(u"QT_MESSAGE_PATTERN"_s, u"QTLOG %{time boot} %{category} %{message}"_s);
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);

    const double start = bench::monotonicMs();
    process.start(path, {});
    if (!process.waitForStarted(kTimeoutMs))
        bench::fail(u"cannot start %1: %2"_s.arg(path, process.errorString()));
    QByteArray buffer;
    double painted = -1;
    QElapsedTimer limit;
    limit.start();
    while (painted < 0 && limit.elapsed() < kTimeoutMs) {
        if (!process.waitForReadyRead(kTimeoutMs))
            break;
        buffer += process.readAll();
        qsizetype end = 0;
        while ((end = buffer.indexOf('\n')) >= 0) {
            const QByteArray line = buffer.left(end).simplified();
            buffer.remove(0, end + 1);
            const QList<QByteArray> words = line.split(' ');
            if (words.size() >= 3 && words[0] == "PHASE")
                phases[words[1].toStdString()] = words[2].toDouble() - start;
            else if (painted < 0 && words.size() >= 4 && words[0] == "QTLOG" &&
                     words[2] == "qt.widgets.painting" && line.contains("Flushing top level"))
                painted = words[1].toDouble() * 1e3 - start;
        }
    }
    process.kill();
    process.waitForFinished(kTimeoutMs);
    if (painted < 0)
        bench::fail(u"%1 never painted its window (no \"Flushing top level\" from Qt); "
                    "output:\n%2"_s.arg(path, QString::fromUtf8(buffer)));
    return painted;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(10, std::atoi(argv[1])) : 10;
    const QString here = QCoreApplication::applicationDirPath() + u"/"_s;

    std::vector<Program> programs{
        {"junkbane (the real program)", QStringLiteral(JUNKBANE_PROGRAM), {}, {}},
        {"the program's start-up, phases stamped", here + u"bench_startup_app"_s, {}, {}},
        {"baseline: empty QMainWindow", here + u"bench_startup_empty"_s, {}, {}},
    };
    // The harness is built only with the dialogs; without it the two others still compare.
    if (!QFileInfo(programs[1].path).isExecutable()) {
        std::printf("  (no start-up harness: the dialogs libraries are not built)\n");
        programs.erase(programs.begin() + 1);
    }
    try {
        for (Program& p : programs) {
            if (!QFileInfo(p.path).isExecutable())
                bench::fail(u"%1 is missing"_s.arg(p.path));
            std::map<std::string, double> ignored;
            startOnce(p.path, ignored); // warm-up: fontconfig and the page cache
        }
        for (int round = 0; round < rounds; ++round) {
            for (size_t i = 0; i < programs.size(); ++i) {
                Program& p = programs[(i + static_cast<size_t>(round)) % programs.size()];
                std::map<std::string, double> phases;
                p.firstPaint.push_back(startOnce(p.path, phases));
                for (const auto& [name, ms] : phases)
                    p.phases[name].push_back(ms);
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "P5 failed: %s\n", e.what());
        return 1;
    }

    const std::string platform = platformName().toStdString();
    std::printf("P5  process start to the first painted frame of the main window, platform %s, "
                "median of %d runs (ms)\n",
                platform.c_str(), rounds);
    std::printf("  %-40s %8s %8s %8s\n", "program", "median", "p10", "p90");
    for (const Program& p : programs)
        std::printf("  %-40s %8.1f %8.1f %8.1f\n", p.name, bench::median(p.firstPaint),
                    bench::percentile(p.firstPaint, 0.1), bench::percentile(p.firstPaint, 0.9));
    for (const Program& p : programs) {
        if (p.phases.empty())
            continue;
        std::printf("  phases of %s, end of each, from process start (median):\n", p.name);
        std::vector<std::pair<double, std::string>> ordered;
        for (const auto& [name, values] : p.phases)
            ordered.emplace_back(bench::median(values), name);
        std::sort(ordered.begin(), ordered.end());
        for (const auto& [ms, name] : ordered)
            std::printf("    %-38s %8.1f\n", name.c_str(), ms);
        std::printf("    %-38s %8.1f\n", "first painted frame", bench::median(p.firstPaint));
    }

    const double real = bench::median(programs[0].firstPaint);
    const double base = bench::median(programs.back().firstPaint);
    bench::printRow({"P5", "start-up to first paint of Form1 (" + platform + ")",
                     bench::format("%.1f ms", real),
                     bench::format("%.1f ms empty QMainWindow", base),
                     bench::format("%.2fx", real / base) + " (target <= 500 ms)",
                     real <= kTargetMs ? "yes" : "no"});
    return 0;
}
