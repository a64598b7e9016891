#pragma once

#include "base/SettingsRecord.h"
#include "link/ModemProbe.h"

#include <QString>

// What finding out a modem means to the user: one line of words, and the
// settings that modem needs.
namespace ModemFindings {
// The one line the configuration dialog shows, e.g. "Ringlet Sim 56K Voice: tells callers by itself (AT+VCID=1)".
QString describe(const ModemProbe::Findings& findings, const QByteArray& query);

// Whether the findings change any setting: a modem answered and tells callers
// or answers the query.
bool needsSettings(const ModemProbe::Findings& findings);

// Puts into `record` what the modem needs: a modem that tells callers by
// itself, or answers the query, has its own port watched for rings; the one
// that tells callers gets its command sent on every open. Whether it refuses
// the query is noted, so no check asks it.
void applyTo(const ModemProbe::Findings& findings, SettingsRecord& record);
} // namespace ModemFindings
