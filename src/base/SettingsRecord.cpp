#include "SettingsRecord.h"

const std::vector<SettingField>& settingFields()
{
    static const std::vector<SettingField> fields{
        {"ringlet", "anotherapp", &SettingsRecord::anotherApp},
        {"ringlet", "anotherport", &SettingsRecord::anotherPort},
        {"ringlet", "automethod", &SettingsRecord::autoMethod},
        {"ringlet", "command", &SettingsRecord::command},
        {"ringlet", "log", &SettingsRecord::logFlags},
        {"ringlet", "minuits", &SettingsRecord::minutes},
        {"ringlet", "port", &SettingsRecord::port},
        {"ringlet", "previousno", &SettingsRecord::previousNo},
        {"ringlet", "string", &SettingsRecord::marker},
        {"ringlet", "setting", &SettingsRecord::setting},
        {"ringlet", "ringcommand", &SettingsRecord::ringCommand},
        {"ringlet", "notify", &SettingsRecord::notify},
        {"ringlet", "queryrefused", &SettingsRecord::queryRefused},
        {"ringlet", "hangupcommand", &SettingsRecord::hangupCommand},
        {"ringlet", "ncidserver", &SettingsRecord::ncidServer},
        {"ringlet", "ncidlisten", &SettingsRecord::ncidListen},
    };
    return fields;
}

bool SettingsRecord::operator==(const SettingsRecord& other) const
{
    for (const SettingField& field : settingFields()) {
        const bool same =
            std::visit([this, &other](auto member) { return this->*member == other.*member; }, field.member);
        if (!same)
            return false;
    }
    return true;
}
