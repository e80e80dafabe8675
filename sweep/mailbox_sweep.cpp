#include "mailbox_sweep.h"

#include "statements.h"
#include "text_helpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <stdexcept>

namespace sweep {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kLongestLikeAddress = 40000;

// "like" in the store ignores the case of ASCII letters and no other; so does this.
QString asciiLower(const QString& text)
{
    QString result = text;
    for (QChar& c : result) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return result;
}

// Only the attachment's own name counts: a folder named "x.png" makes no file an image.
bool isImageFile(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.contains(u".gif"_s) || name.contains(u".png"_s) || name.contains(u".jpg"_s);
}

[[noreturn]] void fail(const QString& description)
{
    throw std::runtime_error(description.toStdString());
}

// Removes a file the step is done with; a file that is already gone is no failure.
void removeFile(const QString& path)
{
    QFile file(path);
    if (file.exists() && !file.remove())
        fail(QCoreApplication::translate("sweep", "一時ファイル %1 を削除できません：%2").arg(QDir::toNativeSeparators(path),
                                                           file.errorString()));
}

} // namespace

MailboxSweep::MailboxSweep(mail::MailLibrary& library, Hooks hooks)
    : m_library(library), m_hooks(std::move(hooks))
{
}

int MailboxSweep::Strikes::add(const Account& account, const QByteArray& failed,
                               const QString& description)
{
    if (!hit(account, failed, 1))
        *this = Strikes{account.server, account.user, failed, 0, {}};
    why = description;
    return ++count;
}

bool MailboxSweep::Strikes::hit(const Account& account, const QByteArray& other, int times) const
{
    return count >= times && uid == other && server == account.server && user == account.user;
}

void MailboxSweep::report(const mail::CallStatus& status)
{
    // A stopped step has nothing to say: the user stopped it.
    if (!m_hooks.statusLine || status.kind == mail::CallStatus::Kind::Cancelled || cancelled())
        return;
    if (status.kind == mail::CallStatus::Kind::Failed)
        m_hooks.statusLine(QCoreApplication::translate("sweep", "受信エラー：") + status.description);
    else
        m_hooks.statusLine(m_notice);
}

qint16 MailboxSweep::passOver(SweepCounters& counters, const QByteArray& uid, Strikes& strikes,
                              const QString& failed, const Account& account)
{
    notice(QCoreApplication::translate("sweep", "受信エラー：メッセージ %1（固有 ID「%2」）は %3 回続けて%4ため、飛ばして次のメッセージ"
           "に進みました。メッセージはサーバーに残っています。最後の理由：%5").arg(
               QString::number(counters.mail_no), QString::fromLatin1(uid),
               QString::number(strikes.count), failed, strikes.why));
    if (m_hooks.passedOver && !cancelled())
        m_hooks.passedOver(m_notice);
    leftOnServer(account, uid);
    strikes = {};
    ++counters.mail_no;
    return StateSweep;
}

void MailboxSweep::resumeAfter(const Account& account, const QByteArray& uid)
{
    m_resume = Resume{account, uid};
}

void MailboxSweep::leftOnServer(const Account& account, const QByteArray& uid)
{
    if (m_hooks.leftOnServer && !uid.isEmpty() && !cancelled())
        m_hooks.leftOnServer(account, uid);
}

bool MailboxSweep::resume(SweepCounters& counters, const Account& account)
{
    if (!m_resume)
        return true;
    if (counters.mail_no != 0 || m_resume->account.server != account.server ||
        m_resume->account.user != account.user) {
        m_resume.reset();
        return true;
    }
    const std::optional<qint64> number =
        m_library.numberOfUid(account.server, account.user, account.pass, m_resume->uid);
    if (!number) {
        report(m_library.lastStatus());
        return false;
    }
    const QString uid = QString::fromLatin1(std::exchange(m_resume, std::nullopt)->uid);
    // From here the pass through the mailbox is this one: notes of the last run are gone.
    counters.mail_no = *number + 1;
    if (*number > 0)
        notice(QCoreApplication::translate("sweep", "前回の続きから巡回を再開しました：前回最後に判定したメッセージ（固有 ID「%1」、"
               "現在 %2 番）の次からです。").arg(uid, QString::number(*number)));
    else
        notice(QCoreApplication::translate("sweep", "前回の続きから巡回を再開しました：前回最後に判定したメッセージ（固有 ID「%1」）"
               "はもうサーバーにないため、最初のメッセージからです。").arg(uid));
    return true;
}

