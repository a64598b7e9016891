#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

// The NCID lines that carry a call, taken apart and made: a type, then label
// and data pairs, "CID: *DATE*12072026*TIME*2330*LINE*POTS*NMBR*5550199*MESG*NONE*NAME*JOHN DOE*".
// Pairs are read by their labels, in any order; labels not known are passed over.
namespace NcidCallLine {

// A call as a line tells it, in Ringlet's words: the number as shown (a
// withheld or unknown caller as Private or Unavailable), the name empty
// when the line has none. Both hold printable text only, and are bounded.
struct Caller
{
    QString number;
    QString name;
};

// The line's type, the word before its first ": " ("CID", "CIDLOG", "MSG"),
// or its leading code ("200"); empty when it has neither.
QByteArray typeOf(const QByteArray& line);

// Whether calls come in lines of this type: an incoming call, one told by a
// smartphone, and a call-waiting caller.
bool isCallType(const QByteArray& type);

// The caller of a call line (any type laid out in pairs); empty when the line
// has no NMBR pair.
std::optional<Caller> parseCaller(const QByteArray& line);

// The text of a message line, "MSG: <text> ***DATE*...", without its pairs;
// printable text only, bounded.
QString messageText(const QByteArray& line);

// The line for a call of this desk, of `type` ("CID", "CIDLOG"), ending in CR LF:
// the number and name in the protocol's words, the date with its year.
QByteArray format(const char* type, const QString& shownNumber, const QString& name, const QDateTime& when);

// The number as Ringlet shows it, from the NCID words: PRIVATE and ANONYMOUS
// are Private; OUT-OF-AREA, NO-NUMBER and none at all are Unavailable.
QString shownNumber(const QString& ncidNumber);

} // namespace NcidCallLine
