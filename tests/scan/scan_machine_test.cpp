#include "scan/scan_machine.h"

#include "common/windows_failure.h"
#include "scan/fake_machine.h"
#include "scan/host_file.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <iterator>
#include <string>
#include <thread>

namespace {

// A one-line Linux file through Wine's Z: drive (the Linux root), so the scan
// is checked against the host itself rather than against Windows calls.
std::string hostLine(const wchar_t* path)
{
    std::string text = readHostFile(path);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

std::wstring widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

// Seconds from an "Up for" text: "M:SS", "H:MM:SS" or "D day(s), H:MM:SS".
long long durationSeconds(const std::wstring& text)
{
    unsigned long long days = 0;
    unsigned long long a = 0;
    unsigned long long b = 0;
    unsigned long long c = 0;
    wchar_t unit[8] = {};
    if (swscanf(text.c_str(), L"%llu %5ls %llu:%llu:%llu", &days, unit, &a, &b, &c) == 5) {
        return static_cast<long long>(days * 86400 + a * 3600 + b * 60 + c);
    }
    if (swscanf(text.c_str(), L"%llu:%llu:%llu", &a, &b, &c) == 3) {
        return static_cast<long long>(a * 3600 + b * 60 + c);
    }
    if (swscanf(text.c_str(), L"%llu:%llu", &a, &b) == 2) {
        return static_cast<long long>(a * 60 + b);
    }
    return -1;
}

// 100-ns units of a local "yyyy-mm-dd hh:mm:ss" text, or 0 if it does not parse.
uint64_t localTextTicks(const std::wstring& text)
{
    SYSTEMTIME time{};
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (text.size() != 19 ||
        swscanf(text.c_str(), L"%4u-%2u-%2u %2u:%2u:%2u", &year, &month, &day, &hour, &minute, &second) != 6) {
        return 0;
    }
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    FILETIME fileTime{};
    if (!SystemTimeToFileTime(&time, &fileTime)) {
        return 0;
    }
    return (uint64_t{fileTime.dwHighDateTime} << 32) | fileTime.dwLowDateTime;
}

uint64_t localNowTicks()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    FILETIME fileTime{};
    SystemTimeToFileTime(&now, &fileTime);
    return (uint64_t{fileTime.dwHighDateTime} << 32) | fileTime.dwLowDateTime;
}

}  // namespace

