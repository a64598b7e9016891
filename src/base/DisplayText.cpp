#include "DisplayText.h"

#include "strings.h"

QString displayTextToString(const QByteArray& displayText)
{
    QString text = QString::fromLocal8Bit(displayText);
    // A lossy decode (U+FFFD for each bad byte) would make different bytes look alike.
    if (text.toLocal8Bit() == displayText)
        return text;
    return QString::fromLatin1(displayText);
}

bool isFixedDisplayText(const QString& displayText)
{
    return displayText == QLatin1String(Texts::CantFindString) || displayText == QLatin1String(Texts::BufferEmpty) ||
           displayText == QLatin1String(Texts::CallerNoCallerId);
}
