#include "LogFont.h"

bool LogFont::operator==(const LogFont& other) const
{
    return height == other.height && width == other.width && escapement == other.escapement &&
           orientation == other.orientation && weight == other.weight && italic == other.italic &&
           underline == other.underline && strikeOut == other.strikeOut && charSet == other.charSet &&
           outPrecision == other.outPrecision && clipPrecision == other.clipPrecision && quality == other.quality &&
           pitchAndFamily == other.pitchAndFamily && faceName == other.faceName;
}

QByteArray LogFont::fitFaceName(const QByteArray& name)
{
    const qsizetype zero = name.indexOf('\0');
    QByteArray fitted = zero < 0 ? name : name.left(zero);
    if (fitted.size() <= MaxFaceNameBytes)
        return fitted;
    // Cut before a UTF-8 continuation byte would leave half a character behind.
    qsizetype cut = MaxFaceNameBytes;
    while (cut > 0 && (static_cast<uchar>(fitted.at(cut)) & 0xC0) == 0x80)
        --cut;
    fitted.truncate(cut);
    return fitted;
}
