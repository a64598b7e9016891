#pragma once

#include <QByteArray>

#include <functional>

// Splits what a modem sends into lines and tells its ring results: "RING",
// "RING" with a distinctive-ring code ("RING A", "RING 1"), the numeric result
// "2", a mobile modem's "+CRING: VOICE", "CID RING", and the ring lines of ISDN
// adapters, some of which carry the caller's number ("RING 5550199",
// "RING;<from>;<to>", "RING: <type> DN<id> <from>", "RING/<called number>").
// Lines end with CR, LF or CR LF and may arrive split across reads. A line
// longer than any result or caller-ID line is noise: it is dropped as it comes,
// so a modem that floods the port cannot grow the buffer.
class RingLineReader
{
public:
    static constexpr qsizetype MaxLine = 128;

    // Hands each line `data` completes to `onLine`, in order; empty and overlong lines are left out.
    void feed(const char* data, qsizetype size, const std::function<void(const QByteArray&)>& onLine);
    // Forgets a partial line, e.g. when the port is opened again.
    void reset();

    static bool isRing(const QByteArray& line);
    // The caller's number a ring line carries; empty when it carries none.
    static QByteArray callerInRing(const QByteArray& line);

private:
    QByteArray m_line;
    bool m_overlong = false;
};
