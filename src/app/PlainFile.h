#pragma once

class QFileInfo;
class QString;

// The lock and the request file beside the settings must be regular files:
// a named pipe in their place would block whoever opened it, and a folder or a
// device cannot hold them. These look at a path without opening it.

// A regular file of its own, not a link to one.
bool isPlainFile(const QFileInfo& info);

// Removes whatever but a plain file stands at `path`: a link, a named pipe, a
// device, an empty folder. Returns whether the path is now free or holds a
// plain file; a folder with something in it stays, and the result is false.
bool clearForPlainFile(const QString& path);
