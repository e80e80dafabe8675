#include "pop_mail_library.h"

#include "message_reader.h"
#include "pop_session.h"
#include "safe_file.h"
#include "server_address.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <utility>

namespace mail {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kWriteBufferBytes = 64 * 1024;
const QString kSavedMessagePrefix = u"mail-"_s;
const QString kSavedMessageSuffix = u".eml"_s;
constexpr qint64 kMaxListingBytes = 64 * 1024 * 1024;

struct ParsedCommand {
    enum class Verb { Save, Delete } verb = Verb::Save;
    std::optional<int> number; // nothing: 0, or a number beyond any mailbox
    QString numberText;
};

std::optional<ParsedCommand> parseCommand(const QString& command)
{
    static const QRegularExpression pattern(u"^(SAVE|DELE) +(0|[1-9][0-9]*)$"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(command.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    ParsedCommand parsed;
    parsed.verb = match.captured(1).compare(u"SAVE", Qt::CaseInsensitive) == 0
                      ? ParsedCommand::Verb::Save
                      : ParsedCommand::Verb::Delete;
    parsed.numberText = match.captured(2);
    bool fits = false;
    const qint64 value = parsed.numberText.toLongLong(&fits);
    if (fits && value >= 1 && value <= PopMailLibrary::kLargestMessageNumber)
        parsed.number = static_cast<int>(value);
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

// Where a full UIDL listing ("n uid" per line) shows one UID, read as the listing arrives:
// a mailbox of any size costs one line of memory.
class UidListing {
public:
    UidListing(QByteArray uid, int number) : m_uid(std::move(uid)), m_number(number) {}

    // Takes the next piece of the listing; false when it is longer than any mailbox's.
    bool add(const char* data, size_t size)
    {
        m_total += static_cast<qint64>(size);
        if (m_total > kMaxListingBytes)
            return false;
        for (const char* end = data + size; data < end;) {
            const char* newline =
                static_cast<const char*>(std::memchr(data, '\n', static_cast<size_t>(end - data)));
            const char* stop = newline ? newline : end;
            // A UIDL line is short; what is past any UID's length cannot change the verdict.
            const qsizetype room = kLongestLine - m_line.size();
            m_line.append(data, static_cast<qsizetype>(std::min<qint64>(stop - data, room)));
            if (newline)
                takeLine();
            data = newline ? newline + 1 : end;
        }
        return true;
    }
    void finish() { takeLine(); }

    // The numbers the UID stands at (at most a few are kept).
    const QList<int>& numbers() const { return m_numbers; }
    int count() const { return m_count; }
    // The listing holds a message at the number the UID was judged at.
    bool numberStillTaken() const { return m_numberTaken; }

private:
    static constexpr qsizetype kLongestLine = 200;

    void takeLine()
    {
        const QList<QByteArray> parts = m_line.simplified().split(' ');
        m_line.clear();
        bool ok = false;
        const int number = parts.size() >= 2 ? parts[0].toInt(&ok) : 0;
        if (!ok || number <= 0)
            return;
        if (number == m_number)
            m_numberTaken = true;
        if (parts[1] == m_uid) {
            if (m_numbers.size() < 10)
                m_numbers << number;
            ++m_count;
        }
    }

    QByteArray m_uid;
    int m_number;
    QByteArray m_line;
    qint64 m_total = 0;
    QList<int> m_numbers;
    int m_count = 0;
    bool m_numberTaken = false;
};

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

// How far a message may run past the size its server announced: servers that count a line
// end as one byte still send two, so a message of short lines comes out a little longer.
qint64 largestWithin(qint64 announced)
{
    return announced + announced / 8 + 16 * 1024;
}

QString cannotWrite(const QString& path, int error)
{
    return QCoreApplication::translate(
               "mail",
               "メッセージをファイル「%1」に書き込めません（%2）。ディスクの空き容量と書き込み"
               "権限を確認してください。")
        .arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace

bool isSavedMessageName(const QString& fileName)
{
    return TargetFolder::isUniqueName(fileName, kSavedMessagePrefix, kSavedMessageSuffix);
}

PopMailLibrary::PopMailLibrary(PopOptions options) : m_options(std::move(options)) {}

CallStatus PopMailLibrary::lastStatus() const
{
    return m_status;
}

MailResult PopMailLibrary::fail(CallStatus::Kind kind, const QString& description)
{
    // Whatever went wrong on the way out, a call that was told to stop was stopped.
    if (m_options.cancel && m_options.cancel->raised())
        kind = CallStatus::Kind::Cancelled;
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
                    QCoreApplication::translate(
                        "mail",
                        "メールのコマンド「%1」は使えません。「SAVE n」か「DELE n」（n は 0 以上の"
                        "メッセージ番号）を指定してください。")
                        .arg(command.simplified()));
    // Only the message of the last SAVE is being judged: a SAVE replaces it (a SAVE that
    // gives nothing leaves none), a DELE uses it up whatever comes of it.
    const std::optional<JudgedMessage> judged = std::exchange(m_judged, std::nullopt);
    if (user.isEmpty())
        return fail(CallStatus::Kind::Failed,
                    QCoreApplication::translate(
                        "mail",
                        "ユーザー名が設定されていません。アカウントの設定でユーザー名を入力して"
                        "ください。"));
    if (hasControlCharacter(user))
        return fail(CallStatus::Kind::Failed,
                    QCoreApplication::translate(
                        "mail",
                        "ユーザー名に制御文字（改行など）が含まれています。アカウントの設定で"
                        "ユーザー名を入力し直してください。"));
    if (hasControlCharacter(pass))
        return fail(CallStatus::Kind::Failed,
                    QCoreApplication::translate(
                        "mail",
                        "パスワードに制御文字（改行など）が含まれています。アカウントの設定で"
                        "パスワードを入力し直してください。"));
    if (parsed->verb == ParsedCommand::Verb::Save)
        return save(server, user, pass, parsed->number, parsed->numberText, folder);
    return remove(server, user, pass, parsed->number, judged);
}

MailResult PopMailLibrary::save(const QString& serverText, const QString& user, const QString& pass,
                                std::optional<int> number, const QString& numberText,
                                const QString& folderText)
{
    const ServerAddressParse server = parseServerAddress(serverText);
    if (!server.address)
        return fail(CallStatus::Kind::Failed, server.error);
    const TargetFolder folder(folderFromArgument(folderText));
    if (!folder.isOpen())
        return fail(CallStatus::Kind::Failed, folder.error());

    PopSession session(PopSession::Settings{
        *server.address, user.toUtf8(), pass.toUtf8(), m_options.caFile, m_options.connectTimeout,
        m_options.stallTimeout, std::nullopt, m_options.cancel.get(), m_options.progressRate,
        m_options.progressWindow});
    const QString noSuchMessage =
        QCoreApplication::translate("mail", "サーバー %1 にメッセージ %2 はありません。")
            .arg(session.serverName(), numberText);

    if (!number) {
        // The number names no message, and the server is not asked about it; the login
        // happens all the same, so that a wrong account shows now. NOOP touches nothing.
        const PopSession::Reply noop = session.command("NOOP", PopSession::Connection::Any, true);
        if (!noop.ok())
            return fail(CallStatus::Kind::Failed, session.describeFailure(noop));
        return fail(CallStatus::Kind::NoSuchMessage, noSuchMessage);
    }

    const QByteArray uidl = "UIDL " + QByteArray::number(*number);
    const PopSession::Reply uidReply = session.command(uidl, PopSession::Connection::Any, false);
    if (!uidReply.ok()) {
        if (!(uidReply.code == CURLE_WEIRD_SERVER_REPLY && uidReply.serverSaidErr()))
            return fail(CallStatus::Kind::Failed, session.describeFailure(uidReply));
        // "-ERR" to UIDL n: no such message, or a server without UIDL. LIST n tells them
        // apart; a server without UIDL must not look like an empty mailbox.
        const QByteArray list = "LIST " + QByteArray::number(*number);
        if (session.command(list, PopSession::Connection::Any, true).ok())
            return fail(
                CallStatus::Kind::Failed,
                QCoreApplication::translate(
                    "mail",
                    "サーバー %1 はメッセージの固有 ID の問い合わせ（UIDL）に対応していません"
                    "（「%2」）。このプログラムには UIDL に対応した POP3 サーバーが必要"
                    "です。")
                    .arg(session.serverName(),
                         session.shownText(QString::fromUtf8(uidReply.line))));
        return fail(CallStatus::Kind::NoSuchMessage, noSuchMessage);
    }
    const std::optional<QByteArray> uid = uidFromReply(uidReply.line, *number);
    if (!uid)
        return fail(CallStatus::Kind::Failed,
                    QCoreApplication::translate(
                        "mail",
                        "サーバー %1 はメッセージ %2 の固有 ID の問い合わせ（UIDL）に「%3」と答え"
                        "ました。このプログラムには UIDL に対応した POP3 サーバーが必要です。")
                        .arg(session.serverName(), numberText,
                             session.shownText(QString::fromUtf8(uidReply.line))));

    // From here on the server has named the message: a failure on its side is that message's.
    const auto failOnMessage = [&](const QString& description) {
        fail(CallStatus::Kind::Failed, description);
        m_status.uid = *uid;
        return MailResult{};
    };

    // A failure of this computer (a full disk, a folder that cannot be written) is counted
    // against the message too: otherwise the sweep would fetch it again and again for ever.
    QString error;
    std::optional<NewFile> file =
        folder.createUnique(kSavedMessagePrefix, kSavedMessageSuffix, &error);
    if (!file)
        return failOnMessage(error);

    // curl hands a message over line by line, a line's text and its CRLF apart: gathered into
    // a buffer, a 30 MB message takes hundreds of writes instead of some 800,000.
    qint64 written = 0;
    int writeErrno = 0;
    QByteArray pending;
    pending.reserve(kWriteBufferBytes);
    const auto flush = [&] {
        if (!pending.isEmpty() &&
            !writeAll(file->fd(), pending.constData(), static_cast<size_t>(pending.size()))) {
            writeErrno = errno;
            return false;
        }
        pending.clear();
        return true;
    };
    bool tooLarge = false;
    // The size the RETR reply announced, read once the body begins (nothing: none announced).
    const QByteArray retrCommand = "RETR " + QByteArray::number(*number);
    std::optional<std::optional<qint64>> announced;
    bool pastAnnounced = false;
    const auto fetchStarted = PopSession::Clock::now();
    auto nextProgress = fetchStarted + m_options.progressAfter;
    const PopSession::Sink sink = [&](const char* data, size_t size) {
        written += static_cast<qint64>(size);
        if (m_options.progress && PopSession::Clock::now() >= nextProgress) {
            nextProgress = PopSession::Clock::now() + std::chrono::seconds(1);
            const std::optional<qint64> total = announcedSize(session.firstReplyTo(retrCommand));
            m_options.progress(
                QCoreApplication::translate(
                    "mail", "受信中：サーバー %1 からメッセージ %2 を受け取っています（%3 KB%4）。")
                    .arg(session.serverName(), numberText, QString::number(written / 1024),
                         total ? u" / %1 KB"_s.arg(*total / 1024) : QString()));
        }
        if (written > m_options.largestMessage) {
            tooLarge = true;
            return false;
        }
        if (!announced)
            announced = announcedSize(session.firstReplyTo(retrCommand));
        if (*announced && written > largestWithin(**announced)) {
            pastAnnounced = true;
            return false;
        }
        pending.append(data, static_cast<qsizetype>(size));
        return pending.size() < kWriteBufferBytes || flush();
    };
    // Same connection as the UIDL: the UID just read belongs to the message retrieved.
    const PopSession::Reply retr =
        session.retrieve(*number, sink, PopSession::Connection::Same, true);
    if (!retr.ok()) {
        if (tooLarge)
            return failOnMessage(
                QCoreApplication::translate(
                    "mail", "サーバー %1 のメッセージ %2 が %3 MB を超えても終わらないため、受信を"
                            "中止しました。サーバーが正しく動いているか確認してください。")
                    .arg(session.serverName(), numberText)
                    .arg(m_options.largestMessage >> 20));
        if (pastAnnounced)
            return failOnMessage(
                QCoreApplication::translate(
                    "mail",
                    "サーバー %1 のメッセージ %2 が、サーバーの知らせた大きさ（%3 "
                    "バイト）を超えても"
                    "終わらないため、受信を中止しました。サーバーが正しく動いているか確認して"
                    "ください。")
                    .arg(session.serverName(), numberText)
                    .arg(**announced));
        if (writeErrno != 0)
            return failOnMessage(cannotWrite(file->path(), writeErrno));
        // The same session has just given the message's UID: "-ERR" is a refusal, not the
        // end of the mailbox.
        if (retr.code == CURLE_WEIRD_SERVER_REPLY && retr.serverSaidErr())
            return failOnMessage(
                QCoreApplication::translate(
                    "mail", "サーバー %1 がメッセージ %2 の受信を断りました（「%3」）。")
                    .arg(session.serverName(), numberText,
                         session.shownText(QString::fromUtf8(retr.line))));
        return failOnMessage(session.describeFailure(retr));
    }
    // Curl ends a transfer quietly when the server closes early; the size the server
    // announced catches a message cut short.
    const std::optional<qint64> size = announcedSize(retr.line);
    if (size && written < *size)
        return failOnMessage(
            QCoreApplication::translate(
                "mail", "サーバー %1 からメッセージ %2 が途中までしか届きませんでした（%4 バイト中 "
                        "%3 バイト）。しばらくしてからもう一度試してください。")
                .arg(session.serverName(), numberText)
                .arg(written)
                .arg(*size));
    // Without a size, only the reply to the QUIT that follows the message shows that the
    // connection lasted to the message's end. A part of a message is never judged.
    if (!size && !session.quitReply())
        return failOnMessage(
            QCoreApplication::translate(
                "mail", "サーバー %1 との接続がメッセージ %2 の途中で切れたため、最後まで受け取れ"
                        "ませんでした。しばらくしてからもう一度試してください。")
                .arg(session.serverName(), numberText));
    if (!flush())
        return failOnMessage(cannotWrite(file->path(), writeErrno));
    if (!file->closeFile())
        return failOnMessage(cannotWrite(file->path(), errno));
    file->keep();
    m_judged = JudgedMessage{server.address->canonical(), user, *number, *uid};
    m_status.uid = *uid;
    return QStringList{file->path()};
}

std::optional<qint64> PopMailLibrary::numberOfUid(const QString& serverText, const QString& user,
                                                  const QString& pass, const QByteArray& uid)
{
    m_status = CallStatus{};
    m_lastDeleteOutcome = DeleteOutcome::None;
    const ServerAddressParse server = parseServerAddress(serverText);
    if (!server.address) {
        fail(CallStatus::Kind::Failed, server.error);
        return std::nullopt;
    }
    PopSession session(PopSession::Settings{
        *server.address, user.toUtf8(), pass.toUtf8(), m_options.caFile, m_options.connectTimeout,
        m_options.stallTimeout, PopSession::Clock::now() + m_options.deleteTimeout,
        m_options.cancel.get()});
    UidListing listing(uid, 0);
    const PopSession::Sink collect = [&](const char* data, size_t size) {
        return listing.add(data, size);
    };
    const PopSession::Reply list =
        session.listing("UIDL", collect, PopSession::Connection::Any, true);
    if (!list.ok()) {
        fail(CallStatus::Kind::Failed, session.describeFailure(list));
        return std::nullopt;
    }
    listing.finish();
    return listing.count() == 1 ? listing.numbers().front() : 0;
}

MailResult PopMailLibrary::remove(const QString& serverText, const QString& user,
                                  const QString& pass, std::optional<int> requested,
                                  const std::optional<JudgedMessage>& judged)
{
    const ServerAddressParse server = parseServerAddress(serverText);
    if (!server.address)
        return fail(CallStatus::Kind::Failed, server.error);

    if (!judged || requested != judged->number || judged->user != user ||
        judged->server != server.address->canonical()) {
        // Only the message the last SAVE handed over (the one the sweep judged) may go.
        m_lastDeleteOutcome = DeleteOutcome::NothingJudged;
        return std::nullopt;
    }
    const int number = judged->number;
    const QByteArray& judgedUid = judged->uid;

    PopSession session(PopSession::Settings{
        *server.address, user.toUtf8(), pass.toUtf8(), m_options.caFile, m_options.connectTimeout,
        m_options.stallTimeout, PopSession::Clock::now() + m_options.deleteTimeout,
        m_options.cancel.get()});

    // The whole listing, before every delete: only the listing shows whether the judged UID
    // still stands for one message and where (another mail reader may have removed messages
    // since the judgement, and a faulty server may give two messages one UID). The DELE below
    // must run on the connection the listing came from.
    UidListing listing(judgedUid, number);
    const PopSession::Sink collect = [&](const char* data, size_t size) {
        return listing.add(data, size);
    };
    const PopSession::Reply list =
        session.listing("UIDL", collect, PopSession::Connection::Any, false);
    if (!list.ok()) {
        fail(CallStatus::Kind::Failed, session.describeFailure(list));
        if (list.commandSent)
            m_status.uid = judgedUid;
        return std::nullopt;
    }
    listing.finish();
    m_status.uid = judgedUid;
    if (listing.count() == 0) {
        m_lastDeleteOutcome = DeleteOutcome::JudgedMessageGone;
        m_status.uidNotFound = listing.numberStillTaken();
        return std::nullopt;
    }
    if (listing.count() > 1) {
        QStringList numbers;
        for (const int n : listing.numbers())
            numbers << QString::number(n);
        m_lastDeleteOutcome = DeleteOutcome::UidNotUnique;
        fail(CallStatus::Kind::Failed,
             QCoreApplication::translate(
                 "mail",
                 "サーバー %1 の一覧では、判定したメッセージの固有 ID「%2」が %3 件のメッセージ"
                 "（番号 %4）に付いています。どれが判定したメッセージか確かめられないため、何も"
                 "削除しませんでした。サーバーの管理者に連絡してください。")
                 .arg(session.serverName(), session.shownText(QString::fromLatin1(judgedUid)),
                      QString::number(listing.count()),
                      numbers.join(QCoreApplication::translate("mail", "、"))));
        m_status.uid = judgedUid;
        return std::nullopt;
    }
    const std::optional<int> target = listing.numbers().front();

    const QByteArray dele = "DELE " + QByteArray::number(*target);
    const PopSession::Reply deleted = session.command(dele, PopSession::Connection::Same, true);
    // DELE was not refused and QUIT went out, but no reply to it came back (the connection
    // dropped, or the call was stopped): the server may have deleted the message, or not.
    if (!deleted.serverSaidErr() && session.quitSent() && !session.quitReply())
        m_lastDeleteOutcome = DeleteOutcome::MaybeDeleted;
    if (!deleted.ok()) {
        const auto failed = [&](const QString& description) {
            fail(CallStatus::Kind::Failed, description);
            m_status.uid = judgedUid;
            return MailResult{};
        };
        if (deleted.code == CURLE_WEIRD_SERVER_REPLY && deleted.serverSaidErr())
            return failed(
                QCoreApplication::translate(
                    "mail", "サーバー %1 がメッセージ %2 の削除を断りました（「%3」）。メッセージは"
                            "サーバーに残っています。")
                    .arg(session.serverName(), QString::number(*target),
                         session.shownText(QString::fromUtf8(deleted.line))));
        return failed(session.describeFailure(deleted));
    }
    // The server only removes the message when the session ends with QUIT.
    const std::optional<QByteArray> quit = session.quitReply();
    if (!quit || !quit->startsWith("+OK")) {
        const QString reply = quit ? session.shownText(QString::fromUtf8(*quit)) : QString();
        fail(CallStatus::Kind::Failed,
             QCoreApplication::translate(
                 "mail",
                 "サーバー %1 はメッセージ %2 の削除を受け付けましたが、接続の終わり（QUIT）"
                 "で削除を確定しませんでした（%3）。メッセージはサーバーに残っている可能性"
                 "があります。")
                 .arg(session.serverName())
                 .arg(*target)
                 .arg(reply.isEmpty() ? QCoreApplication::translate("mail", "応答なし")
                                      : QCoreApplication::translate("mail", "「%1」").arg(reply)));
        m_status.uid = judgedUid;
        return std::nullopt;
    }
    m_lastDeleteOutcome = DeleteOutcome::Deleted;
    return std::nullopt;
}

MailResult PopMailLibrary::ReadMail(const QString& file, const QString& options,
                                    const QString& folder)
{
    Q_UNUSED(options); // the sweep always passes ""
    MessageReadResult result = readMessageFile(file, folder);
    m_lastReadError = result.lines ? result.unsaved : result.error;
    return result.lines;
}

} // namespace mail
