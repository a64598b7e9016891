#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

namespace {

// ringlet.lock -> ringlet.activate, in the same folder.
QString requestFileFor(const QString& lockFilePath)
{
    const QFileInfo lock(lockFilePath);
    return lock.absolutePath() + QLatin1Char('/') + lock.completeBaseName() + QStringLiteral(".activate");
}

} // namespace

SingleInstance::SingleInstance(const QString& lockFilePath, QObject* parent)
    : QObject(parent), m_requestFile(requestFileFor(lockFilePath)), m_lock(lockFilePath)
{
    // Only a lock whose process is gone is stale, however old it is.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire()
{
    QDir().mkpath(QFileInfo(m_lock.fileName()).absolutePath());
    if (m_lock.tryLock(0)) {
        watchRequests();
        return true;
    }
    if (m_lock.error() != QLockFile::LockFailedError)
        return true;
    askRunningCopyToActivate();
    return false;
}

void SingleInstance::watchRequests()
{
    QFile requests(m_requestFile);
    if (!requests.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    requests.close();
    m_watcher = new QFileSystemWatcher({m_requestFile}, this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] {
        // A file replaced rather than written to drops out of the watch.
        if (!m_watcher->files().contains(m_requestFile) && QFile::exists(m_requestFile))
            m_watcher->addPath(m_requestFile);
        emit activationRequested();
    });
}

// Truncated and written afresh each time, so the file never grows.
void SingleInstance::askRunningCopyToActivate() const
{
    QFile requests(m_requestFile);
    if (requests.exists() && requests.open(QIODevice::WriteOnly | QIODevice::Truncate))
        requests.write("1\n");
}
