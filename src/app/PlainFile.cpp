#include "PlainFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool isPlainFile(const QFileInfo& info)
{
    return info.isFile() && !info.isSymbolicLink();
}

bool clearForPlainFile(const QString& path)
{
    const QFileInfo info(path);
    if (isPlainFile(info) || (!info.exists() && !info.isSymbolicLink()))
        return true;
    if (info.isDir() && !info.isSymbolicLink())
        return QDir().rmdir(path);
    return QFile::remove(path);
}
