#include "PhoneBook.h"

#include "FileRead.h"
#include "FileWatch.h"
#include "strings.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSaveFile>

#include <algorithm>

namespace {

// Another program's changes are read at most this often: one that rewrites a
// large book again and again does not keep a core busy.
constexpr int ReadDelayMs = 250;

QByteArray hashOf(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1);
}

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

PhoneBook::PhoneBook(const QString& path, QObject* parent) : QObject(parent), m_path(path)
{
    m_readSoon.setSingleShot(true);
    m_readSoon.setInterval(ReadDelayMs);
    connect(&m_readSoon, &QTimer::timeout, this, &PhoneBook::fileMayHaveChanged);
}

void PhoneBook::load()
{
    if (!m_watcher)
        m_watcher = watcherReadingSoon(this, m_readSoon);
    fileMayHaveChanged();
}

QString PhoneBook::nameFor(const QString& number) const
{
    const int card = m_index.find(PhoneNumber::digits(number));
    return card < 0 ? QString() : m_cards.at(card).name;
}

void PhoneBook::setName(const QString& number, const QString& name)
{
    QString given = name.simplified();
    if (given.size() > MaxNameLength) {
        emit nameNotice(QString::fromUtf8(Texts::NameCut).arg(given.size()).arg(MaxNameLength));
        // Never half of a surrogate pair.
        given.truncate(given.at(MaxNameLength - 1).isHighSurrogate() ? MaxNameLength - 1 : MaxNameLength);
    }
    const Edit edit{given, {number}, true};
    if (!apply(edit)) {
        // The name shown came from another number that ends like this one.
        const int other = m_index.find(PhoneNumber::digits(number));
        if (given.isEmpty() && other >= 0)
            emit nameNotice(QString::fromUtf8(Texts::NameNotTakenOut).arg(number, m_cards.at(other).name));
        return;
    }
    m_unwritten.append(edit);
    write();
    emit changed();
}

PhoneBook::ImportResult PhoneBook::importFile(const QString& vcfPath)
{
    ImportResult result;
    QByteArray data;
    QString error;
    const FileRead::Result read = FileRead::readWhole(vcfPath, MaxFileBytes, data, error);
    if (read == FileRead::Result::Missing) {
        QFile missing(vcfPath);
        missing.open(QIODevice::ReadOnly);
        error = missing.errorString();
    }
    if (read != FileRead::Result::Read) {
        result.error = QString::fromUtf8(Texts::ImportOpenFailed).arg(nativePath(vcfPath), error);
        return result;
    }
    const VCard::ReadResult cards = VCard::read(data, VCard::Keep::NamesAndNumbers);
    result.skipped = cards.skipped;
    const bool anyCard =
        std::any_of(cards.cards.cbegin(), cards.cards.cend(), [](const VCard::Card& card) { return card.readable; });
    if (!anyCard) {
        result.error = QString::fromUtf8(Texts::ImportNoCards).arg(nativePath(vcfPath));
        return result;
    }
    bool added = false;
    for (const VCard::Card& card : cards.cards) {
        if (card.name.isEmpty() || card.tels.isEmpty())
            continue;
        Edit edit{card.name, {}, false};
        for (const VCard::Tel& tel : card.tels)
            edit.numbers << tel.number;
        if (apply(edit, &result)) {
            m_unwritten.append(edit);
            added = true;
        }
    }
    if (added) {
        write();
        emit changed();
    }
    return result;
}

QString PhoneBook::describe(const ImportResult& result, const QString& vcfPath)
{
    if (!result.error.isEmpty())
        return result.error;
    QString text = QString::fromUtf8(Texts::ImportAdded).arg(QString::number(result.added), nativePath(vcfPath));
    if (result.known > 0)
        text += QLatin1Char(' ') + QString::fromUtf8(Texts::ImportKnown).arg(result.known);
    if (result.skipped > 0)
        text += QLatin1Char(' ') + QString::fromUtf8(Texts::ImportSkipped).arg(result.skipped);
    return text;
}

// True when the book changed.
bool PhoneBook::apply(const Edit& edit, ImportResult* result)
{
    if (edit.replace)
        return applyName(edit.numbers.value(0), edit.name);
    const int before = m_cards.size();
    applyImport(edit, result);
    return m_cards.size() != before;
}

