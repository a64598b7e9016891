#include "PhoneNumber.h"

#include <algorithm>

// The rule is deliberately plain. A numbering-plan library (libphonenumber)
// would know every country's trunk prefixes, but its Debian package pulls in
// protobuf, Boost and Abseil, far more than this program is; and a caller-ID
// modem hands over digits in whatever form the exchange sends, with no
// country to parse them against. Comparing the last digits covers the cases
// that occur: the same number with or without its trunk or country prefix.

namespace PhoneNumber {
namespace {

bool isNumberChar(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c.isSpace() || QStringView(u"+().-/*#").contains(c);
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

// ", x271", "ext.453", "poste 5462", "ext: 23": a keyword, then one word.
bool isExtension(QStringView rest)
{
    while (!rest.isEmpty() &&
           (rest.front() == QLatin1Char(',') || rest.front() == QLatin1Char(';') || rest.front().isSpace()))
        rest = rest.sliced(1);
    qsizetype keyword = 0;
    for (const char* word : {"extension", "poste", "ext", "x"}) {
        if (rest.startsWith(QLatin1String(word), Qt::CaseInsensitive)) {
            keyword = qsizetype(qstrlen(word));
            break;
        }
    }
    if (keyword == 0)
        return false;
    rest = rest.sliced(keyword);
    while (!rest.isEmpty() &&
           (rest.front() == QLatin1Char('.') || rest.front() == QLatin1Char(':') || rest.front().isSpace()))
        rest = rest.sliced(1);
    return std::all_of(rest.begin(), rest.end(), [](QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('-'); });
}

QChar keypadDigit(QChar letter)
{
    static const char keys[] = "22233344455566677778889999";
    const int i = letter.toLower().unicode() - 'a';
    return i >= 0 && i < 26 ? QLatin1Char(keys[i]) : letter;
}

} // namespace

QString numberIn(QStringView text)
{
    text = text.trimmed();
    qsizetype end = 0;
    while (end < text.size() && isNumberChar(text[end]))
        ++end;
    const QStringView main = text.first(end).trimmed();
    const QStringView rest = text.sliced(end).trimmed();
    if (digits(main).isEmpty())
        return QString();
    if (rest.isEmpty() || isExtension(rest))
        return main.toString();
    const bool keypad = isAsciiLetter(rest.front()) && std::all_of(rest.begin(), rest.end(), [](QChar c) {
                            return isAsciiLetter(c) || isNumberChar(c);
                        });
    if (!keypad)
        return QString();
    QString number = text.first(end).toString();
    for (const QChar c : rest)
        number += keypadDigit(c);
    return number;
}

QByteArray digits(QStringView number)
{
    QByteArray result;
    result.reserve(number.size());
    for (const QChar c : number) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            result.append(char(c.unicode()));
    }
    return result;
}

bool sameCaller(const QByteArray& a, const QByteArray& b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (a == b)
        return true;
    const QByteArray& shorter = a.size() < b.size() ? a : b;
    const QByteArray& longer = a.size() < b.size() ? b : a;
    return shorter.size() >= MinSuffixDigits && longer.endsWith(shorter);
}

} // namespace PhoneNumber

void NumberIndex::clear()
{
    m_entries.clear();
}

// Numbers of MinSuffixDigits or more share a key when their last digits agree;
// a shorter number can only equal another, so its key holds its length too and
// never meets a longer one's.
quint64 NumberIndex::keyOf(const QByteArray& digits)
{
    const qsizetype n = digits.size();
    const qsizetype from = n > PhoneNumber::MinSuffixDigits ? n - PhoneNumber::MinSuffixDigits : 0;
    quint64 key = 0;
    for (qsizetype i = from; i < n; ++i)
        key = key * 10 + quint64(digits[i] - '0');
    if (n < PhoneNumber::MinSuffixDigits)
        key += quint64(n + 1) * 10'000'000;
    return key;
}

void NumberIndex::add(const QByteArray& digits, int value)
{
    if (!digits.isEmpty())
        m_entries[keyOf(digits)].push_back({digits, value});
}

int NumberIndex::find(const QByteArray& digits) const
{
    if (digits.isEmpty())
        return -1;
    const auto bucket = m_entries.constFind(keyOf(digits));
    if (bucket == m_entries.constEnd())
        return -1;
    int best = -1;
    qsizetype bestAgreed = 0;
    for (const Entry& entry : *bucket) {
        if (entry.digits == digits)
            return entry.value;
        if (!PhoneNumber::sameCaller(entry.digits, digits))
            continue;
        const qsizetype agreed = qMin(entry.digits.size(), digits.size());
        if (agreed > bestAgreed) {
            best = entry.value;
            bestAgreed = agreed;
        }
    }
    return best;
}

bool NumberIndex::contains(const QByteArray& digits) const
{
    const auto bucket = m_entries.constFind(keyOf(digits));
    return !digits.isEmpty() && bucket != m_entries.constEnd() &&
           std::any_of(bucket->cbegin(), bucket->cend(), [&](const Entry& entry) { return entry.digits == digits; });
}
