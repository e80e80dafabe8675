#pragma once

#include "db_owner.h"
#include "mail_library.h"
#include "sweep.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace mail {

// The account a step works on, read from the selected account at every step.
struct Account {
    QString server;
    QString user;
    QString pass;
};

// The sweep and delete steps of the main window: fetch message n into the temporary folder,
// judge its sender against the block list, clean the folder; delete the judged message.
class MailboxSweep final : public SweepSteps, private store::DbOwner {
public:
    struct Hooks {
        std::function<Account()> account;               // the selected account
        std::function<QString()> folder;                // the program's folder, read afresh
        std::function<void(const QString&)> statusLine; // "" clears it
        std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    };

    MailboxSweep(MailLibrary& library, Hooks hooks);

    qint16 mail_koi2(SweepCounters& counters) override;
    qint16 mail_koi4(const SweepCounters& counters) override;

    // The verdict on one sender text (the value of a "From:" line) against the open block list.
    bool isBlocked(const QString& sender);

private:
    struct Judged {
        bool read = false;
        bool blocked = false;
    };
    Judged judgeMessage(const QString& path, const QString& mail_dir);
    void report(const CallStatus& status);

    MailLibrary& m_library;
    Hooks m_hooks;
};

} // namespace mail
