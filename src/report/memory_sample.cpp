#include "report/memory_sample.h"

#include "common/windows_failure.h"

MemorySample sampleMemory(const MemoryStatusCalls& calls)
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    static_assert(sizeof(MEMORYSTATUSEX) == 64);
    MemorySample sample;
    if (!calls.globalMemoryStatusEx(&status)) {
        sample.reason = windowsFailureText(GetLastError());
        return sample;
    }
    sample.read = true;
    sample.totalPhysical = status.ullTotalPhys;
    sample.availablePhysical = status.ullAvailPhys;
    // The two figures are not read atomically; the difference must not wrap.
    sample.inUse = status.ullAvailPhys > status.ullTotalPhys ? 0 : status.ullTotalPhys - status.ullAvailPhys;
    sample.commitTotal = status.ullTotalPageFile;
    sample.commitAvailable = status.ullAvailPageFile;
    sample.loadPercent = status.dwMemoryLoad;
    return sample;
}
