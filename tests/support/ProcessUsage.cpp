#include "ProcessUsage.h"

#include <QFile>
#include <QList>

#include <sys/resource.h>
#include <unistd.h>

namespace ProcessUsage {
qint64 cpuTimeMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return qint64(t.tv_sec) * 1000 + t.tv_usec / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

qint64 residentKb()
{
    // statm: size resident shared ... in pages
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}
} // namespace ProcessUsage
