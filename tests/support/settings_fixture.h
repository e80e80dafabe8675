#pragma once

#include "connection.h"

#include <QString>

#include <memory>

// The settings database and temporary folder in the data folder, where the program looks for
// them (beside the test program, as in a build folder), made fresh by the real junkbane-initdb
// and removed again at the end, together with the folder of deleted mail.
class SettingsFixture {
public:
    SettingsFixture();  // creates junkbane.mdb and temp/ beside the test program, no deleted/
    ~SettingsFixture(); // removes all three

    SettingsFixture(const SettingsFixture&) = delete;
    SettingsFixture& operator=(const SettingsFixture&) = delete;

    static QString folder();
    static QString databasePath();
    static QString tempFolder();
    static QString deletedFolder();

    // A connection of the test's own, for setting up rows and reading them back.
    std::unique_ptr<store::Connection> connect() const;
    // Runs one statement on a connection of its own.
    void execute(const QString& statement) const;
    // The values of one column of a query, as text, in the query's order.
    QStringList column(const QString& query, const QString& name) const;
};

// Runs junkbane-initdb on the folder; returns its exit code, its output in *output.
int runInitDb(const QString& folder, QString* output = nullptr);
