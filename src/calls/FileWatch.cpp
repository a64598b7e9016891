#include "FileWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

void watchFileOrItsFolder(QFileSystemWatcher& watcher, const QString& path, bool fileIsThere)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (fileIsThere) {
        if (!watcher.files().contains(path))
            watcher.addPath(path);
        if (watcher.directories().contains(folder))
            watcher.removePath(folder);
    } else if (!watcher.directories().contains(folder) && QFileInfo(folder).isDir()) {
        watcher.addPath(folder);
    }
}

QFileSystemWatcher* watcherReadingSoon(QObject* owner, QTimer& readSoon)
{
    auto* watcher = new QFileSystemWatcher(owner);
    const auto startReading = [&readSoon] {
        if (!readSoon.isActive())
            readSoon.start();
    };
    QObject::connect(watcher, &QFileSystemWatcher::fileChanged, owner, startReading);
    QObject::connect(watcher, &QFileSystemWatcher::directoryChanged, owner, startReading);
    return watcher;
}
