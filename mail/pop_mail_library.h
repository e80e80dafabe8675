#pragma once

#include "mail_library.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <map>
#include <tuple>

namespace mail {

// Time bounds and trust settings of PopMailLibrary. The defaults are the program's; tests
// shorten them. See TIMEOUTS.md.
struct PopOptions {
    std::chrono::milliseconds connectTimeout{10'000}; // TCP + TLS + greeting + login
    std::chrono::milliseconds stallTimeout{20'000};   // no byte from the server for this long
    std::chrono::milliseconds saveTimeout{120'000};   // a whole SAVE call
    std::chrono::milliseconds deleteTimeout{30'000};  // a whole DELE call
    QString caFile; // certificate authorities to trust instead of the system's; empty: system
};

// The mail library over POP3 (libcurl) and GMime: saves one message per call, deletes the
// message the sweep judged, and reads saved messages.
class PopMailLibrary : public MailLibrary {
public:
    // What the last DELE did on the server.
    enum class DeleteOutcome {
        None,              // no DELE yet, or the last one failed
        Deleted,           // the judged message was deleted (and QUIT confirmed it)
        NothingJudged,     // no message was saved at that number: nothing to delete
        JudgedMessageGone, // the judged message is no longer on the server: nothing deleted
    };

    explicit PopMailLibrary(PopOptions options = {});

    MailResult RcvMail(const QString& server, const QString& user, const QString& pass,
                       const QString& command, const QString& folder) override;
    MailResult ReadMail(const QString& file, const QString& options,
                        const QString& folder) override;
    CallStatus lastStatus() const override;

    DeleteOutcome lastDeleteOutcome() const { return m_lastDeleteOutcome; }
    // Why the last ReadMail gave nothing; empty after a ReadMail that gave lines.
    QString lastReadError() const { return m_lastReadError; }

private:
    // server (canonical form), user, message number
    using JudgedKey = std::tuple<QString, QString, int>;

    MailResult save(const QString& server, const QString& user, const QString& pass, int number,
                    const QString& folder);
    MailResult remove(const QString& server, const QString& user, const QString& pass, int number);
    MailResult fail(CallStatus::Kind kind, const QString& description);

    PopOptions m_options;
    CallStatus m_status;
    DeleteOutcome m_lastDeleteOutcome = DeleteOutcome::None;
    QString m_lastReadError;
    // The UID of each message SAVE handed to the sweep: the only messages DELE may delete.
    std::map<JudgedKey, QByteArray> m_judged;
};

} // namespace mail
