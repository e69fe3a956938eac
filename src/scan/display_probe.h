#pragma once

#include <string>
#include <vector>

#include "report/snapshot.h"

struct DisplayScan {
    std::vector<DisplayAdapterEntry> adapters;
    // Empty when the list was read to its end.
    std::wstring error;
};

// Hardware display adapters through DXGI, loaded at run time.
[[nodiscard]] DisplayScan scanDisplayAdapters();
