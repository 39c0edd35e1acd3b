// The percentages the scanners hand to the progress bars.
#pragma once

#include "TextRules.h"

#include <cstdint>

// A value for a bar: rounded half to even and kept within 0..100.
inline int ClampedPercent(double value) {
    // Clamped before rounding: a ratio far beyond 100 does not fit the rounding's integer.
    return static_cast<int>(TextRules::RoundHalfEven(value < 0 ? 0 : (value > 100 ? 100 : value)));
}

// part / whole x 100 for a bar, or -1 (bar left as it is) when there is no whole to measure by.
inline int ScanPercent(int64_t part, int64_t whole) {
    if (whole <= 0)
        return -1;
    return ClampedPercent(static_cast<double>(part) / static_cast<double>(whole) * 100);
}