TEST(ScanMachine, ReadsThisMachinesIdentity)
{
    ScanSnapshot snapshot;
    // Whatever a snapshot held before, the scan starts from a new one.
    snapshot.drives.resize(5);
    snapshot.networkAdapters.resize(1);
    snapshot.networkAdapters[0].description = L"stale";
    snapshot.tally.okCount = 500;
    snapshot.tally.drivesNotSized = 7;
    snapshot.tally.processorLoadReason = L"stale";
    snapshot.biosVendor = readingOk(L"stale");

    const uint64_t ticksBefore = GetTickCount64();
    ScanSnapshot& returned = scanMachine(snapshot);
    const uint64_t ticksAfter = GetTickCount64();
    EXPECT_EQ(&returned, &snapshot);
    const bool wine = runningUnderWine();
    EXPECT_LT(snapshot.drives.size(), 5u) << "entries of the earlier snapshot were kept";
    for (const NetworkAdapterEntry& adapter : snapshot.networkAdapters) {
        EXPECT_NE(adapter.description, L"stale");
    }
    EXPECT_EQ(snapshot.tally.displayListComplete, snapshot.tally.displayListReason.empty());
    EXPECT_EQ(snapshot.tally.drivesNotExamined, 0);
    EXPECT_EQ(snapshot.tally.adaptersNotExamined, 0);
    EXPECT_EQ(snapshot.tally.drivesNotSized, 0);
    EXPECT_NE(snapshot.biosVendor.value, L"stale");

    // The host's own names: Windows upper-cases the NetBIOS name and keeps 15
    // characters. On Windows itself the environment names the computer.
    const char* computerVariable = std::getenv("COMPUTERNAME");
    const std::string hostName =
        wine ? hostLine(L"Z:\\proc\\sys\\kernel\\hostname") : std::string(computerVariable ? computerVariable : "");
    if (!hostName.empty()) {
        const std::wstring label = widen(hostName.substr(0, hostName.find('.')));
        std::wstring netbios = label.substr(0, 15);
        for (wchar_t& c : netbios) {
            c = static_cast<wchar_t>(std::towupper(c));
        }
        EXPECT_EQ(snapshot.computerName, readingOk(netbios));
        if (wine) {
            EXPECT_EQ(snapshot.dnsHostName, readingOk(label));
        }
    } else {
        ADD_FAILURE() << (wine ? "cannot read the host name through Z:" : "COMPUTERNAME is not set");
    }
    EXPECT_NE(snapshot.dnsDomainName.state, ReadingState::Failed) << snapshot.dnsDomainName.reason;

    if (const char* user = std::getenv("USER")) {
        EXPECT_EQ(snapshot.loggedInUser, readingOk(widen(user)));
    } else {
        EXPECT_EQ(snapshot.loggedInUser.state, ReadingState::Ok) << snapshot.loggedInUser.reason;
    }

    EXPECT_EQ(snapshot.windowsVersion.state, ReadingState::Ok) << snapshot.windowsVersion.reason;
    EXPECT_EQ(snapshot.windowsProduct.state, ReadingState::Ok) << snapshot.windowsProduct.reason;
    EXPECT_NE(snapshot.windowsRelease.state, ReadingState::Failed) << snapshot.windowsRelease.reason;
    EXPECT_NE(snapshot.registeredOwner.state, ReadingState::Failed);
    EXPECT_NE(snapshot.registeredOrganisation.state, ReadingState::Failed);

    EXPECT_EQ(snapshot.architecture, readingOk(L"x64"));
    EXPECT_EQ(snapshot.processorArchitecture, snapshot.architecture);

    // Under wine the test runner passes the Linux host's `nproc`; on Windows
    // itself the C++ runtime's count is the independent figure.
    if (const char* hostProcessors = std::getenv("KORVANE_HOST_NPROC")) {
        EXPECT_EQ(snapshot.logicalProcessors, readingOk(widen(hostProcessors)));
    } else {
        EXPECT_EQ(snapshot.logicalProcessors, readingOk(std::to_wstring(std::thread::hardware_concurrency())));
    }

    // Uptime: between the tick counts read around the scan, and close to the host's own.
    ASSERT_EQ(snapshot.upFor.state, ReadingState::Ok);
    const long long upSeconds = durationSeconds(snapshot.upFor.value);
    EXPECT_GE(upSeconds, static_cast<long long>(ticksBefore / 1000)) << snapshot.upFor.value;
    EXPECT_LE(upSeconds, static_cast<long long>(ticksAfter / 1000)) << snapshot.upFor.value;
    const std::string hostUptime = wine ? hostLine(L"Z:\\proc\\uptime") : std::string();
    if (!hostUptime.empty()) {
        EXPECT_NEAR(static_cast<double>(upSeconds), std::atof(hostUptime.c_str()), 5.0) << snapshot.upFor.value;
    }

    // Start time + uptime = now, to within the seconds the texts drop.
    ASSERT_EQ(snapshot.startedAt.state, ReadingState::Ok) << snapshot.startedAt.reason;
    const uint64_t started = localTextTicks(snapshot.startedAt.value);
    ASSERT_NE(started, 0u) << snapshot.startedAt.value;
    const double gap = static_cast<double>(localNowTicks()) / 1e7 - static_cast<double>(started) / 1e7 -
                       static_cast<double>(upSeconds);
    EXPECT_NEAR(gap, 0.0, 3.0) << snapshot.startedAt.value << " + " << snapshot.upFor.value;

    // The probes, each checked against this machine in its own test, ran on
    // the real calls.
    EXPECT_TRUE(snapshot.tally.firmwareTableRead) << snapshot.tally.firmwareTableReason;
    EXPECT_EQ(snapshot.physicalCores.state, ReadingState::Ok) << snapshot.physicalCores.reason;
    EXPECT_TRUE(snapshot.tally.memoryRead);
    EXPECT_FALSE(snapshot.drives.empty());

    // Every counted reading is in one of the four counted states.
    const ScanTally& tally = snapshot.tally;
    EXPECT_EQ(tally.okCount + tally.noneCount + tally.failedCount + tally.unsupportedCount,
              static_cast<int>(kSingleReadingCount) + 2 * static_cast<int>(snapshot.drives.size()));
    EXPECT_GE(tally.okCount, 9) << "names, version, product, architecture, processors, uptime, start time";
    EXPECT_TRUE(tally.processorLoadReason.empty());
}

