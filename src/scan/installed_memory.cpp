#include "scan/installed_memory.h"

#include <cstdint>

#include "common/system_function.h"

GetPhysicallyInstalledSystemMemoryFunction findPhysicallyInstalledSystemMemory()
{
    return findSystemFunction<GetPhysicallyInstalledSystemMemoryFunction>(L"kernel32.dll",
                                                                          "GetPhysicallyInstalledSystemMemory");
}

void fillInstalledMemory(MemorySample& memory, bool firmwareUsable, const FirmwareSummary& firmware,
                         GetPhysicallyInstalledSystemMemoryFunction query)
{
    memory.installedBytes = 0;
    memory.installedStated = false;
    if (firmwareUsable && firmware.installedMemoryKnown && firmware.installedMemoryBytes != 0) {
        memory.installedBytes = firmware.installedMemoryBytes;
        memory.installedStated = true;
        return;
    }
    ULONGLONG kilobytes = 0;
    // A missing call, a false result and a zero amount all mean "not stated";
    // so does an amount whose byte count would not fit in 64 bits.
    if (query == nullptr || !query(&kilobytes) || kilobytes == 0 || kilobytes > UINT64_MAX / 1024) {
        return;
    }
    memory.installedBytes = uint64_t{kilobytes} * 1024;
    memory.installedStated = true;
}

void recordMemory(ScanSnapshot& snapshot, const MemorySample& sample, bool firmwareUsable,
                  const FirmwareSummary& firmware, GetPhysicallyInstalledSystemMemoryFunction query)
{
    snapshot.memory = sample;
    snapshot.tally.memoryRead = sample.read;
    snapshot.tally.memoryReason = sample.read ? std::wstring() : sample.reason;
    // Determined whether or not the sample was read.
    fillInstalledMemory(snapshot.memory, firmwareUsable, firmware, query);
}
