#include "VCardText.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace VCardText {
namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isAscii(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (uchar(c) >= 0x80)
            return false;
    }
    return true;
}

QString undeclared(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder windows("windows-1252");
    // A build of Qt without ICU knows no Windows code pages: Latin-1 is the nearest.
    return windows.isValid() ? windows(bytes) : QString::fromLatin1(bytes);
}

} // namespace

QByteArray asUtf8(const QByteArray& file)
{
    if (file.startsWith("\xEF\xBB\xBF"))
        return file.sliced(3);
    std::optional<QStringConverter::Encoding> utf16;
    if (file.startsWith("\xFF\xFE") || file.startsWith("\xFE\xFF"))
        utf16 = QStringConverter::Utf16; // the mark tells the byte order, and is dropped
    else if (file.size() > 1 && file[0] == '\0' && file[1] != '\0')
        utf16 = QStringConverter::Utf16BE;
    else if (file.size() > 1 && file[0] != '\0' && file[1] == '\0')
        utf16 = QStringConverter::Utf16LE;
    if (!utf16)
        return file;
    QStringDecoder decoder(*utf16);
    return QString(decoder(file)).toUtf8();
}

QByteArray decodeQuotedPrintable(QByteArrayView value)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const int high = value[i] == '=' && i + 2 < value.size() ? hexValue(value[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(value[i + 2]) : -1;
        if (low < 0) {
            out.append(value[i]);
            continue;
        }
        out.append(char(high * 16 + low));
        i += 2;
    }
    return out;
}

QString decode(QByteArrayView bytes, QByteArrayView charset)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    if (!charset.isEmpty() && charset.compare("UTF-8", Qt::CaseInsensitive) != 0) {
        QStringDecoder decoder(charset.toByteArray().constData());
        if (decoder.isValid())
            return decoder(bytes);
    }
    return undeclared(bytes);
}

QString unescape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out.append(c);
            continue;
        }
        const QChar next = text[++i];
        out.append(next == QLatin1Char('n') || next == QLatin1Char('N') ? QChar(QLatin1Char(' ')) : next);
    }
    return out;
}

QString oneLine(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return text.trimmed();
}

QStringList components(QStringView text)
{
    QStringList parts;
    qsizetype from = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i + 1 < text.size() && text[i] == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (i == text.size() || text[i] == QLatin1Char(';')) {
            const QStringView part = text.sliced(from, i - from);
            // Most parts hold nothing to undo.
            const bool plain = std::all_of(part.begin(), part.end(), [](QChar c) {
                return c != QLatin1Char('\\') && c.unicode() >= 0x20 && (c.unicode() < 0x7F || c.unicode() >= 0xA0);
            });
            parts << (plain ? part.toString() : oneLine(unescape(part))).simplified();
            from = i + 1;
        }
    }
    return parts;
}

} // namespace VCardText
