#pragma once

#include <QByteArray>

// Splits what a modem sends into lines and counts its ring results: "RING",
// "RING" with a distinctive-ring letter ("RING A"), and the numeric result "2".
// Lines end with CR, LF or CR LF and may arrive split across reads. A line
// longer than any result is noise: it is dropped as it comes, so a modem that
// floods the port cannot grow the buffer.
class RingLineReader
{
public:
    static constexpr qsizetype MaxLine = 32;

    // Returns how many ring lines `data` completed.
    int feed(const char* data, qsizetype size);
    // Forgets a partial line, e.g. when the port is opened again.
    void reset();

private:
    static bool isRing(const QByteArray& line);

    QByteArray m_line;
    bool m_overlong = false;
};
