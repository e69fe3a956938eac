#include "scan/memory_probe.h"

#include "report/memory_sample.h"
#include "scan/installed_memory.h"

void probeMemory(ScanSnapshot& snapshot, bool firmwareUsable, const FirmwareSummary& firmware)
{
    recordMemory(snapshot, sampleMemory(), firmwareUsable, firmware, findPhysicallyInstalledSystemMemory());
}
