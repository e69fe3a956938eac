#include "report/memory_status.h"

MemorySample memorySampleFromStatus(uint64_t totalPhysical, uint64_t availablePhysical, uint64_t commitTotal,
                                    uint64_t commitAvailable, uint32_t loadPercent)
{
    MemorySample sample;
    sample.read = true;
    sample.totalPhysical = totalPhysical;
    sample.availablePhysical = availablePhysical;
    // The two figures are not read atomically; the difference must not wrap.
    sample.inUse = availablePhysical > totalPhysical ? 0 : totalPhysical - availablePhysical;
    sample.commitTotal = commitTotal;
    sample.commitAvailable = commitAvailable;
    sample.loadPercent = loadPercent;
    return sample;
}
