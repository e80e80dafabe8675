// The sweep and delete steps against a fake mail library and a real settings database.

#include "mailbox_sweep.h"
#include "settings_fixture.h"
#include "statements.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>

using namespace Qt::StringLiterals;

namespace {

// What the fake server holds at one number, and what reading it gives.
struct FakeMessage {
    std::optional<QStringList> lines; // "From:..." lines; nothing: unreadable
    QStringList attachmentNames;      // files the reader saves and lists as "File:" lines
    QStringList extraFiles;           // listed as "File:" but never created
};

class FakeMailLibrary final : public mail::MailLibrary {
public:
    mail::MailResult RcvMail(const QString& server, const QString& user, const QString& pass,
                             const QString& command, const QString& folder) override
    {
        commands.append(command);
        deletingAtDele = QDir(SettingsFixture::deletedFolder())
                             .entryList({u".deleting-*"_s}, QDir::Files | QDir::Hidden)
                             .size();
        EXPECT_EQ(server, u"pop.example.jp"_s);
        EXPECT_EQ(user, u"taro"_s);
        EXPECT_EQ(pass, u"pw"_s);
        EXPECT_TRUE(folder.startsWith(u'>'));
        m_status = nextStatus;
        if (command.startsWith(u"DELE "_s))
            return deleteAnswer;
        const int number = command.mid(5).toInt();
        if (emptyArrayAt == number)
            return QStringList();
        const auto found = messages.find(number);
        if (found == messages.end()) {
            if (m_status.kind == mail::CallStatus::Kind::Ok)
                m_status = {mail::CallStatus::Kind::NoSuchMessage, {}};
            return std::nullopt;
        }
        const QString path = QDir(folder.mid(1)).filePath(u"msg%1.eml"_s.arg(number));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("From: someone\r\n\r\nbody\r\n");
        m_saved[path] = number;
        if (m_status.uid.isEmpty())
            m_status.uid = "uid-" + QByteArray::number(number);
        return QStringList{path};
    }

    mail::MailResult ReadMail(const QString& file, const QString& options,
                              const QString& folder) override
    {
        EXPECT_TRUE(options.isEmpty());
        const int number = m_saved.at(file);
        const FakeMessage& message = messages.at(number);
        m_readError = readErrors[number];
        if (!message.lines)
            return std::nullopt;
        QStringList lines = *message.lines;
        for (const QString& name : message.attachmentNames) {
            const QString path = QDir(folder.mid(1)).filePath(name);
            QFile attachment(path);
            EXPECT_TRUE(attachment.open(QIODevice::WriteOnly));
            lines.append(u"File:"_s + path);
        }
        for (const QString& name : message.extraFiles)
            lines.append(u"File:"_s + QDir(folder.mid(1)).filePath(name));
        return lines;
    }

    std::optional<qint64> numberOfUid(const QString&, const QString&, const QString&,
                                      const QByteArray& uid) override
    {
        commands.append(u"FIND "_s + QString::fromLatin1(uid));
        m_status = uidNumber ? mail::CallStatus{}
                             : mail::CallStatus{mail::CallStatus::Kind::Failed, u"down"_s};
        return uidNumber;
    }

    mail::CallStatus lastStatus() const override { return m_status; }
    mail::DeleteOutcome lastDeleteOutcome() const override { return deleteOutcome; }
    QString lastReadError() const override { return m_readError; }

    std::map<int, FakeMessage> messages;
    std::map<int, QString> readErrors; // why a message cannot be read, or what was not saved
    int emptyArrayAt = -1;
    mail::MailResult deleteAnswer;
    mail::DeleteOutcome deleteOutcome = mail::DeleteOutcome::None;
    mail::CallStatus nextStatus;
    QStringList commands;
    std::optional<qint64> uidNumber = 0; // where numberOfUid finds a UID; nothing: server down
    qsizetype deletingAtDele = 0;        // copies marked as under way when the last command came

private:
    mail::CallStatus m_status;
    QString m_readError;
    std::map<QString, int> m_saved;
};

const sweep::Account kAccount{u"pop.example.jp"_s, u"taro"_s, u"pw"_s};

class Sweep : public ::testing::Test {
protected:
    Sweep()
        : sweep(library, {
                             .folder = [] { return SettingsFixture::folder(); },
                             .statusLine = [this](const QString& text) { statusLine = text; },
                         })
    {
    }

