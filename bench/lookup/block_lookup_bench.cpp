// P4: what one block-list lookup costs on a settings database holding 1,000, 10,000 and
// 100,000 entries: the two statements the sweep sends (through store::Connection), and the
// sweep's whole judgement of one sender (mail_koi2 with the mail layer replaced by one that
// hands over a sender at once, so only the store is measured). Neither statement can use an
// index ("like '%...%'" never can, and addfrom has none), so each is a full pass over the list.
// The baseline is the same "like" statement on an unencrypted copy of the table: what SQLite
// itself needs for that pass, so the ratio is what the cipher and our layer add. A count(*) on
// the encrypted connection shows what reading (decrypting) every page alone costs.

#include "bench_common.h"
#include "mailbox_sweep.h"
#include "settings_key.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr double kTargetMs = 20.0;
const QString kAddress = u"news@mailer.example.com"_s;

// A mail layer that "fetches" a message from the given sender without a server or a file:
// the sweep's step is then its own judgement and nothing else.
class SenderOnlyLibrary final : public mail::MailLibrary {
public:
    QString sender;

    mail::MailResult RcvMail(const QString&, const QString&, const QString&, const QString&,
                             const QString&) override
    {
        return QStringList{QDir(bench::SettingsBeside::tempFolder()).filePath(u"none.eml"_s)};
    }
    mail::MailResult ReadMail(const QString&, const QString&, const QString&) override
    {
        return QStringList{u"From:"_s + sender};
    }
    mail::CallStatus lastStatus() const override { return {}; }
    mail::DeleteOutcome lastDeleteOutcome() const override { return mail::DeleteOutcome::None; }
    QString lastReadError() const override { return {}; }
};

double drain(store::Connection& connection, const QString& statement)
{
    QElapsedTimer timer;
    timer.start();
    int rows = 0;
    for (auto r = connection.Execute(statement); !r->eof(); r->moveNext())
        ++rows;
    const double ms = bench::elapsedMs(timer);
    if (rows != 0 && !statement.contains(u"count(*)"_s))
        bench::fail(u"the lookup found %1 rows where none should match"_s.arg(rows));
    return ms;
}

// Closes a connection opened on SQLCipher's API directly.
struct DatabaseCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};

// The same "like" statement on an unencrypted copy of the table: what the cipher costs.
double plainLike(sqlite3* db)
{
    const QByteArray text = store::SqlBlockMatchLike(kAddress).toUtf8();
    QElapsedTimer timer;
    timer.start();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, text.constData(), static_cast<int>(text.size()), &statement, nullptr);
    while (sqlite3_step(statement) == SQLITE_ROW) {
    }
    sqlite3_finalize(statement);
    return bench::elapsedMs(timer);
}

std::unique_ptr<sqlite3, DatabaseCloser> plainCopy(const QString& path)
{
    QFile::remove(path);
    // The store opens without create, and so does its ATTACH: an empty file is an empty
    // database.
    if (QFile file(path); !file.open(QIODevice::WriteOnly))
        bench::fail(u"cannot create "_s + path);
    {
        const auto connection = store::Connection::open(bench::SettingsBeside::databasePath());
        QString escaped = path;
        escaped.replace(u"'"_s, u"''"_s);
        connection->Execute(u"ATTACH DATABASE '%1' AS plaintext KEY ''"_s.arg(escaped));
        connection->Execute(u"SELECT sqlcipher_export('plaintext')"_s);
        connection->Execute(u"DETACH DATABASE plaintext"_s);
    }
    sqlite3* raw = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READONLY, nullptr);
    return std::unique_ptr<sqlite3, DatabaseCloser>(raw);
}

// An encrypted copy with 4096-byte pages instead of SQLCipher 3's 1024: the same bytes to
// decrypt in a quarter of the pages, so a quarter of the per-page work (a read call, a cipher
// and an HMAC context set up and torn down, one HMAC).
void pagedCopy(const QString& path)
{
    QFile::remove(path);
    if (QFile file(path); !file.open(QIODevice::WriteOnly))
        bench::fail(u"cannot create "_s + path);
    const auto connection = store::Connection::open(bench::SettingsBeside::databasePath());
    QString escaped = path;
    escaped.replace(u"'"_s, u"''"_s);
    connection->Execute(u"ATTACH DATABASE '%1' AS paged KEY '%2'"_s.arg(
        escaped, QLatin1String(store::kDatabasePassword)));
    connection->Execute(u"PRAGMA paged.cipher_page_size = 4096"_s);
    connection->Execute(u"SELECT sqlcipher_export('paged')"_s);
    connection->Execute(u"DETACH DATABASE paged"_s);
}

// What the sweep's judgement does with the store, on SQLCipher's API directly: open the file,
// key it with the remembered raw key, run the "like" statement to its end, close.
double freshLike(const QString& path, int pageSize)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        bench::fail(u"cannot read "_s + path);
    const QByteArray key = store::rawKeyForSalt(file.read(16));
    file.close();
    const QByteArray pragma = "PRAGMA cipher_page_size = " + QByteArray::number(pageSize);
    const QByteArray text = store::SqlBlockMatchLike(kAddress).toUtf8();

    QElapsedTimer timer;
    timer.start();
    sqlite3* raw = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const std::unique_ptr<sqlite3, DatabaseCloser> db(raw);
    sqlite3_key(raw, key.constData(), static_cast<int>(key.size()));
    sqlite3_exec(raw, pragma.constData(), nullptr, nullptr, nullptr);
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(raw, text.constData(), static_cast<int>(text.size()), &statement,
                           nullptr) != SQLITE_OK)
        bench::fail(u"cannot read %1: %2"_s.arg(path, QString::fromUtf8(sqlite3_errmsg(raw))));
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    sqlite3_finalize(statement);
    if (rc != SQLITE_DONE)
        bench::fail(u"cannot read %1: %2"_s.arg(path, QString::fromUtf8(sqlite3_errmsg(raw))));
    return bench::elapsedMs(timer);
}

