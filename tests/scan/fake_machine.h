#pragma once

// A machine of the tests' making: every Windows call of a scan answered by a
// stand-in, so that scanMachine runs from start to end on fakes. The answers
// are plain fields (knobs) a test changes before it scans; each call is faked
// here once, and the probes' own tests use these fakes too.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <windows.h>

#include <dxgi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <map>
#include <optional>
#include <new>
#include <string>
#include <vector>

#include "common/unique_resource.h"
#include "scan/scan_machine.h"
#include "scan/smbios_table_builder.h"
#include "support/fake_library_loader.h"

// One entry of GetLogicalProcessorInformation: a mask that is all ones (so
// that a read at the wrong offset is not 0) and the relationship.
inline SYSTEM_LOGICAL_PROCESSOR_INFORMATION processorEntry(LOGICAL_PROCESSOR_RELATIONSHIP relation)
{
    SYSTEM_LOGICAL_PROCESSOR_INFORMATION info{};
    info.ProcessorMask = ~ULONG_PTR{0};
    info.Relationship = relation;
    return info;
}

// A Calls struct holds call pointers and other Calls structs only, so its
// size counts its calls: one added without its stand-in in FakeMachine fails
// these checks instead of reaching Windows from a test.
static_assert(sizeof(FirmwareCalls) == 1 * sizeof(void*), "a new call needs its fake here");
static_assert(sizeof(RegistryCalls) == 2 * sizeof(void*), "a new call needs its fake here");
static_assert(sizeof(SystemCalls) == 9 * sizeof(void*) + sizeof(RegistryCalls), "a new call needs its fake here");
static_assert(sizeof(ProcessorCalls) == 3 * sizeof(void*) + sizeof(RegistryCalls), "a new call needs its fake here");
static_assert(sizeof(MemoryStatusCalls) == 1 * sizeof(void*), "a new call needs its fake here");
static_assert(sizeof(MemoryCalls) == 1 * sizeof(void*) + sizeof(MemoryStatusCalls), "a new call needs its fake here");
static_assert(sizeof(DriveCalls) == 9 * sizeof(void*), "a new call needs its fake here");
static_assert(sizeof(NetworkCalls) == sizeof(SystemLibraryCalls), "a new call needs its fake here");
static_assert(sizeof(DisplayCalls) == sizeof(SystemLibraryCalls), "a new call needs its fake here");
static_assert(sizeof(ScanCalls) == sizeof(FirmwareCalls) + sizeof(SystemCalls) + sizeof(ProcessorCalls) +
                                       sizeof(MemoryCalls) + sizeof(DriveCalls) + sizeof(NetworkCalls) +
                                       sizeof(DisplayCalls),
              "a new call needs its fake here");

// The IUnknown and IDXGIObject part of a DXGI stand-in: it counts the
// references held on it; a balanced run ends at 0.
template <typename Interface>
class FakeDxgiObject : public Interface {
public:
    long held = 0;
    bool overReleased = false;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++held); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        overReleased = overReleased || held == 0;
        return static_cast<ULONG>(--held);
    }
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID, UINT, const void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetPrivateDataInterface(REFGUID, const IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID, UINT*, void*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetParent(REFIID, void**) override { return E_NOTIMPL; }
};

// A graphics adapter: GetDesc1 answers `descResult`, and on success its name,
// memory and flags.
class FakeGraphicsAdapter : public FakeDxgiObject<IDXGIAdapter1> {
public:
    FakeGraphicsAdapter(const wchar_t* name, uint64_t memory, UINT flags, HRESULT descResult = S_OK)
        : descResult_(descResult)
    {
        wcsncpy(desc_.Description, name, 128);
        desc_.DedicatedVideoMemory = static_cast<SIZE_T>(memory);
        desc_.Flags = flags;
    }

