#pragma once

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTimer>

class PhoneBook;
class QFileSystemWatcher;

// The callers the user never wants: a text file beside the settings that a
// person can read and edit, one entry a line.
//   5550199     a number, matched as the phone book matches numbers
//   1900*       every number that starts with these digits
//   Private     callers who withhold their number
//   Unavailable callers whose number the line cannot tell
// "#" starts a comment. The file is written whole or not at all, read again
// when another program changes it, and keeps every line it does not
// understand (each reported once). A number in the phone book is blocked only
// by its own entry, never by a prefix or a word: a friend who withholds the
// number is not hung up on.
class BlockList : public QObject
{
    Q_OBJECT

public:
    static constexpr char FileName[] = "ringlet.block";
    static constexpr qint64 MaxFileBytes = 4LL * 1024 * 1024;

    // `book`: whose numbers only their own entry blocks; may be null.
    BlockList(const QString& path, const PhoneBook* book, QObject* parent = nullptr);

    QString path() const { return m_path; }
    // Reads the file (a missing one blocks nothing) and from then on watches it.
    void load();

    // Whether a call from `number` (or the words Private or Unavailable) is hung up on.
    bool blocks(const QString& number) const;
    // Whether `number` can have an entry of its own: it has digits, or is one of the words.
    static bool canBlock(const QString& number) { return !entryFor(number).isEmpty(); }
    // Adds the caller's own entry and writes the file.
    void block(const QString& number);
    // Takes out the caller's own entries and writes the file. Whether the
    // caller is still blocked (by a prefix or a word) is blocks()'s to say.
    void unblock(const QString& number);

signals:
    void changed();
    // The file could not be read or written; said once until it works again.
    void failed(const QString& text);
    // A line the list does not understand; said once for each.
    void lineNotUnderstood(const QString& text);

private:
    struct Entry
    {
        enum class Kind { Number, Prefix, Word } kind;
        QByteArray digits; // of a number or a prefix
        QString word;      // Private or Unavailable, as Ringlet shows them
    };

    void read();
    void parse();
    bool write();
    void fail(const QString& text);
    static QString entryFor(const QString& number);
    static bool isOwnEntryOf(const QString& line, const QString& entry);

    QString m_path;
    const PhoneBook* m_book;
    QStringList m_lines; // the file as read, every line kept
    QList<Entry> m_entries;
    QSet<QString> m_told; // lines not understood, already said
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer m_readSoon;
    QByteArray m_written; // what this program wrote last: its own change is not read again
    bool m_failing = false;
};
