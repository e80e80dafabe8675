#pragma once

#include "cancel_flag.h"
#include "db_owner.h"
#include "mail_library.h"
#include "sweep.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>

namespace mail {

// The sweep and delete steps of the main window: fetch message n into the temporary folder,
// judge its sender against the block list, clean the folder; delete the judged message.
//
// No message holds the sweep for ever: one whose fetch keeps failing while the server answers
// (kFetchFailuresToPassOver attempts in a row), or whose delete is refused or left unconfirmed
// kDeleteFailuresToPassOver times in a row, is passed over like an unreadable one, and the
// status line names it until the sweep starts again from the top. A server whose UIDs change
// between sessions cannot be deleted from safely: the delete step stops the sweep.
class MailboxSweep final : public SweepSteps, private store::DbOwner {
public:
    struct Hooks {
        std::function<QString()> folder;                // the program's folder, read afresh
        std::function<void(const QString&)> statusLine; // "" clears it
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
        // Raised: the step was stopped; what it fetched is not judged and nothing is reported.
        std::shared_ptr<const CancelFlag> cancel = nullptr;
    };

    // Three runs of the controller's three fetches.
    static constexpr int kFetchFailuresToPassOver = 9;
    static constexpr int kDeleteFailuresToPassOver = 3;
    // Deletes in a row that found the judged UID nowhere while its number was still taken.
    static constexpr int kVanishedUidsToStop = 3;

    MailboxSweep(MailLibrary& library, Hooks hooks);

    qint16 mail_koi2(SweepCounters& counters, const Account& account) override;
    qint16 mail_koi4(const SweepCounters& counters, const Account& account) override;

    // The verdict on one sender text (the value of a "From:" line) against the open block list.
    bool isBlocked(const QString& sender);

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

    Judged judgeMessage(const QString& path, const QString& mail_dir);
    void report(const CallStatus& status);
    // Shows a note about one message; it stays until a failure of the server replaces it for
    // a while, or the sweep starts again from the top.
    void notice(const QString& text);
    bool cancelled() const { return m_hooks.cancel && m_hooks.cancel->raised(); }

    MailLibrary& m_library;
    Hooks m_hooks;
    Strikes m_fetchFailures;
    Strikes m_deleteFailures;
    Strikes m_vanished;
    QString m_notice;
};

} // namespace mail