void MailboxSweep::notice(const QString& text)
{
    m_notice = text;
    if (m_hooks.statusLine && !cancelled())
        m_hooks.statusLine(m_notice);
}

qint16 MailboxSweep::mail_koi2(SweepCounters& counters, const Account& account)
{
    // Opened first, so that a database that cannot be read stops the sweep before the server
    // is asked for anything; released when the step ends.
    const auto settings = store::openSettings();
    const QString mail_dir = u">"_s + QDir(m_hooks.folder()).filePath(u"temp"_s);
    // A copy whose delete never came (the sweep was stopped or reset in between) is no kept
    // message: the message is fetched and judged anew. (Copies left by an earlier run of the
    // program are removed when it starts.)
    const QString staleError = dropPending();
    m_copyError.clear();

    // Notes about messages passed over belong to this pass through the mailbox.
    if (counters.mail_no == 0)
        m_notice.clear();
    if (!resume(counters, account))
        return cancelled() ? StateIdle : StateNothingFetched;

    const mail::MailResult fetched =
        m_library.RcvMail(account.server, account.user, account.pass,
                          u"SAVE"_s + u" "_s + QString::number(counters.mail_no), mail_dir);
    const mail::CallStatus status = m_library.lastStatus();
    report(status);
    if (!fetched) {
        // Only a failure while the server handled this very message counts towards passing
        // it over; a server out of reach or a refused login passes nothing over.
        if (status.kind == mail::CallStatus::Kind::Failed && !status.uid.isEmpty() &&
            !cancelled() &&
            m_fetchFailures.add(account, status.uid, status.description) >=
                kFetchFailuresToPassOver) {
            return passOver(counters, status.uid, m_fetchFailures, QCoreApplication::translate("sweep", "受信できなかった"), account);
        }
        if (counters.mail_no == 0) {
            counters.mail_no = 1;
            counters.recv_count = 1;
        }
        return StateNothingFetched;
    }

    if (cancelled()) {
        // Stopped while the message came in: it is not judged, and the folder is left empty.
        for (const QString& path : *fetched)
            QFile::remove(path);
        return StateIdle;
    }
    if (!staleError.isEmpty())
        showDeleteError(staleError);
    m_fetchFailures = {};
    m_judgedUid = status.uid;

    // Its delete has failed too often: it is passed over instead of judged again.
    if (m_deleteFailures.hit(account, status.uid, kDeleteFailuresToPassOver)) {
        for (const QString& path : *fetched)
            QFile::remove(path);
        return passOver(counters, status.uid, m_deleteFailures, QCoreApplication::translate("sweep", "削除できなかった"), account);
    }

    // One fetch gives one message; should it give more, each is judged on its own and the
    // last one read decides.
    std::optional<bool> blocked;
    for (const QString& path : *fetched) {
        const Judged judged = judgeMessage(*settings, path, mail_dir);
        if (judged.read) {
            ++counters.recv_count;
            blocked = judged.blocked;
        }
        const QString which = QCoreApplication::translate("sweep", "メッセージ %1（固有 ID「%2」）").arg(
            QString::number(counters.mail_no), QString::fromLatin1(status.uid));
        if (!judged.read)
            notice(QCoreApplication::translate("sweep", "受信エラー：%1はヘッダーを読めないため、判定せずに飛ばしました。メッセージは"
                   "サーバーに残っています。理由：%2").arg(which, judged.readError));
        else if (!judged.readError.isEmpty())
            notice(QCoreApplication::translate("sweep", "受信エラー：%1は差出人で判定しましたが、添付ファイルをすべては保存できません"
                   "でした：%2").arg(which, judged.readError));
    }
    if (blocked.value_or(false)) {
        // Stopped while judging: the result is dropped, and so is the copy.
        if (cancelled())
            static_cast<void>(dropPending());
        else if (!m_pending)
            showDeleteError(m_copyError + QCoreApplication::translate("sweep", "メッセージはサーバーから削除しません。"));
        return StateDeletePending;
    }
    leftOnServer(account, status.uid);
    ++counters.mail_no;
    return StateSweep;
}

