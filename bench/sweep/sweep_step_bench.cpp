// P1: what one sweep step (fetch message n, judge its sender, clean the folder) costs beside a
// bare POP3 client that fetches the same message into a file, both against a local Dovecot
// over the same transport, interleaved round by round.

#include "bare_pop3.h"
#include "bench_common.h"
#include "dovecot_fixture.h"
#include "mailbox_sweep.h"
#include "pop_mail_library.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <curl/curl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kWarmUp = 3;
constexpr qsizetype kMessageBytes = 10 * 1024;
constexpr double kTargetRatio = 1.25;

// How both sides reach the server: the account's server text and the bare client's settings.
struct Transport {
    const char* name;
    QString serverText; // as the user would write it in the account
    bench::BarePop3 bare;
};

// One sweep step on message 1, as the main window's timer runs it.
class SweepRunner {
public:
    SweepRunner(const mail::DovecotFixture& server, const QString& serverText)
        : m_account{serverText, server.user(), server.password()}, m_library(options(server)),
          m_sweep(m_library, sweep::MailboxSweep::Hooks{
                                 .folder = [] { return bench::SettingsBeside::folder(); },
                                 .statusLine = [this](const QString& text) { m_status = text; },
                             })
    {
    }

    double step()
    {
        sweep::SweepCounters counters{1, 0};
        QElapsedTimer timer;
        timer.start();
        const qint16 state = m_sweep.mail_koi2(counters, m_account);
        const double ms = bench::elapsedMs(timer);
        if (state != sweep::StateSweep || counters.mail_no != 2 || !m_status.isEmpty())
            bench::fail(
                u"the sweep step did not read and keep message 1 (state %1): %2"_s.arg(state).arg(
                    m_status));
        if (bench::SettingsBeside::leftovers() != 0)
            bench::fail(u"the sweep step left files in temp/"_s);
        return ms;
    }

    mail::PopMailLibrary& library() { return m_library; }

private:
    static mail::PopOptions options(const mail::DovecotFixture& server)
    {
        mail::PopOptions o;
        o.caFile = server.caFile();
        return o;
    }

    sweep::Account m_account;
    mail::PopMailLibrary m_library;
    sweep::MailboxSweep m_sweep;
    QString m_status;
};

double bareStep(const bench::BarePop3& bare)
{
    const QString path = QDir(bench::SettingsBeside::tempFolder()).filePath(u"bare.eml"_s);
    QString error;
    QElapsedTimer timer;
    timer.start();
    const qint64 written = bench::bareFetch(bare, 1, path, &error);
    QFile::remove(path);
    const double ms = bench::elapsedMs(timer);
    if (written <= 0)
        bench::fail(u"bare POP3 fetch failed: "_s + error);
    return ms;
}

// Runs a and b alternately, the order swapped every round, so that a drift of the machine
// (another build, the server warming up) falls on both alike.
void interleave(int rounds, const std::function<double()>& a, const std::function<double()>& b,
                std::vector<double>& outA, std::vector<double>& outB)
{
    for (int i = 0; i < kWarmUp; ++i) {
        a();
        b();
    }
    for (int i = 0; i < rounds; ++i) {
        if (i % 2 == 0) {
            outA.push_back(a());
            outB.push_back(b());
        } else {
            outB.push_back(b());
            outA.push_back(a());
        }
    }
}

void printSpread(const char* label, const std::vector<double>& v)
{
    std::printf("  %-46s %8.2f %8.2f %8.2f\n", label, bench::median(v), bench::percentile(v, 0.1),
                bench::percentile(v, 0.9));
}

