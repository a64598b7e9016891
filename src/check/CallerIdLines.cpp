#include "CallerIdLines.h"

#include "base/DisplayText.h"
#include "ExtractNumber.h"
#include "strings.h"

#include <QList>

namespace {
bool isWithheld(const QByteArray& value)
{
    return value == "P" || value == "PRIVATE";
}

bool isUnavailable(const QByteArray& value)
{
    return value == "O";
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
} // namespace

bool CallerIdLines::take(const QByteArray& line)
{
    const QByteArray text = line.trimmed();
    if (text.startsWith("+CLIP:")) {
        takeClip(text.mid(6));
        return true;
    }
    const qsizetype equals = text.indexOf('=');
    if (equals > 0 && takeField(text.left(equals).trimmed(), text.mid(equals + 1).trimmed()))
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
    m_clip = false;
}

bool CallerIdLines::takeField(const QByteArray& key, const QByteArray& value)
{
    if (key == "NMBR" || key == "DDN_NMBR")
        takeNumber(value);
    else if (key == "NAME")
        takeName(value);
    else
        return key == "DATE" || key == "TIME" || key == "MESG";
    return true;
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
    m_clip = true;
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
