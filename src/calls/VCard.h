#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Reading and writing vCard files (versions 3 and 4, and the plain parts of
// 2.1): of each card the name and the telephone numbers are understood; the
// rest of a card, and text that is no card at all, is kept as it was read so
// that writing the file again loses nothing of it.
namespace VCard {

struct Tel
{
    QString number;    // as written, without a "tel:" scheme or its parameters
    QByteArray digits; // PhoneNumber::digits of it, never empty
    int line;          // index into Card::lines
};

struct Card
{
    QList<QByteArray> lines; // the content lines between BEGIN and END, unfolded
    QString name;            // FN, else N as "Given Family"; empty when it has neither
    int nameLine = -1;       // index of the FN line, or -1
    QList<Tel> tels;
    // The card's text as read, written back as it is while the card is not
    // changed; empty for a card made or changed here.
    QByteArray raw;
    // False for text that could not be read as a card (no END, a stray line):
    // it has only `raw`, and is written back as it was.
    bool readable = true;
};

struct ReadResult
{
    QList<Card> cards;
    int skipped = 0; // unreadable cards and lines, numbers without a digit, numbers without a name
};

// Keep::Text keeps each card's text, to write it back (the book's own file);
// Keep::NamesAndNumbers only what an import takes, in far less memory.
enum class Keep { Text, NamesAndNumbers };
ReadResult read(const QByteArray& text, Keep keep = Keep::Text);
QByteArray write(const QList<Card>& cards);

Card makeCard(const QString& name, const QStringList& numbers);
// Changes a card's name; its N line goes, as it would still hold the old name.
void rename(Card& card, const QString& name);
void removeTel(Card& card, int index);
// Whether a card holds no more than a version and a name: nothing left worth keeping.
bool isBare(const Card& card);

} // namespace VCard
