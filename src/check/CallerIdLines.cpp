#include "CallerIdLines.h"

#include "CallerIdPacket.h"
#include "ExtractNumber.h"
#include "RingLines.h"
#include "base/DisplayText.h"
#include "strings.h"

#include <QList>

#include <array>

namespace {
bool isWithheld(const QByteArray& value)
{
    const QByteArray word = value.toUpper();
    return word == "P" || word == "PRIVATE" || word == "RESTRICTED" || word == "WITHHELD";
}

bool isUnavailable(const QByteArray& value)
{
    const QByteArray word = value.toUpper();
    return word == "O" || word == "UNAVAILABLE";
}

// The comma-separated fields of an AT result, each without its quotes; commas
// inside quotes belong to the field.
QList<QByteArray> resultFields(const QByteArray& text)
{
    QList<QByteArray> fields{QByteArray()};
    bool quoted = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.append(QByteArray());
        else
            fields.last().append(c);
    }
    for (QByteArray& field : fields)
        field = field.trimmed();
    return fields;
}

// The keys of a formatted announcement; DDN_NMBR before the keys inside it.
constexpr std::array<const char*, 8> Keys{"DDN_NMBR", "NMBR", "NBR", "DDN", "NAME", "DATE", "TIME", "MESG"};

// The key that starts at `at`, followed by '=' (spaces allowed before it), and
// where its value begins; an empty key when none does.
QByteArray keyAt(const QByteArray& text, qsizetype at, qsizetype& valueStart)
{
    for (const char* key : Keys) {
        const qsizetype size = qstrlen(key);
        if (text.size() - at < size || text.mid(at, size) != key)
            continue;
        qsizetype equals = at + size;
        while (equals < text.size() && text[equals] == ' ')
            ++equals;
        if (equals < text.size() && text[equals] == '=') {
            valueStart = equals + 1;
            return key;
        }
    }
    return {};
}
} // namespace

bool CallerIdLines::take(const QByteArray& line)
{
    const QByteArray text = line.trimmed();
    if (takeWhole(text) || takeFields(text))
        return true;
    // An empty marker would take any line with a digit in it for a number.
    if (m_marker.isEmpty() || !text.contains(m_marker))
        return false;
    const QByteArray number = ExtractNumber(text + "\r\n", m_marker);
    if (number.isEmpty() || number[0] < '0' || number[0] > '9')
        return false; // the marker, but no digit after it
    takeNumber(number);
    return true;
}

void CallerIdLines::reset()
{
    m_number.clear();
    m_name.clear();
    m_numberIsReal = false;
    m_nameCame = false;
    m_whole = false;
}

bool CallerIdLines::bringsAnotherNumber(const QByteArray& line) const
{
    if (!hasNumber())
        return false;
    CallerIdLines next(m_marker);
    return next.take(line) && next.hasNumber() && next.number() != m_number;
}

// The lines that hold the whole announcement: nothing of the call follows them.
bool CallerIdLines::takeWhole(const QByteArray& text)
{
    CallerIdPacket::Fields packet;
    if (text.startsWith("+CLIP:")) {
        takeClip(text.mid(6));
    } else if (const QByteArray number = RingLineReader::callerInRing(text); !number.isEmpty()) {
        takeNumber(number);
    } else if (text.startsWith("CALLER NUMBER:")) {
        takeNumber(text.mid(14).trimmed());
    } else if (text.startsWith("FM:")) {
        takeNumber(text.mid(3).split(' ').value(0));
    } else if (text.startsWith("###")) {
        takeBoxLine(text);
    } else if (CallerIdPacket::read(text, packet)) {
        takeNumber(packet.number);
        if (!packet.name.isEmpty())
            takeName(packet.name);
    } else {
        return false;
    }
    m_whole = true;
    return true;
}

// KEY = value fields, one to a line as most modems send them, or several, as
// some print them ("NAME=ARCHER L   NMBR=5071234567"): a value ends where the
// next key begins.
bool CallerIdLines::takeFields(const QByteArray& text)
{
    QByteArray key;
    qsizetype valueStart = 0;
    bool taken = false;
    for (qsizetype at = 0; at < text.size(); ++at) {
        qsizetype nextStart = 0;
        const QByteArray nextKey = keyAt(text, at, nextStart);
        if (nextKey.isEmpty())
            continue;
        if (!key.isEmpty())
            takeField(key, text.mid(valueStart, at - valueStart).trimmed());
        key = nextKey;
        valueStart = nextStart;
        at = nextStart - 1;
        taken = true;
    }
    if (!key.isEmpty())
        takeField(key, text.mid(valueStart).trimmed());
    return taken;
}

void CallerIdLines::takeField(const QByteArray& key, const QByteArray& value)
{
    if (key == "NMBR" || key == "DDN_NMBR" || key == "DDN" || key == "NBR") {
        takeNumber(value);
    } else if (key == "NAME") {
        takeName(value);
    } else if (key == "MESG") {
        CallerIdPacket::Fields fields;
        if (CallerIdPacket::readParameters(value, fields)) {
            takeNumber(fields.number);
            if (!fields.name.isEmpty())
                takeName(fields.name);
        }
    }
}

// A serial caller-ID box's one line: ###DATE<MMDDHHMM>...NMBR<number>...NAME<name>+++
void CallerIdLines::takeBoxLine(const QByteArray& text)
{
    QByteArray fields = text.mid(3);
    if (fields.endsWith("+++"))
        fields.chop(3);
    for (qsizetype at = 0; at < fields.size();) {
        qsizetype end = fields.indexOf("...", at);
        if (end < 0)
            end = fields.size();
        const QByteArray field = fields.mid(at, end - at);
        if (field.startsWith("NMBR"))
            takeNumber(field.mid(4).trimmed());
        else if (field.startsWith("NAME"))
            takeName(field.mid(4).trimmed());
        at = end + 3;
    }
}

// +CLIP: <number>,<type>[,<subaddress>,<satype>[,<name>[,<validity>]]]; an
// empty number comes with its validity: 1 withheld, 2 and up unavailable.
void CallerIdLines::takeClip(const QByteArray& fields)
{
    const QList<QByteArray> field = resultFields(fields);
    QByteArray number = field.value(0);
    if (number.isEmpty())
        number = field.value(5) == "1" ? QByteArray("P") : QByteArray("O");
    takeNumber(number);
    if (!field.value(4).isEmpty())
        takeName(field.value(4));
}

void CallerIdLines::takeNumber(const QByteArray& value)
{
    if (value.isEmpty() || m_numberIsReal)
        return;
    if (isWithheld(value) || isUnavailable(value)) {
        // Absence of a number is the first one's word, until a real number comes.
        if (m_number.isEmpty())
            m_number = isWithheld(value) ? Texts::CallerPrivate : Texts::CallerUnavailable;
        return;
    }
    m_number = value;
    m_numberIsReal = true;
}

void CallerIdLines::takeName(const QByteArray& value)
{
    m_nameCame = true;
    if (m_name.isEmpty() && !isWithheld(value) && !isUnavailable(value))
        m_name = displayTextToString(value);
}
