#include "desktop_opener.h"

#include <QProcess>
#include <QStringList>

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

} // namespace dialogs
