#pragma once

#include <QString>

#include <functional>

namespace sweep {

// Where the program's message boxes go. The window's one shows a QMessageBox; tests put a
// recorder in its place and read the texts instead of clicking boxes away.
class Messages {
public:
    virtual ~Messages() = default;
    // A modal box with the text, an OK button only, no icon and the application's title.
    virtual void showMessage(const QString& text) = 0;
    // The same box for an error nothing could handle; then the program ends.
    virtual void showFatal(const QString& text) = 0;
};

// Runs a slot's work; a store failure (or any other exception) is shown with its description
// and ends the program, as an unhandled error does. No exception crosses the Qt event loop.
void runGuarded(Messages& messages, const std::function<void()>& work);

} // namespace sweep
