#pragma once

#include <cstdint>
#include <string>

#include "report/snapshot.h"

// One reading of the system's processor time counters, in 100-ns units summed
// over all processors. Kernel time includes idle time.
struct ProcessorTimes {
    bool read = false;
    std::wstring reason;
    uint64_t idle = 0;
    uint64_t kernel = 0;
    uint64_t user = 0;
};

// The processor load of the time between two readings, or why there is none.
[[nodiscard]] LoadSample deriveLoad(const ProcessorTimes& earlier, const ProcessorTimes& later);
