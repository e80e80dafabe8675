#pragma once

#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

namespace store {
class Connection;
}

namespace dialogs {

// The block-list entries the last deletion removed, kept until the program exits so that the
// deletion can be undone (削除 → 元に戻す, Ctrl+Z in the browser). A deletion that removes
// nothing leaves the entries of the one before it to undo.
class BlockListUndo {
public:
    // report: where a deletion or an undo says what it did (the main window's status line).
    explicit BlockListUndo(std::function<void(const QString&)> report = {});

    // Deletes the entries containing fragment, as the seeded statement does, keeping them.
    int deleteMatching(store::Connection& settings, const QString& fragment);
    // Deletes the one entry with this id, keeping it.
    int deleteById(store::Connection& settings, qint64 id);

    bool canUndo() const { return !m_last.isEmpty(); }
    // Puts the entries of the last deletion back, under their own ids; returns how many. The
    // store's failures go up as exceptions, and then nothing is forgotten.
    int undo(store::Connection& settings);

private:
    struct Entry {
        qint64 id = 0;
        QVariant address;
    };
    int deleted(QList<Entry> entries);

    std::function<void(const QString&)> m_report;
    QList<Entry> m_last;
};

} // namespace dialogs