// Where the step's time goes: the library's SAVE alone, the reader alone, the store alone.
void breakdown(const mail::DovecotFixture& server, const Transport& transport, int rounds)
{
    SweepRunner runner(server, transport.serverText);
    mail::PopMailLibrary& library = runner.library();
    const QString folder = u">"_s + bench::SettingsBeside::tempFolder();
    std::vector<double> save, read, store, bare;

    const auto saveOnce = [&]() -> QString {
        const mail::MailResult saved = library.RcvMail(transport.serverText, server.user(),
                                                       server.password(), u"SAVE 1"_s, folder);
        if (!saved || saved->size() != 1)
            bench::fail(u"SAVE 1 failed: "_s + library.lastStatus().description);
        return saved->front();
    };
    const QString kept = saveOnce();
    for (int i = 0; i < kWarmUp + rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        QFile::remove(saveOnce());
        const double s = bench::elapsedMs(timer);

        timer.restart();
        if (!library.ReadMail(kept, QString(), folder))
            bench::fail(u"ReadMail failed: "_s + library.lastReadError());
        const double r = bench::elapsedMs(timer);

        timer.restart();
        {
            const auto connection = store::Connection::open(bench::SettingsBeside::databasePath());
            for (auto rows =
                     connection->Execute(store::SqlBlockMatchLike(u"news@mailer.example.com"_s));
                 !rows->eof(); rows->moveNext()) {
            }
        }
        const double d = bench::elapsedMs(timer);
        const double b = bareStep(transport.bare);
        if (i >= kWarmUp) {
            save.push_back(s);
            read.push_back(r);
            store.push_back(d);
            bare.push_back(b);
        }
    }
    QFile::remove(kept);
    const std::string title = std::string("breakdown over ") + transport.name + " (" +
                              std::to_string(rounds) + " rounds)";
    std::printf("  %-46s %8s %8s %8s\n", title.c_str(), "median", "p10", "p90");
    printSpread("PopMailLibrary SAVE 1 (UIDL+RETR into file)", save);
    printSpread("bare libcurl UIDL+RETR into file", bare);
    printSpread("PopMailLibrary ReadMail of the saved file", read);
    printSpread("DbOpen + SqlBlockMatchLike + DbClose", store);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int rounds = argc > 1 ? std::max(50, std::atoi(argv[1])) : 60;
    const bool withStls = !(argc > 2 && QByteArray(argv[2]) == "--no-stls");
    curl_global_init(CURL_GLOBAL_DEFAULT);

    try {
        mail::DovecotFixture server;
        mail::DovecotFixture::Options serverOptions;
        serverOptions.implicitTls = false;
        serverOptions.offerStls = true;
        server.start(serverOptions);
        bench::SettingsBeside settings;
        bench::SettingsBeside::addBlockEntries(100);
        const QByteArray mail =
            bench::makeMessage(kMessageBytes, "\"Mailer News\" <news@mailer.example.com>", false);
        server.addMessage(mail);

        const QByteArray base = "pop3://127.0.0.1:" + QByteArray::number(server.port()) + "/";
        const QByteArray user = server.user().toUtf8();
        const QByteArray password = server.password().toUtf8();
        std::vector<Transport> transports{
            {"plain pop3://", u"pop3://127.0.0.1:%1"_s.arg(server.port()),
             bench::BarePop3{base, user, password, false, {}}},
        };
        if (withStls)
            transports.push_back(
                {"STLS", u"127.0.0.1:%1"_s.arg(server.port()),
                 bench::BarePop3{base, user, password, true, QFile::encodeName(server.caFile())}});

        std::printf("P1  one sweep step (mail_koi2) on a %lld-byte message, local Dovecot, "
                    "100 block-list entries, %d interleaved rounds\n",
                    static_cast<long long>(mail.size()), rounds);
        std::printf("  %-46s %8s %8s %8s\n", "case (ms)", "median", "p10", "p90");
        for (const Transport& transport : transports) {
            SweepRunner runner(server, transport.serverText);
            std::vector<double> sweep, bare;
            interleave(
                rounds, [&] { return runner.step(); }, [&] { return bareStep(transport.bare); },
                sweep, bare);
            const double ratio = bench::median(sweep) / bench::median(bare);
            printSpread((std::string("sweep step over ") + transport.name).c_str(), sweep);
            printSpread((std::string("bare libcurl UIDL+RETR over ") + transport.name).c_str(),
                        bare);
            std::printf("  %-46s %8.2fx\n", "ratio sweep / bare", ratio);
            bench::printRow({"P1", std::string("sweep step, 10 KB, ") + transport.name,
                             bench::format("%.2f ms", bench::median(sweep)),
                             bench::format("%.2f ms bare curl", bench::median(bare)),
                             bench::format("%.2fx (target <= 1.25x)", ratio),
                             ratio <= kTargetRatio ? "yes" : "no"});
        }
        for (const Transport& transport : transports)
            breakdown(server, transport, std::max(20, rounds / 2));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "P1 failed: %s\n", e.what());
        curl_global_cleanup();
        return 1;
    }
    curl_global_cleanup();
    return 0;
}
