#pragma once

#include <QString>
#include <QStringList>

class QCoreApplication;

namespace app {

// The languages the program speaks. Its texts are written in Japanese; English is a
// translation (translations/junkbane_en.ts).
enum class UiLanguage { Japanese, English };

// The language for a user whose messages locale (LC_ALL, else LC_MESSAGES, else LANG, as the
// environment gives it) is messagesLocale and whose preferred languages, first choice first,
// are uiLanguages (QLocale::uiLanguages(): LANGUAGE, then the locale). Japanese when the
// first choice is Japanese, and for the C/POSIX locale, which ignores LANGUAGE as the C
// library's own messages do; English otherwise.
UiLanguage uiLanguageFor(const QString& messagesLocale, const QStringList& uiLanguages);

// The language for this process's environment.
UiLanguage systemUiLanguage();

// The file name of the program's translations for a language ("junkbane_en.qm"); empty for
// Japanese, which needs none.
QString translationFileName(UiLanguage language);

// Installs on the application the program's translations, read from programTranslations,
// and Qt's own for its standard dialogs, from Qt's translations folder. Japanese needs only
// Qt's. Returns what could not be loaded, for a warning: the program then shows the texts it
// has (Japanese, or Qt's English).
QString installTranslations(QCoreApplication& application, UiLanguage language,
                            const QString& programTranslations);

} // namespace app
