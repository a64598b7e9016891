#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;

// The request file beside the lock (ringlet.activate), through which a second
// start asks the running copy to come to the front.
//
// The running copy keeps an empty regular file there and watches it. A start
// asks by growing it to one byte, and the running copy answers by emptying it
// again, so the start knows its request arrived. Both sides look at the file
// and truncate it by name, and never open what already stands at its path: a
// named pipe there would block whoever opened it.
class ActivationRequests : public QObject
{
    Q_OBJECT

public:
    explicit ActivationRequests(const QString& filePath, QObject* parent = nullptr);
    // Removes the file again when this run made it.
    ~ActivationRequests() override;

    // Makes the file, replacing whatever else stands at its path, and watches
    // it. A folder with something in it stays, and no request reaches this
    // copy: a start then finds the folder and says so.
    void listen();

signals:
    void activationRequested();

private:
    bool makeFile();
    void onFileChanged();

    QString m_path;
    QFileSystemWatcher* m_watcher = nullptr;
    bool m_madeFile = false;
};

// A second start's side: asks the copy that watches `filePath` to come to the
// front and waits a few seconds for its answer. Returns an empty text when the
// request arrived, else why it did not, in words fit for the user.
QString requestActivation(const QString& filePath);
