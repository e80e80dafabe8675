#include "single_instance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace session {

using namespace Qt::StringLiterals;

namespace {
const QByteArray kShow = "show\n";
const QByteArray kShown = "ok\n";
// A first start may hold the lock for a moment before its socket listens.
constexpr int kHandOverMs = 5000;
} // namespace

SingleInstance::SingleInstance(QString dataFolder, QObject* parent)
    : QObject(parent), m_folder(std::move(dataFolder)), m_lock(lockFilePath(m_folder))
{
    // Only a lock whose process is gone is stale: the program runs for days.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
}

QString SingleInstance::lockFilePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(u"junkbane.lock"_s);
}

QString SingleInstance::serverName(const QString& dataFolder)
{
    const QString canonical = QFileInfo(dataFolder).canonicalFilePath();
    const QByteArray key =
        (canonical.isEmpty() ? QDir::cleanPath(QDir(dataFolder).absolutePath()) : canonical)
            .toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    return u"junkbane-%1-%2"_s.arg(QString::number(::getuid()), QString::fromLatin1(hash.left(24)));
}

SingleInstance::Outcome SingleInstance::claim()
{
    if (m_lock.tryLock(0)) {
        listen();
        return Outcome::First;
    }
    if (m_lock.error() != QLockFile::LockFailedError) {
        m_error = QCoreApplication::translate(
                      "session",
                      "データフォルダー %1 にロックファイル %2 を作れません。フォルダーの書き込み"
                      "権限を確認してください。")
                      .arg(QDir::toNativeSeparators(m_folder),
                           QDir::toNativeSeparators(lockFilePath(m_folder)));
        return Outcome::Failed;
    }
    return askToShow();
}

void SingleInstance::listen()
{
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    const QString name = serverName(m_folder);
    // The lock is ours: a socket of that name was left by a process that has ended.
    QLocalServer::removeServer(name);
    if (!m_server->listen(name)) {
        // The program still runs; only a later start cannot bring this window forward.
        qWarning("%s", qPrintable(QCoreApplication::translate(
                                      "session", "2 つ目の起動からの呼び出しを受けられません：%1")
                                      .arg(m_server->errorString())));
        return;
    }
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine(64) == kShow) {
                    socket->write(kShown);
                    socket->flush();
                    Q_EMIT showRequested();
                }
                socket->disconnectFromServer();
            });
        }
    });
}

SingleInstance::Outcome SingleInstance::askToShow()
{
    const QDeadlineTimer deadline(kHandOverMs);
    QString why;
    do {
        QLocalSocket socket;
        socket.connectToServer(serverName(m_folder));
        if (socket.waitForConnected(500)) {
            socket.write(kShow);
            if (socket.waitForBytesWritten(1000)) {
                while (!socket.canReadLine() && socket.waitForReadyRead(1000)) {
                }
                if (socket.canReadLine() && socket.readLine(64) == kShown)
                    return Outcome::Second;
            }
        }
        why = socket.errorString();
        // The holder may have ended meanwhile, leaving its lock stale: take it over.
        if (m_lock.tryLock(0)) {
            listen();
            return Outcome::First;
        }
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    m_error = QCoreApplication::translate(
                  "session",
                  "このデータフォルダー（%1）では別の Junkbane が動いていますが、応答がありません"
                  "（%2）。そちらを終了してから起動し直してください。")
                  .arg(QDir::toNativeSeparators(m_folder), why);
    return Outcome::Failed;
}

} // namespace session
