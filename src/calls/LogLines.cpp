#include "LogLines.h"

#include "base/DisplayText.h"

#include <QIODevice>

namespace LogLines {
namespace {

constexpr qint64 Chunk = 64 * 1024;
// A longer stretch without a line end is no call; it is shown cut into pieces
// of this size rather than read into memory whole.
constexpr qint64 LongestLine = 1024 * 1024;

QByteArray withoutLineEnd(QByteArray text)
{
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    return text;
}

} // namespace

qint64 readBack(QIODevice& file, qint64 end, qint64 budget, const Take& take)
{
    QByteArray buffer; // the bytes [bufferStart, pos) not handed over yet
    qint64 bufferStart = end;
    qint64 pos = end;
    qint64 read = 0;
    while (pos > 0) {
        // The byte before this line's own line end.
        const qsizetype from = buffer.size() - 1 - (buffer.endsWith('\n') ? 1 : 0);
        const qsizetype newline = from >= 0 ? buffer.lastIndexOf('\n', from) : -1;
        if (newline < 0 && bufferStart > 0 && buffer.size() < LongestLine) {
            const qint64 n = qMin(Chunk, bufferStart);
            if (!file.seek(bufferStart - n))
                break;
            const QByteArray chunk = file.read(n);
            if (chunk.size() != n)
                break;
            buffer.prepend(chunk);
            bufferStart -= n;
            read += n;
            continue;
        }
        const qsizetype lineStart = newline + 1; // 0 at the file's start or for a cut line
        const Line line{withoutLineEnd(buffer.mid(lineStart)), bufferStart + lineStart, pos};
        buffer.truncate(lineStart);
        pos = line.start;
        if (!take(line) || read >= budget)
            break;
    }
    return pos;
}

qint64 readOn(QIODevice& file, qint64 start, qint64 limit, bool openEndIsLine, qint64 budget, const Take& take)
{
    QByteArray buffer; // from `used` on, the bytes [pos, pos + rest) not handed over yet
    qsizetype used = 0;
    qint64 pos = start;
    qint64 read = 0;
    while (pos < limit) {
        const qsizetype newline = buffer.indexOf('\n', used);
        const qsizetype rest = buffer.size() - used;
        const qint64 have = pos + rest;
        if (newline < 0 && have < limit && rest < LongestLine) {
            const qint64 n = qMin(Chunk, limit - have);
            if (!file.seek(have))
                break;
            const QByteArray chunk = file.read(n);
            if (chunk.size() != n)
                break;
            buffer.remove(0, used);
            used = 0;
            buffer.append(chunk);
            read += n;
            continue;
        }
        if (newline < 0 && have >= limit && !openEndIsLine)
            break;
        const qsizetype length = newline < 0 ? rest : newline + 1 - used;
        const Line line{withoutLineEnd(buffer.mid(used, length)), pos, pos + length};
        used += length;
        pos = line.end;
        if (!take(line) || read >= budget)
            break;
    }
    return pos;
}

Call parse(const QByteArray& line)
{
    // " @ " and "MM/DD/YY HH:MM:SS"
    static constexpr char Form[] = " @ 99/99/99 99:99:99";
    constexpr qsizetype Tail = sizeof Form - 1;
    const qsizetype at = line.size() - Tail;
    bool wellFormed = at >= 0;
    for (qsizetype i = 0; wellFormed && i < Tail; ++i) {
        const char c = line[at + i];
        wellFormed = Form[i] == '9' ? (c >= '0' && c <= '9') : c == Form[i];
    }
    if (!wellFormed)
        return {QString(), displayTextToString(line), false};
    return {QString::fromLatin1(line.mid(at + 3)), displayTextToString(line.left(at)), true};
}

} // namespace LogLines
