#include "CallHistory.h"

#include "CallerText.h"
#include "FileRead.h"
#include "FileWatch.h"
#include "LogLines.h"
#include "PhoneBook.h"
#include "PhoneNumber.h"
#include "base/DisplayText.h"
#include "check/CallLog.h"
#include "strings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>

#include <algorithm>
#include <limits>

namespace {

// Rows read per request of the view: a few screens.
constexpr int Batch = 256;
// Bytes read at most before the event loop runs again, when a filter finds
// few rows in much text.
constexpr qint64 Budget = 1024 * 1024;
// A log that exists but would not open is tried again after this long: on
// Windows its writer holds it alone while a line goes in.
constexpr int RetryMs = 200;
// Of a longer line, only this much is held: no call is that long, and it is
// shown cut (CallHistory::LongestShown).
constexpr qsizetype LongestHeld = 1024;
// Bytes before the end of what was read that must be the same when the log
// grows: a log rewritten in place, however long, is read anew.
constexpr qint64 TailBytes = 256;

// A line as a row holds it. A block of NULs (a power loss left the file
// system's promised data unwritten) is no text: the call written after it is
// read as it stands.
QByteArray held(QByteArray text)
{
    if (text.contains('\0'))
        text.removeIf([](char c) { return c == '\0'; });
    if (text.size() > LongestHeld)
        text.truncate(LongestHeld);
    return text;
}

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

CallHistory::CallHistory(const QString& logPath, QObject* parent)
    : QAbstractTableModel(parent), m_path(QFileInfo(logPath).absoluteFilePath()),
      m_watcher(new QFileSystemWatcher(this))
{
    m_readOn.setSingleShot(true);
    connect(&m_readOn, &QTimer::timeout, this, &CallHistory::readSome);
    m_retryAppended.setSingleShot(true);
    m_retryAppended.setInterval(RetryMs);
    connect(&m_retryAppended, &QTimer::timeout, this, &CallHistory::readAppended);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &CallHistory::readAppended);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (m_state == FileState::Missing && QFileInfo::exists(m_path))
            reload();
    });
    reload();
}

void CallHistory::setPhoneBook(PhoneBook* book)
{
    if (m_book)
        disconnect(m_book, nullptr, this, nullptr);
    m_book = book;
    if (book)
        connect(book, &PhoneBook::changed, this, &CallHistory::namesChanged);
    namesChanged();
}

void CallHistory::setLoggingOn(bool on)
{
    m_loggingOn = on;
    updateStatus();
}

void CallHistory::setFilter(const QString& text)
{
    const QString filter = text.trimmed();
    if (filter == m_filter)
        return;
    m_filter = filter;
    // "555 01" and "555-01" find the same numbers; a filter with letters is a name.
    const bool dialable = std::none_of(filter.cbegin(), filter.cend(), [](QChar c) { return c.isLetter(); });
    m_filterDigits = dialable ? PhoneNumber::digits(filter) : QByteArray();
    reload();
}

void CallHistory::setRowLimit(int rows)
{
    m_rowLimit = qMax(rows, Batch);
    trimOldest();
}

QString CallHistory::statusText() const
{
    if (!m_loggingOn)
        return QString::fromUtf8(Texts::HistoryLoggingOff);
    if (m_state == FileState::Missing)
        return QString::fromUtf8(Texts::HistoryNoLog).arg(nativePath(m_path));
    if (m_state == FileState::Unreadable)
        return QString::fromUtf8(Texts::HistoryUnreadable).arg(nativePath(m_path), m_error);
    if (!m_filter.isEmpty() && m_rows.empty() && m_olderFrom == 0 && m_newerFrom == m_end)
        return QString::fromUtf8(Texts::HistoryNoMatch).arg(m_filter);
    return QString();
}

int CallHistory::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CallHistory::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CallHistory::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != NameableRole))
        return QVariant();
    LogLines::Call call = LogLines::parse(m_rows[index.row()].line);
    // A blocked caller hung up on is listed as the caller it was, marked so.
    const QLatin1String hungUpMark(CallLog::HungUpMark);
    const bool hungUp = call.wellFormed && call.text.endsWith(hungUpMark);
    if (hungUp)
        call.text.chop(hungUpMark.size());
    // A check's words in place of a number are no caller: they are said in
    // the name's column, and the number's stays empty (nothing to copy or name).
    const bool noCaller = call.wellFormed && isFixedDisplayText(call.text);
    if (role == NameableRole)
        return call.wellFormed && !noCaller && !PhoneNumber::digits(call.text).isEmpty();
    if (noCaller && index.column() != TimeColumn) {
        if (index.column() != NameColumn)
            return QString();
        return call.text == QLatin1String(Texts::CallerNoCallerId)
                   ? QString::fromLatin1(Texts::HistoryCallWithoutCallerId)
                   : QString::fromLatin1(Texts::HistoryNoNumberFound).arg(call.text);
    }
    switch (index.column()) {
    case TimeColumn:
        return call.time;
    case NumberColumn: {
        const QString number = CallerText::number(call.text);
        return number.size() > LongestShown ? number.left(LongestShown - 1) + QChar(0x2026) : number;
    }
    case NameColumn: {
        const QString name = call.wellFormed && m_book ? CallerText::name(m_book->nameFor(call.text)) : QString();
        if (!hungUp)
            return name;
        const QString blocked = QString::fromLatin1(Texts::HistoryBlocked);
        return name.isEmpty() ? blocked : name + QStringLiteral(" (") + blocked + QLatin1Char(')');
    }
    default:
        return QVariant();
    }
}

