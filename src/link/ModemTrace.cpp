#include "ModemTrace.h"

#include <QTime>

Q_LOGGING_CATEGORY(modemTrace, "ringlet.modem", QtWarningMsg)

QByteArray escapedForTrace(const QByteArray& bytes)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\\')
            text += "\\\\";
        else if (byte == '\r')
            text += "\\r";
        else if (byte == '\n')
            text += "\\n";
        else if (byte >= 0x20 && byte < 0x7F)
            text += c;
        else
            text += QByteArray("\\x") + hex[byte >> 4] + hex[byte & 0xF];
    }
    return text;
}

void traceModem(const QString& port, const char* direction, const QByteArray& bytes)
{
    if (!modemTrace().isDebugEnabled())
        return;
    qCDebug(modemTrace).noquote() << QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz")) << port
                                  << direction << QString::fromLatin1(escapedForTrace(bytes));
}
