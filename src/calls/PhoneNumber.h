#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringView>

#include <vector>

// When two numbers are the same caller.
namespace PhoneNumber {

// A number keeps only its digits: separators, spaces, a leading + and any
// other sign are dropped. "+1 (555) 010-0199" gives "15550100199".
QByteArray digits(QStringView number);

// The telephone number a contact's text holds, or an empty string for text
// that is no number ("Phone 1, xExtension 1"). An extension after it is left
// out ("962-6545, x271" gives "962-6545"), as a line announces the main number
// alone; keypad letters after its digits become theirs ("1-800-FLOWERS").
QString numberIn(QStringView text);

// Digits a shorter number must have for a longer one that ends with it to be
// the same caller: a local number against its national or international form.
inline constexpr int MinSuffixDigits = 7;

// The same caller: equal digits, or one ends with the other and the shorter
// has at least MinSuffixDigits. Empty digits match nothing.
bool sameCaller(const QByteArray& a, const QByteArray& b);

} // namespace PhoneNumber

// Finds the entry for a number among many, in a time that does not grow with
// their count: entries are filed under their last MinSuffixDigits digits (the
// digits any two matching numbers share), short ones under all of theirs.
class NumberIndex
{
public:
    void clear();
    // `digits` as PhoneNumber::digits gives them; `value` is handed back by find.
    void add(const QByteArray& digits, int value);
    // The value of the entry for this caller, or -1. Among several: an equal
    // number first, then the one that agrees on the most digits, then the
    // first added.
    int find(const QByteArray& digits) const;
    // Whether an entry has exactly these digits.
    bool contains(const QByteArray& digits) const;

private:
    struct Entry
    {
        QByteArray digits;
        int value;
    };
    static quint64 keyOf(const QByteArray& digits);

    QHash<quint64, std::vector<Entry>> m_entries;
};
