#pragma once

#include <QString>

namespace dialogs {

// Whether the desktop has an application registered for files of this type ("message/rfc822"),
// as its opener would choose one (`xdg-mime query default`). False when the desktop's tools are
// missing or do not answer within a few seconds.
bool desktopHasApplicationFor(const QString& mimeType);

} // namespace dialogs
