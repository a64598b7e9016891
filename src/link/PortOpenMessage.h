#pragma once

#include "PortDiagnosis.h"

#include <QString>

// The one sentence the user reads when the port `port` would not open: the
// cause found in `diagnosis` and what to do, or the serial library's own
// `reason` when no cause was found.
QString portOpenMessage(const QString& port, const PortDiagnosis& diagnosis, const QString& reason);
