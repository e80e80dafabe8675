#pragma once

#include <QString>
#include <QVariant>

// The program-wide selected account and the small helpers every window may call.
namespace MdlMain {

// The account the main window sweeps, copied from one row of the account table by a picker,
// all four values together and untyped, exactly as the store returned them. Empty until the
// user picks an account; never stored.
inline QVariant sel_server;
inline QVariant sel_user;
inline QVariant sel_pass;
inline QVariant sel_time;
// The id of that row, set together with the four: what the edit dialog rewrites, and what
// tells the sweep that another account has been picked.
inline QVariant sel_id;

// True when every character of the text is one of the digits "0" to "9" (also for "").
bool IsDigits(const QString& text);

} // namespace MdlMain
