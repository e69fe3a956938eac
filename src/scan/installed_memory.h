#pragma once

#include <windows.h>

#include "report/snapshot.h"
#include "scan/firmware_table.h"

// Windows' own figure for the memory in the slots, passed in so that a
// missing or failing call can be exercised with stand-ins.
using GetPhysicallyInstalledSystemMemoryFunction = BOOL(WINAPI*)(PULONGLONG);

// GetPhysicallyInstalledSystemMemory from kernel32.dll, or null where Windows lacks it.
[[nodiscard]] GetPhysicallyInstalledSystemMemoryFunction findPhysicallyInstalledSystemMemory();

// Sets installedBytes and installedStated: the firmware's module sum when it
// is usable and known, else Windows' figure (`query` may be null), else not
// stated.
void fillInstalledMemory(MemorySample& memory, bool firmwareUsable, const FirmwareSummary& firmware,
                         GetPhysicallyInstalledSystemMemoryFunction query);

// probeMemory with the sample and the installed-memory call passed in.
void recordMemory(ScanSnapshot& snapshot, const MemorySample& sample, bool firmwareUsable,
                  const FirmwareSummary& firmware, GetPhysicallyInstalledSystemMemoryFunction query);