    void block(const QStringList& entries)
    {
        for (const QString& entry : entries)
            settings.execute(store::SqlBlockInsert(entry));
    }
    void messageFrom(int number, const QString& sender)
    {
        library.messages[number] = {QStringList{u"From:"_s + sender}, {}, {}};
    }
    qint16 sweepAt(qint64 number)
    {
        counters.mail_no = number;
        return sweep.mail_koi2(counters, kAccount);
    }
    static QStringList leftInTemp()
    {
        return QDir(SettingsFixture::tempFolder())
            .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    SettingsFixture settings;
    FakeMailLibrary library;
    sweep::MailboxSweep sweep;
    sweep::SweepCounters counters;
    QString statusLine = u"untouched"_s;
};

TEST_F(Sweep, JudgesSendersAgainstTheBlockList)
{
    block({u"Spam@Example.COM"_s, u"abc@tail.jp"_s, u"domain.jp"_s, u"firstlast@hyphen.jp"_s,
           u"johnxdoe@look.jp"_s, u"exact@bare.jp"_s});
    struct Row {
        const char* situation;
        QString sender;
        bool blocked;
    } rows[] = {
        {"angle form, other case", u" Spam Sender <spam@example.com>"_s, true},
        {"angle form, encoded name decoded", u" 迷惑 太郎 <SPAM@EXAMPLE.COM>"_s, true},
        {"angle form, tail of an entry", u" <bc@tail.jp>"_s, true},
        {"angle form, entry of the domain only", u" <user@domain.jp>"_s, false},
        {"bare form, exact, other case", u" EXACT@bare.jp"_s, true},
        {"bare form, only part of an entry", u" act@bare.jp"_s, false},
        {"hyphen removed from the address", u" <first-last@hyphen.jp>"_s, true},
        {"underscore is no wildcard", u" <john_doe@look.jp>"_s, false},
        {"empty angle brackets", u" <>"_s, false},
        {"name and empty angle brackets", u" Someone <>"_s, false},
        {"no sender at all", QString(), false},
        {"not on the list", u" friend@example.org"_s, false},
    };
    for (const Row& row : rows) {
        library.messages.clear();
        if (row.sender.isNull())
            library.messages[1] = {QStringList{u"Subject: hi"_s}, {}, {}};
        else
            messageFrom(1, row.sender);
        counters = {};
        const qint16 result = sweepAt(1);
        EXPECT_EQ(result, row.blocked ? sweep::StateDeletePending : sweep::StateSweep)
            << row.situation;
        EXPECT_EQ(counters.mail_no, row.blocked ? 1 : 2) << row.situation;
        EXPECT_EQ(counters.recv_count, 1) << row.situation;
        EXPECT_TRUE(leftInTemp().isEmpty()) << row.situation;
    }
}

TEST_F(Sweep, AddressLongerThanTheStoreTakesAsAPatternIsStillJudged)
{
    const QString longAddress = QString(60000, u'a') + u"@long.jp"_s;
    block({u"x"_s + longAddress + u"y"_s});
    messageFrom(1, u" <"_s + longAddress + u">"_s);
    EXPECT_EQ(sweepAt(1), sweep::StateDeletePending);
    messageFrom(2, u" <b"_s + longAddress + u">"_s);
    EXPECT_EQ(sweepAt(2), sweep::StateSweep);
}

TEST_F(Sweep, NothingFetchedMovesFromZeroToOneOnlyOnce)
{
    EXPECT_EQ(sweepAt(0), sweep::StateNothingFetched);
    EXPECT_EQ(library.commands, QStringList{u"SAVE 0"_s});
    EXPECT_EQ(counters.mail_no, 1);
    EXPECT_EQ(counters.recv_count, 1);
    EXPECT_EQ(sweep.mail_koi2(counters, kAccount), sweep::StateNothingFetched);
    EXPECT_EQ(counters.mail_no, 1);
    EXPECT_EQ(counters.recv_count, 1);
}

TEST_F(Sweep, EmptyFetchAndUnreadableMessageMoveOn)
{
    library.emptyArrayAt = 3;
    EXPECT_EQ(sweepAt(3), sweep::StateSweep);
    EXPECT_EQ(counters.mail_no, 4);
    EXPECT_EQ(counters.recv_count, 0);

    library.messages[4] = {std::nullopt, {}, {}};
    library.readErrors[4] = u"メッセージとして読み込めません"_s;
    EXPECT_EQ(sweepAt(4), sweep::StateSweep);
    EXPECT_EQ(counters.mail_no, 5);
    EXPECT_EQ(counters.recv_count, 0) << "a message that cannot be read is not counted";
    EXPECT_TRUE(leftInTemp().isEmpty()) << "its file does not stay behind";
    for (const QString& fact :
         {u"受信エラー：メッセージ 4（固有 ID「uid-4」）"_s, u"メッセージとして読み込めません"_s})
        EXPECT_TRUE(statusLine.contains(fact)) << statusLine.toStdString();

    // A message judged although some attachments could not be saved says so.
    block({u"spam@x.jp"_s});
    library.messages[5] = {QStringList{u"From: <spam@x.jp>"_s}, {u"a.pdf"_s}, {}};
    library.readErrors[5] = u"添付ファイル 3 件は保存していません"_s;
    EXPECT_EQ(sweepAt(5), sweep::StateDeletePending);
    EXPECT_EQ(counters.recv_count, 1);
    EXPECT_TRUE(leftInTemp().isEmpty());
    for (const QString& fact : {u"メッセージ 5"_s, u"添付ファイル 3 件は保存していません"_s})
        EXPECT_TRUE(statusLine.contains(fact)) << statusLine.toStdString();
}

// A message that never arrives whole while the server answers is passed over after three runs
// of three fetches; failures before the server named the message (no connection, a refused
// login) pass nothing over. The note stays until the sweep starts again from the top.
TEST_F(Sweep, AMessageThatNeverArrivesIsPassedOverAfterNineAttempts)
{
    const mail::CallStatus cutOff{mail::CallStatus::Kind::Failed, u"接続が途中で切れました"_s,
                                  "uid-7"};
    const mail::CallStatus refusedLogin{mail::CallStatus::Kind::Failed,
                                        u"ログインが拒否されました"_s};
    counters.mail_no = 7;
    const struct {
        mail::CallStatus status;
        int times;
    } attempts[] = {{cutOff, 4},
                    {refusedLogin, 20},
                    {{mail::CallStatus::Kind::Failed, u"別のメッセージ"_s, "uid-other"}, 1},
                    {cutOff, 8}};
    for (const auto& attempt : attempts) {
        library.nextStatus = attempt.status;
        for (int i = 0; i < attempt.times; ++i) {
            EXPECT_EQ(sweep.mail_koi2(counters, kAccount), sweep::StateNothingFetched);
            EXPECT_EQ(counters.mail_no, 7);
            EXPECT_EQ(statusLine, u"受信エラー："_s + attempt.status.description);
        }
    }
    EXPECT_EQ(sweep.mail_koi2(counters, kAccount), sweep::StateSweep);
    EXPECT_EQ(counters.mail_no, 8);
    EXPECT_EQ(counters.recv_count, 0);
    for (const QString& fact : {u"受信エラー：メッセージ 7（固有 ID「uid-7」）"_s, u"9 回"_s,
                                u"接続が途中で切れました"_s})
        EXPECT_TRUE(statusLine.contains(fact)) << statusLine.toStdString();

    const QString note = statusLine;
    library.nextStatus = {};
    messageFrom(8, u" friend@example.org"_s);
    EXPECT_EQ(sweep.mail_koi2(counters, kAccount), sweep::StateSweep);
    EXPECT_EQ(statusLine, note);
    EXPECT_EQ(sweepAt(0), sweep::StateNothingFetched);
    EXPECT_EQ(statusLine, QString());
}

// A delete refused (or not committed) three times in a row: the next fetch of that message
// passes it over instead of judging it again. A delete that works in between starts the count
// again.
TEST_F(Sweep, AMessageWhoseDeleteKeepsFailingIsPassedOver)
{
    block({u"spam@x.jp"_s});
    messageFrom(3, u" <spam@x.jp>"_s);
    const mail::CallStatus refused{mail::CallStatus::Kind::Failed, u"削除を断りました"_s, "uid-3"};
    const mail::CallStatus deleted{mail::CallStatus::Kind::Ok, {}, "uid-3"};
    for (const mail::CallStatus& deleteStatus :
         {refused, refused, deleted, refused, refused, refused}) {
        library.nextStatus = {};
        EXPECT_EQ(sweepAt(3), sweep::StateDeletePending);
        library.nextStatus = deleteStatus;
        EXPECT_EQ(sweep.mail_koi4(counters, kAccount), sweep::StateSweep);
    }
    EXPECT_EQ(counters.recv_count, 6);
    library.nextStatus = {};
    EXPECT_EQ(sweepAt(3), sweep::StateSweep);
    EXPECT_EQ(counters.mail_no, 4);
    EXPECT_EQ(counters.recv_count, 6) << "passed over, not judged again";
    EXPECT_TRUE(leftInTemp().isEmpty());
    for (const QString& fact :
         {u"受信エラー：メッセージ 3（固有 ID「uid-3」）"_s, u"3 回"_s, u"削除を断りました"_s})
        EXPECT_TRUE(statusLine.contains(fact)) << statusLine.toStdString();
}

// The judged UID found nowhere, three deletes in a row, while its number is still taken: the
// server renames its messages, and the sweep stops rather than delete by guesswork.
TEST_F(Sweep, UidsThatNeverComeBackStopTheSweep)
{
    mail::CallStatus vanished{mail::CallStatus::Kind::Ok, {}, "uid-3"};
    vanished.uidNotFound = true;
    const mail::CallStatus found{mail::CallStatus::Kind::Ok, {}, "uid-3"};
    block({u"spam@x.jp"_s});
    messageFrom(3, u" <spam@x.jp>"_s);
    // Each delete follows the judgement that keeps its copy: no copy, no delete.
    const auto judge = [this] {
        library.nextStatus = {};
        EXPECT_EQ(sweepAt(3), sweep::StateDeletePending);
    };
    for (const mail::CallStatus& status : {vanished, vanished, found, vanished, vanished}) {
        judge();
        library.nextStatus = status;
        EXPECT_EQ(sweep.mail_koi4(counters, kAccount), sweep::StateSweep);
    }
    judge();
    library.nextStatus = vanished;
    try {
        sweep.mail_koi4(counters, kAccount);
        ADD_FAILURE() << "the third vanished UID in a row must stop the sweep";
    } catch (const std::runtime_error& error) {
        const QString text = QString::fromUtf8(error.what());
        EXPECT_TRUE(text.contains(u"pop.example.jp"_s) && text.contains(u"固有 ID"_s))
            << error.what();
    }
}

// Where the first step after a restart begins.
TEST_F(Sweep, ResumesAfterTheRememberedUidWhereItNowStands)
{
    struct Row {
        const char* situation;
        sweep::Account account; // the one remembered with the UID
        std::vector<std::optional<qint64>> lookups;
        QStringList commands; // of the first two steps
    };
    const sweep::Account other{u"pop.example.jp"_s, u"jiro"_s, u"pw"_s};
    const Row rows[] = {
        {"the UID stands at 4", kAccount, {4}, {u"FIND u7"_s, u"SAVE 5"_s, u"SAVE 6"_s}},
        {"the UID is gone: from the top", kAccount, {0}, {u"FIND u7"_s, u"SAVE 1"_s, u"SAVE 2"_s}},
        {"server down: asked again at the next step",
         kAccount,
         {std::nullopt, 2},
         {u"FIND u7"_s, u"FIND u7"_s, u"SAVE 3"_s}},
        {"remembered for another account", other, {4}, {u"SAVE 0"_s, u"SAVE 1"_s}},
    };
    for (int number = 1; number <= 6; ++number)
        messageFrom(number, u"friend@example.jp"_s);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.situation);
        library.commands.clear();
        counters = {};
        sweep.resumeAfter(row.account, "u7");
        for (int step = 0; step < 2; ++step) {
            if (static_cast<size_t>(step) < row.lookups.size())
                library.uidNumber = row.lookups[static_cast<size_t>(step)];
            sweep.mail_koi2(counters, kAccount);
        }
        EXPECT_EQ(library.commands, row.commands);
        if (row.account.user == kAccount.user) {
            EXPECT_TRUE(statusLine.contains(u"再開"_s)) << statusLine.toStdString();
        }
    }
}

