#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace store {

// What the program remembers between runs, besides the settings database.
struct ProgramState {
    std::optional<qint64> accountId; // the picked account's row id
    bool sweeping = false;           // the sweep was on when the program ended
    // The last message the sweep judged and left on the server, on the account with this row
    // id: a resumed sweep goes on after it.
    std::optional<qint64> resumeAccountId;
    QByteArray resumeUid;
    bool notifyDeletions = false;  // a desktop notification sums up the deletions
    bool closeNoticeShown = false; // closing to the tray has been explained once

    bool operator==(const ProgramState&) const = default;
};

// junkbane.ini beside the settings database: a small INI file, mode 0600, read at start and
// written whenever what it keeps changes. A missing or unreadable file, or a value that does
// not read, gives the defaults for what it cannot give: the program starts as it always has.
class ProgramSettings {
public:
    explicit ProgramSettings(QString path);

    // junkbane.ini in the data folder.
    static QString pathIn(const QString& dataFolder);

    ProgramState read() const;
    // Writes the whole state: empty text, or why the file could not be written.
    QString write(const ProgramState& state) const;

private:
    QString m_path;
};

} // namespace store