// Only cards holding the number with the same digits change: the 7-digit rule
// tells who is calling, not which contact the user meant.
bool PhoneBook::applyName(const QString& number, const QString& name)
{
    const QByteArray digits = PhoneNumber::digits(number);
    if (digits.isEmpty())
        return false;
    bool changed = false;
    bool placed = false; // a card of the number's own now carries the name
    for (int c = int(m_cards.size()) - 1; c >= 0; --c) {
        VCard::Card& card = m_cards[c];
        QList<int> same;
        for (int i = 0; i < card.tels.size(); ++i) {
            if (card.tels.at(i).digits == digits)
                same << i;
        }
        if (same.isEmpty())
            continue;
        if (!name.isEmpty() && !placed && same.size() == card.tels.size()) {
            if (card.name != name) {
                VCard::rename(card, name);
                changed = true;
            }
            placed = true;
            continue;
        }
        for (auto i = same.crbegin(); i != same.crend(); ++i)
            VCard::removeTel(card, *i);
        if (card.tels.isEmpty() && VCard::isBare(card))
            m_cards.removeAt(c);
        changed = true;
    }
    if (!name.isEmpty() && !placed) {
        m_cards.append(VCard::makeCard(name, {number}));
        changed = true;
    }
    if (changed)
        reindex();
    return changed;
}

void PhoneBook::applyImport(const Edit& edit, ImportResult* result)
{
    QStringList fresh;
    for (const QString& number : edit.numbers) {
        const QByteArray digits = PhoneNumber::digits(number);
        // Only the same digits are the same number here: a number that merely
        // ends like another is the user's too, and is kept.
        if (m_index.contains(digits)) {
            if (result)
                ++result->known;
            continue;
        }
        // Filed now, so the same number twice in one import is added once.
        m_index.add(digits, m_cards.size());
        fresh << number;
    }
    if (fresh.isEmpty())
        return;
    m_cards.append(VCard::makeCard(edit.name, fresh));
    m_numberCount += fresh.size();
    if (result)
        result->added += fresh.size();
}

void PhoneBook::reindex()
{
    m_index.clear();
    m_numberCount = 0;
    for (int i = 0; i < m_cards.size(); ++i) {
        const VCard::Card& card = m_cards.at(i);
        if (card.name.isEmpty())
            continue;
        for (const VCard::Tel& tel : card.tels)
            m_index.add(tel.digits, i);
        m_numberCount += card.tels.size();
    }
}

// True when the book read differs from the one held.
bool PhoneBook::readFile()
{
    QByteArray data;
    QString error;
    if (FileRead::readWhole(m_path, MaxFileBytes, data, error) == FileRead::Result::Failed) {
        // What is held stays, and the file is not written over what could not be read.
        m_unreadable = true;
        fail(QString::fromUtf8(Texts::PhoneBookReadFailed).arg(nativePath(m_path), error));
        return false;
    }
    if (m_unreadable && m_unwritten.isEmpty())
        m_failureSaid = false;
    m_unreadable = false;
    const QByteArray hash = hashOf(data);
    if (hash == m_fileHash)
        return false;
    m_fileHash = hash;
    m_cards = VCard::read(data).cards;
    reindex();
    for (const Edit& edit : std::as_const(m_unwritten))
        apply(edit);
    return true;
}

void PhoneBook::write()
{
    if (m_unreadable) {
        fail(QString::fromUtf8(Texts::PhoneBookNotWritten).arg(nativePath(m_path)));
        return;
    }
    const QByteArray data = VCard::write(m_cards);
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        fail(QString::fromUtf8(Texts::PhoneBookWriteFailed).arg(nativePath(m_path), file.errorString()));
        return;
    }
    m_fileHash = hashOf(data);
    m_unwritten.clear();
    m_failureSaid = false;
    watch();
}

// The file itself while it exists; else its folder, to see it come. An atomic
// replace ends the watch on the file it replaced, so it is set again each time.
void PhoneBook::watch()
{
    if (m_watcher)
        watchFileOrItsFolder(*m_watcher, m_path, QFileInfo::exists(m_path));
}

void PhoneBook::fileMayHaveChanged()
{
    watch();
    if (!readFile())
        return;
    // Changes of this run not yet written go over the newer file.
    if (!m_unwritten.isEmpty())
        write();
    emit changed();
}

void PhoneBook::fail(const QString& text)
{
    if (m_failureSaid)
        return;
    m_failureSaid = true;
    emit failed(text);
}
