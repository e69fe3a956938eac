#pragma once

#include <windows.h>

#include "common/system_function.h"
#include "report/memory_sample.h"
#include "scan/firmware_table.h"

// The memory probe's calls; tests hand in their own. Windows' figure of the
// installed memory came with Windows 7 SP1, so it is looked up; it is null
// where this Windows lacks it.
struct MemoryCalls {
    MemoryStatusCalls status;
    decltype(&GetPhysicallyInstalledSystemMemory) installedMemory =
        findSystemFunction<decltype(&GetPhysicallyInstalledSystemMemory)>(L"kernel32.dll",
                                                                          "GetPhysicallyInstalledSystemMemory");
};

// One memory sample with the installed memory: the firmware's module sum
// when it is usable and known, else Windows' figure, else not stated. The
// installed memory is determined whether or not the sample was read.
[[nodiscard]] MemorySample probeMemory(const FirmwareResult& firmware, const MemoryCalls& calls);
