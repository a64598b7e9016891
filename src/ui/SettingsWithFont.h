#pragma once

#include "base/Settings.h"

class DisplayFont;

// All the window keeps in the store: the settings record and the display font.

// Start of the run: fills the record and creates the display font from the store.
void LoadSettings(const ProfileStore& store, SettingsRecord& record, DisplayFont& displayFont);
// Close: writes the record, then the description read back from the font object itself.
void SaveSettings(ProfileStore& store, const SettingsRecord& record, const DisplayFont& displayFont);
