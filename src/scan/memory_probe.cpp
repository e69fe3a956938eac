#include "scan/memory_probe.h"

#include <cstdint>

void probeMemory(ScanSnapshot& snapshot, bool firmwareUsable, const FirmwareSummary& firmware,
                 const MemoryCalls& calls)
{
    const MemorySample sample = sampleMemory(calls.status);
    snapshot.memory = sample;
    snapshot.tally.memoryRead = sample.read;
    snapshot.tally.memoryReason = sample.read ? std::wstring() : sample.reason;

    // Determined whether or not the sample was read.
    MemorySample& memory = snapshot.memory;
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
    if (calls.installedMemory == nullptr || !calls.installedMemory(&kilobytes) || kilobytes == 0 ||
        kilobytes > UINT64_MAX / 1024) {
        return;
    }
    memory.installedBytes = uint64_t{kilobytes} * 1024;
    memory.installedStated = true;
}