TEST_F(Sweep, AttachmentsNeverStayInTheFolder)
{
    block({u"spam@x.jp"_s});
    struct Row {
        const char* situation;
        QStringList names;
    } rows[] = {
        {"jpg and pdf", {u"a.jpg"_s, u"b.pdf"_s}},
        {"jpg and GIF in capitals", {u"a.jpg"_s, u"B.GIF"_s}},
        {"images only, renamed first", {u"a.jpg"_s, u"b.gif"_s, u"c.png"_s}},
        {".gif in the middle of a name", {u"x.gif.zip"_s}},
        {"more than a thousand",
         [] {
             QStringList many;
             for (int i = 0; i < 1100; ++i)
                 many.append(u"f%1.txt"_s.arg(i));
             return many;
         }()},
    };
    for (const Row& row : rows) {
        library.messages[1] = {QStringList{u"From: <spam@x.jp>"_s}, row.names, {}};
        EXPECT_EQ(sweepAt(1), sweep::StateDeletePending) << row.situation;
        EXPECT_TRUE(leftInTemp().isEmpty())
            << row.situation << ": " << leftInTemp().join(u',').toStdString();
    }
}

// The program may live in a folder whose name looks like an image: only the attachment's own
// name makes it an image, and an image keeps its own extension.
TEST_F(Sweep, AFolderNamedLikeAnImageMakesNoAttachmentAnImage)
{
    QTemporaryDir root;
    const QString folder = root.filePath(u"box.png"_s);
    ASSERT_TRUE(QDir().mkpath(folder + u"/temp"_s));
    sweep::MailboxSweep inImageFolder(library,
                                      {.folder = [&] { return folder; }, .statusLine = {}});
    block({u"spam@x.jp"_s});
    for (const QStringList& names :
         {QStringList{u"notes"_s}, QStringList{u"a.jpg"_s, u"b.gif"_s}}) {
        library.messages[1] = {QStringList{u"From: <spam@x.jp>"_s}, names, {}};
        counters.mail_no = 1;
        EXPECT_EQ(inImageFolder.mail_koi2(counters, kAccount), sweep::StateDeletePending)
            << names.join(u',').toStdString();
        EXPECT_TRUE(QDir(folder + u"/temp"_s).isEmpty()) << names.join(u',').toStdString();
    }
}

