#pragma once

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

// The dialogue with the modem, line by line, for a user whose modem does not
// answer as expected. Off by default; on with QT_LOGGING_RULES="ringlet.modem=true".
Q_DECLARE_LOGGING_CATEGORY(modemTrace)

// The bytes as a reader can take them in: printable ASCII as it stands, a
// backslash doubled, CR and LF as \r and \n, every other byte as \xHH.
QByteArray escapedForTrace(const QByteArray& bytes);

// One entry: the time to the millisecond, the port, the direction ("<<" in,
// ">>" out, "--" an event) and the bytes escaped.
void traceModem(const QString& port, const char* direction, const QByteArray& bytes);
