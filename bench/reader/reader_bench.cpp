// P7: one sweep step on a message already on disk, in a fresh process each (this program
// started again with --child), which reads its own VmHWM before and after the step: how far
// the step lifts the program's peak above its rest, and how long it takes, for a plain 40 MB
// mail with a base64 attachment, 40 MB of empty MIME parts (1.4 million), and 100,000
// attachments of one name. The mail layer is the real one, but the "fetch" hands over the
// prepared file (a hard link) instead of asking a server, so the step is the reading and the
// judgement alone. Each message is from a blocked sender: the step must judge it (state 3)
// and leave temp/ empty.

#include "bench_common.h"
#include "mailbox_sweep.h"
#include "pop_mail_library.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr double kTargetMb = 64.0;
constexpr int kRuns = 3;
const QByteArray kSender = "\"Mass Mailer\" <spam@junk.example>";

// The mail layer with a fetch that hands over a prepared file; reading is the real reader's.
class PreparedMail final : public mail::MailLibrary {
public:
    explicit PreparedMail(QString source) : m_source(std::move(source)) {}

    mail::MailResult RcvMail(const QString&, const QString&, const QString&, const QString&,
                             const QString&) override
    {
        const QString path = QDir(bench::SettingsBeside::tempFolder()).filePath(u"mail.eml"_s);
        if (::link(QFile::encodeName(m_source).constData(), QFile::encodeName(path).constData()))
            bench::fail(u"cannot link "_s + m_source + u" into temp/"_s);
        m_status = {mail::CallStatus::Kind::Ok, {}, "uid-1"};
        return QStringList{path};
    }
    mail::MailResult ReadMail(const QString& file, const QString& options,
                              const QString& folder) override
    {
        return m_reader.ReadMail(file, options, folder);
    }
    mail::CallStatus lastStatus() const override { return m_status; }
    QString lastReadError() const override { return m_reader.lastReadError(); }
    mail::DeleteOutcome lastDeleteOutcome() const override { return mail::DeleteOutcome::None; }

private:
    QString m_source;
    mail::PopMailLibrary m_reader;
    mail::CallStatus m_status;
};

int child(const QString& source)
{
    const long before = bench::statusKb("VmHWM");
    QElapsedTimer timer;
    timer.start();
    PreparedMail library(source);
    QString status;
    sweep::MailboxSweep sweep(library,
                              {
                                  .folder = [] { return bench::SettingsBeside::folder(); },
                                  .statusLine = [&status](const QString& text) { status = text; },
                              });
    sweep::SweepCounters counters{1, 0};
    const qint16 state = sweep.mail_koi2(counters, {u"pop.example.jp"_s, u"u"_s, u"p"_s});
    const double ms = bench::elapsedMs(timer);
    if (state != sweep::StateDeletePending || bench::SettingsBeside::leftovers() != 0) {
        std::fprintf(stderr, "the step did not judge the sender (state %d, %lld files left): %s\n",
                     state, static_cast<long long>(bench::SettingsBeside::leftovers()),
                     qPrintable(status));
        return 1;
    }
    std::printf("%ld %ld %.1f\n", before, bench::statusKb("VmHWM"), ms);
    std::fprintf(stderr, "%s\n", qPrintable(status));
    return 0;
}

struct Peak {
    double restMb = 0;
    double growthMb = 0;
    double ms = 0;
    QString status;
};

Peak measure(const QString& path)
{
    std::vector<double> rest, growth, ms;
    QString status;
    for (int run = 0; run < kRuns; ++run) {
        QProcess process;
        process.start(QCoreApplication::applicationFilePath(), {u"--child"_s, path});
        if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0)
            bench::fail(u"the child reading %1 failed: %2"_s.arg(
                path, QString::fromUtf8(process.readAllStandardError())));
        const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
        if (fields.size() != 3)
            bench::fail(u"the child reading %1 printed nothing usable"_s.arg(path));
        rest.push_back(fields[0].toDouble() / 1024.0);
        growth.push_back((fields[1].toDouble() - fields[0].toDouble()) / 1024.0);
        ms.push_back(fields[2].toDouble());
        status = QString::fromUtf8(process.readAllStandardError()).trimmed();
    }
    return {bench::median(rest), bench::median(growth), bench::median(ms), status};
}

