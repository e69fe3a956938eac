#include "scan/network_probe.h"

// winsock2.h must come before windows.h and iphlpapi.h, or the older
// winsock.h definitions clash with the IPv6 socket types.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "common/unique_resource.h"
#include "common/wide_format.h"
#include "report/value_text.h"

namespace {

using GetAdaptersAddressesFunction = decltype(&GetAdaptersAddresses);

// Every family; no anycast, multicast or DNS server lists, which the report does not show (14).
constexpr ULONG kAdapterFamily = AF_UNSPEC;
constexpr ULONG kAdapterFlags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
constexpr ULONG kFirstAdapterBufferBytes = 16384;
// A table that keeps growing between calls is given up on after this many.
constexpr int kMaxAdapterCalls = 4;

std::wstring hardwareAddressText(const IP_ADAPTER_ADDRESSES& adapter)
{
    // The array holds at most MAX_ADAPTER_ADDRESS_LENGTH bytes, whatever the length field says.
    const size_t length = std::min<size_t>(adapter.PhysicalAddressLength, sizeof(adapter.PhysicalAddress));
    std::wstring text;
    for (size_t i = 0; i < length; ++i) {
        if (i > 0) {
            text += L'-';
        }
        text += formatWide(L"%02X", static_cast<unsigned>(adapter.PhysicalAddress[i]));
    }
    return text;
}

NetworkAdapterEntry adapterEntry(const IP_ADAPTER_ADDRESSES& adapter, int32_t& notExamined)
{
    NetworkAdapterEntry entry;
    if (adapter.FriendlyName != nullptr) {
        entry.friendlyName = adapter.FriendlyName;
    }
    if (adapter.Description != nullptr) {
        entry.description = adapter.Description;
    }
    entry.hardwareAddress = hardwareAddressText(adapter);
    entry.up = adapter.OperStatus == IfOperStatusUp;
    for (const IP_ADAPTER_UNICAST_ADDRESS* unicast = adapter.FirstUnicastAddress; unicast != nullptr;
         unicast = unicast->Next) {
        const SOCKADDR* address = unicast->Address.lpSockaddr;
        if (address != nullptr && address->sa_family == AF_INET) {
            const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
            entry.addresses.push_back(ipv4Text(reinterpret_cast<const uint8_t*>(&v4->sin_addr)));
        } else if (address != nullptr && address->sa_family == AF_INET6) {
            const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
            entry.addresses.push_back(ipv6Text(v6->sin6_addr.s6_addr, v6->sin6_scope_id));
        } else {
            ++notExamined;  // no socket address, or a family that is neither IPv4 nor IPv6
        }
    }
    return entry;
}

// The one failure the probe reports: the adapter list could not be read.
NetworkScan listNotRead()
{
    NetworkScan failed;
    failed.notExamined = 1;
    return failed;
}

NetworkScan adaptersFromChain(const IP_ADAPTER_ADDRESSES* first)
{
    NetworkScan scan;
    for (const IP_ADAPTER_ADDRESSES* adapter = first; adapter != nullptr; adapter = adapter->Next) {
        if (adapter->IfType == IF_TYPE_SOFTWARE_LOOPBACK) {
            continue;
        }
        scan.adapters.push_back(adapterEntry(*adapter, scan.notExamined));
    }
    return scan;
}

// Grows the buffer while the table is too small, at most kMaxAdapterCalls times.
NetworkScan adaptersFrom(GetAdaptersAddressesFunction call)
{
    // Kept in 8-byte units: the records Windows writes hold pointers and 64-bit fields.
    std::vector<ULONGLONG> buffer;
    ULONG size = kFirstAdapterBufferBytes;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    for (int calls = 0; result == ERROR_BUFFER_OVERFLOW && calls < kMaxAdapterCalls; ++calls) {
        // A fresh zeroed buffer of the size Windows asked for: the table may have grown since the last call.
        buffer.assign((static_cast<size_t>(size) + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG), 0);
        result = call(kAdapterFamily, kAdapterFlags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()),
                      &size);
    }
    if (result == ERROR_NO_DATA) {
        return NetworkScan{};
    }
    if (result != ERROR_SUCCESS) {
        return listNotRead();
    }
    return adaptersFromChain(reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.data()));
}

}  // namespace

NetworkScan scanNetworkAdapters(const NetworkCalls& calls)
{
    // Looked up rather than imported: iphlpapi.dll is no Known DLL, so an
    // import of it would be searched for in the program's folder first.
    const UniqueHModule library = loadSystemLibrary(L"iphlpapi.dll", calls.library);
    const auto call =
        findLibraryFunction<GetAdaptersAddressesFunction>(library.get(), "GetAdaptersAddresses", calls.library);
    if (call == nullptr) {
        return listNotRead();
    }
    return adaptersFrom(call);
}
