#include "VCard.h"

#include "PhoneNumber.h"
#include "VCardText.h"

#include <QUrl>

#include <algorithm>

namespace VCard {
namespace {

struct Property
{
    QByteArrayView name;   // without a group ("item1.TEL" gives "TEL")
    QByteArrayView params; // what stands between the name and the colon, without the first ';'
    QByteArrayView value;  // as written, escapes and all

    bool is(const char* property) const { return name.compare(property, Qt::CaseInsensitive) == 0; }
};

// "[group.]name[;param=value...]:value"; a colon inside a quoted parameter
// value does not end the name. False for a line that is no property. The
// views point into `line`.
bool splitProperty(QByteArrayView line, Property& property)
{
    qsizetype colon = line.indexOf(':');
    if (colon > 0 && line.first(colon).contains('"')) {
        bool quoted = false;
        colon = -1;
        for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else if (line[i] == ':' && !quoted)
                colon = i;
        }
    }
    if (colon <= 0)
        return false;
    QByteArrayView name = line.first(colon);
    QByteArrayView params;
    const qsizetype semicolon = name.indexOf(';');
    if (semicolon >= 0) {
        params = name.sliced(semicolon + 1);
        name = name.first(semicolon);
    }
    name = name.sliced(name.lastIndexOf('.') + 1).trimmed();
    if (name.isEmpty())
        return false;
    property = {name, params, line.sliced(colon + 1)};
    return true;
}

// The value of parameter `key` ("CHARSET=SHIFT_JIS"), without quotes. vCard
// 2.1 may write a parameter as its value alone ("TEL;CELL;QUOTED-PRINTABLE:"):
// `bare` is the one such value taken for the key.
QByteArrayView parameter(const Property& p, const char* key, const char* bare = nullptr)
{
    QByteArrayView rest = p.params;
    while (!rest.isEmpty()) {
        const qsizetype semicolon = rest.indexOf(';');
        const QByteArrayView param = (semicolon < 0 ? rest : rest.first(semicolon)).trimmed();
        rest = semicolon < 0 ? QByteArrayView() : rest.sliced(semicolon + 1);
        const qsizetype equals = param.indexOf('=');
        if (equals < 0) {
            if (bare && param.compare(bare, Qt::CaseInsensitive) == 0)
                return param;
            continue;
        }
        if (param.first(equals).trimmed().compare(key, Qt::CaseInsensitive) != 0)
            continue;
        QByteArrayView value = param.sliced(equals + 1).trimmed();
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.sliced(1, value.size() - 2);
        return value;
    }
    return QByteArrayView();
}

bool isQuotedPrintable(const Property& p)
{
    return parameter(p, "ENCODING", "QUOTED-PRINTABLE").compare("QUOTED-PRINTABLE", Qt::CaseInsensitive) == 0;
}

// A quoted-printable value whose line ends in "=" (a soft line break) goes on
// on the next line, which need not start with a space.
bool continuesOnNextLine(QByteArrayView line)
{
    if (!line.endsWith('='))
        return false;
    const qsizetype colon = line.indexOf(':');
    return colon > 0 && line.first(colon).toByteArray().toUpper().contains("QUOTED-PRINTABLE");
}

// The value as text: quoted-printable decoded, read in its CHARSET; escapes stay.
QString textOf(const Property& p)
{
    const QByteArrayView charset = parameter(p, "CHARSET");
    if (isQuotedPrintable(p))
        return VCardText::decode(VCardText::decodeQuotedPrintable(p.value), charset);
    return VCardText::decode(p.value, charset);
}

// Control characters become spaces: a value is one line, also to readers of
// the book's file that end lines at a bare CR.
QByteArray escapeText(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    const auto plain = [](char c) { return c != '\\' && c != ',' && c != ';' && uchar(c) >= 0x20 && c != 0x7F; };
    if (std::all_of(utf8.cbegin(), utf8.cend(), plain))
        return utf8;
    QByteArray out;
    for (const char c : utf8) {
        if (c == '\\' || c == ',' || c == ';')
            out.append('\\');
        out.append(uchar(c) < 0x20 || c == 0x7F ? ' ' : c);
    }
    return out;
}

// "tel:+1-555-0199;ext=12" (vCard 4) gives "+1-555-0199"; a text value is
// unescaped and its number taken (PhoneNumber::numberIn). Empty for no number.
QString telNumber(const Property& p)
{
    const QString value = textOf(p).trimmed();
    if (value.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) {
        QByteArray uri = value.sliced(4).toUtf8();
        const qsizetype parameters = uri.indexOf(';');
        if (parameters >= 0)
            uri.truncate(parameters);
        return PhoneNumber::numberIn(QUrl::fromPercentEncoding(uri));
    }
    // sip: and other addresses are no telephone numbers.
    if (parameter(p, "VALUE").compare("uri", Qt::CaseInsensitive) == 0)
        return QString();
    return PhoneNumber::numberIn(VCardText::unescape(value));
}

// N is "Family;Given;Additional;Prefixes;Suffixes".
QString nameFromN(const Property& p)
{
    const QStringList parts = VCardText::components(textOf(p));
    QStringList words;
    for (int i : {3, 1, 2, 0, 4}) {
        if (i < parts.size() && !parts[i].isEmpty())
            words << parts[i];
    }
    return words.join(QLatin1Char(' '));
}

// A company's card: the organisation's name, the first part of ORG ("Ximian, Inc.;Sales").
QString nameFromOrg(const Property& p)
{
    for (const QString& part : VCardText::components(textOf(p))) {
        if (!part.isEmpty())
            return part;
    }
    return QString();
}

// Derives the name and numbers from the card's lines: FN, else N, else ORG,
// the first of each.
int interpret(Card& card)
{
    int skipped = 0;
    QString fromN;
    QString fromOrg;
    bool nSeen = false;
    bool orgSeen = false;
    card.name.clear();
    card.nameLine = -1;
    card.tels.clear();
    for (int i = 0; i < card.lines.size(); ++i) {
        Property p;
        if (!splitProperty(card.lines[i], p)) {
            ++skipped;
        } else if (p.is("FN") && card.nameLine < 0) {
            card.name = VCardText::oneLine(VCardText::unescape(textOf(p)));
            card.nameLine = i;
        } else if (p.is("N") && !nSeen) {
            fromN = nameFromN(p);
            nSeen = true;
        } else if (p.is("ORG") && !orgSeen) {
            fromOrg = nameFromOrg(p);
            orgSeen = true;
        } else if (p.is("TEL")) {
            const QString number = telNumber(p);
            const QByteArray digits = PhoneNumber::digits(number);
            if (digits.isEmpty())
                ++skipped;
            else
                card.tels.append({number, digits, i});
        }
    }
    if (card.name.isEmpty())
        card.name = fromN.isEmpty() ? fromOrg : fromN;
    if (card.name.isEmpty() && !card.tels.isEmpty())
        ++skipped;
    return skipped;
}

bool isMarker(QByteArrayView line, const char* marker)
{
    Property p;
    return line.size() >= 4 && char(line.front() & 0xDF) == marker[0] && splitProperty(line, p) && p.is(marker) &&
           p.value.trimmed().compare("VCARD", Qt::CaseInsensitive) == 0;
}

Card unreadable(const QByteArray& raw)
{
    Card card;
    card.raw = raw;
    card.readable = false;
    return card;
}

// A content line as written: at most 75 octets a line, continued on lines
// that start with a space, never splitting a UTF-8 sequence.
void appendFolded(QByteArray& out, const QByteArray& line)
{
    qsizetype from = 0;
    qsizetype room = 75;
    while (line.size() - from > room) {
        qsizetype cut = from + room;
        while (cut > from + 1 && (uchar(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(QByteArrayView(line).sliced(from, cut - from)).append("\r\n ");
        from = cut;
        room = 74;
    }
    out.append(QByteArrayView(line).sliced(from)).append("\r\n");
}

bool isBlank(QByteArrayView line)
{
    return line.trimmed().isEmpty();
}

} // namespace

ReadResult read(const QByteArray& file, Keep keep)
{
    const QByteArray text = VCardText::asUtf8(file);
    ReadResult result;
    qsizetype cardStart = -1;  // offset of the open card's BEGIN line
    qsizetype strayStart = -1; // offset of text outside any card
    Card card;
    const auto endStray = [&](qsizetype at) {
        if (strayStart >= 0)
            result.cards.append(unreadable(text.mid(strayStart, at - strayStart)));
        strayStart = -1;
    };
    for (qsizetype pos = 0; pos < text.size();) {
        const qsizetype newline = text.indexOf('\n', pos);
        const qsizetype next = newline < 0 ? text.size() : newline + 1;
        QByteArrayView line = QByteArrayView(text).sliced(pos, next - pos);
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const bool folded = line.startsWith(' ') || line.startsWith('\t');
        if (cardStart < 0) {
            if (isMarker(line, "BEGIN")) {
                endStray(pos);
                cardStart = pos;
                card = Card();
            } else if (!isBlank(line)) {
                if (strayStart < 0)
                    strayStart = pos;
                ++result.skipped;
            }
        } else if (isMarker(line, "BEGIN")) {
            // A card without its END: kept as text; the new card is read on.
            result.cards.append(unreadable(text.mid(cardStart, pos - cardStart)));
            ++result.skipped;
            cardStart = pos;
            card = Card();
        } else if (isMarker(line, "END")) {
            result.skipped += interpret(card);
            if (keep == Keep::Text)
                card.raw = text.mid(cardStart, next - cardStart);
            else
                card.lines.clear();
            result.cards.append(std::move(card));
            cardStart = -1;
        } else if (folded && !card.lines.isEmpty()) {
            card.lines.last() += line.sliced(1);
        } else if (!card.lines.isEmpty() && continuesOnNextLine(card.lines.last())) {
            card.lines.last().chop(1);
            card.lines.last() += line;
        } else if (!isBlank(line)) {
            card.lines.append(line.toByteArray());
        }
        pos = next;
    }
    if (cardStart >= 0) {
        result.cards.append(unreadable(text.mid(cardStart)));
        ++result.skipped;
    }
    endStray(text.size());
    return result;
}

QByteArray write(const QList<Card>& cards)
{
    // Sized once: a book of thousands of cards is megabytes.
    qsizetype size = 0;
    for (const Card& card : cards) {
        size += card.raw.size() + 32;
        for (const QByteArray& line : card.lines)
            size += line.size() + line.size() / 74 * 3 + 2;
    }
    QByteArray out;
    out.reserve(size);
    for (const Card& card : cards) {
        if (!card.raw.isEmpty()) {
            out += card.raw;
            if (!out.endsWith('\n'))
                out += "\r\n";
            continue;
        }
        out += "BEGIN:VCARD\r\n";
        for (const QByteArray& line : card.lines)
            appendFolded(out, line);
        out += "END:VCARD\r\n";
    }
    return out;
}

// What interpret() would make of these lines, without reading them again: an
// import makes thousands.
Card makeCard(const QString& name, const QStringList& numbers)
{
    Card card;
    card.lines.reserve(2 + numbers.size());
    card.lines << "VERSION:4.0"
               << "FN:" + escapeText(name);
    card.name = VCardText::oneLine(name);
    card.nameLine = 1;
    for (const QString& written : numbers) {
        const QString number = PhoneNumber::numberIn(written);
        const QByteArray digits = PhoneNumber::digits(number);
        if (digits.isEmpty())
            continue;
        card.tels.append({number, digits, int(card.lines.size())});
        card.lines << "TEL:" + escapeText(number);
    }
    return card;
}

void rename(Card& card, const QString& name)
{
    const QByteArray line = "FN:" + escapeText(name);
    if (card.nameLine >= 0)
        card.lines[card.nameLine] = line;
    else
        card.lines.insert(qMin<qsizetype>(1, card.lines.size()), line);
    card.lines.removeIf([](const QByteArray& l) {
        Property p;
        return splitProperty(l, p) && p.is("N");
    });
    card.raw.clear();
    interpret(card);
}

void removeTel(Card& card, int index)
{
    card.lines.removeAt(card.tels.at(index).line);
    card.raw.clear();
    interpret(card);
}

bool isBare(const Card& card)
{
    for (const QByteArray& line : card.lines) {
        Property p;
        if (!splitProperty(line, p) || !(p.is("VERSION") || p.is("FN") || p.is("N")))
            return false;
    }
    return true;
}

} // namespace VCard
