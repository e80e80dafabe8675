#pragma once

#include <QString>

namespace app {

// The application's title, shown in the main window's title, the about box and every
// message box.
inline QString applicationTitle()
{
    return QStringLiteral("Junkbane");
}

// The version of this build, from the project's version in CMake.
struct Version {
    int major;
    int minor;
    int revision;
};
inline constexpr Version kVersion{JUNKBANE_VERSION_MAJOR, JUNKBANE_VERSION_MINOR,
                                  JUNKBANE_VERSION_PATCH};

inline QString versionText()
{
    return QStringLiteral("%1.%2.%3")
        .arg(kVersion.major)
        .arg(kVersion.minor)
        .arg(kVersion.revision);
}

// Twips, the unit of the window layouts, to pixels at 96 dpi.
constexpr int twips(int value)
{
    return value / 15;
}

} // namespace app
