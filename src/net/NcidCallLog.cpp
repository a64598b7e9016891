#include "NcidCallLog.h"

#include "NcidCallLine.h"
#include "calls/LogLines.h"
#include "strings.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace NcidCallLog {

QList<QByteArray> lastCalls(const QString& path, const NameFor& nameFor)
{
    QList<QByteArray> lines;
    QFile log(path);
    // Never a pipe or a device: a client's connection must not wait on one.
    if (!QFileInfo(path).isFile() || !log.open(QIODevice::ReadOnly))
        return lines;
    constexpr qint64 Budget = 256 * 1024;
    LogLines::readBack(log, log.size(), Budget, [&](const LogLines::Line& line) {
        const LogLines::Call call = LogLines::parse(line.text);
        if (!call.wellFormed || call.text == QLatin1String(Texts::CantFindString) ||
            call.text == QLatin1String(Texts::BufferEmpty))
            return true;
        // "MM/DD/YY HH:MM:SS", the years of this century.
        QDateTime when = QDateTime::fromString(call.time, QStringLiteral("MM/dd/yy HH:mm:ss"));
        if (!when.isValid())
            return true;
        if (when.date().year() < 2000)
            when = when.addYears(100);
        lines << NcidCallLine::format("CIDLOG", call.text, nameFor(call.text), when);
        return lines.size() < MostCalls;
    });
    std::reverse(lines.begin(), lines.end());
    return lines;
}

} // namespace NcidCallLog
