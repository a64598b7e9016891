#pragma once

#include <QString>

#include <variant>
#include <vector>

// Every setting of the program. The program's core owns the one live copy; the
// store is read into it once at start and written from it once at close. A new
// setting is a member here, with its default, and a row in settingFields().
struct SettingsRecord
{
    QString anotherApp;
    QString anotherPort;
    qint32 autoMethod = 0;
    QString command = QStringLiteral("AT\\L1");
    qint32 logFlags = 0;
    qint32 minutes = 5;
    QString port = QStringLiteral("NA");
    QString previousNo = QStringLiteral("NA");
    QString marker = QStringLiteral("CALLING");
    QString setting = QStringLiteral("115200,n,8,1");
    // Sent to the watched ring port each time it is opened, e.g. AT+VCID=1 to
    // have the modem announce the caller; empty: nothing is sent.
    QString ringCommand;
    // 1: a new number from an automatic check is told by a desktop notification.
    qint32 notify = 1;
    // 1: the modem answered the last-caller query with ERROR when it was
    // found out, so no check asks it; calls come by its announcements.
    qint32 queryRefused = 0;
    // The commands that hang up on a blocked caller, separated by spaces: the
    // first picks up, the rest follow a second later. Empty: ATH1 ATH0.
    QString hangupCommand;
    // Another desk's NCID server whose calls are shown here: "host" or
    // "host:port" (3333 when none); empty: none.
    QString ncidServer;
    // Where this desk serves its modem's calls to NCID clients: "address:port"; empty: nowhere.
    QString ncidListen;

    bool operator==(const SettingsRecord& other) const;
    bool operator!=(const SettingsRecord& other) const { return !(*this == other); }
};

// One stored setting: its section and key in the store, and the member of the
// record it fills; the default is that member in a default-made record.
struct SettingField
{
    const char* section;
    const char* key;
    std::variant<QString SettingsRecord::*, qint32 SettingsRecord::*> member;
};

// Every setting of the record, in the order the store reads and writes them.
const std::vector<SettingField>& settingFields();

// The port value meaning "no port chosen yet".
inline const QString NoPortChosen = QStringLiteral("NA");

// Bits of SettingsRecord::autoMethod. Bits not named here are carried through untouched.
namespace AutoMethod {
constexpr qint32 ModeMask = 3;      // 0 every N minutes, 1 on ring of another port, 2 on another app, 3 invalid
constexpr qint32 DisableManual = 4; // hide and disable the Check button
constexpr qint32 Automate = 8;      // arm the mode
constexpr qint32 ModeEvery = 0;
constexpr qint32 ModeOnRing = 1;
constexpr qint32 ModeOnApp = 2;
} // namespace AutoMethod

// Bits of SettingsRecord::logFlags.
namespace LogFlags {
constexpr qint32 EnableLog = 1;
constexpr qint32 IgnoreSame = 2;
} // namespace LogFlags
