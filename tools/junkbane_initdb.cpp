// junkbane-initdb: creates the empty, keyed settings database junkbane.mdb with its two tables.
//
//   junkbane-initdb [FOLDER]
//
// FOLDER defaults to the folder of this program, which is where junkbane looks for the file.
// An existing file is never touched.

#include "schema.h"
#include "settings_key.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <memory>
#include <unistd.h>

namespace {

struct DatabaseCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

int fail(const QString& message)
{
    std::fprintf(stderr, "junkbane-initdb: %s\n", qPrintable(message));
    return 1;
}

bool exec(sqlite3* db, const char* sql, QString& error)
{
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = QString::fromUtf8(message ? message : sqlite3_errmsg(db));
    sqlite3_free(message);
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 || (args.size() == 2 && args[1].startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "usage: junkbane-initdb [FOLDER]\n"
                             "Creates the empty settings database junkbane.mdb in FOLDER\n"
                             "(by default the folder of this program). An existing file is never "
                             "overwritten.\n");
        return args.size() == 2 &&
                       (args[1] == QLatin1String("-h") || args[1] == QLatin1String("--help"))
                   ? 0
                   : 2;
    }

    const QString folder = args.size() == 2 ? args[1] : app.applicationDirPath();
    if (!QFileInfo(folder).isDir())
        return fail(QStringLiteral("folder %1 does not exist; nothing was created").arg(folder));
    const QString path = QDir(folder).absoluteFilePath(QStringLiteral("junkbane.mdb"));
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        return fail(QStringLiteral("%1 already exists; it was left untouched").arg(path));

    // The tables are made in a temporary file that takes the final name only when complete,
    // so an interrupted run leaves no half-made database behind. The rename does not replace
    // a file that appeared in the meantime (link + unlink instead of rename).
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(QFile::encodeName(partial).constData(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        Database db(raw);
        if (rc != SQLITE_OK) {
            const QString why =
                QString::fromUtf8(db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc));
            db.reset();
            QFile::remove(partial);
            return fail(QStringLiteral("cannot create %1: %2").arg(path, why));
        }
        QString error;
        bool ok = sqlite3_key(db.get(), store::kDatabasePassword,
                              int(sizeof store::kDatabasePassword - 1)) == SQLITE_OK;
        if (!ok)
            error = QString::fromUtf8(sqlite3_errmsg(db.get()));
        sqlite3_stmt* version = nullptr;
        if (ok && (sqlite3_prepare_v2(db.get(), "PRAGMA cipher_version", -1, &version, nullptr) !=
                       SQLITE_OK ||
                   sqlite3_step(version) != SQLITE_ROW)) {
            ok = false;
            error = QStringLiteral(
                "this SQLite has no encryption (not SQLCipher); refusing to write the "
                "settings in clear");
        }
        sqlite3_finalize(version);
        for (const char* statement : store::kSchema) {
            if (ok)
                ok = exec(db.get(), statement, error);
        }
        db.reset();
        if (!ok) {
            QFile::remove(partial);
            return fail(QStringLiteral("cannot create %1: %2").arg(path, error));
        }
    }
    if (::link(QFile::encodeName(partial).constData(), QFile::encodeName(path).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(partial);
        return fail(QStringLiteral("cannot create %1: %2").arg(path, why));
    }
    QFile::remove(partial);
    std::printf("junkbane-initdb: created %s with the tables cool and mymailchk\n",
                qPrintable(path));
    return 0;
}
