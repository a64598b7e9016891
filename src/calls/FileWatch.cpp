#include "FileWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

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
