#include "about_box.h"

#include "app_info.h"
#include "program_icon.h"

#include <QCoreApplication>
#include <QFont>
#include <QLabel>

using namespace Qt::StringLiterals;
using app::twips;
using dialogs::makeLabel;

namespace {

// The window's design texts, translated where they are shown; load() starts from these every
// time.
const char* const kDesignCaption = QT_TRANSLATE_NOOP("dialogs", "ﾊﾞｰｼﾞｮﾝ情報");
const char* const kDesignTitle = QT_TRANSLATE_NOOP("dialogs", "ｱﾌﾟﾘｹｰｼｮﾝ ﾀｲﾄﾙ");
const char* const kDesignVersion = QT_TRANSLATE_NOOP("dialogs", "ﾊﾞｰｼﾞｮﾝ");
const char* const kDesignDescription = QT_TRANSLATE_NOOP("dialogs", "ｱﾌﾟﾘｹｰｼｮﾝの説明");

constexpr int kIconPixels = 32;

} // namespace

frmAbout::frmAbout(QWidget* owner) : FixedDialog(owner, 6600, 2940)
{
    setWindowTitle(QCoreApplication::translate("dialogs", kDesignCaption));

    picIcon = new QLabel(this);
    picIcon->setGeometry(twips(240), twips(240), twips(720), twips(720));
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(resources::programIcon().pixmap(kIconPixels, kIconPixels));

    lblTitle = makeLabel(this, QCoreApplication::translate("dialogs", kDesignTitle),
                         app::kUiFontPoints, 1200, 240, 5160, 300);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = makeLabel(this, QCoreApplication::translate("dialogs", kDesignVersion),
                           app::kUiFontPoints, 1200, 600, 5160, 300);
    lblDescription = makeLabel(this, QCoreApplication::translate("dialogs", kDesignDescription),
                               app::kUiFontPoints, 1200, 1080, 5160, 1680);

    load();
}

void frmAbout::load()
{
    const QString title = app::applicationTitle();
    setWindowTitle(title + QCoreApplication::translate("dialogs", "のﾊﾞｰｼﾞｮﾝ情報"));
    lblVersion->setText(QCoreApplication::translate("dialogs", "ﾊﾞｰｼﾞｮﾝ ") +
                        QString::number(app::kVersion.major) + u"."_s +
                        QString::number(app::kVersion.minor) + u"."_s +
                        QString::number(app::kVersion.revision));
    lblTitle->setText(title);

    QString description = QCoreApplication::translate("dialogs", kDesignDescription);
    description += u"\r\n"_s;
    description +=
        QCoreApplication::translate("dialogs", "迷惑メールの削除ツールです。") + u"\r\n"_s;
    description += QCoreApplication::translate("dialogs", "■動作環境") + u"\r\n"_s;
    // What this build runs on: the distribution it is built and tested on, and the Qt it
    // needs at least; everything else comes with the distribution's packages.
    description += u"Debian GNU/Linux 12"_s + u"\r\n"_s;
    description += QCoreApplication::translate("dialogs", "Qt 6.4以上") + u"\r\n"_s +
                   QCoreApplication::translate("dialogs", "がインストールされている事") + u"\r\n"_s;
    description += QCoreApplication::translate(
                       "dialogs", "※Debianのパッケージよりインストールしてください。") +
                   u"\r\n"_s;
    lblDescription->setText(description);
}
