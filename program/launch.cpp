#include "launch.h"

#include "app_info.h"
#include "fonts.h"
#include "program_icon.h"

#include <QApplication>
#include <QFont>

namespace app {

using namespace Qt::StringLiterals;

void prepareApplication()
{
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationVersion(versionText());
    installFontSubstitutions();
    QApplication::setFont(QFont(u"ＭＳ Ｐゴシック"_s, 9));
    QApplication::setWindowIcon(resources::programIcon());
    if (const QString why = resources::programIconProblem(); !why.isEmpty())
        qWarning("%s", qPrintable(why));
}

} // namespace app
