#include "PhoneBook.h"

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

QByteArray hashOf(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1);
}

QString nativePath(const QString& path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

PhoneBook::PhoneBook(const QString& path, QObject* parent) : QObject(parent), m_path(path) {}

void PhoneBook::load()
{
    if (!m_watcher) {
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &PhoneBook::fileMayHaveChanged);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &PhoneBook::fileMayHaveChanged);
    }
    fileMayHaveChanged();
}

QString PhoneBook::nameFor(const QString& number) const
{
    const int card = m_index.find(PhoneNumber::digits(number));
    return card < 0 ? QString() : m_cards.at(card).name;
}

void PhoneBook::setName(const QString& number, const QString& name)
{
    const Edit edit{name.simplified(), {number}, true};
    if (!apply(edit))
        return;
    m_unwritten.append(edit);
    write();
    emit changed();
}

PhoneBook::ImportResult PhoneBook::importFile(const QString& vcfPath)
{
    ImportResult result;
    QFile file(vcfPath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QString::fromUtf8(Texts::ImportOpenFailed).arg(nativePath(vcfPath), file.errorString());
        return result;
    }
    const VCard::ReadResult read = VCard::read(file.readAll());
    result.skipped = read.skipped;
    const bool anyCard =
        std::any_of(read.cards.cbegin(), read.cards.cend(), [](const VCard::Card& card) { return card.readable; });
    if (!anyCard) {
        result.error = QString::fromUtf8(Texts::ImportNoCards).arg(nativePath(vcfPath));
        return result;
    }
    bool added = false;
    for (const VCard::Card& card : read.cards) {
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

bool PhoneBook::applyName(const QString& number, const QString& name)
{
    const QByteArray digits = PhoneNumber::digits(number);
    if (digits.isEmpty())
        return false;
    bool changed = false;
    // Each pass settles the card that answers for the number now; another card
    // that also holds it may answer next. Every pass removes or renames one.
    for (int guard = m_cards.size() + 1; guard > 0; --guard) {
        const int found = m_index.find(digits);
        if (found < 0 || m_cards.at(found).name == name)
            break;
        VCard::Card& card = m_cards[found];
        QList<int> callers;
        for (int i = 0; i < card.tels.size(); ++i) {
            if (PhoneNumber::sameCaller(card.tels.at(i).digits, digits))
                callers << i;
        }
        if (!name.isEmpty() && callers.size() == card.tels.size()) {
            VCard::rename(card, name);
        } else {
            for (auto i = callers.crbegin(); i != callers.crend(); ++i)
                VCard::removeTel(card, *i);
            if (card.tels.isEmpty() && VCard::isBare(card))
                m_cards.removeAt(found);
        }
        changed = true;
        reindex();
    }
    if (!name.isEmpty() && m_index.find(digits) < 0) {
        m_cards.append(VCard::makeCard(name, {number}));
        reindex();
        changed = true;
    }
    return changed;
}

void PhoneBook::applyImport(const Edit& edit, ImportResult* result)
{
    QStringList fresh;
    for (const QString& number : edit.numbers) {
        const QByteArray digits = PhoneNumber::digits(number);
        if (m_index.find(digits) >= 0) {
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
    QFile file(m_path);
    QByteArray data;
    if (file.exists()) {
        if (file.open(QIODevice::ReadOnly))
            data = file.readAll();
        if (!file.isOpen() || file.error() != QFileDevice::NoError) {
            // What is held stays, and the file is not written over what could not be read.
            m_unreadable = true;
            fail(QString::fromUtf8(Texts::PhoneBookReadFailed).arg(nativePath(m_path), file.errorString()));
            return false;
        }
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
