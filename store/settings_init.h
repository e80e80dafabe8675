#pragma once

#include <QString>

namespace store {

// The settings database's file name, in the data folder.
inline constexpr char kSettingsFileName[] = "junkbane.mdb";

// What creating an empty settings database came to.
struct InitResult {
    enum class Outcome {
        Created,       // a new, keyed database with both tables, mode 0600
        AlreadyExists, // a file (or link) of that name was there and was left untouched
        NoFolder,      // the folder does not exist; nothing was created
        Failed,        // nothing was created; reason says why
    };
    Outcome outcome = Outcome::Failed;
    QString path;   // the database file
    QString reason; // Failed: the system's or the database library's own words
};

// Creates the empty, keyed settings database junkbane.mdb in folder, readable and writable by
// its owner only. The tables are made in a temporary file that takes the final name only when
// complete, so an interrupted run leaves no half-made database behind, and the final name
// never replaces a file that appeared in the meantime. junkbane-initdb and the program's
// first start in a new data folder both make the database here.
InitResult createSettingsDatabase(const QString& folder);

} // namespace store
