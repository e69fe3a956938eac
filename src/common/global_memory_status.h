#pragma once

#include <cstdint>

// The figures of GlobalMemoryStatusEx, or the last error it left.
struct MemoryStatusFigures {
    bool read = false;
    uint32_t error = 0;
    uint64_t totalPhysical = 0;
    uint64_t availablePhysical = 0;
    uint64_t commitTotal = 0;
    uint64_t commitAvailable = 0;
    uint32_t loadPercent = 0;
};

// Shares nothing, so any thread may call it.
[[nodiscard]] MemoryStatusFigures readMemoryStatusFigures();
