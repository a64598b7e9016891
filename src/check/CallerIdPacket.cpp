#include "CallerIdPacket.h"

namespace {
constexpr char SingleMessage = 0x04;
constexpr char MultipleMessage = char(0x80);
constexpr int DateTimeSize = 8; // MMDDHHMM

enum Parameter : char {
    Number = 0x02,
    DialableNumber = 0x03,
    NumberAbsent = 0x04, // O or P
    Name = 0x07,
    NameAbsent = 0x08,
};

// The bytes of a line of hex digits; empty when it holds anything else.
QByteArray hexBytes(const QByteArray& hex)
{
    if (hex.isEmpty() || hex.size() % 2 != 0)
        return {};
    for (const char c : hex) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return {};
    }
    return QByteArray::fromHex(hex);
}

// The first number or name stands; a reason for its absence only while none came.
void readParameterBytes(const QByteArray& bytes, CallerIdPacket::Fields& fields)
{
    bool hasNumber = false;
    bool hasName = false;
    // A parameter the bytes cut short is left out, and so is all after it.
    for (qsizetype at = 0; at + 2 <= bytes.size();) {
        const char type = bytes[at];
        const qsizetype size = static_cast<unsigned char>(bytes[at + 1]);
        if (at + 2 + size > bytes.size())
            return;
        const QByteArray value = bytes.mid(at + 2, size);
        if ((type == Number || type == DialableNumber) && !hasNumber) {
            fields.number = value;
            hasNumber = true;
        } else if (type == NumberAbsent && !hasNumber) {
            fields.number = value;
        } else if (type == Name && !hasName) {
            fields.name = value;
            hasName = true;
        } else if (type == NameAbsent && !hasName) {
            fields.name = value;
        }
        at += 2 + size;
    }
}
} // namespace

bool CallerIdPacket::readParameters(const QByteArray& hex, Fields& fields)
{
    const QByteArray bytes = hexBytes(hex);
    if (bytes.isEmpty())
        return false;
    readParameterBytes(bytes, fields);
    return true;
}

bool CallerIdPacket::read(const QByteArray& hexLine, Fields& fields)
{
    const QByteArray bytes = hexBytes(hexLine);
    // Type, length, the message, checksum: the length byte counts the message alone.
    if (bytes.size() < 3 || static_cast<unsigned char>(bytes[1]) != bytes.size() - 3)
        return false;
    const char type = bytes[0];
    if (type != SingleMessage && type != MultipleMessage)
        return false;
    // The checksum makes all the packet's bytes add up to 0 (mod 256).
    unsigned char sum = 0;
    for (const char c : bytes)
        sum += static_cast<unsigned char>(c);
    if (sum != 0)
        return false;
    const QByteArray message = bytes.mid(2, bytes.size() - 3);
    if (type == MultipleMessage) {
        readParameterBytes(message, fields);
    } else if (message.size() > DateTimeSize) {
        fields.number = message.mid(DateTimeSize);
    }
    return true;
}
