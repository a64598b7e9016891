#include "CallLog.h"

#include "LogFile.h"
#include "base/RingletError.h"
#include "base/SettingsRecord.h"
#include "strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace CallLog {

// The C runtime's "%c" differs between platforms and locales; the log keeps the
// one form its readers know, 12/05/99 14:03:27.
QByteArray formatLine(const QByteArray& displayText, const QDateTime& localTime)
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, " @ %02d/%02d/%02d %02d:%02d:%02d\r\n", date.month(), date.day(),
                  (date.year() % 100 + 100) % 100, time.hour(), time.minute(), time.second());
    return displayText + stamp;
}

bool isRepeatToSkip(qint32 logFlags, const QString& displayText, const QString& previousNo)
{
    return (logFlags & LogFlags::IgnoreSame) != 0 && displayText == previousNo;
}

void append(const QString& path, const QByteArray& displayText)
{
    const QByteArray line = formatLine(displayText, QDateTime::currentDateTime());
    const LogAppendResult result = appendExclusive(QFile::encodeName(path).toStdString(), line.toStdString());
    if (result.status == LogAppendStatus::Written)
        return;

    const QString file = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const QString reason = QString::fromLocal8Bit(result.reason.c_str());
    const char* text = result.status == LogAppendStatus::OpenFailed ? Texts::LogOpenFailed : Texts::LogWriteFailed;
    throw RingletError(QString::fromUtf8(text).arg(file, reason));
}

} // namespace CallLog
