#include "CallerText.h"

namespace CallerText {
namespace {

bool isDirectionControl(QChar c)
{
    switch (c.direction()) {
    case QChar::DirLRE:
    case QChar::DirRLE:
    case QChar::DirLRO:
    case QChar::DirRLO:
    case QChar::DirPDF:
    case QChar::DirLRI:
    case QChar::DirRLI:
    case QChar::DirFSI:
    case QChar::DirPDI:
        return true;
    default:
        return false;
    }
}

bool isRightToLeft(QChar c)
{
    const QChar::Direction direction = c.direction();
    return direction == QChar::DirR || direction == QChar::DirAL || direction == QChar::DirAN;
}

} // namespace

QString number(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const QChar::Category category = c.category();
        const bool hidden = category == QChar::Other_Control || category == QChar::Other_Format ||
                            category == QChar::Separator_Line || category == QChar::Separator_Paragraph ||
                            category == QChar::Other_Surrogate;
        if ((hidden && c != QLatin1Char('\n')) || isRightToLeft(c))
            continue;
        shown.append(c);
    }
    return shown;
}

QString name(const QString& text)
{
    QString shown;
    shown.reserve(text.size() + 2);
    bool rightToLeft = false;
    for (const QChar c : text) {
        if (isDirectionControl(c))
            continue;
        rightToLeft = rightToLeft || isRightToLeft(c);
        const QChar::Category category = c.category();
        const bool breaks = category == QChar::Other_Control || category == QChar::Separator_Line ||
                            category == QChar::Separator_Paragraph;
        shown.append(breaks ? QChar(QLatin1Char(' ')) : c);
    }
    shown = shown.trimmed();
    if (!rightToLeft)
        return shown;
    return QChar(0x2068) + shown + QChar(0x2069);
}

} // namespace CallerText
