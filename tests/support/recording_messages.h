#pragma once

#include "messages.h"

#include <QStringList>

#include <functional>

// Records the texts of message boxes instead of showing them. A fatal error is recorded too,
// and the program goes on, so a test can look at what would have ended it.
class RecordingMessages final : public sweep::Messages {
public:
    void showMessage(const QString& text) override
    {
        shown.append(text);
        if (whileShown)
            whileShown();
    }
    void showFatal(const QString& text) override { fatal.append(text); }

    QStringList shown;
    QStringList fatal;
    // Runs while a box "is open", as the event loop of a real modal box would run timer ticks.
    std::function<void()> whileShown;
};
