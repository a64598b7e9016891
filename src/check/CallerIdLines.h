#pragma once

#include <QByteArray>
#include <QString>

// What a call's caller-ID lines said: the announcement a modem sends by itself
// between the first two rings (on some lines before the first), once told to
// (AT+VCID=1, AT#CID=1, AT+CLIP=1). Takes whole lines, as RingLineReader
// splits them; keeps one number and one name, so a modem that sends lines
// without end grows nothing.
//
// Number lines: "NMBR = 5550199", "DDN_NMBR", "DDN" and "NBR" (any spaces
// around the '='; two fields may share a line), "+CLIP: "5550199",129,...",
// "CALLER NUMBER: ...", "FM:<from> TO:<to>", the ring lines that carry the
// caller ("RING;5550199;..."), a caller-ID box's "###DATE...NMBR...NAME...+++",
// the unformatted packet in hex (AT+VCID=2) and the hex-coded number some
// modems put in MESG, and a line holding the check's marker (the number read
// from it as a check reads it). A number of P, PRIVATE, RESTRICTED or WITHHELD
// means the caller withheld it, O or UNAVAILABLE that it is unavailable; the
// first real number of a call stands against those, whichever comes first.
// Name lines: "NAME = ...". DATE and TIME lines belong to the announcement but
// are not kept.
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
    // Whether `line` brings a number other than the one already come: the
    // next caller's (a mobile modem repeats the same one on every ring).
    bool bringsAnotherNumber(const QByteArray& line) const;

    bool hasNumber() const { return !m_number.isEmpty(); }
    // The number has come and nothing is to follow it: its name line came, or
    // the number came in a line that holds the whole announcement (+CLIP, a
    // ring line, a packet).
    bool isComplete() const { return hasNumber() && (m_nameCame || m_whole); }
    // The number as sent, byte for byte (the display text, as a check's is),
    // or the words Private or Unavailable.
    QByteArray number() const { return m_number; }
    // The caller's name; empty when none came or the line withheld it.
    QString name() const { return m_name; }

private:
    bool takeWhole(const QByteArray& text);
    bool takeFields(const QByteArray& text);
    void takeField(const QByteArray& key, const QByteArray& value);
    void takeBoxLine(const QByteArray& text);
    void takeClip(const QByteArray& fields);
    void takeNumber(const QByteArray& value);
    void takeName(const QByteArray& value);

    QByteArray m_marker;
    QByteArray m_number;
    QString m_name;
    bool m_numberIsReal = false;
    bool m_nameCame = false;
    bool m_whole = false;
};
