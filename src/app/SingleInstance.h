#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>

class QLocalServer;

// One Ringlet per user and settings store. Two copies would fight over one port
// and the last to close would overwrite the other's settings, so a second start
// hands over to the first: it asks the running copy to come to the front and ends.
//
// The first copy holds a lock file beside the settings and listens on a local
// socket named after it. A lock left by a copy that crashed names a process that
// no longer runs; QLockFile then takes it over, and the stale socket is replaced.
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
    void listen();
    void askRunningCopyToActivate() const;

    QString m_serverName;
    QLockFile m_lock;
    QLocalServer* m_server = nullptr;
};
