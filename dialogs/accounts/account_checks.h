#pragma once

#include <QString>

namespace dialogs {

// The outcome of checking an account dialog's four fields: the message of the first check
// that failed, or the interval as a whole number of seconds.
struct AccountCheck {
    QString message; // empty when every check passed
    qint64 seconds = 0;

    bool passed() const { return message.isEmpty(); }
};

// The longest interval an account may have, in seconds: the largest 32-bit signed number, so
// that every later reader of the interval can hold it.
inline constexpr qint64 kLongestInterval = 2147483647;

// The checks of the new and the edit account dialog, in the order they run: server, user and
// password filled in, interval filled in, interval nothing but half-width digits (and, our
// own bound for long digit runs, no more than kLongestInterval). Blanks count as filled in.
AccountCheck checkAccountFields(const QString& server, const QString& user, const QString& pass,
                                const QString& interval);

} // namespace dialogs
