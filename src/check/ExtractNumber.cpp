#include "ExtractNumber.h"

#include "strings.h"

#include <algorithm>

QByteArray ExtractNumber(const QByteArray& reply, const QByteArray& marker)
{
    // An empty marker matches at the very start, even of an empty reply.
    const qsizetype start = marker.isEmpty() ? 0 : reply.indexOf(marker);
    if (start < 0)
        return QByteArray(Texts::CantFindString);

    // A line the modem has not finished yet counts as empty.
    const qsizetype end = reply.indexOf("\r\n", start);
    if (end < 0)
        return QByteArray(Texts::BufferEmpty);

    // The search includes the marker itself, so a digit in it starts the number.
    const auto lineBegin = reply.cbegin() + start;
    const auto lineEnd = reply.cbegin() + end;
    const auto digit = std::find_if(lineBegin, lineEnd, [](char c) { return c >= '0' && c <= '9'; });
    if (digit == lineEnd)
        return QByteArray(Texts::BufferEmpty);
    return reply.mid(digit - reply.cbegin(), lineEnd - digit);
}
