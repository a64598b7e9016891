#include "SettingsWithFont.h"

#include "DisplayFont.h"
#include "base/ProfileStore.h"

void LoadSettings(const ProfileStore& store, SettingsRecord& record, DisplayFont& displayFont)
{
    record = readSettingsRecord(store);
    displayFont.create(readLogFont(store));
}

void SaveSettings(ProfileStore& store, const SettingsRecord& record, const DisplayFont& displayFont)
{
    writeSettingsRecord(store, record);
    // An empty font object has no description of its own; description() then gives the defaults.
    writeLogFont(store, displayFont.description());
    store.flush();
}
