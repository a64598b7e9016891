#include "RingLines.h"

void RingLineReader::feed(const char* data, qsizetype size, const std::function<void(const QByteArray&)>& onLine)
{
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            // CR LF ends one line and leaves an empty one, which says nothing.
            if (!m_overlong && !m_line.isEmpty())
                onLine(m_line);
            m_line.clear();
            m_overlong = false;
        } else if (m_line.size() < MaxLine) {
            m_line.append(c);
        } else {
            m_overlong = true;
        }
    }
}

void RingLineReader::reset()
{
    m_line.clear();
    m_overlong = false;
}

bool RingLineReader::isRing(const QByteArray& line)
{
    const QByteArray text = line.trimmed();
    if (text == "RING" || text == "2")
        return true;
    if (!text.startsWith("RING"))
        return false;
    const QByteArray letter = text.mid(4).trimmed();
    return letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'Z';
}
