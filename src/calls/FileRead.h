#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// Files from outside, read on the window's thread. Only a regular file is
// opened (a link is followed to what it names): open() on a named pipe waits
// for a writer, a device such as /dev/zero never ends, and either would hold
// the window until then.
namespace FileRead {

// Opens `file` for reading when it is a regular file; otherwise, or when it
// will not open, false with the reason in words in `error`.
bool openRegular(QFile& file, QString& error);

enum class Result { Read, Missing, Failed };
// The whole file, when it is a regular file of at most `maxBytes`; a larger one
// is not read at all (Failed, the bound in `error`).
Result readWhole(const QString& path, qint64 maxBytes, QByteArray& data, QString& error);

} // namespace FileRead
