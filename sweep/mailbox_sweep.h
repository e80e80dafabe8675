#pragma once

#include "cancel_flag.h"
#include "deleted_mail.h"
#include "mail_library.h"
#include "settings_file.h"
#include "sweep.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace sweep {

// The sweep and delete steps of the main window: fetch message n into the temporary folder,
// judge its sender against the block list, clean the folder; delete the judged message. A
// blocked message is kept in deleted/ before it is deleted (see DeletedMail): no copy, no
// delete.
//
// No message holds the sweep for ever: one whose fetch keeps failing while the server answers
// (kFetchFailuresToPassOver attempts in a row), or whose delete is refused or left unconfirmed
// kDeleteFailuresToPassOver times in a row, is passed over like an unreadable one, and the
// status line names it until the sweep starts again from the top. A server whose UIDs change
// between sessions cannot be deleted from safely: the delete step stops the sweep.
class MailboxSweep final : public SweepSteps {
public:
    struct Hooks {
        std::function<QString()> folder;                // the program's folder, read afresh
        std::function<void(const QString&)> statusLine; // "" clears it
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
        // Raised: the step was stopped; what it fetched is not judged and nothing is reported.
        std::shared_ptr<const mail::CancelFlag> cancel = nullptr;
        // The sweep moved past a message it leaves on the server (kept, unreadable or passed
        // over), with that message's UID: where a later run may resume. Called on the worker.
        std::function<void(const Account&, const QByteArray&)> leftOnServer = nullptr;
        // A message was passed over for failing again and again: the status line's note.
        std::function<void(const QString&)> passedOver = nullptr;
    };

    // Three runs of the controller's three fetches.
    static constexpr int kFetchFailuresToPassOver = 9;
    static constexpr int kDeleteFailuresToPassOver = 3;
    // Deletes in a row that found the judged UID nowhere while its number was still taken.
    static constexpr int kVanishedUidsToStop = 3;

    MailboxSweep(mail::MailLibrary& library, Hooks hooks);

    qint16 mail_koi2(SweepCounters& counters, const Account& account) override;
    qint16 mail_koi4(const SweepCounters& counters, const Account& account) override;
    void dropJudged() override;

    // The first step on this account, from the top of the mailbox, goes on after the message
    // with this UID instead, at its number then; from the top when the mailbox no longer holds
    // it. Another account, or a sweep already under way, drops it. Set before the sweep runs.
    void resumeAfter(const Account& account, const QByteArray& uid);

    // The verdict on one sender text (the value of a "From:" line) against the open block list.
    static bool isBlocked(store::Connection& settings, const QString& sender);

    // At start-up: removes the copies an earlier run left between judging and deleting, keeps
    // those whose delete was under way, and removes the kept messages past their time. What
    // went wrong, for the status line, or "".
    QString tidyDeletedMail();

private:
    struct Judged {
        bool read = false;
        bool blocked = false;
        QString readError; // why it could not be read, or what of it was not saved
    };
    // Failures of one message in a row, on one account.
    struct Strikes {
        QString server;
        QString user;
        QByteArray uid;
        int count = 0;
        QString why; // the last failure's description

        // Counts a failure of uid; returns how many in a row.
        int add(const Account& account, const QByteArray& failed, const QString& description);
        bool hit(const Account& account, const QByteArray& other, int times) const;
    };

    Judged judgeMessage(store::Connection& settings, const QString& path, const QString& mail_dir);
    void report(const mail::CallStatus& status);
    // Shows a note about one message; it stays until a failure of the server replaces it for
    // a while, or the sweep starts again from the top.
    void notice(const QString& text);
    // Names a message that keeps failing in the status line and moves the sweep past it.
    qint16 passOver(SweepCounters& counters, const QByteArray& uid, Strikes& strikes,
                    const QString& failed, const Account& account);
    // Looks the resumed UID up: false when the server could not be asked.
    bool resume(SweepCounters& counters, const Account& account);
    void leftOnServer(const Account& account, const QByteArray& uid);
    bool cancelled() const { return m_hooks.cancel && m_hooks.cancel->raised(); }
    DeletedMail deletedMail() const;
    void keepDeleted(const QString& pending);
    // Removes the copy waiting for its delete: why it could not be, or "".
    QString dropPending();
    void showDeleteError(const QString& description);

    mail::MailLibrary& m_library;
    Hooks m_hooks;
    // The copy of the message the sweep judged blocked, waiting for its delete.
    std::optional<QString> m_pending;
    QString m_copyError; // why the judged message could not be kept, if it could not
    Strikes m_fetchFailures;
    Strikes m_deleteFailures;
    Strikes m_vanished;
    QString m_notice;
    QByteArray m_judgedUid; // the UID of the message the last fetch judged
    struct Resume {
        Account account;
        QByteArray uid;
    };
    std::optional<Resume> m_resume;
};

} // namespace sweep