QByteArray header(const QByteArray& boundary)
{
    return "From: " + kSender +
           "\r\nTo: sweeper@example.org\r\nSubject: offer\r\nMIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=\"" +
           boundary + "\"\r\n\r\n";
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        bench::fail(u"cannot write "_s + path);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return child(QString::fromLocal8Bit(argv[2]));

    try {
        bench::SettingsBeside settings;
        bench::SettingsBeside::addBlockEntries(100);
        {
            const auto connection = store::Connection::open(bench::SettingsBeside::databasePath());
            connection->Execute(store::SqlBlockInsert(u"spam@junk.example"_s));
        }
        const QString folder = QDir(bench::SettingsBeside::folder()).filePath(u"p7-mail"_s);
        QDir(folder).removeRecursively();
        if (!QDir().mkpath(folder))
            bench::fail(u"cannot create "_s + folder);

        constexpr qsizetype k40Mb = 40 * 1024 * 1024;
        struct Case {
            const char* name;
            QString path;
            qsizetype bytes = 0;
        };
        std::vector<Case> cases{{"plain 40 MB (base64 attachment)", folder + u"/plain.eml"_s},
                                {"40 MB of empty parts", folder + u"/empty-parts.eml"_s},
                                {"100,000 attachments of one name", folder + u"/same-name.eml"_s}};
        {
            const QByteArray plain = bench::makeMessage(k40Mb, kSender, true);
            write(cases[0].path, plain);
            cases[0].bytes = plain.size();
        }
        {
            QByteArray parts = header("b");
            const QByteArray empty = "--b\r\n\r\n";
            parts.reserve(k40Mb + 64);
            while (parts.size() + empty.size() + 7 <= k40Mb)
                parts += empty;
            parts += "--b--\r\n";
            write(cases[1].path, parts);
            cases[1].bytes = parts.size();
        }
        {
            QByteArray same = header("s");
            const QByteArray part =
                "--s\r\nContent-Type: text/plain\r\n"
                "Content-Disposition: attachment; filename=same.txt\r\n\r\nx\r\n";
            for (int i = 0; i < 100'000; ++i)
                same += part;
            same += "--s--\r\n";
            write(cases[2].path, same);
            cases[2].bytes = same.size();
        }

        std::printf("P7  one sweep step judging a message on disk, fresh process each, median of "
                    "%d runs\n  %-34s %10s %10s %14s %10s\n",
                    kRuns, "message", "size (MB)", "rest (MB)", "peak adds (MB)", "step (ms)");
        std::vector<Peak> peaks;
        for (const Case& c : cases) {
            peaks.push_back(measure(c.path));
            std::printf("  %-34s %10.1f %10.1f %14.1f %10.0f\n", c.name,
                        double(c.bytes) / (1024.0 * 1024.0), peaks.back().restMb,
                        peaks.back().growthMb, peaks.back().ms);
            if (!peaks.back().status.isEmpty())
                std::printf("    status line: %s\n", qPrintable(peaks.back().status));
        }
        QDir(folder).removeRecursively();

        for (size_t i = 0; i < cases.size(); ++i) {
            const Peak& p = peaks[i];
            const std::string baseline =
                i == 0 ? std::string("-")
                       : bench::format("plain 40 MB +%.1f MB", peaks[0].growthMb);
            bench::printRow({"P7", std::string("peak above rest, ") + cases[i].name,
                             bench::format("+%.1f MB", p.growthMb), baseline,
                             bench::format("target <= %.0f MB", kTargetMb),
                             p.growthMb <= kTargetMb ? "yes" : "no"});
        }
        for (size_t i = 0; i < cases.size(); ++i) {
            const std::string baseline =
                i == 0 ? std::string("-") : bench::format("plain 40 MB %.0f ms", peaks[0].ms);
            const std::string ratio =
                i == 0 ? std::string("-")
                       : bench::format("%.2fx (no target)", peaks[i].ms / peaks[0].ms);
            bench::printRow({"P7", std::string("step time, ") + cases[i].name,
                             bench::format("%.0f ms", peaks[i].ms), baseline, ratio, "-"});
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "P7 failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
