// junkbane-initdb: creates the empty, keyed settings database junkbane.mdb with its two tables.
//
//   junkbane-initdb [FOLDER]
//
// FOLDER defaults to the folder junkbane keeps its data in: this program's own folder in a
// build folder, the per-user data folder (~/.local/share/junkbane) when installed.
// An existing file is never touched.

#include "data_folder.h"
#include "settings_init.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "junkbane-initdb: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 || (args.size() == 2 && args[1].startsWith(QLatin1Char('-')))) {
        std::fprintf(stderr, "usage: junkbane-initdb [FOLDER]\n"
                             "Creates the empty settings database junkbane.mdb in FOLDER\n"
                             "(by default the folder junkbane keeps its data in). An existing "
                             "file is never overwritten.\n");
        return args.size() == 2 &&
                       (args[1] == QLatin1String("-h") || args[1] == QLatin1String("--help"))
                   ? 0
                   : 2;
    }

    // Without a folder: the one the program uses, made (0700) when it is the per-user one.
    QString folder = args.size() == 2 ? args[1] : QString();
    if (folder.isEmpty()) {
        const store::DataFolder data =
            store::dataFolderFor(app.applicationDirPath(), store::userFoldersFromEnvironment());
        if (data.path.isEmpty())
            return fail(QStringLiteral("no data folder: set HOME or XDG_DATA_HOME"));
        QString failed, reason;
        if (data.perUser && !store::makePrivateFolder(data.path, &failed, &reason))
            return fail(QStringLiteral("cannot make the folder %1: %2").arg(failed, reason));
        folder = data.path;
    }
    const store::InitResult result = store::createSettingsDatabase(folder);
    switch (result.outcome) {
    case store::InitResult::Outcome::Created:
        std::printf("junkbane-initdb: created %s with the tables cool and mymailchk\n",
                    qPrintable(result.path));
        return 0;
    case store::InitResult::Outcome::AlreadyExists:
        return fail(QStringLiteral("%1 already exists; it was left untouched").arg(result.path));
    case store::InitResult::Outcome::NoFolder:
        return fail(QStringLiteral("folder %1 does not exist; nothing was created").arg(folder));
    case store::InitResult::Outcome::Failed:
        break;
    }
    return fail(QStringLiteral("cannot create %1: %2").arg(result.path, result.reason));
}
