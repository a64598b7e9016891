#include "VCard.h"

#include "PhoneNumber.h"

#include <QUrl>

namespace VCard {
namespace {

struct Property
{
    QByteArrayView name;  // without a group ("item1.TEL" gives "TEL")
    QByteArrayView value; // as written, escapes and all

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
    const qsizetype semicolon = name.indexOf(';');
    if (semicolon >= 0)
        name = name.first(semicolon);
    name = name.sliced(name.lastIndexOf('.') + 1).trimmed();
    if (name.isEmpty())
        return false;
    property = {name, line.sliced(colon + 1)};
    return true;
}

QString unescapeText(QByteArrayView value)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c != '\\' || i + 1 == value.size()) {
            out.append(c);
            continue;
        }
        const char next = value[++i];
        out.append(next == 'n' || next == 'N' ? ' ' : next);
    }
    return QString::fromUtf8(out).trimmed();
}

QByteArray escapeText(const QString& text)
{
    QByteArray out;
    for (const char c : text.toUtf8()) {
        if (c == '\\' || c == ',' || c == ';')
            out.append('\\');
        out.append(c == '\n' ? ' ' : c);
    }
    return out;
}

// "tel:+1-555-0199;ext=12" (vCard 4) gives "+1-555-0199"; a text value is unescaped.
QString telNumber(QByteArrayView value)
{
    const QByteArrayView trimmed = value.trimmed();
    if (trimmed.size() >= 4 && trimmed.first(4).compare("tel:", Qt::CaseInsensitive) == 0) {
        QByteArray uri = trimmed.sliced(4).toByteArray();
        const qsizetype parameters = uri.indexOf(';');
        if (parameters >= 0)
            uri.truncate(parameters);
        return QUrl::fromPercentEncoding(uri).trimmed();
    }
    return unescapeText(trimmed);
}

// N is "Family;Given;Additional;Prefixes;Suffixes".
QString nameFromN(QByteArrayView value)
{
    const QList<QByteArray> parts = value.toByteArray().split(';');
    QStringList words;
    for (int i : {3, 1, 2, 0, 4}) {
        if (i < parts.size() && !unescapeText(parts[i]).isEmpty())
            words << unescapeText(parts[i]);
    }
    return words.join(QLatin1Char(' '));
}

// Derives the name and numbers from the card's lines.
int interpret(Card& card)
{
    int skipped = 0;
    QString fallback;
    card.name.clear();
    card.nameLine = -1;
    card.tels.clear();
    for (int i = 0; i < card.lines.size(); ++i) {
        Property p;
        if (!splitProperty(card.lines[i], p)) {
            ++skipped;
        } else if (p.is("FN") && card.nameLine < 0) {
            card.name = unescapeText(p.value);
            card.nameLine = i;
        } else if (p.is("N")) {
            fallback = nameFromN(p.value);
        } else if (p.is("TEL")) {
            const QString number = telNumber(p.value);
            const QByteArray digits = PhoneNumber::digits(number);
            if (digits.isEmpty())
                ++skipped;
            else
                card.tels.append({number, digits, i});
        }
    }
    if (card.name.isEmpty())
        card.name = fallback;
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
        out += line.mid(from, cut - from) + "\r\n ";
        from = cut;
        room = 74;
    }
    out += line.mid(from) + "\r\n";
}

bool isBlank(QByteArrayView line)
{
    return line.trimmed().isEmpty();
}

} // namespace

ReadResult read(const QByteArray& text)
{
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
            card.raw = text.mid(cardStart, next - cardStart);
            result.skipped += interpret(card);
            result.cards.append(std::move(card));
            cardStart = -1;
        } else if (folded && !card.lines.isEmpty()) {
            card.lines.last() += line.sliced(1);
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
    QByteArray out;
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

Card makeCard(const QString& name, const QStringList& numbers)
{
    Card card;
    card.lines << "VERSION:4.0"
               << "FN:" + escapeText(name);
    for (const QString& number : numbers)
        card.lines << "TEL:" + escapeText(number);
    interpret(card);
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
