#include "common/global_memory_status.h"

#include <windows.h>

MemoryStatusFigures readMemoryStatusFigures()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    static_assert(sizeof(MEMORYSTATUSEX) == 64);
    MemoryStatusFigures result;
    if (!GlobalMemoryStatusEx(&status)) {
        result.error = GetLastError();
        return result;
    }
    result.read = true;
    result.totalPhysical = status.ullTotalPhys;
    result.availablePhysical = status.ullAvailPhys;
    result.commitTotal = status.ullTotalPageFile;
    result.commitAvailable = status.ullAvailPageFile;
    result.loadPercent = status.dwMemoryLoad;
    return result;
}
