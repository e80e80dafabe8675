#include "ui_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

using namespace Qt::StringLiterals;

namespace app {

UiLanguage uiLanguageFor(const QString& messagesLocale, const QStringList& uiLanguages)
{
    // "C.UTF-8" and "POSIX" are the C locale too; an unset locale is the C locale.
    const QString base = messagesLocale.section(u'.', 0, 0).section(u'@', 0, 0);
    if (base.isEmpty() || base == u"C"_s || base == u"POSIX"_s)
        return UiLanguage::Japanese;
    if (uiLanguages.isEmpty())
        return UiLanguage::English;
    const QString first = uiLanguages.first();
    const bool japanese =
        first == u"ja"_s || first.startsWith(u"ja-"_s) || first.startsWith(u"ja_"_s);
    return japanese ? UiLanguage::Japanese : UiLanguage::English;
}

UiLanguage systemUiLanguage()
{
    QString locale = qEnvironmentVariable("LC_ALL");
    if (locale.isEmpty())
        locale = qEnvironmentVariable("LC_MESSAGES");
    if (locale.isEmpty())
        locale = qEnvironmentVariable("LANG");
    return uiLanguageFor(locale, QLocale::system().uiLanguages());
}

QString translationFileName(UiLanguage language)
{
    return language == UiLanguage::English ? u"junkbane_en.qm"_s : QString();
}

QString installTranslations(QCoreApplication& application, UiLanguage language,
                            const QString& programTranslations)
{
    QStringList missing;
    // Owned by the application, which keeps them as long as it runs.
    const QString qtName = language == UiLanguage::English ? u"qtbase_en"_s : u"qtbase_ja"_s;
    const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* qt = new QTranslator(&application);
    if (qt->load(qtName, qtFolder))
        QCoreApplication::installTranslator(qt);
    else
        missing << qtFolder + u"/"_s + qtName + u".qm"_s;

    if (language == UiLanguage::English) {
        auto* program = new QTranslator(&application);
        if (program->load(programTranslations))
            QCoreApplication::installTranslator(program);
        else
            missing << programTranslations;
    }
    return missing.isEmpty()
               ? QString()
               : u"Translations not found, texts stay in the program's own language: "_s +
                     missing.join(u", "_s);
}

} // namespace app
