#pragma once

#include "PhoneNumber.h"
#include "VCard.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class QFileSystemWatcher;

// The names the user gave to numbers, in one vCard file of theirs beside the
// settings. The file is written whole or not at all, and read again when
// another program changes it; what the user changed in this run is kept while
// the file cannot be written, and written with the next change.
class PhoneBook : public QObject
{
    Q_OBJECT

public:
    struct ImportResult
    {
        int added = 0;   // numbers new to the phone book
        int known = 0;   // numbers it had already (their names stay)
        int skipped = 0; // unreadable cards and lines
        QString error;   // set when nothing could be imported
    };

    // A file larger than this (the book's own, or one to import) is not read:
    // its cards take about ten times their size in memory.
    static constexpr qint64 MaxFileBytes = 32LL * 1024 * 1024;
    // A longer name is cut to this many characters, and the cut is told.
    static constexpr int MaxNameLength = 256;

    // Touches no file: load() reads it.
    explicit PhoneBook(const QString& path, QObject* parent = nullptr);

    QString path() const { return m_path; }
    // Reads the file (a missing one is an empty phone book) and from then on
    // watches it, also through another program's atomic replace.
    void load();

    // The name for the caller, or an empty string.
    QString nameFor(const QString& number) const;
    int numberCount() const { return m_numberCount; }

    // Gives the caller this name and writes the file. Other numbers of the
    // caller's card keep its name; an empty name takes the number out.
    void setName(const QString& number, const QString& name);
    // Adds the names and numbers of a vCard file, then writes; a number the
    // book has already keeps its name.
    ImportResult importFile(const QString& vcfPath);
    // The import's result in words, for the user.
    static QString describe(const ImportResult& result, const QString& vcfPath);

signals:
    // Names may have changed: set here, imported, or read again from the file.
    void changed();
    // The file could not be read or written; said once until it works again.
    void failed(const QString& text);
    // What the user should know of a name just given: it was longer than
    // MaxNameLength and was cut, or there was no card of that number to take
    // it out of.
    void nameNotice(const QString& text);

private:
    // A change the user made, kept so it can be made again over a newer file
    // while it is not yet written.
    struct Edit
    {
        QString name;
        QStringList numbers;
        bool replace; // true: name this caller; false: add numbers not known yet
    };
    bool apply(const Edit& edit, ImportResult* result = nullptr);
    bool applyName(const QString& number, const QString& name);
    void applyImport(const Edit& edit, ImportResult* result);
    void reindex();
    bool readFile();
    void write();
    void watch();
    void fileMayHaveChanged();
    void fail(const QString& text);

    QString m_path;
    QList<VCard::Card> m_cards;
    NumberIndex m_index; // digits to an index into m_cards
    int m_numberCount = 0;
    QList<Edit> m_unwritten;
    QByteArray m_fileHash; // of the file as last read or written, to know our own writes
    bool m_unreadable = false;
    bool m_failureSaid = false;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer m_readSoon; // another program changed the file: read it when this fires
};
