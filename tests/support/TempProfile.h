#pragma once

#include "base/ProfileStore.h"

#include <QTemporaryDir>

// A profile store in a temporary INI file of its own, gone with the object.
class TempProfile
{
public:
    TempProfile();

    QString path() const { return m_dir.filePath(QStringLiteral("ringlet.conf")); }
    ProfileStore& store() { return *m_store; }
    // A fresh store over the same file, as the next run of the program would see it.
    std::unique_ptr<ProfileStore> reopen() const;

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ProfileStore> m_store;
};
