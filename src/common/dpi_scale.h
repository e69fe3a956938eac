#pragma once

#include <climits>
#include <cstdint>

// Every size of the user interface is given at 96 DPI and scaled with the
// rounding of Windows' MulDiv. Written out rather than calling MulDiv so that
// the graph arithmetic stays free of Windows and can be tested and fuzzed
// anywhere.

// a * b / c rounded half away from zero, as Windows' MulDiv; -1 when c is 0
// or the result does not fit.
[[nodiscard]] inline int mulDivRounded(int a, int b, int c)
{
    if (c == 0) {
        return -1;
    }
    int64_t numerator = static_cast<int64_t>(a) * b;
    int64_t divisor = c;
    if (divisor < 0) {
        numerator = -numerator;
        divisor = -divisor;
    }
    const int64_t half = divisor / 2;
    const int64_t result = (numerator < 0 ? numerator - half : numerator + half) / divisor;
    if (result > INT_MAX || result < -INT_MAX) {
        return -1;
    }
    return static_cast<int>(result);
}

// A 96-DPI size at `dpi`.
[[nodiscard]] inline int scaledAt(int size96, int dpi)
{
    return mulDivRounded(size96, dpi, 96);
}
