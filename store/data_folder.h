#pragma once

#include <QString>

namespace store {

// The user's own folders, as the environment names them.
struct UserFolders {
    QString xdgDataHome; // $XDG_DATA_HOME; ignored unless an absolute path
    QString home;        // $HOME, or the home folder of the user's account
};
UserFolders userFoldersFromEnvironment();

// The folder of files installed with the program (the help file) in an installed layout:
// the program in .../bin, these in .../share/junkbane.
QString installedShareFolder(const QString& programFolder);

// Whether the program runs from an installed layout: its folder has the installed share
// folder beside it, as `cmake --install` and the Debian package lay it out. A build folder
// has none.
bool isInstalledLayout(const QString& programFolder);

// The per-user data folder: $XDG_DATA_HOME/junkbane, by default ~/.local/share/junkbane.
// Empty when neither variable names a usable folder.
QString userDataFolder(const UserFolders& user);

// Where junkbane.mdb, temp/ and every other folder of the program's own live, and whether
// that is the per-user data folder. The rule:
//  - run from an installed layout, or from a folder the user cannot write into: the per-user
//    data folder;
//  - otherwise (a build folder): the program's own folder, everything beside the executable.
// The installed layout decides even for a user who may write into the program's folder
// (root and /usr/bin), so an installed program never writes beside itself.
struct DataFolder {
    QString path;         // empty when the per-user folder is wanted but unknown
    bool perUser = false; // the per-user data folder, made by the program when missing
};
DataFolder dataFolderFor(const QString& programFolder, const UserFolders& user);

// The data folder of this process: the executable's folder and the environment, looked up
// afresh at every call.
QString dataFolder();

// A file installed with the program, such as the help file: beside the program when it is
// there, else in the installed share folder when it is there; when neither holds it, the
// path beside the program. The program's folder goes in as given, followed by "/" and name.
QString programFilePath(const QString& programFolder, const QString& name);

// Makes path and each missing folder above it with mode 0700 (owner only); an existing folder
// keeps its mode. On failure, failed names the folder that could not be made and reason says
// why (the system's words).
bool makePrivateFolder(const QString& path, QString* failed, QString* reason);

} // namespace store
