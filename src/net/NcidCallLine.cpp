#include "NcidCallLine.h"

#include "strings.h"

#include <QList>

#include <cctype>

namespace NcidCallLine {
namespace {

// A number longer than any telephone network's, a name as long as the protocol allows twice over.
constexpr int LongestNumber = 40;
constexpr int LongestName = 100;
constexpr int LongestMessage = 500;

// UTF-8 where it is, else Latin-1 (modems pass their bytes through); control
// characters out, so nothing from the network moves or hides the rest.
QString printable(const QByteArray& bytes, int longest)
{
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter))
        text = QString::fromLatin1(bytes);
    QString kept;
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control)
            kept += c;
    }
    return kept.trimmed().left(longest);
}

// The protocol's words for "none": its own empty values.
bool isNoValue(const QString& value)
{
    static const QStringList none{QStringLiteral("-"),         QStringLiteral("NO NAME"),    QStringLiteral("NONAME"),
                                  QStringLiteral("NO-NUMBER"), QStringLiteral("NONUMBER"),   QStringLiteral("PRIVATE"),
                                  QStringLiteral("ANONYMOUS"), QStringLiteral("OUT-OF-AREA")};
    return value.isEmpty() || none.contains(value, Qt::CaseInsensitive);
}

// The protocol's values hold no '*' and no line end; none is ever empty.
QString wireValue(const QString& value, const char* none)
{
    QString text;
    for (const QChar c : value) {
        if (c != QLatin1Char('*') && c.category() != QChar::Other_Control)
            text += c;
    }
    text = text.trimmed();
    return text.isEmpty() ? QString::fromLatin1(none) : text;
}

} // namespace

QByteArray typeOf(const QByteArray& line)
{
    const qsizetype colon = line.indexOf(": ");
    const qsizetype space = line.indexOf(' ');
    if (colon > 0 && (space < 0 || colon < space))
        return line.left(colon);
    if (line.size() >= 3 && std::isdigit(uchar(line[0])) && std::isdigit(uchar(line[1])) &&
        std::isdigit(uchar(line[2])) && (line.size() == 3 || line[3] == ' '))
        return line.left(3);
    return QByteArray();
}

bool isCallType(const QByteArray& type)
{
    return type == "CID" || type == "PID" || type == "WID";
}

std::optional<Caller> parseCaller(const QByteArray& line)
{
    const qsizetype first = line.indexOf('*');
    if (first < 0)
        return std::nullopt;
    const QList<QByteArray> parts = line.mid(first + 1).split('*');
    std::optional<QByteArray> number;
    QByteArray name;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i] == "NMBR")
            number = parts[i + 1];
        else if (parts[i] == "NAME")
            name = parts[i + 1];
    }
    if (!number)
        return std::nullopt;
    const QString nameText = printable(name, LongestName);
    return Caller{shownNumber(printable(*number, LongestNumber)), isNoValue(nameText) ? QString() : nameText};
}

QString messageText(const QByteArray& line)
{
    QByteArray text = line.mid(line.indexOf(':') + 1);
    const qsizetype pairs = text.indexOf(" ***");
    if (pairs >= 0)
        text.truncate(pairs);
    return printable(text, LongestMessage);
}

QByteArray format(const char* type, const QString& shownNumber, const QString& name, const QDateTime& when)
{
    QString number = shownNumber;
    if (number == QLatin1String(Texts::CallerPrivate))
        number = QStringLiteral("PRIVATE");
    else if (number == QLatin1String(Texts::CallerUnavailable))
        number = QStringLiteral("OUT-OF-AREA");
    else if (number == QLatin1String(Texts::CallerNoCallerId))
        number = QString();
    const QString line =
        QStringLiteral("%1: *DATE*%2*TIME*%3*LINE*-*NMBR*%4*MESG*NONE*NAME*%5*\r\n")
            .arg(QLatin1String(type), when.toString(QStringLiteral("MMddyyyy")), when.toString(QStringLiteral("HHmm")),
                 wireValue(number, "NO-NUMBER"), wireValue(name, "NO NAME"));
    return line.toUtf8();
}

QString shownNumber(const QString& ncidNumber)
{
    const QString number = ncidNumber.trimmed();
    if (number.compare(QLatin1String("PRIVATE"), Qt::CaseInsensitive) == 0 ||
        number.compare(QLatin1String("ANONYMOUS"), Qt::CaseInsensitive) == 0)
        return QString::fromLatin1(Texts::CallerPrivate);
    if (isNoValue(number))
        return QString::fromLatin1(Texts::CallerUnavailable);
    return number;
}

} // namespace NcidCallLine
