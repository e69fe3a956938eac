#pragma once

#include "report/snapshot.h"
#include "scan/firmware_table.h"

// Fills the snapshot's memory sample (with the installed memory) and the
// tally's memoryRead and memoryReason.
void probeMemory(ScanSnapshot& snapshot, bool firmwareUsable, const FirmwareSummary& firmware);