MailboxSweep::Judged MailboxSweep::judgeMessage(store::Connection& settings, const QString& path,
                                                const QString& mail_dir)
{
    QStringList attachments;
    // Whatever happens below, nothing the fetch or the reader left stays in the folder.
    const auto cleanUp = qScopeGuard([&] {
        QFile::remove(path);
        for (const QString& attachment : attachments)
            QFile::remove(attachment);
    });

    const mail::MailResult lines = m_library.ReadMail(path, QString(), mail_dir);
    if (!lines)
        return {false, false, m_library.lastReadError()};

    QString sender;
    bool nonImage = false;
    for (const QString& line : *lines) {
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0)
            continue;
        const QStringView name = QStringView(line).left(colon + 1);
        const QString value = line.mid(colon + 1);
        if (name == u"From:") {
            sender = value;
        } else if (name == u"File:") {
            attachments.append(value);
            if (!nonImage && !isImageFile(value))
                nonImage = true;
        }
    }

    if (nonImage) {
        for (const QString& attachment : attachments) {
            if (!QFileInfo::exists(attachment))
                fail(QCoreApplication::translate("sweep", "添付ファイル %1 が見つかりません").arg(
                    QDir::toNativeSeparators(attachment)));
            removeFile(attachment);
        }
    } else {
        // Image attachments get a name of their own (stamp, 8 random characters, the old
        // extension) and are then removed as well: nothing stays in the folder.
        for (QString& attachment : attachments) {
            const QString stamp = dateText(m_hooks.now()).remove(u' ').remove(u'/').remove(u':');
            const QString name = QFileInfo(attachment).fileName();
            const QString extension = name.mid(name.lastIndexOf(u'.') + 1);
            const QString newName = stamp + Angou(7).toString() + u"."_s + extension;
            const QString renamed = QFileInfo(attachment).dir().filePath(newName);
            if (QFileInfo::exists(renamed) || !QFile::rename(attachment, renamed)) {
                fail(QCoreApplication::translate("sweep", "添付ファイル %1 の名前を %2 に変更できません").arg(
                    QDir::toNativeSeparators(attachment), newName));
            }
            attachment = renamed;
        }
    }

    Judged judged;
    judged.read = true;
    judged.blocked = isBlocked(settings, sender);
    if (judged.blocked) {
        // The saved file becomes the copy that is kept once the message is deleted.
        QString error;
        m_pending = deletedMail().keepPending(path, &error);
        m_copyError = error;
    }
    judged.readError = m_library.lastReadError();
    removeFile(path);
    for (const QString& attachment : attachments)
        removeFile(attachment);
    return judged;
}

bool MailboxSweep::isBlocked(store::Connection& settings, const QString& sender)
{
    const QString R = Reprep(sender).toString();
    if (R.contains(u'<')) {
        QString address = R.mid(R.lastIndexOf(u'<') + 1);
        address.remove(u'>').remove(u' ').remove(QChar(0x3000)).remove(u'\'');
        // "<>" names no sender; as a pattern it would match every entry of the list.
        if (address.isEmpty())
            return false;
        // The store refuses "like" patterns past 50,000 bytes; an address that long is looked
        // for in the whole list instead, with the same rule.
        const bool tooLongForLike = address.toUtf8().size() > kLongestLikeAddress;
        const auto rows = settings.Execute(tooLongForLike ? store::SqlBlockList()
                                                          : store::SqlBlockMatchLike(address));
        // "_" in an address is a wildcard to "like"; only an entry that really contains the
        // address blocks it, so a look-alike entry never deletes a legitimate message.
        const QString needle = asciiLower(address);
        for (; !rows->eof(); rows->moveNext()) {
            if (asciiLower(rows->value(u"addfrom"_s).toString()).contains(needle))
                return true;
        }
        return false;
    }
    const auto rows = settings.Execute(store::SqlBlockMatchExact(store::withoutApostrophes(R)));
    return !rows->eof();
}

