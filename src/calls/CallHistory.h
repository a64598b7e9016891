#pragma once

#include <QAbstractTableModel>
#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <deque>

class PhoneBook;
class QFile;
class QFileSystemWatcher;

// The calls in the log, newest first: the time as the log writes it, the
// number, and its name from the phone book. A line not in the log's form is
// shown as it is, in the number's column.
//
// The log may be far larger than anyone reads. The model opens with its
// newest lines and reads older ones, going back through the file a block at a
// time, as the view scrolls down (fetchMore). It holds at most rowLimit rows:
// past that, rows at the other end are let go and read again when the view
// comes back to them (fetchNewer at the top), so its memory is the same for
// any log. Lines appended while it is open are read from where it stopped.
// A filter is applied while reading, so it costs no memory either.
class CallHistory : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TimeColumn, NumberColumn, NameColumn, ColumnCount };
    // bool: the row is a call with a number that can be given a name.
    static constexpr int NameableRole = Qt::UserRole;
    // Characters at most of a row's text shown; a longer line is cut with an ellipsis.
    static constexpr int LongestShown = 200;

    // Reads the newest lines of the log at `logPath` at once.
    explicit CallHistory(const QString& logPath, QObject* parent = nullptr);

    // Names come from `book` (none without one), and follow its changes.
    void setPhoneBook(PhoneBook* book);
    // With logging off, the status text says how to turn it on.
    void setLoggingOn(bool on);
    // Only calls whose number or name holds `text` (case aside; digits of a
    // number also across its separators). Empty shows all.
    void setFilter(const QString& text);
    QString filter() const { return m_filter; }
    void setRowLimit(int rows);

    // What the list cannot show by itself: no log, logging off, nothing matching.
    QString statusText() const;

    // The rows around the newest call, the oldest, or the line at `offset`
    // bytes into the log, read anew; older and newer ones follow as before.
    void showNewest() { reload(); }
    void showOldest() { showAt(0); }
    void showAt(qint64 offset);
    // Where the row's line starts in the log, and the log's size as last read.
    qint64 rowStart(int row) const { return m_rows.at(row).start; }
    qint64 logSize() const { return m_end; }

    bool canFetchNewer() const;
    void fetchNewer();
    // While rows inserted at the top are ones read back in, not new calls.
    bool isReadingNewer() const { return m_readingNewer; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    void statusTextChanged(const QString& text);

private:
    struct Row
    {
        QByteArray line; // the log's line, without its line end
        qint64 start;
        qint64 end;
    };
    enum class FileState { Read, Missing, Unreadable };

    void reload();
    void readSome();
    std::deque<Row> findOlder(QFile& file);
    std::deque<Row> findNewer(QFile& file);
    void readAppended();
    bool rewritten(QFile& file) const;
    void keepTail(QFile& file);
    void insertOlder(std::deque<Row>& rows);
    void insertNewer(std::deque<Row>& rows);
    void trimNewest();
    void trimOldest();
    bool matches(const QByteArray& line) const;
    void namesChanged();
    void watch();
    void updateStatus();

    QString m_path;
    QPointer<PhoneBook> m_book;
    bool m_loggingOn = true;
    QString m_filter;
    QByteArray m_filterDigits;
    int m_rowLimit = 10000;

    std::deque<Row> m_rows; // newest first
    qint64 m_olderFrom = 0; // older lines end here
    qint64 m_newerFrom = 0; // lines newer than the rows start here
    qint64 m_end = 0;       // the end of the lines read: appended lines start here
    QByteArray m_tail;      // the bytes just before m_end, to tell a log rewritten in place
    int m_wantOlder = 0;    // rows still to find, read a block at a time
    int m_wantNewer = 0;
    bool m_readingNewer = false;
    QTimer m_readOn;
    QTimer m_retryAppended;
    FileState m_state = FileState::Missing;
    QString m_error;
    QString m_status;
    QFileSystemWatcher* m_watcher;
};
