#include "TempProfile.h"

TempProfile::TempProfile() : m_store(std::make_unique<ProfileStore>(path())) {}

std::unique_ptr<ProfileStore> TempProfile::reopen() const
{
    return std::make_unique<ProfileStore>(path());
}
