#pragma once

#include <QByteArray>
#include <QString>

// What a call's caller-ID lines said: the announcement a modem sends by itself
// between the first two rings (on some lines before the first), once told to
// (AT+VCID=1, AT#CID=1, AT+CLIP=1). Takes whole lines, as RingLineReader
// splits them; keeps one number and one name, so a modem that sends lines
// without end grows nothing.
//
// Number lines: "NMBR = 5550199" and "DDN_NMBR = ..." (any spaces around the
// '='), "+CLIP: "5550199",129,...", and a line holding the check's marker (the
// number read from it as a check reads it). A number of P or PRIVATE means the
// caller withheld it, O that it is unavailable; the first real number of a
// call stands against those, whichever comes first. Name lines: "NAME = ...".
// DATE, TIME and MESG lines belong to the announcement but are not kept.
class CallerIdLines
{
public:
    // `marker`: the text before the number in a check's reply; empty: no line is read by it.
    explicit CallerIdLines(const QByteArray& marker = {}) : m_marker(marker) {}

    void setMarker(const QByteArray& marker) { m_marker = marker; }
    // Takes one line; false when it is no caller-ID line.
    bool take(const QByteArray& line);
    // Forgets the call, for the next one.
    void reset();

    bool hasNumber() const { return !m_number.isEmpty(); }
    // The number has come and nothing is to follow it: its name line came, or
    // the number came in a +CLIP line, which holds the name too.
    bool isComplete() const { return hasNumber() && (m_nameCame || m_clip); }
    // The number as sent, byte for byte (the display text, as a check's is),
    // or the words Private or Unavailable.
    QByteArray number() const { return m_number; }
    // The caller's name; empty when none came or the line withheld it.
    QString name() const { return m_name; }

private:
    bool takeField(const QByteArray& key, const QByteArray& value);
    void takeClip(const QByteArray& fields);
    void takeNumber(const QByteArray& value);
    void takeName(const QByteArray& value);

    QByteArray m_marker;
    QByteArray m_number;
    QString m_name;
    bool m_numberIsReal = false;
    bool m_nameCame = false;
    bool m_clip = false;
};
