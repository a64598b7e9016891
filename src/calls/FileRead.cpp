#include "FileRead.h"

#include "strings.h"

#include <QFile>
#include <QFileInfo>

namespace FileRead {

bool openRegular(QFile& file, QString& error)
{
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile()) {
        error = QString::fromUtf8(Texts::NotARegularFile);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    return true;
}

Result readWhole(const QString& path, qint64 maxBytes, QByteArray& data, QString& error)
{
    data.clear();
    QFile file(path);
    if (!QFileInfo::exists(path))
        return Result::Missing;
    if (!openRegular(file, error))
        return Result::Failed;
    // The size is asked again after opening; a file that grows meanwhile is cut at the bound plus one byte.
    if (file.size() > maxBytes) {
        error = QString::fromUtf8(Texts::FileTooLarge).arg(maxBytes / (1024 * 1024));
        return Result::Failed;
    }
    data = file.read(maxBytes + 1);
    if (data.size() > maxBytes) {
        data.clear();
        error = QString::fromUtf8(Texts::FileTooLarge).arg(maxBytes / (1024 * 1024));
        return Result::Failed;
    }
    if (file.error() != QFileDevice::NoError) {
        data.clear();
        error = file.errorString();
        return Result::Failed;
    }
    return Result::Read;
}

} // namespace FileRead
