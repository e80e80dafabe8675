#include "connection.h"

#include "settings_key.h"
#include "store_error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstring>

namespace store {

namespace detail {
void DatabaseCloser::operator()(sqlite3* db) const noexcept
{
    sqlite3_close_v2(db);
}
void StatementFinalizer::operator()(sqlite3_stmt* statement) const noexcept
{
    sqlite3_finalize(statement);
}
} // namespace detail

namespace {

constexpr int kBusyTimeoutMs = 2000;
constexpr qsizetype kSaltBytes = 16;

QString lastMessage(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// What went wrong while a statement ran, in words that say what to do about it; the store's
// own message follows in parentheses.
QString statementFailure(sqlite3* db)
{
    const QString detail = lastMessage(db);
    switch (sqlite3_errcode(db) & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QCoreApplication::translate("store",
                                           "設定データベースは別のプログラムが使用中です。"
                                           "そのプログラムを終了してからやり直してください（%1）")
            .arg(detail);
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return QCoreApplication::translate(
                   "store", "設定データベースに書き込めません。ファイルとフォルダの書き込み権限を"
                            "確認してください（%1）")
            .arg(detail);
    case SQLITE_FULL:
        return QCoreApplication::translate(
                   "store", "ディスクに空きがないため設定データベースに書き込めません。"
                            "空きを作ってからやり直してください（%1）")
            .arg(detail);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return QCoreApplication::translate(
                   "store", "設定データベースが壊れています。バックアップから戻すか、"
                            "junkbane-initdb で作り直してください（%1）")
            .arg(detail);
    case SQLITE_IOERR:
        return QCoreApplication::translate(
                   "store", "設定データベースの読み書き中に入出力エラーが起きました（%1）")
            .arg(detail);
    case SQLITE_TOOBIG:
        return QCoreApplication::translate("store", "設定データベースに入れる値が長すぎます（%1）")
            .arg(detail);
    default:
        return QCoreApplication::translate("store",
                                           "設定データベースの読み書きに失敗しました（%1）")
            .arg(detail);
    }
}

QString cannotRead(const QString& path, const QString& why)
{
    return QCoreApplication::translate(
               "store", "設定データベース %1 を読めません：パスワードが合わないか、壊れているか、"
                        "このプログラムの設定データベースではありません（%2）")
        .arg(QDir::toNativeSeparators(path), why);
}

// The first 16 bytes of a SQLCipher file are the salt of its key; empty when unreadable.
QByteArray readSalt(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray salt = file.read(kSaltBytes);
    return salt.size() == kSaltBytes ? salt : QByteArray();
}

DatabaseHandle openHandle(const QString& path)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    // sqlite hands back a handle even when the open fails; own it before looking at rc.
    DatabaseHandle db(raw, detail::DatabaseCloser{});
    if (rc != SQLITE_OK) {
        throw StoreError(
            QCoreApplication::translate("store", "設定データベース %1 を開けません：%2")
                .arg(QDir::toNativeSeparators(path),
                     db ? lastMessage(db.get()) : QString::fromUtf8(sqlite3_errstr(rc))),
            rc);
    }
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    return db;
}

// A library without the cipher would ignore the key and read and write the file in clear.
void requireCipher(sqlite3* db)
{
    sqlite3_stmt* raw = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA cipher_version", -1, &raw, nullptr);
    StatementHandle statement(raw);
    if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW) {
        throw StoreError(
            QCoreApplication::translate(
                "store",
                "このプログラムは暗号化に対応していない SQLite で動いています。"
                "設定データベースを保護できないため開きません（PRAGMA cipher_version が空です）"),
            SQLITE_ERROR);
    }
}

// SQLCipher accepts any key at open; the first read of a page tells whether it fits.
int proveKey(sqlite3* db)
{
    return sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
}

DatabaseHandle openKeyed(const QString& path, const QByteArray& key)
{
    DatabaseHandle db = openHandle(path);
    if (sqlite3_key(db.get(), key.constData(), int(key.size())) != SQLITE_OK)
        throw StoreError(cannotRead(path, lastMessage(db.get())), SQLITE_NOTADB);
    requireCipher(db.get());
    return db;
}

bool isBlank(const char* text)
{
    for (; *text; ++text) {
        if (!std::strchr(" \t\r\n", *text))
            return false;
    }
    return true;
}

} // namespace

Recordset::Recordset(DatabaseHandle db, StatementHandle statement)
    : m_db(std::move(db)), m_statement(std::move(statement))
{
    step();
}

