#include "launch.h"

#include "app_info.h"
#include "controls.h"
#include "data_folder.h"
#include "fonts.h"
#include "prepare_data.h"
#include "program_icon.h"
#include "qt_messages.h"
#include "ui_language.h"

#include <QApplication>
#include <QFont>

#include <cstdio>

namespace app {

using namespace Qt::StringLiterals;

void installLanguage()
{
    const UiLanguage language = systemUiLanguage();
    const QString translations = store::programFilePath(QCoreApplication::applicationDirPath(),
                                                        translationFileName(language));
    if (const QString why =
            installTranslations(*QCoreApplication::instance(), language, translations);
        !why.isEmpty())
        qWarning("%s", qPrintable(why));
}

void prepareApplication()
{
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationVersion(versionText());
    installLanguage();
    installFontSubstitutions();
    QApplication::setFont(uiFont());
    QApplication::setWindowIcon(resources::programIcon());
    if (const QString why = resources::programIconProblem(); !why.isEmpty())
        qWarning("%s", qPrintable(why));
}

void tellProblem(const QString& problem, bool toStderr)
{
    if (toStderr)
        std::fprintf(stderr, "%s\n", qPrintable(problem));
    else
        QtMessages().showMessage(problem);
}

bool prepareData(bool toStderr)
{
    const QString problem = startup::prepareDataFolder();
    if (problem.isEmpty())
        return true;
    tellProblem(problem, toStderr);
    return false;
}

bool makeDataFolder(const QString& folder, bool toStderr)
{
    QString failed;
    QString reason;
    if (store::makePrivateFolder(folder, &failed, &reason))
        return true;
    static_cast<void>(toStderr); // prepareData tells the user
    return false;
}

} // namespace app
