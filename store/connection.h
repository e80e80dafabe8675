#pragma once

#include <QString>
#include <QVariant>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace store {

namespace detail {
struct DatabaseCloser {
    void operator()(sqlite3* db) const noexcept;
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept;
};
} // namespace detail

using DatabaseHandle = std::shared_ptr<sqlite3>;
using StatementHandle = std::unique_ptr<sqlite3_stmt, detail::StatementFinalizer>;

// The rows of one query, read once from front to back.
class Recordset {
public:
    Recordset(DatabaseHandle db, StatementHandle statement);

    // True when there is no current row: the query found nothing, or every row was read.
    bool eof() const noexcept { return m_eof; }
    void moveNext();
    // The current row's value of a column, untyped as the store holds it: a number, a text,
    // or a null QVariant for a column without value. Throws StoreError past the end or for a
    // column the query did not select.
    QVariant value(const QString& column) const;

private:
    void step();

    DatabaseHandle m_db; // keeps the connection alive while the rows are read
    StatementHandle m_statement;
    bool m_eof = true;
};

// An open, keyed connection to the settings database.
class Connection {
public:
    // Opens an existing database file read-write (never creates one), keys it and proves the
    // key by a real read. Throws StoreError with a description a person can act on.
    static std::unique_ptr<Connection> open(const QString& filePath);

    // Runs one statement. A query returns its rows; any other statement runs to its end and
    // returns an empty recordset. Every statement commits by itself.
    std::unique_ptr<Recordset> Execute(const QString& statement);

    explicit Connection(DatabaseHandle db);

private:
    DatabaseHandle m_db;
};

} // namespace store
