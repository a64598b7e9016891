#include "FontChoice.h"

#include <QtMath>

namespace {

constexpr quint8 FixedPitch = 1;
constexpr quint8 VariablePitch = 2;
constexpr quint8 FamilyMask = 0xF0;
constexpr quint8 FamilyDontCare = 0x00;
constexpr quint8 FamilyRoman = 0x10;
constexpr quint8 FamilySwiss = 0x20;
constexpr quint8 FamilyModern = 0x30;
constexpr quint8 FamilyScript = 0x40;
constexpr quint8 FamilyDecorative = 0x50;

// The face name is kept as UTF-8, cut at whole characters.
QByteArray faceNameBytes(const QString& family)
{
    return LogFont::fitFaceName(family.toUtf8());
}

qint32 characterHeight(const QFont& font, int logicalDpi)
{
    if (font.pixelSize() > 0)
        return -font.pixelSize();
    return -qRound(font.pointSizeF() * logicalDpi / 72.0);
}

quint8 familyOfHint(QFont::StyleHint hint)
{
    switch (hint) {
    case QFont::Serif:
        return FamilyRoman;
    case QFont::SansSerif:
        return FamilySwiss;
    case QFont::TypeWriter:
    case QFont::Monospace:
        return FamilyModern;
    case QFont::Cursive:
        return FamilyScript;
    case QFont::Decorative:
    case QFont::Fantasy:
        return FamilyDecorative;
    default:
        return FamilyDontCare;
    }
}

// A font without a style hint keeps the family of `previous` when it is the same
// face, and says "don't care" otherwise.
quint8 pitchAndFamilyOf(const QFont& font, const LogFont& previous)
{
    const quint8 pitch = font.fixedPitch() ? FixedPitch : VariablePitch;
    quint8 family = familyOfHint(font.styleHint());
    if (font.styleHint() == QFont::AnyStyle && faceNameBytes(font.family()) == previous.faceName)
        family = previous.pitchAndFamily & FamilyMask;
    return family | pitch;
}

} // namespace

LogFont logFontFromChosenFont(const QFont& chosen, const LogFont& previous, int logicalDpi)
{
    LogFont description = previous;
    description.faceName = faceNameBytes(chosen.family());
    description.height = characterHeight(chosen, logicalDpi);
    description.weight = chosen.weight();
    description.italic = chosen.style() != QFont::StyleNormal ? 1 : 0;
    description.underline = chosen.underline() ? 1 : 0;
    description.strikeOut = chosen.strikeOut() ? 1 : 0;
    description.pitchAndFamily = pitchAndFamilyOf(chosen, previous);
    return description;
}
