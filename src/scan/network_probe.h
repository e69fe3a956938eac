#pragma once

#include <cstdint>
#include <vector>

#include "report/snapshot.h"

struct NetworkScan {
    std::vector<NetworkAdapterEntry> adapters;
    // 1 when the adapter list could not be read, else the unicast entries skipped.
    int32_t notExamined = 0;
};

// Every adapter but the loopback, in the order Windows lists them.
[[nodiscard]] NetworkScan scanNetworkAdapters();
