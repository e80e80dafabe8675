#include "fonts.h"

#include <QFont>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace app {

void installFontSubstitutions()
{
    const QStringList gothic{u"IPAPGothic"_s, u"IPAGothic"_s};
    QFont::insertSubstitutions(u"ＭＳ Ｐゴシック"_s, gothic);
    QFont::insertSubstitutions(u"MS PGothic"_s, gothic);
}

} // namespace app
