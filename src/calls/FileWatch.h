#pragma once

class QFileSystemWatcher;
class QObject;
class QString;
class QTimer;

// Keeps `watcher` on the file at `path` while `fileIsThere`, else on its
// folder, to see the file come. A file another program replaces drops out of
// a watch, so this is called again after every change seen.
void watchFileOrItsFolder(QFileSystemWatcher& watcher, const QString& path, bool fileIsThere);

// A watcher, owned by `owner`, whose every change starts `readSoon` unless it
// runs already: a file rewritten without pause is still read only once per
// interval of `readSoon`, not once per change.
QFileSystemWatcher* watcherReadingSoon(QObject* owner, QTimer& readSoon);
