#pragma once

#include <QByteArray>

#include <functional>

// The lines of an NCID connection, cut from the bytes as they come. A line
// ends with LF or CR LF and is handed over without its end. A line longer than
// the bound is dropped as it comes, never held: only the bound is ever kept.
class NcidLineReader
{
public:
    // Far above any line of the protocol (a call line is under 200 bytes).
    static constexpr int DefaultLongest = 4096;
    using Take = std::function<void(const QByteArray& line)>;

    explicit NcidLineReader(int longest = DefaultLongest) : m_longest(longest) {}

    // Hands each line the bytes complete to `take`, keeping the unfinished rest.
    void feed(const char* data, qsizetype size, const Take& take);
    // Lines dropped for their length since the start.
    int droppedLines() const { return m_dropped; }
    void reset();

private:
    QByteArray m_partial;
    bool m_skipping = false; // inside a line already too long: its bytes go until its end
    int m_longest;
    int m_dropped = 0;
};
