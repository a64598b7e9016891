#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// The call log read a piece at a time from a position in it, backwards or
// forwards, so a log of any size is never held whole.
namespace LogLines {

struct Line
{
    QByteArray text; // without its line end
    qint64 start;    // offset of its first byte
    qint64 end;      // offset just past its line end: where the next line starts
};

// Called for each line read; returns false when no more are wanted.
using Take = std::function<bool(const Line&)>;

// Reads the lines that end at or before `end` (a line's start, or the end of
// the file), newest first, until `take` wants no more, the file's start is
// reached, or about `budget` bytes were read. Returns the start of the last
// line handed over: where reading back goes on.
qint64 readBack(QIODevice& file, qint64 end, qint64 budget, const Take& take);

// Reads the lines from `start` (a line's start) up to `limit`, oldest first,
// until `take` wants no more or about `budget` bytes were read. Text at
// `limit` without a line end is a line only with `openEndIsLine` (the log's
// last line as it was found); otherwise it waits for the rest of it. Returns
// the end of the last line handed over.
qint64 readOn(QIODevice& file, qint64 start, qint64 limit, bool openEndIsLine, qint64 budget, const Take& take);

// One line of the log, "<display text> @ MM/DD/YY HH:MM:SS" (see
// CallLog::formatLine), taken apart. A line not in that form is all `text`.
struct Call
{
    QString time;
    QString text;
    bool wellFormed = false;
};
Call parse(const QByteArray& line);

} // namespace LogLines
