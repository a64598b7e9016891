#include "ProfileStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace {

QString keyPath(const QString& section, const QString& key)
{
    return section + QLatin1Char('/') + key;
}

// An INI value with unquoted commas comes back as a list; a hand-edited
// "setting=115200,n,8,1" must still read as the text it was written as.
QString valueText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace

// The application name is Qt's default, the executable's base name.
ProfileStore::ProfileStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Brackwen"),
                                             QCoreApplication::applicationName()))
{
}

ProfileStore::ProfileStore(const QString& iniFilePath)
    : m_settings(std::make_unique<QSettings>(iniFilePath, QSettings::IniFormat))
{
}

ProfileStore::~ProfileStore() = default;

QString ProfileStore::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const QVariant value = m_settings->value(keyPath(section, key));
    return value.isValid() ? valueText(value) : defaultValue;
}

qint32 ProfileStore::readInt(const QString& section, const QString& key, qint32 defaultValue) const
{
    const QVariant value = m_settings->value(keyPath(section, key));
    if (!value.isValid())
        return defaultValue;
    bool ok = false;
    const qint32 number = valueText(value).toInt(&ok, 10);
    return ok ? number : defaultValue;
}

void ProfileStore::writeString(const QString& section, const QString& key, const QString& value)
{
    m_settings->setValue(keyPath(section, key), value);
}

void ProfileStore::writeInt(const QString& section, const QString& key, qint32 value)
{
    m_settings->setValue(keyPath(section, key), value);
}

void ProfileStore::flush()
{
    m_settings->sync();
}

// Only a write reports AccessError; FormatError comes from reading a flawed
// file (a hand-edited "[ringlet" line) and says nothing of the write. Qt keeps
// the first error it meets, though, so after a flaw was read the write's own
// outcome is told by the file: written, it holds exactly what this store holds.
bool ProfileStore::isStored() const
{
    switch (m_settings->status()) {
    case QSettings::NoError:
        return true;
    case QSettings::AccessError:
        return false;
    case QSettings::FormatError:
        break;
    }
    if (!isFile())
        return true;
    const QSettings written(location(), m_settings->format());
    const QStringList keys = m_settings->allKeys();
    // Reading every key looks into every section, where a flaw would show.
    if (written.allKeys().size() != keys.size() || written.status() != QSettings::NoError)
        return false;
    for (const QString& key : keys)
        if (valueText(written.value(key)) != valueText(m_settings->value(key)))
            return false;
    return true;
}

// Qt names a native Windows store by its registry path; every other store is a file.
bool ProfileStore::isFile() const
{
    return !location().startsWith(QLatin1String("\\HKEY_"));
}

QString ProfileStore::location() const
{
    return m_settings->fileName();
}

QString ProfileStore::folder() const
{
    if (isFile())
        return QFileInfo(location()).absolutePath();
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}
