#include "NcidLine.h"

#include <cstring>

void NcidLineReader::feed(const char* data, qsizetype size, const Take& take)
{
    qsizetype at = 0;
    while (at < size) {
        const auto* found = static_cast<const char*>(std::memchr(data + at, '\n', size_t(size - at)));
        const qsizetype end = found ? found - data : size;
        const qsizetype length = end - at;
        if (!m_skipping && m_partial.size() + length > m_longest) {
            m_partial.clear();
            m_skipping = true;
            ++m_dropped;
        }
        if (!m_skipping)
            m_partial.append(data + at, length);
        at = end + 1;
        if (!found)
            break;
        if (m_skipping) {
            m_skipping = false;
            continue;
        }
        if (m_partial.endsWith('\r'))
            m_partial.chop(1);
        const QByteArray line = m_partial;
        m_partial.clear();
        take(line);
    }
}

void NcidLineReader::reset()
{
    m_partial.clear();
    m_skipping = false;
}
