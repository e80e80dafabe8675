#include "program_icon.h"

#include <QImageReader>

using namespace Qt::StringLiterals;

namespace resources {

QIcon programIcon()
{
    QIcon icon(programIconPath());
    // QIcon accepts any path and only fails when asked to paint; ask now, so that a missing
    // SVG plugin gives a null icon the caller can see rather than a blank picture.
    if (icon.pixmap(32, 32).isNull())
        return {};
    return icon;
}

QString programIconProblem()
{
    if (!QImageReader::supportedImageFormats().contains("svg"))
        return u"The program's icon cannot be drawn: Qt's SVG image plugin is missing "
               u"(install the package libqt6svg6)."_s;
    if (programIcon().isNull())
        return u"The program's icon cannot be drawn from %1."_s.arg(programIconPath());
    return {};
}

} // namespace resources
