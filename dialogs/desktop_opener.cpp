#include "desktop_opener.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace dialogs {

namespace {

// How long one question to xdg-mime may take; it answers in well under a second.
constexpr int kQueryMilliseconds = 5000;

// The first line xdg-mime prints for the arguments; nothing when it cannot be run or fails.
std::optional<QString> xdgMime(const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(u"xdg-mime"_s, arguments);
    if (!process.waitForStarted(kQueryMilliseconds))
        return std::nullopt;
    if (!process.waitForFinished(kQueryMilliseconds)) {
        process.kill();
        process.waitForFinished(kQueryMilliseconds);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return std::nullopt;
    return QString::fromLocal8Bit(process.readAllStandardOutput()).section(u'\n', 0, 0).trimmed();
}

} // namespace

std::optional<QString> desktopFileType(const QString& path)
{
    return xdgMime({u"query"_s, u"filetype"_s, path});
}

std::optional<QString> desktopApplicationFor(const QString& mimeType)
{
    return xdgMime({u"query"_s, u"default"_s, mimeType});
}

bool desktopHasApplicationFor(const QString& mimeType)
{
    return !desktopApplicationFor(mimeType).value_or(QString()).isEmpty();
}

QString openWithApplicationFor(const QString& path, const QString& mimeType)
{
    const QString id = desktopApplicationFor(mimeType).value_or(QString());
    if (id.isEmpty())
        return QCoreApplication::translate("dialogs",
                                           "%1 を開くアプリケーションが登録されていません。")
            .arg(mimeType);
    const auto unref = [](gpointer object) { g_object_unref(object); };
    const std::unique_ptr<GDesktopAppInfo, decltype(unref)> application(
        g_desktop_app_info_new(id.toUtf8().constData()), unref);
    if (!application)
        return QCoreApplication::translate(
                   "dialogs", "%1 に登録されたアプリケーション「%2」が見つかりません。")
            .arg(mimeType, id);
    const std::unique_ptr<GFile, decltype(unref)> file(
        g_file_new_for_path(QFile::encodeName(path).constData()), unref);
    GList files{file.get(), nullptr, nullptr};
    GError* error = nullptr; // free with g_error_free
    if (!g_app_info_launch(G_APP_INFO(application.get()), &files, nullptr, &error)) {
        const QString reason = QString::fromUtf8(error ? error->message : "");
        if (error)
            g_error_free(error);
        return QCoreApplication::translate("dialogs",
                                           "アプリケーション「%1」を起動できません（%2）。")
            .arg(id, reason);
    }
    return QString();
}

} // namespace dialogs
