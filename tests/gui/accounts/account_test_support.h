#pragma once

// What the account dialog tests share: a fresh settings database for each test, a recorder
// for message boxes, the selected account cleared, and the account table read back.

#include "mdl_main.h"
#include "recording_messages.h"
#include "settings_fixture.h"
#include "store_error.h"

#include <QFile>
#include <QString>
#include <QVariant>

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QVariant& value, std::ostream* out)
{
    *out << (value.isValid() ? value.typeName() : "invalid") << '('
         << value.toString().toStdString() << ')';
}

// One row of the account table, every value as text, in table order.
struct AccountRow {
    QString server;
    QString user;
    QString pass;
    QString time;

    friend bool operator==(const AccountRow&, const AccountRow&) = default;
    friend void PrintTo(const AccountRow& row, std::ostream* out)
    {
        *out << "{" << row.server.toStdString() << " | " << row.user.toStdString() << " | "
             << row.pass.toStdString() << " | " << row.time.toStdString() << "}";
    }
};

class AccountDialogTest : public ::testing::Test {
protected:
    void SetUp() override { clearSelected(); }
    void TearDown() override { clearSelected(); }

    static void clearSelected()
    {
        MdlMain::sel_server = QVariant();
        MdlMain::sel_user = QVariant();
        MdlMain::sel_pass = QVariant();
        MdlMain::sel_time = QVariant();
        MdlMain::sel_id = QVariant();
    }

    // As a pick of the row with that id would leave it (no id: as if nothing was picked).
    static void select(const QVariant& server, const QVariant& user, const QVariant& pass,
                       const QVariant& time, const QVariant& id = QVariant())
    {
        MdlMain::sel_server = server;
        MdlMain::sel_user = user;
        MdlMain::sel_pass = pass;
        MdlMain::sel_time = time;
        MdlMain::sel_id = id;
    }

    static QVariantList selected()
    {
        return {MdlMain::sel_server, MdlMain::sel_user, MdlMain::sel_pass, MdlMain::sel_time};
    }

    // Adds a row the way an earlier session of the program would have left it; gives its id
    // as the store returns it.
    QVariant addAccount(const QString& server, const QString& user, const QString& pass,
                        qint64 seconds) const
    {
        const auto connection = settings.connect();
        connection->Execute(QStringLiteral("insert into cool(d_server,d_user,d_pass,d_time) "
                                           "values('%1','%2','%3',%4)")
                                .arg(literal(server), literal(user), literal(pass))
                                .arg(seconds));
        const auto row = connection->Execute(QStringLiteral("select max(id) as id from cool"));
        return row->value(QStringLiteral("id"));
    }

    std::vector<AccountRow> accounts() const
    {
        std::vector<AccountRow> rows;
        const auto connection = settings.connect();
        for (auto r = connection->Execute(
                 QStringLiteral("select d_server,d_user,d_pass,d_time from cool order by id"));
             !r->eof(); r->moveNext()) {
            rows.push_back({r->value(QStringLiteral("d_server")).toString(),
                            r->value(QStringLiteral("d_user")).toString(),
                            r->value(QStringLiteral("d_pass")).toString(),
                            r->value(QStringLiteral("d_time")).toString()});
        }
        return rows;
    }

    // The description the store gives when the settings database is missing, as the user
    // would read it.
    static QString missingDatabaseDescription()
    {
        try {
            store::Connection::open(SettingsFixture::databasePath());
        } catch (const store::StoreError& error) {
            return error.description();
        }
        ADD_FAILURE() << "the settings database opened although it was removed";
        return {};
    }

    static void removeDatabase() { ASSERT_TRUE(QFile::remove(SettingsFixture::databasePath())); }

    SettingsFixture settings;
    RecordingMessages messages;

private:
    static QString literal(QString text) { return text.replace(u'\'', QStringLiteral("''")); }
};
