#pragma once

#include <cstdint>

#include "report/snapshot.h"

// The live samples the report tests share: a memory sample with a figure in
// every field, each telling which field it came from (16 GB in all, 10 in
// use, 6 free, 62 percent, 20 GB committable of which 9.5 available), and a
// measured load of 12.34 percent.

inline constexpr uint64_t kGiB = uint64_t{1} << 30;

inline MemorySample typicalMemory()
{
    MemorySample memory;
    memory.read = true;
    memory.totalPhysical = 16 * kGiB;
    memory.inUse = 10 * kGiB;
    memory.availablePhysical = 6 * kGiB;
    memory.loadPercent = 62;
    memory.commitTotal = 20 * kGiB;
    memory.commitAvailable = 9 * kGiB + kGiB / 2;
    return memory;
}

inline LoadSample typicalLoad()
{
    LoadSample load;
    load.measured = true;
    load.percent = 12.34;
    return load;
}
