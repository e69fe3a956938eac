#pragma once

#include <string>
#include <vector>

#include "common/system_function.h"
#include "report/snapshot.h"

struct DisplayScan {
    std::vector<DisplayAdapterEntry> adapters;
    // Empty when the list was read to its end.
    std::wstring error;
};

// The display probe's calls: dxgi.dll and its CreateDXGIFactory1 are reached
// through them; tests hand in their own.
struct DisplayCalls {
    SystemLibraryCalls library;
};

// Hardware display adapters through DXGI, loaded at run time from the system
// folder; every adapter, the factory and the library are released before it
// returns.
[[nodiscard]] DisplayScan scanDisplayAdapters(const DisplayCalls& calls);
