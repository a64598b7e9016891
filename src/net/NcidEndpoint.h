#pragma once

#include <QString>

#include <optional>

// A host and port as the two NCID settings write them: "host", "host:port",
// "[v6 address]:port" or a bare v6 address; the port is 3333 when none is given.
struct NcidEndpoint
{
    static constexpr quint16 DefaultPort = 3333;
    QString host;
    quint16 port = DefaultPort;
};

// Empty when `text` is none of those forms (no host, a port that is no number from 1 to 65535).
std::optional<NcidEndpoint> parseNcidEndpoint(const QString& text);
