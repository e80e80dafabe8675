#include "about_box.h"

#include "app_info.h"
#include "program_icon.h"

#include <QFont>
#include <QLabel>

using namespace Qt::StringLiterals;
using app::twips;

namespace {

// The window's design texts; load() starts from these every time.
const QString kDesignCaption = u"ﾊﾞｰｼﾞｮﾝ情報"_s;
const QString kDesignTitle = u"ｱﾌﾟﾘｹｰｼｮﾝ ﾀｲﾄﾙ"_s;
const QString kDesignVersion = u"ﾊﾞｰｼﾞｮﾝ"_s;
const QString kDesignDescription = u"ｱﾌﾟﾘｹｰｼｮﾝの説明"_s;

constexpr int kIconPixels = 32;

QLabel* makeLabel(QWidget* parent, const QString& text, const QFont& font)
{
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(false);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* owner) : FixedDialog(owner, 6600, 2940)
{
    setWindowTitle(kDesignCaption);

    const QFont font(u"ＭＳ Ｐゴシック"_s, 9);
    QFont titleFont = font;
    titleFont.setBold(true);

    picIcon = new QLabel(this);
    picIcon->setGeometry(twips(240), twips(240), twips(720), twips(720));
    picIcon->setAlignment(Qt::AlignCenter);
    picIcon->setPixmap(resources::programIcon().pixmap(kIconPixels, kIconPixels));

    lblTitle = makeLabel(this, kDesignTitle, titleFont);
    lblTitle->setGeometry(twips(1200), twips(240), twips(5160), twips(300));
    lblVersion = makeLabel(this, kDesignVersion, font);
    lblVersion->setGeometry(twips(1200), twips(600), twips(5160), twips(300));
    lblDescription = makeLabel(this, kDesignDescription, font);
    lblDescription->setGeometry(twips(1200), twips(1080), twips(5160), twips(1680));

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
    description += u"Windows2000/Me/98se"_s + u"\r\n"_s;
    description += u"Microsoft Data Access Components(MDAC)2.6以上"_s + u"\r\n"_s +
                   u"がインストールされている事"_s + u"\r\n"_s;
    description += u"※Microsoftのサイトよりダウンロードしてください。"_s + u"\r\n"_s;
    lblDescription->setText(description);
}
