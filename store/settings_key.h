#pragma once

#include <QByteArray>
#include <QString>

namespace store {

// The fixed password of the settings database. It is part of the program; the user never
// types it.
inline constexpr char kDatabasePassword[] = "wqzhtrp";

// The raw key that SQLCipher derives from kDatabasePassword for a file with the given salt
// (the first 16 bytes of the file), as the "x'...'" text that PRAGMA key and sqlite3_key
// accept. Deriving it costs as much as SQLCipher's own derivation (64,000 rounds of
// PBKDF2-HMAC-SHA1), so the result is remembered for the life of the process: the sweep opens
// the database once a second. The file on disk stays keyed by the password; only the cost of
// reopening it falls.
QByteArray rawKeyForSalt(const QByteArray& salt);

} // namespace store
