#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// The call log: one line per logged check, appended to a plain text file.
namespace CallLog {

inline constexpr char FileName[] = "ringlet.log";
// Follows the number of a blocked caller that was hung up on: "5550199 (hung up) @ ...".
// A reader that knows nothing of it still finds the number's digits first.
inline constexpr char HungUpMark[] = " (hung up)";

// "<text> @ MM/DD/YY HH:MM:SS\r\n", the same form whatever the locale.
QByteArray formatLine(const QByteArray& displayText, const QDateTime& localTime);

// Whether a check with this display text adds a line, given the log flags and
// the previous display text, both as text (see DisplayText.h): the previous one
// may come from the settings of an earlier run. Only called when logging is enabled.
bool isRepeatToSkip(qint32 logFlags, const QString& displayText, const QString& previousNo);

// Appends the line for `displayText` to the log at `path`, stamped with the
// current local time. Raises RingletError when the line cannot be written,
// including when the file cannot be opened or is held by another program.
void append(const QString& path, const QByteArray& displayText);

} // namespace CallLog
