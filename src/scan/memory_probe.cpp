#include "scan/memory_probe.h"

#include <cstdint>

MemorySample probeMemory(const FirmwareResult& firmware, const MemoryCalls& calls)
{
    MemorySample memory = sampleMemory(calls.status);  // installed memory not stated yet
    const FirmwareSummary& summary = firmware.summary;
    if (firmware.usable && summary.installedMemoryKnown && summary.installedMemoryBytes != 0) {
        memory.installedBytes = summary.installedMemoryBytes;
        memory.installedStated = true;
        return memory;
    }
    ULONGLONG kilobytes = 0;
    // A missing call, a false result and a zero amount all mean "not stated";
    // so does an amount whose byte count would not fit in 64 bits.
    if (calls.installedMemory == nullptr || !calls.installedMemory(&kilobytes) || kilobytes == 0 ||
        kilobytes > UINT64_MAX / 1024) {
        return memory;
    }
    memory.installedBytes = uint64_t{kilobytes} * 1024;
    memory.installedStated = true;
    return memory;
}
