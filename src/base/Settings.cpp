#include "Settings.h"

#include "ProfileStore.h"

namespace {

const QString RingletSection = QStringLiteral("ringlet");
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
    record.anotherApp = store.readString(RingletSection, QStringLiteral("anotherapp"), defaults.anotherApp);
    record.anotherPort = store.readString(RingletSection, QStringLiteral("anotherport"), defaults.anotherPort);
    record.autoMethod = store.readInt(RingletSection, QStringLiteral("automethod"), defaults.autoMethod);
    record.command = store.readString(RingletSection, QStringLiteral("command"), defaults.command);
    record.logFlags = store.readInt(RingletSection, QStringLiteral("log"), defaults.logFlags);
    record.minutes = store.readInt(RingletSection, QStringLiteral("minuits"), defaults.minutes);
    record.port = store.readString(RingletSection, QStringLiteral("port"), defaults.port);
    record.previousNo = store.readString(RingletSection, QStringLiteral("previousno"), defaults.previousNo);
    record.marker = store.readString(RingletSection, QStringLiteral("string"), defaults.marker);
    record.setting = store.readString(RingletSection, QStringLiteral("setting"), defaults.setting);
    record.ringCommand = store.readString(RingletSection, QStringLiteral("ringcommand"), defaults.ringCommand);
    record.notify = store.readInt(RingletSection, QStringLiteral("notify"), defaults.notify);
    return record;
}

void writeSettingsRecord(ProfileStore& store, const SettingsRecord& record)
{
    store.writeString(RingletSection, QStringLiteral("anotherapp"), record.anotherApp);
    store.writeString(RingletSection, QStringLiteral("anotherport"), record.anotherPort);
    store.writeInt(RingletSection, QStringLiteral("automethod"), record.autoMethod);
    store.writeString(RingletSection, QStringLiteral("command"), record.command);
    store.writeInt(RingletSection, QStringLiteral("log"), record.logFlags);
    store.writeInt(RingletSection, QStringLiteral("minuits"), record.minutes);
    store.writeString(RingletSection, QStringLiteral("port"), record.port);
    store.writeString(RingletSection, QStringLiteral("previousno"), record.previousNo);
    store.writeString(RingletSection, QStringLiteral("string"), record.marker);
    store.writeString(RingletSection, QStringLiteral("setting"), record.setting);
    store.writeString(RingletSection, QStringLiteral("ringcommand"), record.ringCommand);
    store.writeInt(RingletSection, QStringLiteral("notify"), record.notify);
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
