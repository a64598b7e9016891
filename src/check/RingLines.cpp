#include "RingLines.h"

#include <QList>

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

namespace {
bool isDigits(const QByteArray& text)
{
    const qsizetype start = text.startsWith('+') ? 1 : 0;
    if (text.size() <= start)
        return false;
    for (qsizetype i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
    }
    return true;
}
} // namespace

bool RingLineReader::isRing(const QByteArray& line)
{
    const QByteArray text = line.trimmed();
    if (text == "RING" || text == "2" || text == "CID RING" || text.startsWith("+CRING:"))
        return true;
    if (!text.startsWith("RING"))
        return false;
    // ISDN adapters put what they know of the call right after the word.
    const char next = text.size() > 4 ? text[4] : '\0';
    if (next == ';' || next == ':' || next == '/')
        return true;
    const QByteArray rest = text.mid(4).trimmed();
    if (rest.size() == 1)
        return (rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= '0' && rest[0] <= '9');
    return rest.size() > 1 && isDigits(rest);
}

QByteArray RingLineReader::callerInRing(const QByteArray& line)
{
    const QByteArray text = line.trimmed();
    if (!text.startsWith("RING") || !isRing(text))
        return {};
    // RING;<from>;<to>
    if (text.startsWith("RING;"))
        return text.mid(5).split(';').value(0).trimmed();
    // RING: <type> DN<id> <from>
    if (text.startsWith("RING:")) {
        const QList<QByteArray> words = text.mid(5).simplified().split(' ');
        return words.size() >= 3 && words[1].startsWith("DN") ? words[2] : QByteArray();
    }
    // RING <from>; a single character is a distinctive-ring code, and after RING/ comes the called number.
    const QByteArray rest = text.mid(4).trimmed();
    return rest.size() > 1 && isDigits(rest) ? rest : QByteArray();
}
