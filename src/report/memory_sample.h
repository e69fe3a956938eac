#pragma once

#include <windows.h>

#include "report/snapshot.h"

// The Windows call behind a memory sample; tests hand in their own.
struct MemoryStatusCalls {
    decltype(&GlobalMemoryStatusEx) globalMemoryStatusEx = GlobalMemoryStatusEx;
};

// One reading of the machine's memory status, for the scan and the live
// figures alike. Not read: figures 0 and the Windows text as the reason. The
// installed fields stay 0/false; only the scan fills them. Shares nothing, so
// any thread may call it.
[[nodiscard]] MemorySample sampleMemory(const MemoryStatusCalls& calls = {});
