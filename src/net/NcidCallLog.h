#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// The calls of ringlet.log as a server hands them to a client that connects:
// the newest ones, oldest first, each a CIDLOG line. Lines that are no call
// (a check that found no number, a line not in the log's form) are left out.
namespace NcidCallLog {

// How many calls a client gets at most: what it shows as the recent calls.
constexpr int MostCalls = 50;

using NameFor = std::function<QString(const QString& number)>;

// Reads at most MostCalls calls from the end of the log at `path` (none when
// it cannot be read); names from `nameFor`.
QList<QByteArray> lastCalls(const QString& path, const NameFor& nameFor);

} // namespace NcidCallLog
