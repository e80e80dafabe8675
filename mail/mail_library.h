#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace mail {

// What a call of the mail library gave back: a list of texts ("an array"), or nothing.
using MailResult = std::optional<QStringList>;

// How the last RcvMail call ended, so that the main window can say why nothing came back.
struct CallStatus {
    enum class Kind {
        Ok,            // the command was carried out
        NoSuchMessage, // the server has no message at that number: the ordinary end of a sweep
        Failed,        // connection, TLS, login, time-out, protocol: description says which
        Cancelled,     // stopped from outside (stop, reset, closing): nothing was committed
    };
    Kind kind = Kind::Ok;
    // What happened, in Japanese, so that a person can act on it; empty when Ok.
    QString description;
    // The UID of the message the call worked on, once the server had named it after the
    // login (SAVE n: the reply to UIDL n; DELE: the judged message's). A failure that carries
    // it happened while the server was handling that message (RETR refused or cut off, a
    // delete refused or not committed); a failure before that, or of this computer (a full
    // disk), carries none.
    QByteArray uid{};
    // DELE: the judged message was nowhere in the server's listing although the mailbox still
    // holds a message at its number: another reader removed it, or the server gives its
    // messages new UIDs in every session.
    bool uidNotFound = false;
};

// What the last DELE did on the server.
enum class DeleteOutcome {
    None,              // no DELE yet, or the last one deleted nothing
    Deleted,           // the judged message was deleted (and QUIT confirmed it)
    MaybeDeleted,      // QUIT went out but its reply never came: the server may have deleted it
    NothingJudged,     // the last SAVE did not hand over this message: nothing deleted
    JudgedMessageGone, // the judged message is no longer on the server: nothing deleted
    UidNotUnique,      // the server lists the judged UID more than once: nothing deleted
};

// The two calls the sweep makes, as the sweep sees them. The real one is PopMailLibrary;
// unit tests of the sweep put a fake in its place.
class MailLibrary {
public:
    virtual ~MailLibrary() = default;

    // server, user, password, command ("SAVE n" or "DELE n"), folder (">" + folder path).
    // SAVE n: a list holding the path of the saved message file, or nothing.
    // DELE n: nothing, always; the deletion happens on the server (or does not).
    virtual MailResult RcvMail(const QString& server, const QString& user, const QString& pass,
                               const QString& command, const QString& folder) = 0;

    // file, options (unused, ""), folder (">" + folder path): the lines "From:" + value and
    // "File:" + full path of each attachment saved into the folder, or nothing when the file
    // cannot be read as a message.
    virtual MailResult ReadMail(const QString& file, const QString& options,
                                const QString& folder) = 0;

    // The outcome of the last RcvMail call.
    virtual CallStatus lastStatus() const = 0;

    // Where the message with this UID stands now in the mailbox: its number, or 0 when no
    // message (or more than one) has that UID; nothing when the server could not be asked
    // (lastStatus() says why). A library that cannot look a UID up answers 0.
    virtual std::optional<qint64> numberOfUid(const QString& server, const QString& user,
                                              const QString& pass, const QByteArray& uid)
    {
        static_cast<void>(server), static_cast<void>(user), static_cast<void>(pass),
            static_cast<void>(uid);
        return 0;
    }

    // What the last RcvMail call did on the server when it was a DELE; None otherwise.
    virtual DeleteOutcome lastDeleteOutcome() const = 0;
    // Why the last ReadMail gave nothing; after one that gave lines, which attachments it
    // did not save and why (empty when it saved them all).
    virtual QString lastReadError() const = 0;
};

} // namespace mail
