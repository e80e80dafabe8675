#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace session {

// One running program per data folder: a lock file in the folder, held while the program
// runs, and a local socket on which a later start asks the running one to show itself.
//
// The lock is taken before anything in the folder is touched, so a second start never tidies
// the first one's temp/ or deleted/. A lock whose process has ended (a crash, a kill) is taken
// over; a lock is never given up for its age alone.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        First,  // the lock is ours: this process runs the program
        Second, // another process holds it and was asked to show itself
        Failed, // neither: error() says why
    };

    explicit SingleInstance(QString dataFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock, or hands "show yourself" to the process that holds it.
    Outcome claim();
    QString error() const { return m_error; }

    // The socket's name for a data folder: the same folder always gives the same name, two
    // folders (or two users) never share one.
    static QString serverName(const QString& dataFolder);
    static QString lockFilePath(const QString& dataFolder);

Q_SIGNALS:
    // A later start asked this one to show itself.
    void showRequested();

private:
    void listen();
    Outcome askToShow();

    QString m_folder;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    QString m_error;
};

} // namespace session
