#pragma once

#include <QtGlobal>

// What this test process has used so far, for tests that guard against busy
// loops and unbounded buffers.
namespace ProcessUsage {
// User plus system CPU time, in milliseconds.
qint64 cpuTimeMs();
// Resident memory, in KiB.
qint64 residentKb();
} // namespace ProcessUsage
