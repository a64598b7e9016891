#include "SingleInstance.h"

#include "ActivationRequests.h"
#include "PlainFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSysInfo>
#include <QThread>

namespace {

// Who holds a lock, as far as this machine can tell.
enum class LockState {
    Taken,         // this copy, now
    HeldHere,      // a running copy on this machine
    HeldElsewhere, // a copy on another machine that shares the folder
    NoLock,        // nobody: no lock can be made (the folder cannot be written)
};

// A copy that has just made its lock file fills it within microseconds; one
// still unreadable after this long was left half-written.
constexpr int UnreadableGraceMs = 100;

// ringlet.lock -> ringlet.activate, in the same folder.
QString requestFileFor(const QString& lockFilePath)
{
    const QFileInfo lock(lockFilePath);
    return lock.absolutePath() + QLatin1Char('/') + lock.completeBaseName() + QStringLiteral(".activate");
}

// ringlet.lock -> ringlet-<host>.lock, in the same folder.
QString hostLockFileFor(const QString& lockFilePath)
{
    QString host = QSysInfo::machineHostName();
    for (QChar& c : host)
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    const QFileInfo lock(lockFilePath);
    return lock.absolutePath() + QLatin1Char('/') + lock.completeBaseName() + QLatin1Char('-') + host +
           QStringLiteral(".lock");
}

// As QLockFile judges it: a lock without a host name was written on this machine.
bool namesThisMachine(const QString& host)
{
    return host.isEmpty() || host == QSysInfo::machineHostName();
}

// Removes a lock whose owner cannot be read. Qt's removal refuses a lock that a
// live process holds (it is locked at the system level too); a file this user
// may not even read is no lock of a copy of theirs, and is removed by name.
void takeOver(QLockFile& lock)
{
    if (!lock.removeStaleLockFile() && !QFileInfo(lock.fileName()).isReadable())
        QFile::remove(lock.fileName());
}

// A lock of a process that is gone is taken over by QLockFile itself; one whose
// owner cannot be read is taken over here. A few rounds, as another start may
// take the lock in between.
LockState take(QLockFile& lock)
{
    for (int round = 0; round < 3; ++round) {
        if (lock.tryLock(0))
            return LockState::Taken;
        if (lock.error() != QLockFile::LockFailedError)
            return LockState::NoLock;
        QString host;
        if (!lock.getLockInfo(nullptr, &host, nullptr)) {
            QThread::msleep(UnreadableGraceMs);
            if (!lock.getLockInfo(nullptr, &host, nullptr)) {
                takeOver(lock);
                continue;
            }
        }
        return namesThisMachine(host) ? LockState::HeldHere : LockState::HeldElsewhere;
    }
    return LockState::NoLock;
}

std::unique_ptr<QLockFile> makeLock(const QString& path)
{
    auto lock = std::make_unique<QLockFile>(path);
    // Only a lock whose process is gone is stale, however old it is.
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

SingleInstance::SingleInstance(const QString& lockFilePath, QObject* parent)
    : QObject(parent), m_lock(makeLock(lockFilePath))
{
}

SingleInstance::~SingleInstance()
{
    delete m_requests;
    m_lock->unlock();
    for (const QString& folder : std::as_const(m_madeFolders))
        QDir().rmdir(folder);
}

SingleInstance::Outcome SingleInstance::acquire()
{
    makeFolder();
    clearForPlainFile(m_lock->fileName());
    LockState state = take(*m_lock);
    if (state == LockState::HeldElsewhere) {
        // One copy per machine: another machine's copy does not stop this one.
        useHostLock();
        state = take(*m_lock);
    } else if (state == LockState::Taken && hostLockIsHeld()) {
        useHostLock();
        state = LockState::HeldHere;
    }
    switch (state) {
    case LockState::Taken:
        listen();
        return Outcome::Alone;
    case LockState::NoLock:
        return Outcome::Alone;
    case LockState::HeldHere:
    case LockState::HeldElsewhere:
        break;
    }
    return askRunningCopy();
}

// Notes the folders that do not exist yet, deepest first, then makes them.
void SingleInstance::makeFolder()
{
    const QString folder = QFileInfo(m_lock->fileName()).absolutePath();
    QString path = folder;
    while (!QFileInfo::exists(path)) {
        m_madeFolders << path;
        const QString parent = QFileInfo(path).absolutePath();
        if (parent == path)
            break;
        path = parent;
    }
    if (!m_madeFolders.isEmpty())
        QDir().mkpath(folder);
}

// Changes to this machine's own lock, letting go of the shared one if it was taken.
void SingleInstance::useHostLock()
{
    m_lock = makeLock(hostLockFileFor(m_lock->fileName()));
}

// A copy on this machine that started while another machine held the shared
// lock runs under this machine's own lock, even once the shared one is free.
bool SingleInstance::hostLockIsHeld() const
{
    const QString path = hostLockFileFor(m_lock->fileName());
    if (!QFileInfo::exists(path))
        return false;
    // A stale one is taken, and so removed again as the probe goes.
    const std::unique_ptr<QLockFile> probe = makeLock(path);
    return take(*probe) == LockState::HeldHere;
}

SingleInstance::Outcome SingleInstance::askRunningCopy()
{
    m_unreachableReason = requestActivation(requestFileFor(m_lock->fileName()));
    if (m_unreachableReason.isEmpty())
        return Outcome::HandedOver;
    // The running copy may have ended while it was being asked.
    if (take(*m_lock) == LockState::Taken) {
        m_unreachableReason.clear();
        listen();
        return Outcome::Alone;
    }
    return Outcome::Unreachable;
}

void SingleInstance::listen()
{
    m_requests = new ActivationRequests(requestFileFor(m_lock->fileName()), this);
    connect(m_requests, &ActivationRequests::activationRequested, this, &SingleInstance::activationRequested);
    m_requests->listen();
}
