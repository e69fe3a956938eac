#pragma once

// winsock2.h must come before windows.h and iphlpapi.h, or the older
// winsock.h definitions clash with the IPv6 socket types.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include "common/system_function.h"
#include "scan/network_probe.h"

// The parts of the network probe that tests drive with records and calls of
// their own; scanNetworkAdapters is scanNetworkAdaptersIn with the real loader.

// GetAdaptersAddresses' own signature, so a test can stand in for it.
using GetAdaptersAddressesCall = ULONG(WINAPI*)(ULONG family, ULONG flags, PVOID reserved,
                                                PIP_ADAPTER_ADDRESSES addresses, PULONG size);

// The entries of a chain of adapter records (null: none), loopback left out;
// notExamined counts the unicast entries without an IPv4 or IPv6 address.
[[nodiscard]] NetworkScan adaptersFromChain(const IP_ADAPTER_ADDRESSES* first);

// Fetches the adapter table through `call`, growing the buffer while it is too
// small, and walks it. A table that cannot be had is an empty list with count 1;
// ERROR_NO_DATA is an empty list with count 0.
[[nodiscard]] NetworkScan scanNetworkAdaptersWith(GetAdaptersAddressesCall call);

// Loads iphlpapi.dll from the system folder through `loader` and fetches the
// table through its GetAdaptersAddresses. A DLL or function that cannot be
// had is the same empty list with count 1 as a failed call.
[[nodiscard]] NetworkScan scanNetworkAdaptersIn(const SystemLibraryCalls& loader);