TEST(ScanMachine, RunsWhollyOnFakes)
{
    FakeMachine machine;
    ScanSnapshot snapshot = machine.scan();
    EXPECT_EQ(snapshot.computerName, readingOk(L"FAKEPC"));
    EXPECT_EQ(snapshot.windowsVersion, readingOk(L"10.0.22631"));
    EXPECT_EQ(snapshot.upFor, readingOk(L"1 day, 1:01:01"));
    EXPECT_EQ(snapshot.startedAt.state, ReadingState::Ok) << snapshot.startedAt.reason;
    EXPECT_TRUE(snapshot.tally.firmwareTableRead);
    EXPECT_EQ(snapshot.biosReleaseDate, readingOk(L"2021-06-14"));
    EXPECT_EQ(snapshot.systemModel, readingOk(L"Model 7"));
    EXPECT_EQ(snapshot.smbiosVersion, readingOk(L"3.4"));
    EXPECT_EQ(snapshot.processorName, readingOk(L"Fake CPU"));
    EXPECT_EQ(snapshot.processorManufacturer, readingOk(L"Fake Maker"));
    EXPECT_EQ(snapshot.processorFrequency, readingOk(L"3.60 GHz (at start-up)"));
    EXPECT_EQ(snapshot.physicalCores, readingOk(L"2"));
    EXPECT_EQ(snapshot.memory.inUse, 11ull << 30);
    EXPECT_EQ(snapshot.memory.installedBytes, 16ull << 30);
    EXPECT_TRUE(snapshot.tally.memoryRead);
    ASSERT_EQ(snapshot.drives.size(), 1u);
    EXPECT_EQ(snapshot.drives[0].volumeName, readingOk(L"Label C"));
    EXPECT_EQ(snapshot.drives[0].freeBytes, 25ull << 30);
    ASSERT_EQ(snapshot.networkAdapters.size(), 1u);
    EXPECT_EQ(snapshot.networkAdapters[0].hardwareAddress, L"00-1A-2B-3C-4D-5E");
    EXPECT_EQ(snapshot.networkAdapters[0].addresses, std::vector<std::wstring>{L"192.168.1.20"});
    ASSERT_EQ(snapshot.displayAdapters.size(), 1u);
    EXPECT_EQ(snapshot.displayAdapters[0].name, L"Fake Graphics");
    EXPECT_EQ(snapshot.tally.displayListReason, L"");
    EXPECT_TRUE(snapshot.tally.displayListComplete);
    // The fake machine has no DNS domain and an empty registry: these are
    // None; every other single reading, and the drive's two, is Ok.
    const struct {
        Reading ScanSnapshot::*field;
        Reading expected;
    } noneReadings[] = {{&ScanSnapshot::dnsDomainName,
                         readingNone(L"this machine has no DNS domain; it is not joined to one")},
                        {&ScanSnapshot::windowsProduct, readingNone(L"Windows records no product name")},
                        {&ScanSnapshot::windowsRelease, readingNone(L"Windows records no release name")},
                        {&ScanSnapshot::registeredOwner, readingNone(L"Windows records no registered owner")},
                        {&ScanSnapshot::registeredOrganisation,
                         readingNone(L"Windows records no registered organization")}};
    for (const auto& none : noneReadings) {
        EXPECT_EQ(snapshot.*none.field, none.expected);
    }
    const auto singles = static_cast<int>(kSingleReadingCount);
    const auto nones = static_cast<int>(std::size(noneReadings));
    EXPECT_EQ(snapshot.tally.okCount, singles - nones + 2 * static_cast<int>(snapshot.drives.size()));
    EXPECT_EQ(snapshot.tally.noneCount, nones);
    EXPECT_EQ(snapshot.tally.failedCount + snapshot.tally.unsupportedCount, 0);

    // Without a firmware table every firmware reading carries the same reason,
    // and the processor falls back on CPUID. A memory status that cannot be
    // read is the tally's.
    machine.firmwareTable.clear();
    machine.memoryStatusFails = true;
    snapshot = machine.scan();
    const Reading fallback =
        readingFailed(L"the firmware table could not be read: " + windowsFailureText(ERROR_NOT_FOUND));
    EXPECT_FALSE(snapshot.tally.firmwareTableRead);
    EXPECT_EQ(snapshot.tally.firmwareTableReason, windowsFailureText(ERROR_NOT_FOUND));
    const Reading ScanSnapshot::*const firmwareReadings[] =
        {&ScanSnapshot::systemManufacturer, &ScanSnapshot::systemModel,     &ScanSnapshot::biosVendor,
         &ScanSnapshot::biosVersion,        &ScanSnapshot::biosReleaseDate, &ScanSnapshot::smbiosVersion,
         &ScanSnapshot::processorSocket,    &ScanSnapshot::processorVersion};
    for (const Reading ScanSnapshot::*reading : firmwareReadings) {
        EXPECT_EQ(snapshot.*reading, fallback);
    }
    EXPECT_EQ(snapshot.processorManufacturer, readingOk(L"FakeVendor12"));
    EXPECT_EQ(snapshot.processorFrequency,
              readingNone(L"neither the firmware nor the registry states a processor speed"));
    EXPECT_EQ(snapshot.tally.failedCount, static_cast<int>(std::size(firmwareReadings)));
    EXPECT_FALSE(snapshot.tally.memoryRead);
    EXPECT_EQ(snapshot.tally.memoryReason, windowsFailureText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(snapshot.memory.reason, snapshot.tally.memoryReason);
}

// iphlpapi.dll and dxgi.dll are no Known DLLs: each is asked for once, in the
// system folder, and a DLL or function that cannot be had is the probe's own
// failure, not the scan's.
TEST(ScanMachine, LoadsItsTwoDllsFromTheSystemFolderOnly)
{
    using Call = FakeLibraryLoader::Call;
    FakeMachine machine;
    static_cast<void>(machine.scan());
    EXPECT_TRUE(machine.library.made == (std::vector<Call>{{L"iphlpapi.dll", LOAD_LIBRARY_SEARCH_SYSTEM32},
                                                           {L"dxgi.dll", LOAD_LIBRARY_SEARCH_SYSTEM32}}));

    machine.library.functions.clear();
    ScanSnapshot snapshot = machine.scan();
    EXPECT_EQ(snapshot.tally.adaptersNotExamined, 1);
    EXPECT_EQ(snapshot.tally.displayListReason, L"this system's dxgi.dll does not offer CreateDXGIFactory1");

    machine.library.made.clear();
    machine.library.loadErrors = {ERROR_MOD_NOT_FOUND, ERROR_MOD_NOT_FOUND};
    snapshot = machine.scan();
    EXPECT_TRUE(snapshot.networkAdapters.empty());
    EXPECT_EQ(snapshot.tally.adaptersNotExamined, 1);
    EXPECT_EQ(snapshot.tally.displayListReason, L"dxgi.dll is not present on this system");
}

TEST(ScanMachine, NamesTheNativeMachineEvenUnderEmulation)
{
    const Reading unnamed = readingNone(L"Windows reports an architecture this program does not have a name for");
    struct Case {
        const char* name;
        bool haveIsWow64Process2;
        BOOL succeeds;
        USHORT nativeMachine;
        WORD processorArchitecture;
        Reading expected;
    };
    const Case cases[] = {{"x64 program emulated on an ARM64 PC", true, TRUE, IMAGE_FILE_MACHINE_ARM64,
                           PROCESSOR_ARCHITECTURE_AMD64, readingOk(L"ARM64")},
                          {"x64 PC", true, TRUE, IMAGE_FILE_MACHINE_AMD64, PROCESSOR_ARCHITECTURE_AMD64,
                           readingOk(L"x64")},
                          {"x86 PC", true, TRUE, IMAGE_FILE_MACHINE_I386, PROCESSOR_ARCHITECTURE_INTEL,
                           readingOk(L"x86")},
                          {"before Windows 10 1511", false, TRUE, IMAGE_FILE_MACHINE_ARM64,
                           PROCESSOR_ARCHITECTURE_AMD64, readingOk(L"x64")},
                          {"IsWow64Process2 failed", true, FALSE, IMAGE_FILE_MACHINE_ARM64,
                           PROCESSOR_ARCHITECTURE_AMD64, readingOk(L"x64")},
                          {"other machine, named architecture", true, TRUE, IMAGE_FILE_MACHINE_ARMNT,
                           PROCESSOR_ARCHITECTURE_ARM, readingOk(L"ARM")},
                          {"other machine, unnamed architecture", true, TRUE, IMAGE_FILE_MACHINE_ARMNT,
                           PROCESSOR_ARCHITECTURE_UNKNOWN, unnamed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeMachine machine;
        machine.processorArchitecture = c.processorArchitecture;
        machine.wow64Succeeds = c.succeeds;
        machine.nativeMachine = c.nativeMachine;
        if (!c.haveIsWow64Process2) {
            machine.calls.system.isWow64Process2 = nullptr;
        }
        const ScanSnapshot snapshot = machine.scan();
        EXPECT_EQ(snapshot.architecture, c.expected);
        EXPECT_EQ(snapshot.processorArchitecture, c.expected);
    }

    // Two groups, of 64 and 8: dwNumberOfProcessors tells only the calling thread's group.
    FakeMachine machine;
    machine.groupProcessors = 64;
    machine.allGroupsProcessors = 72;
    EXPECT_EQ(machine.scan().logicalProcessors, readingOk(L"72"));
    machine.allGroupsProcessors = 0;  // GetActiveProcessorCount failed
    EXPECT_EQ(machine.scan().logicalProcessors, readingOk(L"64"));
}

// A machine started in one season and read in the other shows its start in
// the rule of the start's own season. ctest runs this once more with TZ set to
// a zone with daylight saving (korvane_start_time_dst); wine follows TZ.
TEST(StartedAt, FollowsTheTimeZoneRuleOfTheStartInstant)
{
    TIME_ZONE_INFORMATION zone{};
    const bool daylightSaving = GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID &&
                                zone.DaylightDate.wMonth != 0 && zone.DaylightBias != 0;
    if (!daylightSaving) {
        ASSERT_EQ(std::getenv("TZ"), nullptr) << "TZ is set but the zone it names has no daylight saving";
        GTEST_SKIP() << "this time zone has no daylight saving (korvane_start_time_dst runs it with one)";
    }
    // Mid-January and July 1 lie in different seasons in either hemisphere.
    const bool northern = zone.DaylightDate.wMonth < zone.StandardDate.wMonth;
    const struct {
        SYSTEMTIME utc;
        bool daylight;
    } starts[] = {{{2026, 1, 0, 15, 12, 0, 0, 0}, !northern}, {{2026, 7, 0, 1, 12, 0, 0, 0}, northern}};
    FakeMachine machine;
    machine.uptimeMilliseconds = 160ull * 86400 * 1000 + 1234;  // read some five months later
    for (const auto& start : starts) {
        FILETIME utcFileTime{};
        ASSERT_TRUE(SystemTimeToFileTime(&start.utc, &utcFileTime));
        const uint64_t startTicks = (uint64_t{utcFileTime.dwHighDateTime} << 32) | utcFileTime.dwLowDateTime;
        const long biasMinutes = zone.Bias + (start.daylight ? zone.DaylightBias : zone.StandardBias);
        const uint64_t localTicks = startTicks - static_cast<int64_t>(biasMinutes) * 60 * 10000000;
        const FILETIME localFileTime{static_cast<DWORD>(localTicks), static_cast<DWORD>(localTicks >> 32)};
        SYSTEMTIME local{};
        ASSERT_TRUE(FileTimeToSystemTime(&localFileTime, &local));
        wchar_t expected[32] = {};
        swprintf(expected, 32, L"%04u-%02u-%02u %02u:%02u:%02u", local.wYear, local.wMonth, local.wDay, local.wHour,
                 local.wMinute, local.wSecond);
        machine.now = startTicks + machine.uptimeMilliseconds * 10000;
        EXPECT_EQ(machine.scan().startedAt, readingOk(expected))
            << "start in " << (start.daylight ? "daylight saving" : "standard") << " time, bias " << biasMinutes;
    }
    // A clock that reads no later than the uptime has no start to show.
    machine.now = 10000;
    machine.uptimeMilliseconds = 1;
    EXPECT_EQ(machine.scan().startedAt, readingNone(L"the clock reads earlier than this machine's uptime"));
}
