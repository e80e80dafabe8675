#include "block_list_rows.h"

#include "settings_fixture.h"
#include "statements.h"
#include "store_error.h"

using namespace Qt::StringLiterals;

QList<BlockRow> seedBlockList(const SettingsFixture& settings, const QList<QVariant>& entries)
{
    const auto connection = settings.connect();
    for (const QVariant& entry : entries) {
        connection->Execute(entry.isNull() ? u"insert into mymailchk (addfrom) values (null)"_s
                                           : store::SqlBlockInsert(entry.toString()));
    }
    return blockRows(settings);
}

QList<BlockRow> blockRows(const SettingsFixture& settings)
{
    QList<BlockRow> rows;
    const auto connection = settings.connect();
    for (auto r = connection->Execute(u"select id,addfrom from mymailchk order by id"_s); !r->eof();
         r->moveNext())
        rows.append({r->value(u"id"_s).toLongLong(), r->value(u"addfrom"_s)});
    return rows;
}

QStringList accountRows(const SettingsFixture& settings)
{
    QStringList rows;
    const auto connection = settings.connect();
    for (auto r = connection->Execute(u"select * from cool order by id"_s); !r->eof();
         r->moveNext()) {
        rows.append(QStringList{r->value(u"id"_s).toString(), r->value(u"d_server"_s).toString(),
                                r->value(u"d_user"_s).toString(), r->value(u"d_pass"_s).toString(),
                                r->value(u"d_time"_s).toString()}
                        .join(u'|'));
    }
    return rows;
}

std::vector<std::string> printable(const QList<QVariant>& entries)
{
    std::vector<std::string> texts;
    for (const QVariant& entry : entries)
        texts.push_back(entry.isNull() ? std::string("(null)") : entry.toString().toStdString());
    return texts;
}

std::vector<std::string> printable(const QList<BlockRow>& rows)
{
    QList<QVariant> entries;
    for (const BlockRow& row : rows)
        entries.append(row.addfrom);
    return printable(entries);
}

std::vector<qint64> idsOf(const QList<BlockRow>& rows)
{
    std::vector<qint64> ids;
    for (const BlockRow& row : rows)
        ids.push_back(row.id);
    return ids;
}

::testing::AssertionResult sameText(const QString& actual, const QString& expected)
{
    if (actual == expected)
        return ::testing::AssertionSuccess();
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    return ::testing::AssertionFailure()
           << "texts differ at character " << at << " (lengths " << actual.size() << " and "
           << expected.size() << "): " << actual.mid(at, 20).toStdString() << " instead of "
           << expected.mid(at, 20).toStdString();
}

QString storeErrorFor(const SettingsFixture& settings, const QString& statement)
{
    try {
        settings.execute(statement);
    } catch (const store::StoreError& error) {
        return error.description();
    }
    return {};
}

QString storeErrorOnOpen()
{
    try {
        store::Connection::open(SettingsFixture::databasePath());
    } catch (const store::StoreError& error) {
        return error.description();
    }
    return {};
}