TEST_F(Sweep, MissingAttachmentStopsWithADescriptionAndCleansUp)
{
    library.messages[1] = {QStringList{u"From: a@b.jp"_s}, {u"real.pdf"_s}, {u"ghost.pdf"_s}};
    try {
        sweepAt(1);
        ADD_FAILURE() << "a listed attachment that does not exist must be an error";
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(u"ghost.pdf"_s)) << error.what();
    }
    EXPECT_TRUE(leftInTemp().isEmpty());
}

TEST_F(Sweep, StatusLineShowsFailuresAndClearsOnSuccess)
{
    library.nextStatus = {mail::CallStatus::Kind::Failed, u"ログインが拒否されました"_s};
    EXPECT_EQ(sweepAt(0), sweep::StateNothingFetched);
    EXPECT_EQ(statusLine, u"受信エラー：ログインが拒否されました"_s);

    library.nextStatus = {};
    EXPECT_EQ(sweep.mail_koi2(counters, kAccount), sweep::StateNothingFetched);
    EXPECT_EQ(statusLine, QString()) << "no message at that number is the ordinary end, no error";
}

TEST_F(Sweep, DeleteSendsTheNumberAndGoesOn)
{
    block({u"spam@x.jp"_s});
    messageFrom(4, u" <spam@x.jp>"_s);
    ASSERT_EQ(sweepAt(4), sweep::StateDeletePending);
    library.deleteAnswer = QStringList{u"x"_s};
    EXPECT_EQ(sweep.mail_koi4(counters, kAccount), sweep::StateDeletePending);
    library.deleteAnswer = std::nullopt;
    EXPECT_EQ(sweep.mail_koi4(counters, kAccount), sweep::StateSweep);
    EXPECT_EQ(library.commands, (QStringList{u"SAVE 4"_s, u"DELE 4"_s, u"DELE 4"_s}));
    EXPECT_EQ(counters.mail_no, 4);
}

