#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class ActivationRequests;
class QLockFile;

// One Ringlet per user on each machine. Two copies would fight over one port
// and the last to close would overwrite the other's settings, so a second start
// hands over to the first: it asks the running copy to come to the front and ends.
//
// The first copy holds a lock file beside the settings and watches a request
// file next to it (see ActivationRequests). A lock left by a copy that crashed
// names a process that no longer runs, and QLockFile takes it over; a lock whose
// owner cannot be read at all (empty after a power loss, garbled) is taken over
// as well. A lock naming another machine (a home folder shared between
// machines) does not stop this one: its copies take a lock of their own,
// ringlet-<host>.lock, with its own request file.
// (A local socket would do as well, but Qt's network module adds a third to the
// program's start-up time.)
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    enum class Outcome {
        // No other copy runs on this machine: this one runs. It holds the lock,
        // or no lock can be made at all (the folder cannot be written), and it
        // runs as before rather than not at all.
        Alone,
        // Another copy runs and was asked to come to the front.
        HandedOver,
        // Another copy runs but the request did not reach it; unreachableReason() says why.
        Unreachable,
    };

    explicit SingleInstance(const QString& lockFilePath, QObject* parent = nullptr);
    // Releases the lock and removes the request file and the folders this run
    // made; a folder that holds anything (the settings) stays.
    ~SingleInstance() override;

    Outcome acquire();
    QString unreachableReason() const { return m_unreachableReason; }

signals:
    // Another start asked this copy to come to the front.
    void activationRequested();

private:
    void makeFolder();
    void useHostLock();
    bool hostLockIsHeld() const;
    Outcome askRunningCopy();
    void listen();

    std::unique_ptr<QLockFile> m_lock;
    ActivationRequests* m_requests = nullptr;
    QStringList m_madeFolders; // deepest first
    QString m_unreachableReason;
};
