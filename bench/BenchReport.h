#pragma once
// What the benchmarks share: the median of a run's samples, and one line per
// figure with its target and its verdict.

#include <algorithm>
#include <cstdio>
#include <vector>

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Prints the figure against its limit; true when it is below the limit.
inline bool report(const char* what, double value, double limit, const char* unit)
{
    const bool ok = value < limit;
    std::printf("  %s: %.2f %s (target < %.0f %s) -> %s\n", what, value, unit, limit, unit, ok ? "PASS" : "FAIL");
    return ok;
}
