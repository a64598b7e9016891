#include "SettingsRecord.h"

bool SettingsRecord::operator==(const SettingsRecord& other) const
{
    return anotherApp == other.anotherApp && anotherPort == other.anotherPort && autoMethod == other.autoMethod &&
           command == other.command && logFlags == other.logFlags && minutes == other.minutes && port == other.port &&
           previousNo == other.previousNo && marker == other.marker && setting == other.setting &&
           ringCommand == other.ringCommand && notify == other.notify;
}