// What deleted/ holds: the kept messages, and the pending copies (hidden).
QStringList keptNames()
{
    return QDir(SettingsFixture::deletedFolder()).entryList({u"*.eml"_s}, QDir::Files);
}
QStringList pendingNames()
{
    return QDir(SettingsFixture::deletedFolder())
        .entryList({u".pending-*"_s, u".deleting-*"_s}, QDir::Files | QDir::Hidden);
}

TEST_F(Sweep, JudgedMessageIsKeptExactlyWhenTheServerMayHaveDeletedIt)
{
    block({u"spam@x.jp"_s});
    messageFrom(4, u" <spam@x.jp>"_s);
    using Outcome = mail::DeleteOutcome;
    struct Row {
        const char* situation;
        Outcome outcome;
        int kept;
    } rows[] = {
        {"deleted, QUIT confirmed it", Outcome::Deleted, 1},
        {"QUIT sent, its reply lost", Outcome::MaybeDeleted, 1},
        {"the judged message is gone", Outcome::JudgedMessageGone, 0},
        {"refused, failed or stopped", Outcome::None, 0},
    };
    for (const Row& row : rows) {
        QDir(SettingsFixture::deletedFolder()).removeRecursively();
        library.commands.clear();
        ASSERT_EQ(sweepAt(4), sweep::StateDeletePending) << row.situation;
        EXPECT_EQ(pendingNames().size(), 1) << row.situation;
        EXPECT_TRUE(keptNames().isEmpty()) << row.situation;
        EXPECT_TRUE(leftInTemp().isEmpty()) << row.situation;

        library.deleteOutcome = row.outcome;
        EXPECT_EQ(sweep.mail_koi4(counters, kAccount), sweep::StateSweep) << row.situation;
        EXPECT_EQ(library.commands, (QStringList{u"SAVE 4"_s, u"DELE 4"_s})) << row.situation;
        EXPECT_EQ(library.deletingAtDele, 1) << "marked as under way before DELE went out";
        const QStringList kept = keptNames();
        ASSERT_EQ(kept.size(), row.kept) << row.situation;
        EXPECT_TRUE(pendingNames().isEmpty()) << row.situation;
        if (row.kept == 1) {
            // Named by the moment of deletion (UTC) and a random part; the bytes as fetched.
            EXPECT_TRUE(QRegularExpression(u"^\\d{8}-\\d{6}-\\d{3}-[0-9a-z]{8}\\.eml$"_s)
                            .match(kept.front())
                            .hasMatch())
                << kept.front().toStdString();
            QFile file(QDir(SettingsFixture::deletedFolder()).filePath(kept.front()));
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), QByteArray("From: someone\r\n\r\nbody\r\n"));
            EXPECT_EQ(file.permissions() & ~(QFile::ReadOwner | QFile::WriteOwner |
                                             QFile::ReadUser | QFile::WriteUser),
                      QFile::Permissions())
                << "a kept message is the owner's alone";
        }
    }
}

