#include "fonts.h"

#include "controls.h"

#include <QFont>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace app {

void installFontSubstitutions()
{
    const QStringList gothic{u"IPAPGothic"_s, u"IPAGothic"_s};
    QFont::insertSubstitutions(kUiFontFamily.toString(), gothic);
    QFont::insertSubstitutions(u"MS PGothic"_s, gothic);
}

} // namespace app
