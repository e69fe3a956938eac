#pragma once

#include <cstdint>

#include "report/snapshot.h"

// A read memory sample from the figures of GlobalMemoryStatusEx. The memory
// in use never wraps: an available amount above the total gives 0. The
// installed fields stay 0/false.
[[nodiscard]] MemorySample memorySampleFromStatus(uint64_t totalPhysical, uint64_t availablePhysical,
                                                  uint64_t commitTotal, uint64_t commitAvailable,
                                                  uint32_t loadPercent);
