#include "autostart.h"

#include "data_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace session {

using namespace Qt::StringLiterals;

namespace {

// One argument of an Exec line: quoted when it holds a reserved character, with the
// characters that stay special inside quotes escaped; "%" doubled, as a field code would
// otherwise begin. The whole value is then escaped as a desktop entry string (backslashes).
QString execArgument(const QString& argument)
{
    static const QString reserved = u" \t\n\"'\\><~|&;$*?#()`"_s;
    QString text = argument;
    text.replace(u"%"_s, u"%%"_s);
    if (!std::any_of(text.begin(), text.end(), [](QChar c) { return reserved.contains(c); }))
        return text;
    QString quoted = u"\""_s;
    for (const QChar c : text) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u"\""_s;
}

} // namespace

Autostart::Autostart(const QString& configHome, const QString& home, QString program)
    : m_program(std::move(program))
{
    const QString base =
        QDir::isAbsolutePath(configHome) ? configHome : QDir(home).filePath(u".config"_s);
    m_path = QDir(base).filePath(u"autostart/junkbane.desktop"_s);
}

Autostart Autostart::forThisProcess()
{
    const store::UserFolders user = store::userFoldersFromEnvironment();
    const QString self = QCoreApplication::applicationFilePath();
    const QString onPath = QStandardPaths::findExecutable(u"junkbane"_s);
    const bool found = !onPath.isEmpty() &&
                       QFileInfo(onPath).canonicalFilePath() == QFileInfo(self).canonicalFilePath();
    return Autostart(qEnvironmentVariable("XDG_CONFIG_HOME"), user.home,
                     found ? u"junkbane"_s : self);
}

QString Autostart::entryText(const QString& program)
{
    QString exec = execArgument(program) + u" --minimized"_s;
    exec.replace(u"\\"_s, u"\\\\"_s);
    return u"[Desktop Entry]\n"
           u"Type=Application\n"
           u"Version=1.0\n"
           u"Name=Junkbane\n"
           u"Comment=Deletes junk mail on a POP3 server before your mail reader downloads it\n"
           u"Comment[ja]=ログイン時に Junkbane を通知領域で起動し、前回の巡回を再開します\n"
           u"Exec="_s +
           exec +
           u"\n"
           u"Icon=junkbane\n"
           u"Terminal=false\n"
           u"X-GNOME-Autostart-enabled=true\n"_s;
}

bool Autostart::isOn() const
{
    return QFileInfo(m_path).isFile();
}

QString Autostart::setOn(bool on) const
{
    if (!on) {
        QFile file(m_path);
        if (!file.exists() || file.remove())
            return {};
        return QCoreApplication::translate("session", "自動起動の設定 %1 を削除できません（%2）。")
            .arg(QDir::toNativeSeparators(m_path), file.errorString());
    }
    const QString folder = QFileInfo(m_path).path();
    QString failed;
    QString reason;
    QSaveFile file(m_path);
    if (!QDir().mkpath(folder)) {
        reason = QCoreApplication::translate("session", "フォルダー %1 を作れません")
                     .arg(QDir::toNativeSeparators(folder));
    } else if (file.open(QIODevice::WriteOnly)) {
        file.write(entryText(m_program).toUtf8());
        if (file.commit())
            return {};
        reason = file.errorString();
    } else {
        reason = file.errorString();
    }
    return QCoreApplication::translate("session", "自動起動の設定 %1 を書き込めません（%2）。")
        .arg(QDir::toNativeSeparators(m_path), reason);
}

} // namespace session
