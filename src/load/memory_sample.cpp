#include "load/memory_sample.h"

#include <windows.h>

#include "load/memory_status.h"
#include "scan/windows_failure.h"

MemorySample sampleMemory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    static_assert(sizeof(MEMORYSTATUSEX) == 64);
    if (!GlobalMemoryStatusEx(&status)) {
        const DWORD error = GetLastError();
        MemorySample failed;
        failed.reason = windowsFailureText(error);
        return failed;
    }
    return memorySampleFromStatus(status.ullTotalPhys, status.ullAvailPhys, status.ullTotalPageFile,
                                  status.ullAvailPageFile, status.dwMemoryLoad);
}
