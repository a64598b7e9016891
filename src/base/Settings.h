#pragma once

#include "LogFont.h"
#include "SettingsRecord.h"

class ProfileStore;

// Section "ringlet": the record, key by key, in a fixed order.
SettingsRecord readSettingsRecord(const ProfileStore& store);
void writeSettingsRecord(ProfileStore& store, const SettingsRecord& record);

// Section "font": the fourteen fields of the display font's description.
LogFont readLogFont(const ProfileStore& store);
void writeLogFont(ProfileStore& store, const LogFont& font);
