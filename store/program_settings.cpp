#include "program_settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace store {

using namespace Qt::StringLiterals;

namespace {

const QString kAccount = u"account/id"_s;
const QString kSweeping = u"sweep/running"_s;
const QString kResumeAccount = u"sweep/lastAccount"_s;
const QString kResumeUid = u"sweep/lastUid"_s;
const QString kNotifyDeletions = u"notifications/deletions"_s;
const QString kCloseNotice = u"tray/closeNoticeShown"_s;

std::optional<qint64> readId(const QSettings& file, const QString& key)
{
    bool ok = false;
    const qint64 id = file.value(key).toString().toLongLong(&ok);
    return ok && id > 0 ? std::optional(id) : std::nullopt;
}

bool readFlag(const QSettings& file, const QString& key)
{
    return file.value(key).toString() == u"true"_s;
}

// A UID is 1 to 70 printable ASCII characters; anything else was not written by the program.
QByteArray readUid(const QSettings& file, const QString& key)
{
    const QByteArray uid = file.value(key).toString().toLatin1();
    if (uid.size() > 70)
        return {};
    for (const char c : uid) {
        if (c < 0x21 || c > 0x7e)
            return {};
    }
    return uid;
}

} // namespace

ProgramSettings::ProgramSettings(QString path) : m_path(std::move(path)) {}

QString ProgramSettings::pathIn(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(u"junkbane.ini"_s);
}

ProgramState ProgramSettings::read() const
{
    const QSettings file(m_path, QSettings::IniFormat);
    ProgramState state;
    state.accountId = readId(file, kAccount);
    state.sweeping = readFlag(file, kSweeping);
    state.resumeAccountId = readId(file, kResumeAccount);
    state.resumeUid = state.resumeAccountId ? readUid(file, kResumeUid) : QByteArray();
    state.notifyDeletions = readFlag(file, kNotifyDeletions);
    state.closeNoticeShown = readFlag(file, kCloseNotice);
    return state;
}

QString ProgramSettings::write(const ProgramState& state) const
{
    // Made private before anything is in it; QSettings keeps the mode when it replaces it.
    const QByteArray name = QFile::encodeName(m_path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd >= 0)
        ::close(fd);
    QSettings file(m_path, QSettings::IniFormat);
    file.clear();
    if (state.accountId)
        file.setValue(kAccount, QString::number(*state.accountId));
    file.setValue(kSweeping, state.sweeping ? u"true"_s : u"false"_s);
    if (state.resumeAccountId && !state.resumeUid.isEmpty()) {
        file.setValue(kResumeAccount, QString::number(*state.resumeAccountId));
        file.setValue(kResumeUid, QString::fromLatin1(state.resumeUid));
    }
    file.setValue(kNotifyDeletions, state.notifyDeletions ? u"true"_s : u"false"_s);
    file.setValue(kCloseNotice, state.closeNoticeShown ? u"true"_s : u"false"_s);
    file.sync();
    if (file.status() != QSettings::NoError || fd < 0)
        return QCoreApplication::translate(
                   "store",
                   "設定ファイル %1 に書き込めません。フォルダーの書き込み権限と空き容量を確認"
                   "してください。")
            .arg(QDir::toNativeSeparators(m_path));
    ::chmod(name.constData(), 0600);
    return {};
}

} // namespace store
