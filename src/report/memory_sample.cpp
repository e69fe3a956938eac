#include "report/memory_sample.h"

#include "common/global_memory_status.h"
#include "common/windows_failure.h"
#include "report/memory_status.h"

MemorySample sampleMemory()
{
    const MemoryStatusFigures status = readMemoryStatusFigures();
    if (!status.read) {
        MemorySample failed;
        failed.reason = windowsFailureText(status.error);
        return failed;
    }
    return memorySampleFromStatus(status.totalPhysical, status.availablePhysical, status.commitTotal,
                                  status.commitAvailable, status.loadPercent);
}
