// P3: what opening the settings database and running the first statement costs, the first time
// in a process and every later time, beside SQLCipher's own open with the password (the
// baseline: what every open would cost without the remembered key).

#include "connection.h"
#include "statements.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// The baseline: a fresh SQLCipher connection keyed with the password, then the same read.
double baselineOpen(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_key(db, "wqzhtrp", 7);
    sqlite3_exec(db, "select addfrom from mymailchk where addfrom='a@b.jp'", nullptr, nullptr,
                 nullptr);
    sqlite3_close(db);
    return ms(timer);
}

double ourOpen(const QString& path)
{
    QElapsedTimer timer;
    timer.start();
    const auto connection = store::Connection::open(path);
    connection->Execute(store::SqlBlockMatchExact(QStringLiteral("a@b.jp")));
    return ms(timer);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    if (QProcess::execute(QStringLiteral(JUNKBANE_INITDB), {folder.path()}) != 0) {
        std::fprintf(stderr, "junkbane-initdb failed\n");
        return 1;
    }
    const QString path = QDir(folder.path()).filePath(QStringLiteral("junkbane.mdb"));
    const int rounds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 100;

    const double first = ourOpen(path);
    std::vector<double> later, baseline;
    for (int i = 0; i < rounds; ++i) {
        later.push_back(ourOpen(path));
        baseline.push_back(baselineOpen(path));
    }

    std::printf("P3  DbOpen + first statement (%d rounds, median)\n", rounds);
    std::printf("  %-44s %9s\n", "case", "ms");
    std::printf("  %-44s %9.2f\n", "first open in the process", first);
    std::printf("  %-44s %9.2f\n", "later opens", median(later));
    std::printf("  %-44s %9.2f\n", "baseline: SQLCipher open with the password", median(baseline));
    std::printf("  %-44s %9.1fx\n", "baseline / later", median(baseline) / median(later));
    return 0;
}
