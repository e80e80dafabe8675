#pragma once

#include <QString>

#include <optional>

namespace dialogs {

// What the desktop's opener tools (xdg-mime) say; nothing when they cannot be run, fail or do
// not answer within a few seconds.
// The type of a file ("application/vnd.ms-htmlhelp").
std::optional<QString> desktopFileType(const QString& path);
// The desktop entry of the application registered for a type ("sylpheed.desktop"), or "" when
// none is.
std::optional<QString> desktopApplicationFor(const QString& mimeType);

// Whether the desktop has an application registered for files of this type ("message/rfc822"),
// as its opener would choose one. False when the desktop's tools do not answer.
bool desktopHasApplicationFor(const QString& mimeType);

// Hands the file to the application registered for mimeType, named explicitly: what the file
// holds plays no part in the choice (the desktop's opener would pick by content, and a kept
// HTML spam would go to the web browser). "" when the application was started; otherwise why
// it was not.
QString openWithApplicationFor(const QString& path, const QString& mimeType);

} // namespace dialogs
