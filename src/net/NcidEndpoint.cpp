#include "NcidEndpoint.h"

std::optional<NcidEndpoint> parseNcidEndpoint(const QString& text)
{
    const QString trimmed = text.trimmed();
    NcidEndpoint endpoint;
    QString portText;
    if (trimmed.startsWith(QLatin1Char('['))) {
        const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
        if (close < 0)
            return std::nullopt;
        endpoint.host = trimmed.mid(1, close - 1);
        const QString rest = trimmed.mid(close + 1);
        if (!rest.isEmpty()) {
            if (!rest.startsWith(QLatin1Char(':')))
                return std::nullopt;
            portText = rest.mid(1);
        }
    } else if (trimmed.count(QLatin1Char(':')) == 1) {
        endpoint.host = trimmed.section(QLatin1Char(':'), 0, 0);
        portText = trimmed.section(QLatin1Char(':'), 1);
    } else {
        endpoint.host = trimmed; // a name, a v4 address, or a v6 address without a port
    }
    if (endpoint.host.isEmpty() || endpoint.host.contains(QLatin1Char(' ')))
        return std::nullopt;
    if (!portText.isNull()) {
        bool ok = false;
        const uint port = portText.toUInt(&ok);
        if (!ok || port == 0 || port > 65535)
            return std::nullopt;
        endpoint.port = quint16(port);
    }
    return endpoint;
}
