// The percentages the scanners hand to the progress bars.
#pragma once

#include "TextRules.h"

#include <cstdint>

// A value for a bar: rounded half to even and kept within 0..100.
inline int ClampedPercent(double value) {
    const long percent = TextRules::RoundHalfEven(value);
    return percent < 0 ? 0 : (percent > 100 ? 100 : static_cast<int>(percent));
}

// part / whole x 100 for a bar, or -1 (bar left as it is) when there is no whole to measure by.
inline int ScanPercent(int64_t part, int64_t whole) {
    if (whole <= 0)
        return -1;
    return ClampedPercent(static_cast<double>(part) / static_cast<double>(whole) * 100);
}