TEST_F(Sweep, CopyLeftFromAStoppedDeleteGoesWithTheNextFetch)
{
    block({u"spam@x.jp"_s});
    messageFrom(4, u" <spam@x.jp>"_s);
    ASSERT_EQ(sweepAt(4), sweep::StateDeletePending);
    ASSERT_EQ(pendingNames().size(), 1);
    // Stopped here; started again, the sweep fetches and judges number 4 anew.
    ASSERT_EQ(sweepAt(4), sweep::StateDeletePending);
    EXPECT_EQ(pendingNames().size(), 1) << "the copy of the earlier judgement was not removed";
    library.deleteOutcome = mail::DeleteOutcome::Deleted;
    EXPECT_EQ(sweep.mail_koi4(counters, kAccount), sweep::StateSweep);
    EXPECT_EQ(keptNames().size(), 1);
    EXPECT_TRUE(pendingNames().isEmpty());
}

TEST_F(Sweep, StartUpRemovesLeftCopiesAndMessagesPastTheirTimeAndKeepsDeletesUnderWay)
{
    const QDateTime now = QDateTime::currentDateTime();
    QDateTime moment = now.addDays(-31);
    const sweep::DeletedMail deleted(SettingsFixture::deletedFolder(),
                                     [&moment] { return moment; });
    QString error;
    const auto keep = [&](const QString& name) {
        const QString saved = QDir(SettingsFixture::tempFolder()).filePath(name);
        QFile file(saved);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.close();
        return deleted.keepPending(saved, &error);
    };
    ASSERT_TRUE(deleted.commit(keep(u"old.eml"_s).value_or(QString()), &error));
    moment = now.addDays(-29);
    ASSERT_TRUE(deleted.commit(keep(u"recent.eml"_s).value_or(QString()), &error));
    ASSERT_TRUE(keep(u"left.eml"_s));
    ASSERT_TRUE(deleted.markDeleting(keep(u"under-way.eml"_s).value_or(QString()), &error));

    EXPECT_EQ(sweep.tidyDeletedMail(), QString());
    EXPECT_TRUE(pendingNames().isEmpty());
    EXPECT_EQ(keptNames().size(), 2)
        << "the one 29 days old and the one whose delete was under way";
}

