#pragma once

class QFileSystemWatcher;
class QString;

// Keeps `watcher` on the file at `path` while `fileIsThere`, else on its
// folder, to see the file come. A file another program replaces drops out of
// a watch, so this is called again after every change seen.
void watchFileOrItsFolder(QFileSystemWatcher& watcher, const QString& path, bool fileIsThere);