QVariant CallHistory::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[] = {Texts::HistoryTimeColumn, Texts::HistoryNumberColumn,
                                         Texts::HistoryNameColumn};
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(titles[section]) : QVariant();
}

bool CallHistory::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_state == FileState::Read && m_olderFrom > 0;
}

void CallHistory::fetchMore(const QModelIndex& parent)
{
    if (!canFetchMore(parent))
        return;
    m_wantOlder = qMax(m_wantOlder, Batch);
    readSome();
}

bool CallHistory::canFetchNewer() const
{
    return m_state == FileState::Read && m_newerFrom < m_end;
}

void CallHistory::fetchNewer()
{
    if (!canFetchNewer())
        return;
    m_wantNewer = qMax(m_wantNewer, Batch);
    readSome();
}

void CallHistory::reload()
{
    beginResetModel();
    m_rows.clear();
    m_wantOlder = m_wantNewer = 0;
    m_readOn.stop();
    m_retryAppended.stop();
    m_olderFrom = m_newerFrom = m_end = 0;
    m_error.clear();
    QFile file(m_path);
    if (!file.exists()) {
        m_state = FileState::Missing;
    } else if (!FileRead::openRegular(file, m_error)) {
        m_state = FileState::Unreadable;
    } else {
        m_state = FileState::Read;
        m_olderFrom = m_newerFrom = m_end = file.size();
        keepTail(file);
        // The newest rows come with the model, without waiting for the view to ask.
        m_wantOlder = Batch;
        m_rows = findOlder(file);
    }
    endResetModel();
    watch();
    // A filter that found too few in the first block reads on from the event loop.
    if (m_wantOlder > 0 && m_olderFrom > 0)
        m_readOn.start(0);
    updateStatus();
}

// Reads on towards what the view asked for, a block at a time; the rest comes
// from the event loop, so a filter that matches little never stalls the window.
void CallHistory::readSome()
{
    QFile file(m_path);
    QString error;
    // Opened only while reading: on Windows, the log's writer wants it alone.
    if (!FileRead::openRegular(file, error)) {
        if (QFileInfo(m_path).isFile())
            m_readOn.start(RetryMs);
        else
            reload();
        return;
    }
    if (m_wantOlder > 0) {
        std::deque<Row> rows = findOlder(file);
        insertOlder(rows);
    }
    if (m_wantNewer > 0) {
        std::deque<Row> rows = findNewer(file);
        m_readingNewer = true;
        insertNewer(rows);
        m_readingNewer = false;
    }
    if ((m_wantOlder > 0 && m_olderFrom > 0) || (m_wantNewer > 0 && m_newerFrom < m_end))
        m_readOn.start(0);
    updateStatus();
}

// Up to the rows wanted, going back from where the last read stopped.
std::deque<CallHistory::Row> CallHistory::findOlder(QFile& file)
{
    std::deque<Row> found;
    m_olderFrom = LogLines::readBack(file, m_olderFrom, Budget, [&](const LogLines::Line& line) {
        QByteArray text = held(line.text);
        if (matches(text))
            found.push_back({std::move(text), line.start, line.end});
        return int(found.size()) < m_wantOlder;
    });
    m_wantOlder = m_olderFrom > 0 ? m_wantOlder - int(found.size()) : 0;
    return found;
}

// Up to the rows wanted, newest first, going on from the newest row held.
std::deque<CallHistory::Row> CallHistory::findNewer(QFile& file)
{
    std::deque<Row> found; // newest first
    m_newerFrom = LogLines::readOn(file, m_newerFrom, m_end, true, Budget, [&](const LogLines::Line& line) {
        QByteArray text = held(line.text);
        if (matches(text))
            found.push_front({std::move(text), line.start, line.end});
        return int(found.size()) < m_wantNewer;
    });
    m_wantNewer = m_newerFrom < m_end ? m_wantNewer - int(found.size()) : 0;
    return found;
}

