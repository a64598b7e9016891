#pragma once

#include "SettingsRecord.h"
#include "ui/LogFont.h"

class DisplayFont;
class ProfileStore;

// Section "ringlet": the record, key by key, in a fixed order.
SettingsRecord readSettingsRecord(const ProfileStore& store);
void writeSettingsRecord(ProfileStore& store, const SettingsRecord& record);

// Section "font": the fourteen fields of the display font's description.
LogFont readLogFont(const ProfileStore& store);
void writeLogFont(ProfileStore& store, const LogFont& font);

// Start of the run: fills the record and creates the display font from the store.
void LoadSettings(const ProfileStore& store, SettingsRecord& record, DisplayFont& displayFont);
// Close: writes the record, then the description read back from the font object itself.
void SaveSettings(ProfileStore& store, const SettingsRecord& record, const DisplayFont& displayFont);
