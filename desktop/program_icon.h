#pragma once

#include <QIcon>
#include <QString>

namespace resources {

// Where the program's icon lies among the Qt resources.
inline QString programIconPath()
{
    return QStringLiteral(":/junkbane/junkbane.svg");
}

// The program's icon, drawn from its SVG at whatever size a window asks. It is null when
// Qt's SVG plugins are missing; see programIconProblem().
QIcon programIcon();

// Text for a person when the icon cannot be drawn, empty when it can.
QString programIconProblem();

} // namespace resources
