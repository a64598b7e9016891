#pragma once

#include <QString>
#include <memory>

class QSettings;

// The per-user profile store: sections of typed keys, read with a default.
// The default instance is the native store (the registry under
// HKCU\Software\Brackwen\<app> on Windows, Brackwen/<app>.conf under the
// XDG config directory elsewhere); tests point one at an INI file of their own.
class ProfileStore
{
public:
    ProfileStore();
    explicit ProfileStore(const QString& iniFilePath);
    ~ProfileStore();

    ProfileStore(const ProfileStore&) = delete;
    ProfileStore& operator=(const ProfileStore&) = delete;

    QString readString(const QString& section, const QString& key, const QString& defaultValue) const;
    // A missing key, or a stored text that is not a 32-bit integer, reads as the default.
    qint32 readInt(const QString& section, const QString& key, qint32 defaultValue) const;
    void writeString(const QString& section, const QString& key, const QString& value);
    void writeInt(const QString& section, const QString& key, qint32 value);

    // Pushes pending writes to permanent storage.
    void flush();
    // Whether every write so far reached permanent storage (after flush()).
    bool isStored() const;
    // The settings file, or on Windows the registry key, as \HKEY_CURRENT_USER\Software\....
    QString location() const;
    // False for the Windows registry, which has no folder to look into.
    bool isFile() const;
    // Where the program's other per-user files go (its lock, the phone book):
    // beside the settings file, or for a store in the Windows registry, which
    // has no folder, the per-user data folder.
    QString folder() const;

private:
    std::unique_ptr<QSettings> m_settings;
};