qint16 MailboxSweep::mail_koi4(const SweepCounters& counters, const Account& account)
{
    const QString mail_dir = u">"_s + QDir(m_hooks.folder()).filePath(u"temp"_s);
    // No copy, no delete: the judged message leaves the server only once it is kept here. The
    // sweep goes on as after a delete that failed.
    std::optional<QString> pending = std::exchange(m_pending, std::nullopt);
    if (pending && !QFileInfo::exists(*pending)) {
        pending.reset();
        m_copyError = QCoreApplication::translate("sweep", "削除するメッセージの控えが見つかりません。");
    }
    // Marked as under way before the server is asked: should the program end before the
    // outcome is known, its next start keeps the copy.
    std::optional<QString> deleting;
    if (pending) {
        deleting = deletedMail().markDeleting(*pending, &m_copyError);
        QString ignored; // the delete is not sent: the copy is no kept message either way
        if (!deleting)
            deletedMail().removePending(*pending, &ignored);
    }
    if (!deleting) {
        // Counts as a delete that failed: a copy that can never be kept passes the message
        // over like a delete the server keeps refusing.
        m_deleteFailures.add(account, m_judgedUid, m_copyError);
        showDeleteError(m_copyError + QCoreApplication::translate("sweep", "メッセージはサーバーから削除していません。"));
        return StateSweep;
    }
    const mail::MailResult result =
        m_library.RcvMail(account.server, account.user, account.pass,
                          u"DELE "_s + QString::number(counters.mail_no), mail_dir);
    const mail::CallStatus status = m_library.lastStatus();
    bool uidsUnstable = false;
    if (status.kind != mail::CallStatus::Kind::Cancelled && !cancelled() && !status.uid.isEmpty()) {
        if (!status.uidNotFound) {
            m_vanished = {};
        } else if (m_vanished.add(account, {}, {}) >= kVanishedUidsToStop) {
            m_vanished = {};
            uidsUnstable = true;
        }
        if (status.kind == mail::CallStatus::Kind::Failed)
            m_deleteFailures.add(account, status.uid, status.description);
        else if (!status.uidNotFound)
            m_deleteFailures = {};
    }
    report(status);
    switch (m_library.lastDeleteOutcome()) {
    case mail::DeleteOutcome::Deleted:
    // QUIT went out and its reply never came back: the server may have deleted the message or
    // not. A copy of a message that is still on the server harms nothing (the sweep judges it
    // again and keeps another copy); a message deleted without its copy is lost for good. So
    // the copy is kept.
    case mail::DeleteOutcome::MaybeDeleted:
        keepDeleted(*deleting);
        break;
    default:
        // Not deleted: the copy waits for the next delete, or goes.
        m_pending = deleting;
        if (!result) {
            if (const QString error = dropPending(); !error.isEmpty())
                showDeleteError(error);
        }
        break;
    }
    if (uidsUnstable) {
        // Each session names the judged message by a UID the next one does not know: no
        // delete can be sure to hit the message that was judged.
        fail(QCoreApplication::translate("sweep", "サーバー %1 では、判定したメッセージの固有 ID（UIDL）が %2 回続けて次の接続"
             "で見つかりませんでした。このサーバーは接続のたびに固有 ID を変えるため、判定"
             "したメッセージを確実に見分けられず、安全に削除できません。別のメッセージを"
             "削除しないよう、巡回を止めました。").arg(account.server,
                                                         QString::number(kVanishedUidsToStop)));
    }
    return result ? StateDeletePending : StateSweep;
}

void MailboxSweep::dropJudged()
{
    if (const QString error = dropPending(); !error.isEmpty())
        showDeleteError(error);
}

QString MailboxSweep::tidyDeletedMail()
{
    const DeletedMail deleted = deletedMail();
    QString recoverError;
    QString pruneError;
    const bool recovered = deleted.recoverLeftovers(&recoverError);
    const bool pruned = deleted.prune(&pruneError);
    return recovered && pruned ? QString() : QCoreApplication::translate("sweep", "削除エラー：") + recoverError + pruneError;
}

DeletedMail MailboxSweep::deletedMail() const
{
    return DeletedMail(DeletedMail::folderIn(m_hooks.folder()), m_hooks.now);
}

void MailboxSweep::keepDeleted(const QString& pending)
{
    const DeletedMail deleted = deletedMail();
    QString error;
    if (!deleted.commit(pending, &error))
        showDeleteError(error);
    else if (!deleted.prune(&error))
        showDeleteError(error);
}

QString MailboxSweep::dropPending()
{
    QString error;
    if (m_pending)
        deletedMail().removePending(*std::exchange(m_pending, std::nullopt), &error);
    return error;
}

void MailboxSweep::showDeleteError(const QString& description)
{
    if (m_hooks.statusLine)
        m_hooks.statusLine(QCoreApplication::translate("sweep", "削除エラー：") + description);
}

} // namespace sweep
