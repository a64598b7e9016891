#pragma once

#include <QByteArray>

// The caller-ID message itself, as a modem passes it on unformatted (AT+VCID=2,
// AT#CID=2): the packet's bytes in hex on one line. A single-message packet
// (type 04) holds the date and time, then the number; a multiple-message packet
// (type 80) holds parameters, each a type, a length and its bytes. Some modems
// print such parameters, without header or checksum, in a MESG line.
namespace CallerIdPacket {

// What the parameters said, as sent: the number, or P (withheld) or O
// (unavailable) in its place; likewise the name. Empty: it did not come.
struct Fields
{
    QByteArray number;
    QByteArray name;
};

// A whole packet: its length byte must match the line and its checksum hold,
// else nothing is read from it. False when the line is no such packet.
bool read(const QByteArray& hexLine, Fields& fields);
// Parameters alone, as far as they are whole; false when the text is no hex.
bool readParameters(const QByteArray& hex, Fields& fields);

} // namespace CallerIdPacket
