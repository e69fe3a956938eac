#pragma once

#include <cstdint>
#include <vector>

#include "common/system_function.h"
#include "report/snapshot.h"

struct NetworkScan {
    std::vector<NetworkAdapterEntry> adapters;
    // 1 when the adapter list could not be read, else the unicast entries skipped.
    int32_t notExamined = 0;
};

// The network probe's calls: iphlpapi.dll and its GetAdaptersAddresses are
// reached through them; tests hand in their own.
struct NetworkCalls {
    SystemLibraryCalls library;
};

// Every adapter but the loopback, in the order Windows lists them. A DLL,
// function or call that fails gives an empty list with count 1; ERROR_NO_DATA
// an empty list with count 0.
[[nodiscard]] NetworkScan scanNetworkAdapters(const NetworkCalls& calls);