TEST_F(Sweep, NoCopyNoDelete)
{
    block({u"spam@x.jp"_s});
    messageFrom(4, u" <spam@x.jp>"_s);
    // A file where the folder should be: the copy cannot be written (as root, too).
    QFile blocker(SettingsFixture::deletedFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    EXPECT_EQ(sweepAt(4), sweep::StateDeletePending);
    EXPECT_TRUE(statusLine.startsWith(u"削除エラー："_s)) << statusLine.toStdString();
    EXPECT_TRUE(statusLine.contains(u"フォルダーではありません"_s)) << statusLine.toStdString();
    EXPECT_TRUE(leftInTemp().isEmpty());
    statusLine.clear();
    library.deleteOutcome = mail::DeleteOutcome::Deleted;
    EXPECT_EQ(sweep.mail_koi4(counters, kAccount), sweep::StateSweep);
    EXPECT_EQ(library.commands, QStringList{u"SAVE 4"_s}) << "no DELE without a copy";
    EXPECT_TRUE(statusLine.contains(u"削除していません"_s)) << statusLine.toStdString();
    EXPECT_EQ(counters.mail_no, 4);
}

TEST_F(Sweep, MissingDatabaseIsAnErrorBeforeTheMailboxIsTouched)
{
    QFile::remove(SettingsFixture::databasePath());
    messageFrom(1, u" a@b.jp"_s);
    EXPECT_THROW(sweepAt(1), std::runtime_error);
    EXPECT_TRUE(library.commands.isEmpty());
}

} // namespace
