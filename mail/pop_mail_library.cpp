#include "pop_mail_library.h"

#include "message_reader.h"
#include "pop_session.h"
#include "safe_file.h"
#include "server_address.h"

#include <QRegularExpression>

#include <cerrno>
#include <cstring>

namespace mail {

namespace {

struct ParsedCommand {
    enum class Verb { Save, Delete } verb = Verb::Save;
    int number = 0;
};

std::optional<ParsedCommand> parseCommand(const QString& command)
{
    static const QRegularExpression pattern(QStringLiteral("^(SAVE|DELE) +([1-9][0-9]{0,8})$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(command.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    ParsedCommand parsed;
    parsed.verb = match.captured(1).compare(u"SAVE", Qt::CaseInsensitive) == 0
                      ? ParsedCommand::Verb::Save
                      : ParsedCommand::Verb::Delete;
    parsed.number = match.captured(2).toInt();
    return parsed;
}

// A UID is 1 to 70 printable characters (0x21-0x7E).
bool isValidUid(const QByteArray& uid)
{
    if (uid.isEmpty() || uid.size() > 70)
        return false;
    return std::all_of(uid.begin(), uid.end(), [](char c) { return c >= 0x21 && c <= 0x7e; });
}

// "+OK n uid" from a UIDL n reply, when it is about message n.
std::optional<QByteArray> uidFromReply(const QByteArray& line, int number)
{
    const QList<QByteArray> parts = line.simplified().split(' ');
    if (parts.size() < 3 || parts[0] != "+OK" || parts[1] != QByteArray::number(number) ||
        !isValidUid(parts[2]))
        return std::nullopt;
    return parts[2];
}

// The message number of uid in a full UIDL listing ("n uid" per line).
std::optional<int> numberOfUid(const QByteArray& listing, const QByteArray& uid)
{
    for (const QByteArray& rawLine : listing.split('\n')) {
        const QList<QByteArray> parts = rawLine.simplified().split(' ');
        if (parts.size() >= 2 && parts[1] == uid) {
            bool ok = false;
            const int number = parts[0].toInt(&ok);
            if (ok && number > 0)
                return number;
        }
    }
    return std::nullopt;
}

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

// The octet count in "+OK 1234 octets", when the server gives one.
std::optional<qint64> announcedSize(const QByteArray& line)
{
    const QList<QByteArray> parts = line.simplified().split(' ');
    if (parts.size() >= 3 && parts[0] == "+OK" && parts[2].startsWith("octet")) {
        bool ok = false;
        const qint64 size = parts[1].toLongLong(&ok);
        if (ok && size >= 0)
            return size;
    }
    return std::nullopt;
}

constexpr qsizetype kMaxListingBytes = 64 * 1024 * 1024;

} // namespace

PopMailLibrary::PopMailLibrary(PopOptions options) : m_options(std::move(options)) {}

CallStatus PopMailLibrary::lastStatus() const
{
    return m_status;
}

MailResult PopMailLibrary::fail(CallStatus::Kind kind, const QString& description)
{
    m_status = CallStatus{kind, description};
    return std::nullopt;
}

MailResult PopMailLibrary::RcvMail(const QString& server, const QString& user, const QString& pass,
                                   const QString& command, const QString& folder)
{
    m_status = CallStatus{};
    m_lastDeleteOutcome = DeleteOutcome::None;
    const std::optional<ParsedCommand> parsed = parseCommand(command);
    if (!parsed)
        return fail(CallStatus::Kind::Failed,
                    QStringLiteral("Unknown mail command \"%1\": expected \"SAVE n\" or "
                                   "\"DELE n\" with a message number from 1.")
                        .arg(command));
    if (user.isEmpty() || hasControlCharacter(user))
        return fail(CallStatus::Kind::Failed,
                    QStringLiteral("The user name is empty or contains a control character. "
                                   "Check the account settings."));
    if (hasControlCharacter(pass))
        return fail(CallStatus::Kind::Failed,
                    QStringLiteral("The password contains a control character (such as a "
                                   "line break). Check the account settings."));
    if (parsed->verb == ParsedCommand::Verb::Save)
        return save(server, user, pass, parsed->number, folder);
    return remove(server, user, pass, parsed->number);
}

MailResult PopMailLibrary::save(const QString& serverText, const QString& user, const QString& pass,
                                int number, const QString& folderText)
{
    const ServerAddressParse server = parseServerAddress(serverText);
    if (!server.address)
        return fail(CallStatus::Kind::Failed, server.error);
    const TargetFolder folder(folderFromArgument(folderText));
    if (!folder.isOpen())
        return fail(CallStatus::Kind::Failed, folder.error());

    PopSession session(PopSession::Settings{
        *server.address, user.toUtf8(), pass.toUtf8(), m_options.caFile, m_options.connectTimeout,
        m_options.stallTimeout, PopSession::Clock::now() + m_options.saveTimeout});

    const QByteArray uidl = "UIDL " + QByteArray::number(number);
    const PopSession::Reply uidReply = session.command(uidl, PopSession::Connection::Any, false);
    if (!uidReply.ok()) {
        if (uidReply.code == CURLE_WEIRD_SERVER_REPLY && uidReply.serverSaidErr())
            return fail(CallStatus::Kind::NoSuchMessage, QString());
        return fail(CallStatus::Kind::Failed, session.describeFailure(uidReply));
    }
    const std::optional<QByteArray> uid = uidFromReply(uidReply.line, number);
    if (!uid)
        return fail(CallStatus::Kind::Failed,
                    QStringLiteral("The server %1 answered \"%2\" when asked for the unique id "
                                   "of message %3; this program needs a server that supports "
                                   "UIDL.")
                        .arg(server.address->host, QString::fromUtf8(uidReply.line))
                        .arg(number));

    QString error;
    std::optional<NewFile> file =
        folder.createUnique(QStringLiteral("mail-"), QStringLiteral(".eml"), &error);
    if (!file)
        return fail(CallStatus::Kind::Failed, error);

    qint64 written = 0;
    int writeErrno = 0;
    const PopSession::Sink sink = [&](const char* data, size_t size) {
        if (!writeAll(file->fd(), data, size)) {
            writeErrno = errno;
            return false;
        }
        written += static_cast<qint64>(size);
        return true;
    };
    // Same connection as the UIDL: the UID just read belongs to the message retrieved.
    const PopSession::Reply retr =
        session.retrieve(number, sink, PopSession::Connection::Same, true);
    if (!retr.ok()) {
        if (writeErrno != 0)
            return fail(CallStatus::Kind::Failed,
                        QStringLiteral("Cannot write the message to \"%1\": %2.")
                            .arg(file->path(), QString::fromLocal8Bit(std::strerror(writeErrno))));
        if (retr.code == CURLE_WEIRD_SERVER_REPLY && retr.serverSaidErr())
            return fail(CallStatus::Kind::NoSuchMessage, QString());
        return fail(CallStatus::Kind::Failed, session.describeFailure(retr));
    }
    // Curl ends a transfer quietly when the server closes early; the size the server
    // announced catches a message cut short.
    if (const auto size = announcedSize(retr.line); size && written < *size)
        return fail(CallStatus::Kind::Failed,
                    QStringLiteral("Message %1 from %2 arrived incomplete (%3 of %4 bytes). Try "
                                   "again later.")
                        .arg(number)
                        .arg(server.address->host)
                        .arg(written)
                        .arg(*size));
    if (!file->closeFile())
        return fail(CallStatus::Kind::Failed,
                    QStringLiteral("Cannot write the message to \"%1\": %2.")
                        .arg(file->path(), QString::fromLocal8Bit(std::strerror(errno))));
    file->keep();
    m_judged[JudgedKey{server.address->canonical(), user, number}] = *uid;
    return QStringList{file->path()};
}

MailResult PopMailLibrary::remove(const QString& serverText, const QString& user,
                                  const QString& pass, int number)
{
    const ServerAddressParse server = parseServerAddress(serverText);
    if (!server.address)
        return fail(CallStatus::Kind::Failed, server.error);

    const JudgedKey key{server.address->canonical(), user, number};
    const auto judged = m_judged.find(key);
    if (judged == m_judged.end()) {
        // Only a message this object saved (and so the sweep judged) may be deleted.
        m_lastDeleteOutcome = DeleteOutcome::NothingJudged;
        return std::nullopt;
    }
    const QByteArray judgedUid = judged->second;

    PopSession session(PopSession::Settings{
        *server.address, user.toUtf8(), pass.toUtf8(), m_options.caFile, m_options.connectTimeout,
        m_options.stallTimeout, PopSession::Clock::now() + m_options.deleteTimeout});

    const QByteArray uidl = "UIDL " + QByteArray::number(number);
    const PopSession::Reply uidReply = session.command(uidl, PopSession::Connection::Any, false);
    std::optional<int> target;
    if (uidReply.ok()) {
        if (uidFromReply(uidReply.line, number) == judgedUid)
            target = number;
    } else if (!(uidReply.code == CURLE_WEIRD_SERVER_REPLY && uidReply.serverSaidErr())) {
        return fail(CallStatus::Kind::Failed, session.describeFailure(uidReply));
    }

    if (!target) {
        // Another mail reader removed messages since the judgement and the numbers moved:
        // look the judged message up by its UID. The DELE below must then run on the
        // connection this listing came from.
        QByteArray listing;
        const PopSession::Sink collect = [&](const char* data, size_t size) {
            if (listing.size() + static_cast<qsizetype>(size) > kMaxListingBytes)
                return false;
            listing.append(data, static_cast<qsizetype>(size));
            return true;
        };
        const PopSession::Reply list =
            session.listing("UIDL", collect, PopSession::Connection::Any, false);
        if (!list.ok())
            return fail(CallStatus::Kind::Failed, session.describeFailure(list));
        target = numberOfUid(listing, judgedUid);
        if (!target) {
            m_judged.erase(key);
            m_lastDeleteOutcome = DeleteOutcome::JudgedMessageGone;
            return std::nullopt;
        }
    }

    const QByteArray dele = "DELE " + QByteArray::number(*target);
    const PopSession::Reply deleted = session.command(dele, PopSession::Connection::Same, true);
    if (!deleted.ok())
        return fail(CallStatus::Kind::Failed, session.describeFailure(deleted));
    // The server only removes the message when the session ends with QUIT.
    const std::optional<QByteArray> quit = session.quitReply();
    if (!quit || !quit->startsWith("+OK"))
        return fail(CallStatus::Kind::Failed,
                    QStringLiteral("The server %1 accepted the deletion of message %2 but did "
                                   "not confirm it at the end of the session (%3); the message "
                                   "may still be on the server.")
                        .arg(server.address->host)
                        .arg(*target)
                        .arg(quit ? QString::fromUtf8(*quit) : QStringLiteral("no reply")));
    m_judged.erase(key);
    m_lastDeleteOutcome = DeleteOutcome::Deleted;
    return std::nullopt;
}

MailResult PopMailLibrary::ReadMail(const QString& file, const QString& options,
                                    const QString& folder)
{
    Q_UNUSED(options); // the sweep always passes ""
    MessageReadResult result = readMessageFile(file, folder);
    m_lastReadError = result.error;
    return result.lines;
}

} // namespace mail
