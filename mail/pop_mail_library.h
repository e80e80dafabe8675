#pragma once

#include "cancel_flag.h"
#include "mail_library.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace mail {

// Time bounds and trust settings of PopMailLibrary. The defaults are the program's; tests
// shorten them. The README lists the bounds for users.
struct PopOptions {
    std::chrono::milliseconds connectTimeout{10'000}; // TCP + TLS + greeting + login
    std::chrono::milliseconds stallTimeout{20'000};   // no byte from the server for this long
    std::chrono::milliseconds deleteTimeout{30'000};  // a whole DELE call
    // A SAVE has no bound on its whole length (the steps run beside the window, and stop
    // ends them at once): a message goes on while it arrives at progressRate bytes a second
    // or more, on average over any progressWindow, so that a slow line still gets its mail
    // judged while a trickling server is cut off.
    qint64 progressRate = 1024;
    std::chrono::milliseconds progressWindow{60'000};
    // A message still coming past this many bytes is refused: no mail system sends one this
    // large, and a server that goes on sending would fill the disk.
    qint64 largestMessage = qint64{1} << 30;
    QString caFile; // certificate authorities to trust instead of the system's; empty: system
    // Raised from another thread, it ends the call in progress at once (nothing committed).
    std::shared_ptr<const CancelFlag> cancel = nullptr;
    // While a fetch has taken longer than progressAfter, called about once a second on the
    // fetching thread with a line for the status line: how much of the message has come.
    std::function<void(const QString&)> progress = nullptr;
    std::chrono::milliseconds progressAfter{3000};
};

// A message saved by SAVE is the file "mail-" + random text + ".eml" in the folder, mode 0600.
// True for such a name; the program's start removes these files when a killed run left them.
bool isSavedMessageName(const QString& fileName);

// The mail library over POP3 (libcurl) and GMime: saves one message per call, deletes the
// message the sweep judged, and reads saved messages.
//
// Message numbers: "SAVE 0", and any number above kLargestMessageNumber, name no message.
// Such a SAVE still connects and logs in, so that a wrong account shows at once, and then
// reports NoSuchMessage without asking the server about that number; such a DELE deletes
// nothing.
class PopMailLibrary : public MailLibrary {
public:
    using DeleteOutcome = mail::DeleteOutcome;

    // The largest number sent to a server. POP3 servers count messages in 32 bits at most,
    // and a server that wraps a larger number around would answer for another message.
    static constexpr qint64 kLargestMessageNumber = 2147483647;

    explicit PopMailLibrary(PopOptions options = {});

    MailResult RcvMail(const QString& server, const QString& user, const QString& pass,
                       const QString& command, const QString& folder) override;
    MailResult ReadMail(const QString& file, const QString& options,
                        const QString& folder) override;
    CallStatus lastStatus() const override;
    // One session: the full UIDL listing, read as it arrives.
    std::optional<qint64> numberOfUid(const QString& server, const QString& user,
                                      const QString& pass, const QByteArray& uid) override;

    DeleteOutcome lastDeleteOutcome() const override { return m_lastDeleteOutcome; }
    QString lastReadError() const override { return m_lastReadError; }

private:
    // The message the last SAVE handed to the sweep: the only one a DELE may delete.
    struct JudgedMessage {
        QString server; // canonical form
        QString user;
        int number = 0;
        QByteArray uid;
    };

    // number: nothing when the command's number names no message.
    MailResult save(const QString& server, const QString& user, const QString& pass,
                    std::optional<int> number, const QString& numberText, const QString& folder);
    MailResult remove(const QString& server, const QString& user, const QString& pass,
                      std::optional<int> number, const std::optional<JudgedMessage>& judged);
    MailResult fail(CallStatus::Kind kind, const QString& description);

    PopOptions m_options;
    CallStatus m_status;
    DeleteOutcome m_lastDeleteOutcome = DeleteOutcome::None;
    QString m_lastReadError;
    // Every SAVE replaces it (a SAVE that gives no message clears it); every DELE consumes
    // it, whatever the outcome: after a failed DELE the sweep fetches and judges the message
    // again before it asks for another DELE.
    std::optional<JudgedMessage> m_judged;
};

} // namespace mail
