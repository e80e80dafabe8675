#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

#include <string>
#include <vector>

class SettingsFixture;

// One row of the block list as the database holds it; a null addfrom is a null QVariant.
struct BlockRow {
    qint64 id = 0;
    QVariant addfrom;
};

// Appends entries in this order (so the last one is the newest); a null QVariant becomes a row
// without an address. Returns every row of the table, oldest first.
QList<BlockRow> seedBlockList(const SettingsFixture& settings, const QList<QVariant>& entries);
// Every row of the block list, oldest first.
QList<BlockRow> blockRows(const SettingsFixture& settings);
// Every row of the account table as one text per row, oldest first.
QStringList accountRows(const SettingsFixture& settings);

// The addresses of rows as printable texts ("(null)" for a row without one), for comparisons
// whose failures gtest can show.
std::vector<std::string> printable(const QList<BlockRow>& rows);
std::vector<std::string> printable(const QList<QVariant>& entries);
std::vector<qint64> idsOf(const QList<BlockRow>& rows);

// Equal texts; on a difference says where, without printing a megabyte.
::testing::AssertionResult sameText(const QString& actual, const QString& expected);

// The description of the store's error that running this statement on the test's own
// connection gives now, which is how a dialog's failure must read. Only for statements that
// are meant to fail: one that runs changes the table (and gives an empty text).
QString storeErrorFor(const SettingsFixture& settings, const QString& statement);
// The description of the store's error that opening the database gives now.
QString storeErrorOnOpen();
