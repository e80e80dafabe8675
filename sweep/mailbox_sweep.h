#pragma once

#include "cancel_flag.h"
#include "db_owner.h"
#include "deleted_mail.h"
#include "mail_library.h"
#include "sweep.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace mail {

// The sweep and delete steps of the main window: fetch message n into the temporary folder,
// judge its sender against the block list, clean the folder; delete the judged message. A
// blocked message is kept in deleted/ before it is deleted (see DeletedMail): no copy, no
// delete.
class MailboxSweep final : public SweepSteps, private store::DbOwner {
public:
    struct Hooks {
        std::function<QString()> folder;                // the program's folder, read afresh
        std::function<void(const QString&)> statusLine; // "" clears it
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
        // Raised: the step was stopped; what it fetched is not judged and nothing is reported.
        std::shared_ptr<const CancelFlag> cancel = nullptr;
    };

    MailboxSweep(MailLibrary& library, Hooks hooks);

    qint16 mail_koi2(SweepCounters& counters, const Account& account) override;
    qint16 mail_koi4(const SweepCounters& counters, const Account& account) override;

    // The verdict on one sender text (the value of a "From:" line) against the open block list.
    bool isBlocked(const QString& sender);

    // At start-up: removes the copies an earlier run left between judging and deleting, keeps
    // those whose delete was under way, and removes the kept messages past their time. What
    // went wrong, for the status line, or "".
    QString tidyDeletedMail();

private:
    struct Judged {
        bool read = false;
        bool blocked = false;
    };
    Judged judgeMessage(const QString& path, const QString& mail_dir);
    void report(const CallStatus& status);
    bool cancelled() const { return m_hooks.cancel && m_hooks.cancel->raised(); }
    DeletedMail deletedMail() const;
    void keepDeleted(const QString& pending);
    // Removes the copy waiting for its delete: why it could not be, or "".
    QString dropPending();
    void showDeleteError(const QString& description);

    MailLibrary& m_library;
    Hooks m_hooks;
    // The copy of the message the sweep judged blocked, waiting for its delete.
    std::optional<QString> m_pending;
    QString m_copyError; // why the judged message could not be kept, if it could not
};

} // namespace mail
