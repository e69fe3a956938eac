#pragma once

#include <windows.h>

// The window tests' harness: the message pump, recorded message boxes and
// the texts of the controls (relative, as korvane_bench has no tests/ on its
// include path).
#include "../tests/support/window_support.h"

// Seconds on the performance counter since `start`.
inline double secondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}
