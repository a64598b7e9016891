#pragma once

#include <QByteArray>
#include <QtGlobal>

// The description of a font as the profile stores it: the fields of the Windows
// logical-font record. Fields Qt cannot render (character set, escapement,
// orientation, the precisions) are kept so that they round-trip unchanged.
struct LogFont
{
    qint32 height = -19; // negative: character height in pixels; positive: cell height
    qint32 width = 0;
    qint32 escapement = 0;
    qint32 orientation = 0;
    qint32 weight = 400; // 100-900, the scale Qt 6 uses too
    quint8 italic = 0;
    quint8 underline = 0;
    quint8 strikeOut = 0;
    quint8 charSet = 0;
    quint8 outPrecision = 1;
    quint8 clipPrecision = 2;
    quint8 quality = 1;
    quint8 pitchAndFamily = 34; // variable pitch, sans-serif family
    QByteArray faceName = "MS Sans Serif";

    // The face name field holds at most this many bytes before its terminating zero.
    static constexpr int MaxFaceNameBytes = 31;
    // What of `name` fits the field: up to the first zero byte, then at most
    // MaxFaceNameBytes bytes, cut so that no UTF-8 sequence is split.
    static QByteArray fitFaceName(const QByteArray& name);

    bool operator==(const LogFont& other) const;
    bool operator!=(const LogFont& other) const { return !(*this == other); }
};