    HRESULT STDMETHODCALLTYPE EnumOutputs(UINT, IDXGIOutput**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesc(DXGI_ADAPTER_DESC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CheckInterfaceSupport(REFGUID, LARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDesc1(DXGI_ADAPTER_DESC1* desc) override
    {
        if (FAILED(descResult_)) {
            return descResult_;
        }
        *desc = desc_;
        return S_OK;
    }

private:
    DXGI_ADAPTER_DESC1 desc_{};
    HRESULT descResult_;
};

// One answer of EnumAdapters1: its result and the adapter it hands out.
struct GraphicsAnswer {
    HRESULT result;
    FakeGraphicsAdapter* adapter;
};

// The factory: EnumAdapters1 answers from `answers` by index, and
// DXGI_ERROR_NOT_FOUND past them.
class FakeGraphicsFactory : public FakeDxgiObject<IDXGIFactory1> {
public:
    std::vector<GraphicsAnswer> answers;
    std::vector<UINT> enumCalls;

    HRESULT STDMETHODCALLTYPE EnumAdapters(UINT, IDXGIAdapter**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MakeWindowAssociation(HWND, UINT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetWindowAssociation(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateSwapChain(IUnknown*, DXGI_SWAP_CHAIN_DESC*, IDXGISwapChain**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CreateSoftwareAdapter(HMODULE, IDXGIAdapter**) override { return E_NOTIMPL; }
    WINBOOL STDMETHODCALLTYPE IsCurrent() override { return TRUE; }
    HRESULT STDMETHODCALLTYPE EnumAdapters1(UINT index, IDXGIAdapter1** adapter) override
    {
        enumCalls.push_back(index);
        if (index >= answers.size()) {
            *adapter = nullptr;
            return static_cast<HRESULT>(0x887A0002);  // DXGI_ERROR_NOT_FOUND
        }
        const GraphicsAnswer& answer = answers[index];
        if (answer.adapter != nullptr) {
            answer.adapter->AddRef();  // an out-parameter carries a reference
        }
        *adapter = answer.adapter;
        return answer.result;
    }
};

class FakeMachine {
public:
    // A BIOS, system and processor record (started at 3600 MHz), SMBIOS 3.4.
    std::vector<uint8_t> firmwareTable =
        smbios_test::rsmb(smbios_test::Table()
                              .add(smbios_test::Formatted(0, 0x18).byte(4, 1).byte(5, 2).byte(8, 3),
                                   {"Fake BIOS Co", "1.23", "06/14/2021"})
                              .add(smbios_test::Formatted(1, 8).byte(4, 1).byte(5, 2), {"Contoso", "Model 7"})
                              .add(smbios_test::Formatted(4, 0x1A).byte(4, 1).byte(7, 2).byte(16, 3).word(22, 3600),
                                   {"AM5", "Fake Maker", "Fake CPU Version"})
                              .endOfTable(),
                          3, 4);
    // GetSystemFirmwareTable answers with the table's size and copies it into
    // a buffer that holds it; while the table is empty it fails with
    // `firmwareError`. From the second call on it answers from
    // `firmwareTableLater` when that is set: the table changed in between.
    std::optional<std::vector<uint8_t>> firmwareTableLater;
    DWORD firmwareError = ERROR_NOT_FOUND;
    struct FirmwareCall {
        DWORD provider;
        DWORD tableId;
        bool hadBuffer;
        DWORD bufferSize;
        DWORD lastErrorOnEntry;
        bool operator==(const FirmwareCall&) const = default;
    };
    std::vector<FirmwareCall> firmwareCalls;
    WORD processorArchitecture = PROCESSOR_ARCHITECTURE_AMD64;
    DWORD groupProcessors = 8;  // dwNumberOfProcessors: the calling thread's group only
    BOOL wow64Succeeds = TRUE;
    USHORT nativeMachine = IMAGE_FILE_MACHINE_AMD64;
    DWORD allGroupsProcessors = 8;
    ULONGLONG uptimeMilliseconds = 90061000;  // 1 day, 1:01:01
    uint64_t now = 133500000000000000ull;     // a FILETIME in 2024
    // 16 GiB, 11 in use; Windows' own figure of the memory in the slots.
    bool memoryStatusFails = false;
    ULONGLONG installedKilobytes = 16777216;
    BOOL installedResult = TRUE;
    int installedCalls = 0;
    // The drives by letter, and the scanning thread's error mode and calls;
    // other threads count their quiet modes. A blocking drive answers at the end.
    struct Drive {
        UINT type = DRIVE_FIXED;
        bool volumeRead = true;
        DWORD volumeError = 0;
        bool spaceRead = true;
        DWORD spaceError = 0;
        uint64_t total = 100ull << 30;
        bool blocks = false;
    };
    DWORD driveMask = 1u << 2;
    std::map<wchar_t, Drive> drives{{L'C', Drive{}}};
    DWORD errorMode = 0;
    bool errorModeRefused = false;
    bool volumeThrows = false;
    std::vector<std::wstring> driveLog;
    std::atomic<int> quietThreads = 0;
    int threadStarts = 0;
    // Set when a blocking drive's call begins, with the calling thread's own
    // error mode at that moment.
    UniqueHandle blocked{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    DWORD modeWhileBlocked = 0;
    // The answers of the two topology calls, which behave as Windows' do: a
    // call without a big enough buffer fails with the size needed. No records:
    // the newer call gives no size, and two cores come from the older one.
    struct Topology {
        bool exReportsSize = true;
        bool exFills = true;
        std::vector<uint8_t> exRecords;
        int exCalls = 0;
        std::vector<int> exRelations;
        std::optional<DWORD> legacySizingSize;  // the size the sizing call reports; default: the entries' size
        DWORD legacySizingError = ERROR_INSUFFICIENT_BUFFER;
        bool legacyFills = true;
        DWORD legacyFillError = 0;
        std::vector<SYSTEM_LOGICAL_PROCESSOR_INFORMATION> legacyEntries = {processorEntry(RelationProcessorCore),
                                                                           processorEntry(RelationProcessorPackage),
                                                                           processorEntry(RelationProcessorCore)};
        int legacyCalls = 0;
        DWORD legacyFillSizeGiven = 0;
    };
    Topology topology;
    // GetAdaptersAddresses first asks for more room `adaptersOverflows` times
    // (`adaptersGrowTo` bytes, 1000 more each time after), scribbling over the
    // buffer as a half-written table would. Then it fails with
    // `adaptersResult`, or hands out `adapterChain` as Windows writes one: its
    // first record in the caller's buffer, the rest where its links point. A
    // buffer that is too small or not zeroed is refused: a record written over
    // old bytes would carry their links.
    int adaptersOverflows = 0;
    ULONG adaptersGrowTo = 0;
    ULONG adaptersResult = ERROR_SUCCESS;
    const IP_ADAPTER_ADDRESSES* adapterChain = &fakeEthernet();
    struct AdaptersCall {
        ULONG family;
        ULONG flags;
        bool reserved;
        ULONG sizeOffered;
        bool zeroed;
        bool operator==(const AdaptersCall&) const = default;
    };
    std::vector<AdaptersCall> adaptersCalls;
    // CreateDXGIFactory1 answers `factoryResult` and hands out `factory` when
    // `factoryHandedOut`; the factory lists one graphics adapter.
    FakeGraphicsAdapter graphics{L"Fake Graphics", 2ull << 30, 0};
    FakeGraphicsFactory factory;
    HRESULT factoryResult = S_OK;
    bool factoryHandedOut = true;
    int factoryCalls = 0;
    bool askedForFactory1 = false;

    // The real calls nowhere but where named: a test puts one back where it
    // wants Windows'.
    ScanCalls calls{.firmware = {.getSystemFirmwareTable = firmwareTableCall},
                    .system = {.computerName = computerName,
                               .userName = userName,
                               .computerNameEx = computerNameEx,
                               .rtlGetVersion = rtlGetVersion,
                               .registry = {.openKey = openKey, .queryValue = queryValue},
                               .nativeSystemInfo = nativeSystemInfo,
                               .isWow64Process2 = isWow64Process2,
                               .activeProcessorCount = activeProcessorCount,
                               .tickCount64 = tickCount64,
                               .systemTimeAsFileTime = systemTimeAsFileTime},
                    .processor = {.cpuid = cpuid,
                                  .logicalProcessorInformationEx = logicalProcessorInformationEx,
                                  .logicalProcessorInformation = logicalProcessorInformation,
                                  .registry = {.openKey = openKey, .queryValue = queryValue}},
                    .memory = {.status = {.globalMemoryStatusEx = globalMemoryStatusEx},
                               .installedMemory = installedMemory},
                    // The remote drives' threads are real, and so are the wait for them and its clock.
                    .drives = {.logicalDrives = logicalDrives,
                               .setThreadErrorMode = setThreadErrorMode,
                               .threadErrorMode = threadErrorMode,
                               .driveType = driveType,
                               .volumeInformation = volumeInformation,
                               .diskFreeSpace = diskFreeSpace,
                               .createThread = createThread,
                               .waitForObjects = WaitForMultipleObjects,
                               .tickCount = GetTickCount64},
                    .network = {.library = FakeLibraryLoader::calls()},
                    .display = {.library = FakeLibraryLoader::calls()}};
    // Where iphlpapi.dll and dxgi.dll come from.
    FakeLibraryLoader library{{},
                              {{"GetAdaptersAddresses", reinterpret_cast<void*>(&adaptersAddresses)},
                               {"CreateDXGIFactory1", reinterpret_cast<void*>(&createFactory)}}};

    FakeMachine()
    {
        current() = this;
        factory.answers = {{S_OK, &graphics}};
    }
    ~FakeMachine()
    {
        SetEvent(answer_.get());  // no thread this machine started may outlive it
        for (const UniqueHandle& thread : threads_) {
            WaitForSingleObject(thread.get(), INFINITE);
        }
        current() = nullptr;
    }
    FakeMachine(const FakeMachine&) = delete;
    FakeMachine& operator=(const FakeMachine&) = delete;

    // Lets every blocking drive answer now.
    void answerBlockedDrives() { SetEvent(answer_.get()); }

    [[nodiscard]] ScanSnapshot scan() const
    {
        ScanSnapshot snapshot;
        scanMachine(snapshot, calls);
        return snapshot;
    }

    // CPUID of a processor named "  Fake  CPU " by "FakeVendor12".
    static std::array<uint32_t, 4> cpuid(uint32_t leaf)
    {
        const auto bytes = [](const char* text, size_t at) {
            uint32_t value = 0;
            std::memcpy(&value, text + at, 4);
            return value;
        };
        static const char brand[49] = "  Fake  CPU ";
        switch (leaf) {
        case 0:
            return {0xD, bytes("FakeVendor12", 0), bytes("FakeVendor12", 8), bytes("FakeVendor12", 4)};
        case 0x80000000u:
            return {0x80000004u, 0, 0, 0};
        case 0x80000002u:
        case 0x80000003u:
        case 0x80000004u: {
            const size_t at = (leaf - 0x80000002u) * 16;
            return {bytes(brand, at), bytes(brand, at + 4), bytes(brand, at + 8), bytes(brand, at + 12)};
        }
        default:
            ADD_FAILURE() << "CPUID leaf " << leaf << " was not to be asked";
            return {};
        }
    }

private:
    DWORD owner_ = GetCurrentThreadId();
    UniqueHandle answer_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::vector<UniqueHandle> threads_;
    static void record(std::wstring entry)
    {
        if (GetCurrentThreadId() == current()->owner_) {
            current()->driveLog.push_back(std::move(entry));
        }
    }

    static FakeMachine*& current()
    {
        static FakeMachine* machine = nullptr;
        return machine;
    }

    static bool copyName(const wchar_t* name, LPWSTR buffer, LPDWORD size)
    {
        const DWORD length = static_cast<DWORD>(wcslen(name));
        if (buffer == nullptr || *size <= length) {
            *size = length + 1;
            SetLastError(ERROR_MORE_DATA);
            return false;
        }
        wmemcpy(buffer, name, length + 1);
        *size = length;
        return true;
    }

    static UINT WINAPI firmwareTableCall(DWORD provider, DWORD tableId, PVOID buffer, DWORD size)
    {
        FakeMachine& self = *current();
        const DWORD entryError = GetLastError();
        self.firmwareCalls.push_back({provider, tableId, buffer != nullptr, size, entryError});
        const std::vector<uint8_t>& table =
            self.firmwareCalls.size() > 1 && self.firmwareTableLater ? *self.firmwareTableLater : self.firmwareTable;
        if (table.empty()) {
            SetLastError(self.firmwareError);
            return 0;
        }
        if (buffer != nullptr && size >= table.size()) {
            std::memcpy(buffer, table.data(), table.size());
        }
        return static_cast<UINT>(table.size());
    }
    static BOOL WINAPI computerName(LPWSTR buffer, LPDWORD size) { return copyName(L"FAKEPC", buffer, size); }
    static BOOL WINAPI userName(LPWSTR buffer, LPDWORD size) { return copyName(L"tester", buffer, size); }
    static BOOL WINAPI computerNameEx(COMPUTER_NAME_FORMAT format, LPWSTR buffer, LPDWORD size)
    {
        return copyName(format == ComputerNameDnsHostname ? L"fakepc" : L"", buffer, size);
    }
    static LONG WINAPI rtlGetVersion(OSVERSIONINFOW* info)
    {
        info->dwMajorVersion = 10;
        info->dwMinorVersion = 0;
        info->dwBuildNumber = 22631;
        return 0;
    }
    // A registry that holds nothing.
    static LSTATUS WINAPI openKey(HKEY, LPCWSTR, DWORD, REGSAM, PHKEY) { return ERROR_FILE_NOT_FOUND; }
    static LSTATUS WINAPI queryValue(HKEY, LPCWSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD)
    {
        return ERROR_FILE_NOT_FOUND;
    }
    static void WINAPI nativeSystemInfo(LPSYSTEM_INFO info)
    {
        *info = SYSTEM_INFO{};
        info->wProcessorArchitecture = current()->processorArchitecture;
        info->dwNumberOfProcessors = current()->groupProcessors;
    }
    static BOOL WINAPI isWow64Process2(HANDLE, USHORT* processMachine, USHORT* nativeMachine)
    {
        if (!current()->wow64Succeeds) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        *processMachine = IMAGE_FILE_MACHINE_UNKNOWN;  // an x64 program, emulated or not, is no WOW64 process
        *nativeMachine = current()->nativeMachine;
        return TRUE;
    }
    static DWORD WINAPI activeProcessorCount(WORD group)
    {
        return group == ALL_PROCESSOR_GROUPS ? current()->allGroupsProcessors : 0;
    }
    static ULONGLONG WINAPI tickCount64() { return current()->uptimeMilliseconds; }
    static void WINAPI systemTimeAsFileTime(LPFILETIME time)
    {
        *time = FILETIME{static_cast<DWORD>(current()->now), static_cast<DWORD>(current()->now >> 32)};
    }
    static BOOL WINAPI logicalProcessorInformationEx(LOGICAL_PROCESSOR_RELATIONSHIP relation,
                                                     PSYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX buffer, PDWORD size)
    {
        Topology& script = current()->topology;
        ++script.exCalls;
        script.exRelations.push_back(static_cast<int>(relation));
        const DWORD needed = static_cast<DWORD>(script.exRecords.size());
        if (buffer == nullptr || *size < needed) {
            if (script.exReportsSize) {
                *size = needed;
            }
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return FALSE;
        }
        if (!script.exFills) {
            SetLastError(ERROR_GEN_FAILURE);
            return FALSE;
        }
        std::memcpy(buffer, script.exRecords.data(), needed);
        *size = needed;
        return TRUE;
    }

    static BOOL WINAPI logicalProcessorInformation(PSYSTEM_LOGICAL_PROCESSOR_INFORMATION buffer, PDWORD size)
    {
        Topology& script = current()->topology;
        ++script.legacyCalls;
        const DWORD needed =
            static_cast<DWORD>(script.legacyEntries.size() * sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION));
        if (buffer == nullptr || *size == 0) {
            *size = script.legacySizingSize.value_or(needed);
            if (script.legacySizingError != 0) {
                SetLastError(script.legacySizingError);
            }
            return FALSE;
        }
        script.legacyFillSizeGiven = *size;
        if (!script.legacyFills) {
            SetLastError(script.legacyFillError);
            return FALSE;
        }
        const DWORD copied = *size < needed ? *size / 32 * 32 : needed;
        std::memcpy(buffer, script.legacyEntries.data(), copied);
        *size = copied;
        return TRUE;
    }
    static BOOL WINAPI globalMemoryStatusEx(LPMEMORYSTATUSEX status)
    {
        if (current()->memoryStatusFails) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        constexpr ULONGLONG kGiB = 1024ull * 1024 * 1024;
        *status = MEMORYSTATUSEX{sizeof(MEMORYSTATUSEX), 68, 16 * kGiB, 5 * kGiB, 20 * kGiB, 9 * kGiB, 0, 0, 0};
        return TRUE;
    }
    static BOOL WINAPI installedMemory(PULONGLONG kilobytes)
    {
        FakeMachine& self = *current();
        ++self.installedCalls;
        *kilobytes = self.installedKilobytes;  // also when it fails: an amount that must not be used
        if (!self.installedResult) {
            SetLastError(ERROR_INVALID_PARAMETER);
        }
        return self.installedResult;
    }
    static DWORD WINAPI logicalDrives()
    {
        record(L"mask");
        return current()->driveMask;
    }
    static BOOL WINAPI setThreadErrorMode(DWORD mode, LPDWORD previous)
    {
        FakeMachine& self = *current();
        record(L"mode " + std::to_wstring(mode));
        if (GetCurrentThreadId() != self.owner_) {
            self.quietThreads += mode == 0x8001 ? 1 : 0;
            return TRUE;
        }
        if (self.errorModeRefused) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        if (previous != nullptr) {
            *previous = self.errorMode;
        }
        self.errorMode = mode;
        return TRUE;
    }
    static DWORD WINAPI threadErrorMode()
    {
        record(L"mode?");
        return current()->errorMode;
    }
    static UINT WINAPI driveType(LPCWSTR root)
    {
        record(std::wstring(L"type ") + root);
        const auto found = current()->drives.find(root[0]);
        return found == current()->drives.end() ? DRIVE_NO_ROOT_DIR : found->second.type;
    }
    static BOOL WINAPI volumeInformation(LPCWSTR root, LPWSTR label, DWORD labelSize, LPDWORD, LPDWORD, LPDWORD,
                                         LPWSTR fileSystem, DWORD fileSystemSize)
    {
        record(std::wstring(L"volume ") + root);
        if (current()->volumeThrows) {
            throw std::bad_alloc();
        }
        const Drive& drive = current()->drives.at(root[0]);
        if (drive.blocks) {
            current()->modeWhileBlocked = GetThreadErrorMode();
            SetEvent(current()->blocked.get());
            WaitForSingleObject(current()->answer_.get(), 10000);
        }
        if (!drive.volumeRead || labelSize != 261 || fileSystemSize != 64) {
            SetLastError(drive.volumeRead ? ERROR_INSUFFICIENT_BUFFER : drive.volumeError);
            return FALSE;
        }
        swprintf(label, labelSize, L"Label %lc", root[0]);
        // A file-system name that fills its whole buffer, without a terminator.
        wmemset(fileSystem, L'N', fileSystemSize);
        return TRUE;
    }
    static BOOL WINAPI diskFreeSpace(LPCWSTR root, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total,
                                     PULARGE_INTEGER totalFree)
    {
        record(std::wstring(L"space ") + root);
        const Drive& drive = current()->drives.at(root[0]);
        if (!drive.spaceRead) {
            SetLastError(drive.spaceError);
            return FALSE;
        }
        total->QuadPart = drive.total;
        freeToCaller->QuadPart = drive.total / 4;
        totalFree->QuadPart = drive.total / 2;
        return TRUE;
    }
    // A real thread, which this machine waits for before it goes.
    static HANDLE WINAPI createThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                                      LPVOID parameter, DWORD flags, LPDWORD id)
    {
        FakeMachine& self = *current();
        ++self.threadStarts;
        HANDLE thread = CreateThread(security, stack, start, parameter, flags, id);
        EXPECT_TRUE(DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(),
                                    self.threads_.emplace_back().put(), 0, FALSE, DUPLICATE_SAME_ACCESS));
        return thread;
    }
    // One Ethernet adapter, up, with one IPv4 address.
    static const IP_ADAPTER_ADDRESSES& fakeEthernet()
    {
        static wchar_t name[] = L"Fake Ethernet";
        static sockaddr_in socket{};
        socket.sin_family = AF_INET;
        const BYTE ipv4[] = {192, 168, 1, 20};
        std::memcpy(&socket.sin_addr, ipv4, sizeof(ipv4));
        static IP_ADAPTER_UNICAST_ADDRESS unicast{};
        unicast.Address.lpSockaddr = reinterpret_cast<SOCKADDR*>(&socket);
        static IP_ADAPTER_ADDRESSES adapter{};
        adapter.FriendlyName = name;
        adapter.Description = name;
        adapter.PhysicalAddressLength = 6;
        const BYTE address[] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
        std::memcpy(adapter.PhysicalAddress, address, sizeof(address));
        adapter.IfType = IF_TYPE_ETHERNET_CSMACD;
        adapter.OperStatus = IfOperStatusUp;
        adapter.FirstUnicastAddress = &unicast;
        return adapter;
    }
    static ULONG WINAPI adaptersAddresses(ULONG family, ULONG flags, PVOID reserved, PIP_ADAPTER_ADDRESSES buffer,
                                          PULONG size)
    {
        FakeMachine& self = *current();
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer);
        const bool zeroed =
            buffer != nullptr && std::all_of(bytes, bytes + *size, [](unsigned char b) { return b == 0; });
        self.adaptersCalls.push_back({family, flags, reserved != nullptr, *size, zeroed});
        const int call = static_cast<int>(self.adaptersCalls.size());
        if (call <= self.adaptersOverflows) {
            std::memset(buffer, 0xCD, std::min<ULONG>(*size, 64));
            *size = self.adaptersGrowTo + static_cast<ULONG>(call - 1) * 1000;
            return ERROR_BUFFER_OVERFLOW;
        }
        if (self.adaptersResult != ERROR_SUCCESS) {
            return self.adaptersResult;
        }
        if (*size < sizeof(IP_ADAPTER_ADDRESSES) || !zeroed) {
            return ERROR_INVALID_PARAMETER;
        }
        *buffer = *self.adapterChain;
        return ERROR_SUCCESS;
    }
    static HRESULT WINAPI createFactory(REFIID riid, void** made)
    {
        // {770AAE78-F26F-4DBA-A829-253C83D1B387}, written out here rather than
        // taken from the headers the probe uses.
        static constexpr GUID kFactory1 = {0x770AAE78,
                                           0xF26F,
                                           0x4DBA,
                                           {0xA8, 0x29, 0x25, 0x3C, 0x83, 0xD1, 0xB3, 0x87}};
        FakeMachine& self = *current();
        ++self.factoryCalls;
        self.askedForFactory1 = IsEqualGUID(riid, kFactory1) != FALSE;
        *made = nullptr;
        if (self.factoryHandedOut) {
            self.factory.AddRef();
            *made = static_cast<IDXGIFactory1*>(&self.factory);
        }
        return self.factoryResult;
    }
};
