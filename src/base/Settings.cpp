#include "Settings.h"

#include "ProfileStore.h"

namespace {

const QString FontSection = QStringLiteral("font");

quint8 readByte(const ProfileStore& store, const QString& key, quint8 defaultValue)
{
    return static_cast<quint8>(store.readInt(FontSection, key, defaultValue) & 0xFF);
}

} // namespace

SettingsRecord readSettingsRecord(const ProfileStore& store)
{
    const SettingsRecord defaults;
    SettingsRecord record;
    for (const SettingField& field : settingFields()) {
        const QString section = QString::fromLatin1(field.section);
        const QString key = QString::fromLatin1(field.key);
        if (const auto text = std::get_if<QString SettingsRecord::*>(&field.member))
            record.*(*text) = store.readString(section, key, defaults.*(*text));
        else if (const auto number = std::get_if<qint32 SettingsRecord::*>(&field.member))
            record.*(*number) = store.readInt(section, key, defaults.*(*number));
    }
    return record;
}

void writeSettingsRecord(ProfileStore& store, const SettingsRecord& record)
{
    for (const SettingField& field : settingFields()) {
        const QString section = QString::fromLatin1(field.section);
        const QString key = QString::fromLatin1(field.key);
        if (const auto text = std::get_if<QString SettingsRecord::*>(&field.member))
            store.writeString(section, key, record.*(*text));
        else if (const auto number = std::get_if<qint32 SettingsRecord::*>(&field.member))
            store.writeInt(section, key, record.*(*number));
    }
}

LogFont readLogFont(const ProfileStore& store)
{
    const LogFont defaults;
    LogFont font;
    font.charSet = readByte(store, QStringLiteral("charset"), defaults.charSet);
    font.clipPrecision = readByte(store, QStringLiteral("clipprecision"), defaults.clipPrecision);
    font.escapement = store.readInt(FontSection, QStringLiteral("escapement"), defaults.escapement);
    const QString face =
        store.readString(FontSection, QStringLiteral("facename"), QString::fromUtf8(defaults.faceName));
    font.faceName = LogFont::fitFaceName(face.toUtf8());
    font.height = store.readInt(FontSection, QStringLiteral("height"), defaults.height);
    font.italic = readByte(store, QStringLiteral("italic"), defaults.italic);
    font.orientation = store.readInt(FontSection, QStringLiteral("orientation"), defaults.orientation);
    font.outPrecision = readByte(store, QStringLiteral("outprecision"), defaults.outPrecision);
    font.pitchAndFamily = readByte(store, QStringLiteral("pitchandfamily"), defaults.pitchAndFamily);
    font.quality = readByte(store, QStringLiteral("quality"), defaults.quality);
    font.strikeOut = readByte(store, QStringLiteral("strikeout"), defaults.strikeOut);
    font.underline = readByte(store, QStringLiteral("underline"), defaults.underline);
    font.weight = store.readInt(FontSection, QStringLiteral("weight"), defaults.weight);
    font.width = store.readInt(FontSection, QStringLiteral("width"), defaults.width);
    return font;
}

void writeLogFont(ProfileStore& store, const LogFont& font)
{
    store.writeInt(FontSection, QStringLiteral("charset"), font.charSet);
    store.writeInt(FontSection, QStringLiteral("clipprecision"), font.clipPrecision);
    store.writeInt(FontSection, QStringLiteral("escapement"), font.escapement);
    store.writeString(FontSection, QStringLiteral("facename"), QString::fromUtf8(LogFont::fitFaceName(font.faceName)));
    store.writeInt(FontSection, QStringLiteral("height"), font.height);
    store.writeInt(FontSection, QStringLiteral("italic"), font.italic);
    store.writeInt(FontSection, QStringLiteral("orientation"), font.orientation);
    store.writeInt(FontSection, QStringLiteral("outprecision"), font.outPrecision);
    store.writeInt(FontSection, QStringLiteral("pitchandfamily"), font.pitchAndFamily);
    store.writeInt(FontSection, QStringLiteral("quality"), font.quality);
    store.writeInt(FontSection, QStringLiteral("strikeout"), font.strikeOut);
    store.writeInt(FontSection, QStringLiteral("underline"), font.underline);
    store.writeInt(FontSection, QStringLiteral("weight"), font.weight);
    store.writeInt(FontSection, QStringLiteral("width"), font.width);
}
