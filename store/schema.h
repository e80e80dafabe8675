#pragma once

namespace store {

// The two tables of the settings database. `COLLATE NOCASE` makes "=" ignore the case of
// ASCII letters the way "like" already does, so an entry in capitals blocks a sender in small
// letters.
inline constexpr const char* kSchema[] = {
    "CREATE TABLE cool(id INTEGER PRIMARY KEY AUTOINCREMENT, d_server TEXT, "
    "d_user TEXT COLLATE NOCASE, d_pass TEXT, d_time INTEGER)",
    "CREATE TABLE mymailchk(id INTEGER PRIMARY KEY AUTOINCREMENT, addfrom TEXT COLLATE NOCASE)",
};

} // namespace store