void printSpread(const char* label, const std::vector<double>& v)
{
    std::printf("  %-52s %8.3f %8.3f %8.3f\n", label, bench::median(v), bench::percentile(v, 0.1),
                bench::percentile(v, 0.9));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const int minimumRounds = argc > 1 ? std::max(20, std::atoi(argv[1])) : 40;

    try {
        bench::SettingsBeside settings;
        SenderOnlyLibrary library;
        QString status;
        sweep::MailboxSweep sweep(
            library, sweep::MailboxSweep::Hooks{
                         .folder = [] { return bench::SettingsBeside::folder(); },
                         .statusLine = [&status](const QString& text) { status = text; },
                     });
        const auto judge = [&](const QString& sender) {
            library.sender = sender;
            sweep::SweepCounters counters{1, 0};
            QElapsedTimer timer;
            timer.start();
            const qint16 state = sweep.mail_koi2(counters, {u"x"_s, u"u"_s, {}});
            const double ms = bench::elapsedMs(timer);
            if (state != sweep::StateSweep)
                bench::fail(u"the sweep judged %1 blocked"_s.arg(sender));
            return ms;
        };

        std::printf("P4  one block-list lookup of a sender on no list entry (a full pass), "
                    "median / p10 / p90 in ms\n");
        int entries = 0;
        for (const int size : {1000, 10000, 100000}) {
            bench::SettingsBeside::addBlockEntries(size - entries, entries);
            entries = size;
            const auto connection = store::Connection::open(bench::SettingsBeside::databasePath());
            const auto pages = connection->Execute(u"PRAGMA page_count"_s);
            const qlonglong pageCount = pages->value(u"page_count"_s).toLongLong();
            const auto plain =
                plainCopy(QDir(bench::SettingsBeside::tempFolder()).filePath(u"plain.db"_s));
            const QString paged = QDir(bench::SettingsBeside::tempFolder()).filePath(u"paged.db"_s);
            pagedCopy(paged);

            std::vector<double> like, exact, judgedLike, judgedExact, count, plainLikes, fresh1k,
                fresh4k;
            QElapsedTimer budget;
            budget.start();
            for (int round = 0; round < minimumRounds + 3 || budget.elapsed() < 1500; ++round) {
                if (round >= 2000)
                    break;
                const double l = drain(*connection, store::SqlBlockMatchLike(kAddress));
                const double e = drain(*connection, store::SqlBlockMatchExact(kAddress));
                const double c = drain(*connection, u"select count(*) from mymailchk"_s);
                const double jl = judge(u"\"Mailer News\" <"_s + kAddress + u">"_s);
                const double je = judge(kAddress);
                const double p = plainLike(plain.get());
                const double f1 = freshLike(bench::SettingsBeside::databasePath(), 1024);
                const double f4 = freshLike(paged, 4096);
                if (round < 3)
                    continue; // warm-up
                like.push_back(l);
                exact.push_back(e);
                count.push_back(c);
                judgedLike.push_back(jl);
                judgedExact.push_back(je);
                plainLikes.push_back(p);
                fresh1k.push_back(f1);
                fresh4k.push_back(f4);
            }
            std::printf("  %d entries, %lld pages of the database file, %zu rounds\n", size,
                        pageCount, like.size());
            printSpread("SqlBlockMatchLike on an open Connection", like);
            printSpread("SqlBlockMatchExact on an open Connection", exact);
            printSpread("sweep judgement \"Name <addr>\" (DbOpen+like+DbClose)", judgedLike);
            printSpread("sweep judgement \"addr\" (DbOpen+exact+DbClose)", judgedExact);
            printSpread("select count(*) on the open Connection", count);
            printSpread("baseline: same like statement, unencrypted copy", plainLikes);
            printSpread("diagnosis: open+like+close, 1024-byte pages (today)", fresh1k);
            printSpread("diagnosis: open+like+close, 4096-byte pages", fresh4k);

            const double base = bench::median(plainLikes);
            const auto row = [&](const char* what, const std::vector<double>& v, bool target) {
                const double m = bench::median(v);
                bench::printRow(
                    {"P4", bench::format("%.0f entries: ", size) + what,
                     bench::format("%.2f ms", m), bench::format("%.2f ms unencrypted", base),
                     bench::format("%.1fx", m / base) + (target ? " (target <= 20 ms)" : ""),
                     target ? (m <= kTargetMs ? "yes" : "no") : "-"});
            };
            const bool target = size == 100000;
            row("SqlBlockMatchLike", like, target);
            row("SqlBlockMatchExact", exact, target);
            row("sweep judgement (like)", judgedLike, target);
        }
        if (!status.isEmpty())
            bench::fail(u"the sweep reported: "_s + status);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "P4 failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
