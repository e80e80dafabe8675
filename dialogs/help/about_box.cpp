#include "about_box.h"

#include "app_info.h"
#include "program_icon.h"

#include <QFont>
#include <QLabel>

using namespace Qt::StringLiterals;
using app::twips;
using dialogs::makeLabel;

namespace {

// The window's design texts; load() starts from these every time.
const QString kDesignCaption = u"ﾊﾞｰｼﾞｮﾝ情報"_s;
const QString kDesignTitle = u"ｱﾌﾟﾘｹｰｼｮﾝ ﾀｲﾄﾙ"_s;
const QString kDesignVersion = u"ﾊﾞｰｼﾞｮﾝ"_s;
const QString kDesignDescription = u"ｱﾌﾟﾘｹｰｼｮﾝの説明"_s;

constexpr int kIconPixels = 32;

} // namespace

frmAbout::frmAbout(QWidget* owner) : FixedDialog(owner, 6600, 2940)
{
    setWindowTitle(kDesignCaption);

    picIcon = new QLabel(this);
    picIcon->setGeometry(twips(240), twips(240), twips(720), twips(720));
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(resources::programIcon().pixmap(kIconPixels, kIconPixels));

    lblTitle = makeLabel(this, kDesignTitle, app::kUiFontPoints, 1200, 240, 5160, 300);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblVersion = makeLabel(this, kDesignVersion, app::kUiFontPoints, 1200, 600, 5160, 300);
    lblDescription =
        makeLabel(this, kDesignDescription, app::kUiFontPoints, 1200, 1080, 5160, 1680);

    load();
}

void frmAbout::load()
{
    const QString title = app::applicationTitle();
    setWindowTitle(title + u"のﾊﾞｰｼﾞｮﾝ情報"_s);
    lblVersion->setText(u"ﾊﾞｰｼﾞｮﾝ "_s + QString::number(app::kVersion.major) + u"."_s +
                        QString::number(app::kVersion.minor) + u"."_s +
                        QString::number(app::kVersion.revision));
    lblTitle->setText(title);

    QString description = kDesignDescription;
    description += u"\r\n"_s;
    description += u"迷惑メールの削除ツールです。"_s + u"\r\n"_s;
    description += u"■動作環境"_s + u"\r\n"_s;
    // What this build runs on: the distribution it is built and tested on, and the Qt it
    // needs at least; everything else comes with the distribution's packages.
    description += u"Debian GNU/Linux 12"_s + u"\r\n"_s;
    description += u"Qt 6.4以上"_s + u"\r\n"_s + u"がインストールされている事"_s + u"\r\n"_s;
    description += u"※Debianのパッケージよりインストールしてください。"_s + u"\r\n"_s;
    lblDescription->setText(description);
}