void Recordset::step()
{
    const int rc = sqlite3_step(m_statement.get());
    if (rc == SQLITE_ROW) {
        m_eof = false;
        return;
    }
    m_eof = true;
    if (rc != SQLITE_DONE) {
        throw StoreError(statementFailure(m_db.get()), sqlite3_extended_errcode(m_db.get()));
    }
}

void Recordset::moveNext()
{
    if (m_eof)
        throw StoreError(QCoreApplication::translate(
                             "store", "設定データベースの結果の終わりを越えて読もうとしました"),
                         SQLITE_MISUSE);
    step();
}

QVariant Recordset::value(const QString& column) const
{
    if (m_eof)
        throw StoreError(
            QCoreApplication::translate("store", "設定データベースの結果に現在の行がありません"),
            SQLITE_MISUSE);
    sqlite3_stmt* s = m_statement.get();
    const int count = sqlite3_column_count(s);
    for (int i = 0; i < count; ++i) {
        if (column.compare(QString::fromUtf8(sqlite3_column_name(s, i)), Qt::CaseInsensitive) != 0)
            continue;
        switch (sqlite3_column_type(s, i)) {
        case SQLITE_INTEGER:
            return QVariant(qlonglong(sqlite3_column_int64(s, i)));
        case SQLITE_FLOAT:
            return QVariant(sqlite3_column_double(s, i));
        case SQLITE_TEXT:
            return QVariant(
                QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, i)),
                                  sqlite3_column_bytes(s, i)));
        case SQLITE_BLOB:
            return QVariant(QByteArray(static_cast<const char*>(sqlite3_column_blob(s, i)),
                                       sqlite3_column_bytes(s, i)));
        default:
            return QVariant();
        }
    }
    throw StoreError(
        QCoreApplication::translate("store", "設定データベースの結果に列 %1 がありません")
            .arg(column),
        SQLITE_RANGE);
}

Connection::Connection(DatabaseHandle db) : m_db(std::move(db)) {}

std::unique_ptr<Connection> Connection::open(const QString& filePath)
{
    if (!QFileInfo(filePath).isFile()) {
        throw StoreError(QCoreApplication::translate("store", "設定データベース %1 がありません。"
                                                              "junkbane-initdb で作成してください")
                             .arg(QDir::toNativeSeparators(filePath)),
                         SQLITE_CANTOPEN);
    }

    // The remembered raw key skips the password's slow derivation; should it ever not fit
    // (another SQLCipher with other key settings), the password itself decides.
    const QByteArray salt = readSalt(filePath);
    if (!salt.isEmpty()) {
        const QByteArray rawKey = rawKeyForSalt(salt);
        if (!rawKey.isEmpty()) {
            DatabaseHandle db = openKeyed(filePath, rawKey);
            const int rc = proveKey(db.get());
            if (rc == SQLITE_OK)
                return std::make_unique<Connection>(std::move(db));
            if (rc != SQLITE_NOTADB) // locked, unreadable, damaged: the key is not the question
                throw StoreError(statementFailure(db.get()), sqlite3_extended_errcode(db.get()));
        }
    }

    DatabaseHandle db = openKeyed(filePath, QByteArray(kDatabasePassword));
    if (const int rc = proveKey(db.get()); rc != SQLITE_OK) {
        throw StoreError(rc == SQLITE_NOTADB ? cannotRead(filePath, lastMessage(db.get()))
                                             : statementFailure(db.get()),
                         sqlite3_extended_errcode(db.get()));
    }
    return std::make_unique<Connection>(std::move(db));
}

std::unique_ptr<Recordset> Connection::Execute(const QString& statement)
{
    // The store reads a statement only up to a NUL: what follows would silently vanish.
    if (statement.contains(QChar(0)))
        throw StoreError(
            QCoreApplication::translate(
                "store", "設定データベースへの命令に使えない文字（NUL）が含まれています"),
            SQLITE_ERROR);
    const QByteArray text = statement.toUtf8();
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(m_db.get(), text.constData(), int(text.size()), &raw, &tail);
    StatementHandle prepared(raw);
    if (rc != SQLITE_OK || !prepared) {
        throw StoreError(rc != SQLITE_OK ? statementFailure(m_db.get())
                                         : QCoreApplication::translate(
                                               "store", "設定データベースへの命令が空です"),
                         rc != SQLITE_OK ? sqlite3_extended_errcode(m_db.get()) : SQLITE_ERROR);
    }
    // Exactly one statement runs per call: text after the first one is refused, never run.
    if (tail && !isBlank(tail)) {
        throw StoreError(
            QCoreApplication::translate(
                "store",
                "設定データベースへの命令に二つ目の文が含まれていたため実行しませんでした"),
            SQLITE_ERROR);
    }
    return std::make_unique<Recordset>(m_db, std::move(prepared));
}

} // namespace store
