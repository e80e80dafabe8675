#include "settings_init.h"

#include "schema.h"
#include "settings_key.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace store {

namespace {

struct DatabaseCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, DatabaseCloser>;

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
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

// Keys the new file and makes both tables; empty text on success, else why not.
QString makeTables(const QString& file)
{
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(file).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    const Database db(raw);
    if (rc != SQLITE_OK)
        return QString::fromUtf8(db ? sqlite3_errmsg(db.get()) : sqlite3_errstr(rc));
    if (sqlite3_key(db.get(), kDatabasePassword, int(sizeof kDatabasePassword - 1)) != SQLITE_OK)
        return QString::fromUtf8(sqlite3_errmsg(db.get()));
    sqlite3_stmt* version = nullptr;
    const bool cipher =
        sqlite3_prepare_v2(db.get(), "PRAGMA cipher_version", -1, &version, nullptr) == SQLITE_OK &&
        sqlite3_step(version) == SQLITE_ROW;
    sqlite3_finalize(version);
    if (!cipher)
        return QStringLiteral("this SQLite has no encryption (not SQLCipher); refusing to write "
                              "the settings in clear");
    QString error;
    for (const char* statement : kSchema) {
        if (!exec(db.get(), statement, error))
            return error;
    }
    return {};
}

} // namespace

InitResult createSettingsDatabase(const QString& folder)
{
    InitResult result;
    result.path = QDir(folder).absoluteFilePath(QString::fromLatin1(kSettingsFileName));
    if (!QFileInfo(folder).isDir()) {
        result.outcome = InitResult::Outcome::NoFolder;
        return result;
    }
    if (QFileInfo::exists(result.path) || QFileInfo(result.path).isSymLink()) {
        result.outcome = InitResult::Outcome::AlreadyExists;
        return result;
    }

    const QString partial = result.path + QStringLiteral(".partial");
    const QByteArray partialName = QFile::encodeName(partial);
    ::unlink(partialName.constData());
    // Made here with mode 0600 before the database library opens it: the library would create
    // it 0644, and the passwords inside are the user's alone.
    const int fd = ::open(partialName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        result.reason = systemError(errno);
        return result;
    }
    ::close(fd);

    result.reason = makeTables(partial);
    if (result.reason.isEmpty()) {
        if (::link(partialName.constData(), QFile::encodeName(result.path).constData()) == 0) {
            result.outcome = InitResult::Outcome::Created;
        } else if (const int error = errno; error == EEXIST) {
            result.outcome = InitResult::Outcome::AlreadyExists;
        } else {
            result.reason = systemError(error);
        }
    }
    ::unlink(partialName.constData());
    return result;
}

} // namespace store
