#include "scan/network_probe.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "report/value_text.h"
#include "scan/fake_machine.h"
#include "scan/host_file.h"
#include "support/widen.h"

namespace {

// ---------------------------------------------------------------------------
// Chains of adapter records built in memory.
// ---------------------------------------------------------------------------

sockaddr_in ipv4Socket(uint8_t a, uint8_t b, uint8_t c, uint8_t d)
{
    sockaddr_in socket{};
    socket.sin_family = AF_INET;
    const uint8_t bytes[4] = {a, b, c, d};
    std::memcpy(&socket.sin_addr, bytes, sizeof(bytes));
    return socket;
}

sockaddr_in6 ipv6Socket(const uint8_t (&bytes)[16], ULONG scopeId)
{
    sockaddr_in6 socket{};
    socket.sin6_family = AF_INET6;
    std::memcpy(socket.sin6_addr.s6_addr, bytes, sizeof(bytes));
    socket.sin6_scope_id = scopeId;
    return socket;
}

template <typename Socket>
IP_ADAPTER_UNICAST_ADDRESS unicastOf(Socket* socket)
{
    IP_ADAPTER_UNICAST_ADDRESS unicast{};
    unicast.Address.lpSockaddr = reinterpret_cast<SOCKADDR*>(socket);
    unicast.Address.iSockaddrLength = socket != nullptr ? static_cast<INT>(sizeof(Socket)) : 0;
    return unicast;
}

void linkUnicasts(IP_ADAPTER_ADDRESSES& adapter, std::vector<IP_ADAPTER_UNICAST_ADDRESS*> list)
{
    adapter.FirstUnicastAddress = list.empty() ? nullptr : list.front();
    for (size_t i = 0; i + 1 < list.size(); ++i) {
        list[i]->Next = list[i + 1];
    }
}

void linkAdapters(std::vector<IP_ADAPTER_ADDRESSES*> list)
{
    for (size_t i = 0; i + 1 < list.size(); ++i) {
        list[i]->Next = list[i + 1];
    }
}

void setHardwareAddress(IP_ADAPTER_ADDRESSES& adapter, std::vector<BYTE> bytes)
{
    std::copy(bytes.begin(), bytes.end(), adapter.PhysicalAddress);
    adapter.PhysicalAddressLength = static_cast<ULONG>(bytes.size());
}

std::wstring joined(const std::vector<std::wstring>& texts)
{
    std::wstring all;
    for (const std::wstring& text : texts) {
        all += (all.empty() ? L"" : L", ") + text;
    }
    return L"[" + all + L"]";
}

std::string narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// The probe on the fake machine, handed the chain that starts at `first`.
NetworkScan adaptersFromChain(const IP_ADAPTER_ADDRESSES* first)
{
    FakeMachine machine;
    machine.adapterChain = first;
    return scanNetworkAdapters(machine.calls.network);
}

TEST(AdaptersFromChain, ListsEveryAdapterButLoopbackInOrder)
{
    wchar_t ethernetName[] = L"Ethernet";
    wchar_t ethernetDescription[] = L"Intel(R) Ethernet Connection I219-V";
    wchar_t loopbackName[] = L"Loopback Pseudo-Interface 1";
    wchar_t wifiName[] = L"Wi-Fi";
    wchar_t wifiDescription[] = L"Wireless LAN adapter";
    wchar_t firewireDescription[] = L"1394 Net Adapter";

    // Ethernet, up: IPv4, link-local IPv6 with scope, a global IPv6, then an
    // entry without a socket address and one of another family.
    sockaddr_in ethernetV4 = ipv4Socket(192, 168, 1, 20);
    sockaddr_in6 ethernetLinkLocal = ipv6Socket({0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 12);
    sockaddr_in6 ethernetGlobal = ipv6Socket({0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x05}, 0);
    sockaddr otherFamily{};
    otherFamily.sa_family = 17;  // AF_NETBIOS
    IP_ADAPTER_UNICAST_ADDRESS ethernetUnicasts[] = {unicastOf(&ethernetV4), unicastOf(&ethernetLinkLocal),
                                                     unicastOf<sockaddr>(nullptr), unicastOf(&ethernetGlobal),
                                                     unicastOf(&otherFamily)};
    IP_ADAPTER_ADDRESSES ethernet{};
    ethernet.FriendlyName = ethernetName;
    ethernet.Description = ethernetDescription;
    setHardwareAddress(ethernet, {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
    ethernet.IfType = IF_TYPE_ETHERNET_CSMACD;
    ethernet.OperStatus = IfOperStatusUp;
    linkUnicasts(ethernet, {&ethernetUnicasts[0], &ethernetUnicasts[1], &ethernetUnicasts[2], &ethernetUnicasts[3],
                            &ethernetUnicasts[4]});

    // Loopback: skipped whole, so its own odd entry is not counted either.
    sockaddr_in loopbackV4 = ipv4Socket(127, 0, 0, 1);
    IP_ADAPTER_UNICAST_ADDRESS loopbackUnicasts[] = {unicastOf(&loopbackV4), unicastOf<sockaddr>(nullptr)};
    IP_ADAPTER_ADDRESSES loopback{};
    loopback.FriendlyName = loopbackName;
    loopback.IfType = IF_TYPE_SOFTWARE_LOOPBACK;
    loopback.OperStatus = IfOperStatusUp;
    linkUnicasts(loopback, {&loopbackUnicasts[0], &loopbackUnicasts[1]});

    // A tunnel: no names, no hardware address, no addresses, down.
    IP_ADAPTER_ADDRESSES tunnel{};
    tunnel.IfType = IF_TYPE_TUNNEL;
    tunnel.OperStatus = IfOperStatusDown;

    // A disconnected Wi-Fi adapter that still holds an address.
    sockaddr_in wifiV4 = ipv4Socket(10, 0, 0, 7);
    IP_ADAPTER_UNICAST_ADDRESS wifiUnicasts[] = {unicastOf(&wifiV4)};
    IP_ADAPTER_ADDRESSES wifi{};
    wifi.FriendlyName = wifiName;
    wifi.Description = wifiDescription;
    setHardwareAddress(wifi, {0xA4, 0xC3, 0xF0, 0x0B, 0xEE, 0xFF});
    wifi.IfType = IF_TYPE_IEEE80211;
    wifi.OperStatus = IfOperStatusDown;
    linkUnicasts(wifi, {&wifiUnicasts[0]});

    // Description only, an 8-byte hardware address, a state other than up.
    IP_ADAPTER_ADDRESSES firewire{};
    firewire.Description = firewireDescription;
    setHardwareAddress(firewire, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77});
    firewire.IfType = IF_TYPE_IEEE1394;
    firewire.OperStatus = IfOperStatusDormant;

    linkAdapters({&ethernet, &loopback, &tunnel, &wifi, &firewire});

    const struct {
        const wchar_t* friendlyName;
        const wchar_t* description;
        const wchar_t* hardwareAddress;
        bool up;
        std::vector<std::wstring> addresses;
    } expected[] = {{L"Ethernet",
                     L"Intel(R) Ethernet Connection I219-V",
                     L"00-1A-2B-3C-4D-5E",
                     true,
                     {L"192.168.1.20", L"fe80::1%12", L"2001:db8::5"}},
                    {L"", L"", L"", false, {}},
                    {L"Wi-Fi", L"Wireless LAN adapter", L"A4-C3-F0-0B-EE-FF", false, {L"10.0.0.7"}},
                    {L"", L"1394 Net Adapter", L"00-11-22-33-44-55-66-77", false, {}}};

    const NetworkScan scan = adaptersFromChain(&ethernet);
    EXPECT_EQ(scan.notExamined, 2) << "the Ethernet adapter's entry without socket address and its AF_NETBIOS entry";
    ASSERT_EQ(scan.adapters.size(), std::size(expected)) << "every adapter but the loopback";
    for (size_t i = 0; i < std::size(expected); ++i) {
        const NetworkAdapterEntry& entry = scan.adapters[i];
        SCOPED_TRACE("adapter " + std::to_string(i));
        EXPECT_EQ(entry.friendlyName, expected[i].friendlyName);
        EXPECT_EQ(entry.description, expected[i].description);
        EXPECT_EQ(entry.hardwareAddress, expected[i].hardwareAddress);
        EXPECT_EQ(entry.up, expected[i].up);
        EXPECT_EQ(entry.addresses, expected[i].addresses)
            << narrow(joined(entry.addresses)) << " instead of " << narrow(joined(expected[i].addresses));
    }
}

TEST(AdaptersFromChain, HardwareAddressLongerThanItsArrayShowsOnlyTheArray)
{
    // The length comes from the driver; the record holds at most eight bytes
    // (MAX_ADAPTER_ADDRESS_LENGTH). Room behind the record keeps a read past
    // the array inside this test's own memory, so it shows as extra bytes.
    struct {
        IP_ADAPTER_ADDRESSES adapter;
        BYTE beyond[512];
    } record{};
    std::fill(std::begin(record.beyond), std::end(record.beyond), BYTE{0xEE});
    wchar_t name[] = L"Odd driver";
    record.adapter.FriendlyName = name;
    record.adapter.IfType = IF_TYPE_ETHERNET_CSMACD;
    setHardwareAddress(record.adapter, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77});
    static_assert(sizeof(record.adapter.PhysicalAddress) == 8);

    for (const ULONG length : {9UL, 16UL, 255UL}) {
        record.adapter.PhysicalAddressLength = length;
        const NetworkScan scan = adaptersFromChain(&record.adapter);
        ASSERT_EQ(scan.adapters.size(), 1u);
        EXPECT_EQ(scan.adapters[0].hardwareAddress, L"00-11-22-33-44-55-66-77") << "stated length " << length;
    }
}

// ---------------------------------------------------------------------------
// The call loop, on the fake machine's GetAdaptersAddresses.
// ---------------------------------------------------------------------------

TEST(ScanNetworkAdapters, AsksForEveryFamilyAndGrowsTheBufferAtMostFourCalls)
{
    // AF_UNSPEC, GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
    // GAA_FLAG_SKIP_DNS_SERVER, no reserved pointer, and a zeroed buffer of
    // 16384 bytes first, then of the size asked for.
    using Call = FakeMachine::AdaptersCall;
    const auto offered = [](ULONG size) { return Call{0, 14, false, size, true}; };
    const struct {
        int overflows;
        ULONG growTo;
        std::vector<Call> calls;
        size_t adapters;
        int32_t notExamined;
    } cases[] = {{1, 40000, {offered(16384), offered(40000)}, 1, 0},
                 // Three overflows leave the fourth and last call to succeed.
                 {3, 20000, {offered(16384), offered(20000), offered(21000), offered(22000)}, 1, 0},
                 // A table that keeps growing: the fourth overflow ends the probe, with no fifth call.
                 {1000, 30000, {offered(16384), offered(30000), offered(31000), offered(32000)}, 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.overflows) + " overflows");
        FakeMachine machine;
        machine.adaptersOverflows = c.overflows;
        machine.adaptersGrowTo = c.growTo;
        const NetworkScan scan = scanNetworkAdapters(machine.calls.network);
        EXPECT_EQ(machine.adaptersCalls, c.calls);
        ASSERT_EQ(scan.adapters.size(), c.adapters);
        EXPECT_EQ(scan.notExamined, c.notExamined);
        if (c.adapters == 1) {
            EXPECT_EQ(scan.adapters[0].friendlyName, L"Fake Ethernet");
            EXPECT_EQ(scan.adapters[0].hardwareAddress, L"00-1A-2B-3C-4D-5E");
            EXPECT_TRUE(scan.adapters[0].up);
        }
    }
}

TEST(ScanNetworkAdapters, NoDataIsAnEmptyListOtherFailuresCountOne)
{
    const struct {
        ULONG result;
        int32_t notExamined;
    } cases[] = {{ERROR_NO_DATA, 0},
                 {ERROR_NOT_ENOUGH_MEMORY, 1},
                 {ERROR_INVALID_PARAMETER, 1},
                 {ERROR_ADDRESS_NOT_ASSOCIATED, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE("result " + std::to_string(c.result));
        FakeMachine machine;
        machine.adaptersResult = c.result;
        const NetworkScan scan = scanNetworkAdapters(machine.calls.network);
        EXPECT_EQ(machine.adaptersCalls.size(), 1u);
        EXPECT_TRUE(scan.adapters.empty());
        EXPECT_EQ(scan.notExamined, c.notExamined);
    }
}

// ---------------------------------------------------------------------------
// The real call. Wine runs as a Linux process and lists the host's own
// interfaces, so they are read independently from /sys and /proc through Z:.
// ---------------------------------------------------------------------------

std::vector<std::string> hostLines(const std::wstring& path)
{
    std::vector<std::string> lines;
    const std::string text = readHostFile(path.c_str());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string firstLine(const std::wstring& path)
{
    const std::vector<std::string> lines = hostLines(path);
    return lines.empty() ? std::string() : lines.front();
}

struct HostInterface {
    std::wstring name;
    std::wstring hardwareAddress;
    std::string operState;
    std::vector<std::wstring> ipv6;
};

constexpr int kArphrdLoopback = 772;

std::map<std::wstring, HostInterface> hostInterfaces()
{
    std::map<std::wstring, HostInterface> interfaces;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(L"Z:\\sys\\class\\net\\*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return interfaces;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring folder = L"Z:\\sys\\class\\net\\" + name + L"\\";
        if (std::atoi(firstLine(folder + L"type").c_str()) == kArphrdLoopback) {
            continue;
        }
        HostInterface host;
        host.name = name;
        host.operState = firstLine(folder + L"operstate");
        // "02:fc:00:00:00:01" becomes "02-FC-00-00-00-01"; no address bytes, no text.
        if (std::atoi(firstLine(folder + L"addr_len").c_str()) > 0) {
            for (const char c : firstLine(folder + L"address")) {
                host.hardwareAddress += c == ':' ? L'-' : static_cast<wchar_t>(std::toupper(c));
            }
        }
        interfaces[name] = host;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return interfaces;
}

unsigned hexNumber(const std::string& text)
{
    return static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 16));
}

// /proc/net/if_inet6: address (32 hex digits), index, prefix length, scope, flags, name.
// Windows gives a link-local address (scope 0x20) its interface index as scope id.
void addHostIpv6(std::map<std::wstring, HostInterface>& interfaces)
{
    for (const std::string& line : hostLines(L"Z:\\proc\\net\\if_inet6")) {
        char hex[33] = {};
        char index[9] = {};
        char prefix[3] = {};
        char scope[3] = {};
        char flags[3] = {};
        char name[64] = {};
        if (std::sscanf(line.c_str(), "%32s %8s %2s %2s %2s %63s", hex, index, prefix, scope, flags, name) != 6) {
            continue;
        }
        const auto host = interfaces.find(widen(name));
        if (host == interfaces.end()) {
            continue;
        }
        uint8_t bytes[16] = {};
        for (int i = 0; i < 16; ++i) {
            bytes[i] = static_cast<uint8_t>(hexNumber(std::string(hex + 2 * i, 2)));
        }
        const uint32_t scopeId = hexNumber(scope) == 0x20 ? hexNumber(index) : 0;
        host->second.ipv6.push_back(ipv6Text(bytes, scopeId));
    }
}

// The host's local IPv4 addresses but the loopback ones: /proc/net/fib_trie
// lists each as "|-- a.b.c.d" followed by "/32 host LOCAL", without its
// interface, so they are compared as one set.
std::set<std::wstring> hostIpv4()
{
    std::set<std::wstring> local;
    unsigned a = 0, b = 0, c = 0, d = 0;
    bool haveAddress = false;
    for (const std::string& line : hostLines(L"Z:\\proc\\net\\fib_trie")) {
        const size_t leaf = line.find("|-- ");
        if (leaf != std::string::npos) {
            haveAddress = std::sscanf(line.c_str() + leaf + 4, "%u.%u.%u.%u", &a, &b, &c, &d) == 4;
        } else if (haveAddress && line.find("/32 host LOCAL") != std::string::npos && a != 127) {
            const uint8_t bytes[4] = {static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c),
                                      static_cast<uint8_t>(d)};
            local.insert(ipv4Text(bytes));
        }
    }
    return local;
}

std::vector<std::wstring> sorted(std::vector<std::wstring> texts)
{
    std::sort(texts.begin(), texts.end());
    return texts;
}

TEST(ScanNetworkAdapters, ListsTheHostInterfacesUnderWine)
{
    const NetworkScan scan = scanNetworkAdapters(NetworkCalls{});
    for (const NetworkAdapterEntry& entry : scan.adapters) {
        std::printf("adapter [%ls] [%ls] [%ls] %s %ls\n", entry.friendlyName.c_str(), entry.description.c_str(),
                    entry.hardwareAddress.c_str(), entry.up ? "up" : "down", joined(entry.addresses).c_str());
    }
    EXPECT_EQ(scan.notExamined, 0) << "the call works and every address is IPv4 or IPv6";

    SKIP_UNLESS_UNDER_WINE();
    std::map<std::wstring, HostInterface> interfaces = hostInterfaces();
    ASSERT_FALSE(interfaces.empty()) << "Z:\\sys\\class\\net lists no interface of the host";
    addHostIpv6(interfaces);

    // Wine names each adapter after its Linux interface, in both name fields.
    std::set<std::wstring> listed;
    std::vector<std::wstring> ipv4;
    for (const NetworkAdapterEntry& entry : scan.adapters) {
        SCOPED_TRACE(narrow(entry.friendlyName));
        EXPECT_TRUE(listed.insert(entry.friendlyName).second) << "listed twice";
        EXPECT_EQ(entry.description, entry.friendlyName);
        const auto host = interfaces.find(entry.friendlyName);
        if (host == interfaces.end()) {
            ADD_FAILURE() << "no such non-loopback interface on the host";
            continue;
        }
        EXPECT_EQ(entry.hardwareAddress, host->second.hardwareAddress);
        if (host->second.operState == "up" || host->second.operState == "down") {
            EXPECT_EQ(entry.up, host->second.operState == "up") << "operstate " << host->second.operState;
        }
        std::vector<std::wstring> ipv6;
        for (const std::wstring& address : entry.addresses) {
            (address.find(L':') != std::wstring::npos ? ipv6 : ipv4).push_back(address);
        }
        EXPECT_EQ(sorted(ipv6), sorted(host->second.ipv6))
            << narrow(joined(ipv6)) << " instead of " << narrow(joined(host->second.ipv6));
    }
    for (const auto& [name, host] : interfaces) {
        EXPECT_EQ(listed.count(name), 1u) << narrow(name) << " is not listed";
    }
    const std::set<std::wstring> hostV4 = hostIpv4();
    EXPECT_EQ(sorted(ipv4), std::vector<std::wstring>(hostV4.begin(), hostV4.end())) << narrow(joined(ipv4));
}

}  // namespace
