#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace sweep {

// How long, and how much, deleted mail is kept.
struct DeletedMailLimits {
    int maxAgeDays = 30;
    qint64 maxTotalBytes = qint64{500} * 1024 * 1024;
};

// The messages the sweep deleted on the server, kept for a while in the folder deleted/ beside
// the settings database: one file per message, byte for byte as the server sent it. The folder
// is made when first needed (mode 0700), every file in it is 0600.
//
// When the sweep judges a message blocked, the saved message becomes the pending copy
// (".pending-*.eml", on disk and flushed). Just before the server is asked to delete it, the
// copy is marked as under way (".deleting-*.eml"); once the server has deleted the message, the
// copy becomes a kept message named "yyyyMMdd-HHmmss-zzz-<random>.eml" after the moment of
// deletion in UTC, so that names sort by that moment. Kept messages past the age limit, and the
// oldest past the size limit, are removed by prune(). Files of other names are never touched.
class DeletedMail {
public:
    using Limits = DeletedMailLimits;

    struct Kept {
        QString path;
        QDateTime deletedAt; // local time
        qint64 size = 0;
    };

    // folder: the deleted/ folder itself (see folderIn).
    explicit DeletedMail(
        QString folder,
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); },
        Limits limits = {});

    // deleted/ in the folder that holds the settings database.
    static QString folderIn(const QString& dataFolder);

    const QString& folder() const { return m_folder; }

    // Makes savedFile (the message as it was fetched) the pending copy: moved into the folder,
    // flushed to the disk. Its path; nothing (error says why) when it cannot be kept, and then
    // no copy stays in the folder.
    std::optional<QString> keepPending(const QString& savedFile, QString* error) const;

    // Marks a pending copy as under way, on the disk, before its delete is sent. Its new path;
    // nothing (error says why) when it cannot be renamed.
    std::optional<QString> markDeleting(const QString& copyPath, QString* error) const;

    // Turns a copy into a kept message deleted now. Its new path; nothing (error says why) when
    // it cannot be renamed, and then the copy stays as it is.
    std::optional<QString> commit(const QString& copyPath, QString* error) const;

    // Removes a copy; one already gone is no failure. False (error says why) when it cannot.
    bool removePending(const QString& copyPath, QString* error) const;

    // What an earlier run left, at start-up: pending copies go (their delete was never sent);
    // copies whose delete was under way are kept, since the server may have deleted their
    // message. False (error says why, the others are still handled) when one cannot be.
    bool recoverLeftovers(QString* error) const;

    // Removes the kept messages older than the age limit, both by the clock and by the newest
    // kept message (so that a clock set ahead prunes nothing the newest does not outdate), then
    // the oldest ones while all of them together are larger than the size limit. The newest one
    // always stays, however large: it is the message the server deleted last. False (error says
    // why, the others are still removed) when a file cannot be removed.
    bool prune(QString* error) const;

    // The kept messages, newest first.
    QList<Kept> list() const;

private:
    bool makeFolder(QString* error) const;
    std::optional<QString> commitAt(const QString& copyPath, const QDateTime& moment,
                                    QString* error) const;

    QString m_folder;
    std::function<QDateTime()> m_now;
    Limits m_limits;
};

} // namespace sweep
