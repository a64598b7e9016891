#include "BlockList.h"

#include "FileRead.h"
#include "FileWatch.h"
#include "PhoneBook.h"
#include "PhoneNumber.h"
#include "strings.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSaveFile>

namespace {
constexpr int ReadDelayMs = 250;

// The entry of a line, without its comment and spaces; empty for none.
QString entryText(const QString& line)
{
    return line.left(line.indexOf(QLatin1Char('#'))).trimmed();
}

// "Private" or "Unavailable" as Ringlet shows them, for either word in any case; else empty.
QString callerWord(const QString& text)
{
    for (const char* word : {Texts::CallerPrivate, Texts::CallerUnavailable})
        if (text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(word);
    return {};
}

bool isNumberText(const QString& text)
{
    for (const QChar c : text)
        if (!c.isDigit() && !QStringLiteral("+-(). /").contains(c))
            return false;
    return !PhoneNumber::digits(text).isEmpty();
}
} // namespace

BlockList::BlockList(const QString& path, const PhoneBook* book, QObject* parent)
    : QObject(parent), m_path(path), m_book(book)
{
    m_readSoon.setSingleShot(true);
    m_readSoon.setInterval(ReadDelayMs);
    connect(&m_readSoon, &QTimer::timeout, this, &BlockList::read);
}

void BlockList::load()
{
    if (!m_watcher)
        m_watcher = watcherReadingSoon(this, m_readSoon);
    read();
}

void BlockList::read()
{
    QByteArray data;
    QString error;
    const FileRead::Result result = FileRead::readWhole(m_path, MaxFileBytes, data, error);
    watchFileOrItsFolder(*m_watcher, m_path, result != FileRead::Result::Missing);
    if (result == FileRead::Result::Failed) {
        fail(QString::fromLatin1(Texts::BlockListReadFailed).arg(QDir::toNativeSeparators(m_path), error));
        return;
    }
    m_failing = false;
    if (result == FileRead::Result::Read && data == m_written && !m_lines.isEmpty())
        return;
    const QString text = QString::fromUtf8(data);
    m_lines = text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    for (QString& line : m_lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    if (!m_lines.isEmpty() && m_lines.last().isEmpty())
        m_lines.removeLast();
    parse();
    emit changed();
}

void BlockList::parse()
{
    m_entries.clear();
    for (const QString& line : std::as_const(m_lines)) {
        const QString text = entryText(line);
        if (text.isEmpty())
            continue;
        if (const QString word = callerWord(text); !word.isEmpty())
            m_entries.append({Entry::Kind::Word, {}, word});
        else if (text.endsWith(QLatin1Char('*')) && isNumberText(text.chopped(1)))
            m_entries.append({Entry::Kind::Prefix, PhoneNumber::digits(text.chopped(1)), {}});
        else if (isNumberText(text))
            m_entries.append({Entry::Kind::Number, PhoneNumber::digits(text), {}});
        else if (!m_told.contains(line)) {
            m_told.insert(line);
            emit lineNotUnderstood(QString::fromLatin1(Texts::BlockListLineNotUnderstood)
                                       .arg(line.left(80), QDir::toNativeSeparators(m_path)));
        }
    }
}

bool BlockList::blocks(const QString& number) const
{
    const QByteArray digits = PhoneNumber::digits(number);
    // A caller the user named is blocked only by an entry of its own.
    const bool known = !digits.isEmpty() && m_book && !m_book->nameFor(number).isEmpty();
    for (const Entry& entry : m_entries) {
        switch (entry.kind) {
        case Entry::Kind::Number:
            if (PhoneNumber::sameCaller(entry.digits, digits))
                return true;
            break;
        case Entry::Kind::Prefix:
            if (!known && !digits.isEmpty() && digits.startsWith(entry.digits))
                return true;
            break;
        case Entry::Kind::Word:
            if (!known && number == entry.word)
                return true;
            break;
        }
    }
    return false;
}

// Private and Unavailable are entries as words; anything else by its digits alone.
QString BlockList::entryFor(const QString& number)
{
    const QString text = number.trimmed();
    const QString word = callerWord(text);
    return word.isEmpty() ? QString::fromLatin1(PhoneNumber::digits(text)) : word;
}

// Whether `line` is the entry `entry` (as entryFor() gives it) stands for: the
// same word in any case, or a number of the same caller.
bool BlockList::isOwnEntryOf(const QString& line, const QString& entry)
{
    const QString text = entryText(line);
    if (!callerWord(entry).isEmpty())
        return callerWord(text) == entry;
    return isNumberText(text) && PhoneNumber::sameCaller(PhoneNumber::digits(text), entry.toLatin1());
}

void BlockList::block(const QString& number)
{
    const QString entry = entryFor(number);
    if (entry.isEmpty() || blocks(number.trimmed()))
        return;
    m_lines.append(entry);
    parse();
    write();
    emit changed();
}

void BlockList::unblock(const QString& number)
{
    const QString entry = entryFor(number);
    if (entry.isEmpty())
        return;
    const qsizetype before = m_lines.size();
    m_lines.removeIf([&entry](const QString& line) { return isOwnEntryOf(line, entry); });
    if (m_lines.size() == before)
        return;
    parse();
    write();
    emit changed();
}

bool BlockList::write()
{
    QByteArray data;
    for (const QString& line : std::as_const(m_lines))
        data += line.toUtf8() + '\n';
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        fail(QString::fromLatin1(Texts::BlockListWriteFailed).arg(QDir::toNativeSeparators(m_path), file.errorString()));
        return false;
    }
    m_written = data;
    m_failing = false;
    if (m_watcher)
        watchFileOrItsFolder(*m_watcher, m_path, true);
    return true;
}

void BlockList::fail(const QString& text)
{
    if (m_failing)
        return;
    m_failing = true;
    emit failed(text);
}
