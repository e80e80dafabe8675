#include "desktop_opener.h"

#include <QProcess>

using namespace Qt::StringLiterals;

namespace dialogs {

bool desktopHasApplicationFor(const QString& mimeType)
{
    constexpr int kAnswerMs = 5000;
    QProcess query;
    query.start(u"xdg-mime"_s, {u"query"_s, u"default"_s, mimeType});
    if (!query.waitForStarted(kAnswerMs))
        return false;
    if (!query.waitForFinished(kAnswerMs)) {
        query.kill();
        query.waitForFinished(kAnswerMs);
        return false;
    }
    // The answer names the application's desktop entry ("sylpheed.desktop"); nothing: none.
    return query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0 &&
           !query.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace dialogs
