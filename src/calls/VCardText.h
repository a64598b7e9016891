#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The text inside a vCard file as its writers encode it: the file as a whole
// (UTF-8 with or without a byte-order mark, UTF-16 with or without one), and
// each value (quoted-printable, a CHARSET of its own, backslash escapes).
namespace VCardText {

// The file's bytes as UTF-8: a UTF-8 byte-order mark goes, UTF-16 (told by its
// mark, or by a NUL beside the first character) is converted; other files as they are.
QByteArray asUtf8(const QByteArray& file);

// "=C3=91" gives the bytes C3 91; a "=" not followed by two hex digits stays.
QByteArray decodeQuotedPrintable(QByteArrayView value);

// The bytes read in `charset` (one Qt's codecs know). Without one, or with one
// Qt does not know, bytes that are valid UTF-8 read as UTF-8 and others as
// Windows-1252, the 8-bit set older Windows and Mac programs wrote unannounced.
QString decode(QByteArrayView bytes, QByteArrayView charset);

// Backslash escapes undone: "\n" is a space, "\," a comma.
QString unescape(QStringView text);

// Control characters (line breaks, NUL) as spaces, the ends trimmed: a name is one line of text.
QString oneLine(QString text);

// A structured value ("Family;Given;...") split on its unescaped semicolons,
// each part unescaped and its spaces simplified.
QStringList components(QStringView text);

} // namespace VCardText