// Only what was appended since the last read is read. A log that got shorter
// or was replaced is read anew.
void CallHistory::readAppended()
{
    const bool replaced = !m_watcher->files().contains(m_path);
    QFile file(m_path);
    QString error;
    if (m_state == FileState::Read && !replaced && QFileInfo(m_path).isFile() && !FileRead::openRegular(file, error)) {
        m_retryAppended.start();
        return;
    }
    if (m_state != FileState::Read || replaced || !file.isOpen() || file.size() < m_end || rewritten(file)) {
        reload();
        return;
    }
    // Away from the top, the new lines wait for the view to come back up.
    const bool atTop = m_newerFrom == m_end;
    std::deque<Row> found; // newest first, at most a window's worth
    m_end = LogLines::readOn(file, m_end, file.size(), false, std::numeric_limits<qint64>::max(),
                             [&](const LogLines::Line& line) {
                                 QByteArray text = atTop ? held(line.text) : QByteArray();
                                 if (atTop && matches(text)) {
                                     found.push_front({std::move(text), line.start, line.end});
                                     if (int(found.size()) > m_rowLimit)
                                         found.pop_back();
                                 }
                                 return true;
                             });
    keepTail(file);
    if (atTop) {
        m_newerFrom = m_end;
        insertNewer(found);
    }
    updateStatus();
}

bool CallHistory::rewritten(QFile& file) const
{
    const qint64 from = m_end - m_tail.size();
    return !file.seek(from) || file.read(m_tail.size()) != m_tail;
}

void CallHistory::keepTail(QFile& file)
{
    const qint64 from = qMax<qint64>(0, m_end - TailBytes);
    m_tail = file.seek(from) ? file.read(m_end - from) : QByteArray();
}

// The line at `offset` and those around it, read as the view asks for more;
// the newest call and appended lines stay where they were.
void CallHistory::showAt(qint64 offset)
{
    QFile file(m_path);
    QString error;
    if (m_state != FileState::Read || !FileRead::openRegular(file, error)) {
        reload();
        return;
    }
    beginResetModel();
    m_rows.clear();
    m_readOn.stop();
    qint64 start = qBound<qint64>(0, offset, m_end);
    // From the start of the next line: `offset` may fall inside one.
    if (start > 0 && start < m_end)
        start = LogLines::readOn(file, start, m_end, true, 0, [](const LogLines::Line&) { return false; });
    m_olderFrom = m_newerFrom = start;
    m_wantOlder = m_wantNewer = Batch;
    endResetModel();
    readSome();
}

void CallHistory::insertOlder(std::deque<Row>& rows)
{
    if (rows.empty())
        return;
    const int first = rowCount();
    beginInsertRows(QModelIndex(), first, first + int(rows.size()) - 1);
    for (Row& row : rows)
        m_rows.push_back(std::move(row));
    endInsertRows();
    trimNewest();
}

void CallHistory::insertNewer(std::deque<Row>& rows)
{
    if (rows.empty())
        return;
    beginInsertRows(QModelIndex(), 0, int(rows.size()) - 1);
    for (auto row = rows.rbegin(); row != rows.rend(); ++row)
        m_rows.push_front(std::move(*row));
    endInsertRows();
    trimOldest();
}

// Past the limit, the newest rows go; reading newer lines brings them back.
void CallHistory::trimNewest()
{
    const int excess = rowCount() - m_rowLimit;
    if (excess <= 0)
        return;
    beginRemoveRows(QModelIndex(), 0, excess - 1);
    m_rows.erase(m_rows.begin(), m_rows.begin() + excess);
    m_newerFrom = m_rows.front().end;
    endRemoveRows();
}

void CallHistory::trimOldest()
{
    const int excess = rowCount() - m_rowLimit;
    if (excess <= 0)
        return;
    beginRemoveRows(QModelIndex(), rowCount() - excess, rowCount() - 1);
    m_rows.erase(m_rows.end() - excess, m_rows.end());
    m_olderFrom = m_rows.back().start;
    endRemoveRows();
}

bool CallHistory::matches(const QByteArray& line) const
{
    if (m_filter.isEmpty())
        return true;
    const LogLines::Call call = LogLines::parse(line);
    if (call.text.contains(m_filter, Qt::CaseInsensitive))
        return true;
    if (!m_filterDigits.isEmpty() && PhoneNumber::digits(call.text).contains(m_filterDigits))
        return true;
    return call.wellFormed && m_book && m_book->nameFor(call.text).contains(m_filter, Qt::CaseInsensitive);
}

// Without a filter only the names column changes; with one, which rows match may too.
void CallHistory::namesChanged()
{
    if (!m_filter.isEmpty())
        reload();
    else if (!m_rows.empty())
        emit dataChanged(index(0, NameColumn), index(rowCount() - 1, NameColumn));
}

// The log itself while it exists (again after another program replaced it;
// also while it would not open, to try again when it changes); else its
// folder, to see it come.
void CallHistory::watch()
{
    watchFileOrItsFolder(*m_watcher, m_path, m_state != FileState::Missing);
}

void CallHistory::updateStatus()
{
    const QString status = statusText();
    if (status == m_status)
        return;
    m_status = status;
    emit statusTextChanged(status);
}
