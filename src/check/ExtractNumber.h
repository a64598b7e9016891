#pragma once

#include <QByteArray>

// Turns the modem's whole reply to one check into the text to display: the rest
// of the marker's line from its first digit on, or one of the two fixed
// messages. Works on bytes; the reply may hold anything, NULs included.
QByteArray ExtractNumber(const QByteArray& reply, const QByteArray& marker);
