#include "PortName.h"

#include <QFileInfo>

QString serialSystemLocation(const QString& name)
{
#ifdef Q_OS_WIN
    if (name.startsWith(QLatin1String("\\\\.\\")) || name.startsWith(QLatin1String("//./")))
        return name;
    return QStringLiteral("\\\\.\\") + name;
#else
    if (name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("./")) ||
        name.startsWith(QLatin1String("../")))
        return name;
    return QStringLiteral("/dev/") + name;
#endif
}

namespace {
// The file a location stands for, links resolved; a location with no such
// file stays as it is.
QString resolved(const QString& location)
{
    const QString canonical = QFileInfo(location).canonicalFilePath();
    return canonical.isEmpty() ? location : canonical;
}
} // namespace

bool isSamePort(const QString& a, const QString& b)
{
    const QString first = serialSystemLocation(a);
    const QString second = serialSystemLocation(b);
    // Windows names its devices without regard to case; a POSIX file system does not.
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity cs = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity cs = Qt::CaseSensitive;
#endif
    return first.compare(second, cs) == 0 || resolved(first).compare(resolved(second), cs) == 0;
}
