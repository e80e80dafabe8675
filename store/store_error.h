#pragma once

#include <QString>

#include <stdexcept>

namespace store {

// A failure of the settings database: opening it or running a statement. The description is
// shown to the user as it stands, so it says what went wrong and where; the code is the
// store's own result code (SQLite's numbering, extended codes included), so that callers and
// tests can tell a locked file from a wrong key without reading the sentence.
class StoreError : public std::runtime_error {
public:
    // The primary result codes callers look at; code() & 0xff gives the primary code.
    static constexpr int kError = 1;     // a statement the store refused, or misuse of a result
    static constexpr int kBusy = 5;      // another connection holds the file
    static constexpr int kReadOnly = 8;  // the file or its folder cannot be written
    static constexpr int kCantOpen = 14; // the file is missing or cannot be opened
    static constexpr int kNotADb = 26;   // wrong key, or not a settings database at all

    StoreError(const QString& description, int code)
        : std::runtime_error(description.toStdString()), m_description(description), m_code(code)
    {
    }

    const QString& description() const noexcept { return m_description; }
    int code() const noexcept { return m_code; }
    int primaryCode() const noexcept { return m_code & 0xff; }

private:
    QString m_description;
    int m_code;
};

} // namespace store
