#pragma once

#include <QString>

namespace session {

// The user's XDG autostart entry that starts the program in the tray at login.
//
// The entry is $XDG_CONFIG_HOME/autostart/junkbane.desktop (by default under ~/.config). Its
// command is "junkbane --minimized" when the program that runs is the one found on PATH, else
// this program's own path, quoted as desktop entries want.
class Autostart {
public:
    // configHome: $XDG_CONFIG_HOME (ignored unless absolute); home: the home folder.
    Autostart(const QString& configHome, const QString& home, QString program);
    // From the environment and this process.
    static Autostart forThisProcess();

    QString path() const { return m_path; }
    bool isOn() const;
    // Writes or removes the entry: empty text, or why it could not be done.
    QString setOn(bool on) const;

    // The entry's text for a program path ("junkbane" when it is found on PATH).
    static QString entryText(const QString& program);

private:
    QString m_path;
    QString m_program;
};

} // namespace session
