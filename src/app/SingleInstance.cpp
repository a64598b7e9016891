#include "SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

namespace {

constexpr int ConnectTimeoutMs = 1000;

// Socket names live in one folder shared by all users; a hash of the lock
// file's path keeps them per user and per settings store, and short.
QString serverNameFor(const QString& lockFilePath)
{
    const QByteArray path = QFileInfo(lockFilePath).absoluteFilePath().toUtf8();
    return QStringLiteral("ringlet-") +
           QString::fromLatin1(QCryptographicHash::hash(path, QCryptographicHash::Sha1).toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString& lockFilePath, QObject* parent)
    : QObject(parent), m_serverName(serverNameFor(lockFilePath)), m_lock(lockFilePath)
{
    // Only a lock whose process is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    QDir().mkpath(QFileInfo(m_lock.fileName()).absolutePath());
    if (m_lock.tryLock(0)) {
        listen();
        return true;
    }
    if (m_lock.error() != QLockFile::LockFailedError)
        return true;
    askRunningCopyToActivate();
    return false;
}

void SingleInstance::listen()
{
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    // A socket file left by a crashed copy would refuse the name; the lock says it is ours now.
    QLocalServer::removeServer(m_serverName);
    m_server->listen(m_serverName);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromServer();
            emit activationRequested();
        }
    });
}

// The connection itself is the request: nothing else is ever sent.
void SingleInstance::askRunningCopyToActivate() const
{
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (socket.waitForConnected(ConnectTimeoutMs))
        socket.disconnectFromServer();
}
