#pragma once

#include "data_folder.h"

#include <QString>

namespace startup {

// Gets the data folder ready before the main window opens:
//  - the per-user data folder (see store::dataFolderFor) is made with mode 0700 when missing,
//    with an empty settings database (0600) and temp/ (0700) when they are missing; an
//    existing database is never touched. A program run from its build folder gets nothing
//    made: its database and temp/ come from the run command, as always.
//  - a settings database that others may read or write is restricted to its owner (0600),
//    and temp/ to its owner (0700): the database holds the POP passwords, temp/ the mail.
//  - the messages a killed run left in temp/ are removed: only files that are provably the
//    program's own (the name a fetch gives, a plain file of this user, mode without any bit
//    for group or others). Attachments carry the names their messages gave them and cannot
//    be told from anything else in the folder: they stay, as does every other file.
// Returns empty text when the program can start, else what is wrong, in words for the user.
QString prepareDataFolder(const QString& programFolder, const store::UserFolders& user);

// The same for this process: the executable's folder and the environment.
QString prepareDataFolder();

} // namespace startup
