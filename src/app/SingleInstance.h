#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QFileSystemWatcher;

// One Ringlet per user and settings store. Two copies would fight over one port
// and the last to close would overwrite the other's settings, so a second start
// hands over to the first: it asks the running copy to come to the front and ends.
//
// The first copy holds a lock file beside the settings and watches a request
// file next to it; a second start writes to that file. A lock left by a copy
// that crashed names a process that no longer runs, and QLockFile takes it over.
// (A local socket would do as well, but Qt's network module adds a third to the
// program's start-up time.)
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString& lockFilePath, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this is the only copy (the lock is now held), or when no lock can
    // be made at all (the folder cannot be written): the program then runs as
    // before rather than not at all. False when another copy runs; it has been
    // asked to come to the front.
    bool acquire();

signals:
    // Another start asked this copy to come to the front.
    void activationRequested();

private:
    void watchRequests();
    void askRunningCopyToActivate() const;

    QString m_requestFile;
    QLockFile m_lock;
    QFileSystemWatcher* m_watcher = nullptr;
};
