#pragma once

#include "report/snapshot.h"

// One reading of the machine's memory status. Not read: figures 0 and the
// Windows text as the reason. The installed fields stay 0/false; only the
// scan fills them. Shares nothing, so any thread may call it.
[[nodiscard]] MemorySample sampleMemory();
