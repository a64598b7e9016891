#pragma once

#include <QByteArray>
#include <QString>

// The display text comes from the modem as bytes; the label shows it and the
// settings keep it (as previousno) as text. Bytes the system's 8-bit character
// set (UTF-8 on Linux) takes without loss read in it, exactly as before; any
// other bytes read as Latin-1, so every byte stays a readable character and the
// same bytes always give the same text, also after a restart.
QString displayTextToString(const QByteArray& displayText);

// Whether the display text is one of the check's fixed texts ("Can't find
// string", "BUFFER EMPTY") rather than a caller's number.
bool isFixedDisplayText(const QString& displayText);
