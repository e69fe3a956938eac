#include "scan/scan_machine.h"

#include <string>
#include <utility>
#include <vector>

#include "common/windows_failure.h"
#include "report/value_text.h"
#include "scan/failed_reading.h"
#include "scan/scan_tally.h"
#include "scan/system_identity.h"

namespace {

struct DnsName {
    COMPUTER_NAME_FORMAT format;
    const wchar_t* phrase;
    Reading ScanSnapshot::*field;
};

// Two-step read: size first (the sizing call "fails" with the size needed), then fill.
Reading readDnsName(const SystemCalls& calls, COMPUTER_NAME_FORMAT format, const wchar_t* phrase)
{
    SetLastError(0);
    DWORD size = 0;
    calls.computerNameEx(format, nullptr, &size);
    const DWORD sizingError = GetLastError();
    if (size == 0) {
        return readingFailed(L"sizing " + std::wstring(phrase) + L": " + windowsFailureText(sizingError));
    }
    std::vector<wchar_t> buffer(size + 1, L'\0');
    if (!calls.computerNameEx(format, buffer.data(), &size)) {
        const DWORD fillError = GetLastError();
        return readingFailed(L"reading " + std::wstring(phrase) + L": " + windowsFailureText(fillError));
    }
    return dnsNameReading(buffer.data(), static_cast<int>(format));
}

bool queryRtlVersion(const SystemCalls& calls, OSVERSIONINFOW& info)
{
    info = OSVERSIONINFOW{};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    return calls.rtlGetVersion != nullptr && calls.rtlGetVersion(&info) == 0;
}

// HKEY_LOCAL_MACHINE\<this> holds the Windows product and release values.
constexpr wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// A value under the CurrentVersion key as a reading; `what` names it in the reason.
Reading readCurrentVersionValue(const SystemCalls& calls, const wchar_t* valueName, const wchar_t* what)
{
    std::wstring text;
    uint32_t code = 0;
    const bool read =
        readRegistryString(calls.registry, HKEY_LOCAL_MACHINE, kCurrentVersionKey, valueName, text, code);
    return currentVersionReading(read, text, code, what);
}

void spreadFirmware(ScanSnapshot& snapshot, const FirmwareResult& firmware)
{
    const FirmwareSummary& summary = firmware.summary;
    const bool usable = firmware.usable;
    snapshot.systemManufacturer = usable ? summary.systemManufacturer : firmware.fallback;
    snapshot.systemModel = usable ? summary.systemModel : firmware.fallback;
    snapshot.biosVendor = usable ? summary.biosVendor : firmware.fallback;
    snapshot.biosVersion = usable ? summary.biosVersion : firmware.fallback;
    snapshot.biosReleaseDate = usable ? summary.biosReleaseDate : firmware.fallback;
    snapshot.smbiosVersion = usable ? summary.smbiosVersion : firmware.fallback;
    snapshot.processorSocket = usable ? summary.processorSocket : firmware.fallback;
}

void readComputerNames(const SystemCalls& calls, ScanSnapshot& snapshot)
{
    wchar_t computer[16] = {};
    DWORD computerSize = 16;
    snapshot.computerName = calls.computerName(computer, &computerSize)
                                ? readingOk(computer)
                                : failedFromLastError(L"reading the computer name");

    wchar_t user[256] = {};
    DWORD userSize = 256;
    snapshot.loggedInUser =
        calls.userName(user, &userSize) ? readingOk(user) : failedFromLastError(L"reading the user name");

    static const DnsName kDnsNames[] = {{ComputerNameDnsHostname, L"the DNS host name", &ScanSnapshot::dnsHostName},
                                        {ComputerNamePhysicalDnsDomain, L"the DNS domain name",
                                         &ScanSnapshot::dnsDomainName}};
    for (const DnsName& name : kDnsNames) {
        snapshot.*name.field = readDnsName(calls, name.format, name.phrase);
    }
}

void readWindowsRelease(const SystemCalls& calls, ScanSnapshot& snapshot)
{
    OSVERSIONINFOW info{};
    if (queryRtlVersion(calls, info)) {
        uint32_t ubr = 0;
        const bool haveUbr = readRegistryDword(calls.registry, HKEY_LOCAL_MACHINE, kCurrentVersionKey, L"UBR", ubr);
        snapshot.windowsVersion =
            readingOk(windowsVersionText(info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber, haveUbr, ubr));
        snapshot.windowsProduct =
            windowsProductReading(readCurrentVersionValue(calls, L"ProductName", L"product name"),
                                  info.dwMajorVersion, info.dwBuildNumber);
    } else {
        snapshot.windowsVersion = readingUnsupported(
            L"RtlGetVersion is not available, and GetVersionEx is not trusted here because it "
            L"misreports every release after Windows 8");
        snapshot.windowsProduct = snapshot.windowsVersion;
    }

    snapshot.windowsRelease = readCurrentVersionValue(calls, L"DisplayVersion", L"release name");
    if (snapshot.windowsRelease.state != ReadingState::Ok) {
        // Releases before 20H2 name themselves only in ReleaseId.
        Reading releaseId = readCurrentVersionValue(calls, L"ReleaseId", L"release name");
        if (releaseId.state == ReadingState::Ok) {
            snapshot.windowsRelease = std::move(releaseId);
        }
    }
    snapshot.registeredOwner = readCurrentVersionValue(calls, L"RegisteredOwner", L"registered owner");
    snapshot.registeredOrganisation =
        readCurrentVersionValue(calls, L"RegisteredOrganization", L"registered organization");
}

void readArchitecture(const SystemCalls& calls, ScanSnapshot& snapshot)
{
    SYSTEM_INFO info{};
    calls.nativeSystemInfo(&info);
    // GetNativeSystemInfo tells an x64 program emulated on an ARM64 PC that
    // the machine is x64; IsWow64Process2 names the real one.
    USHORT processMachine = 0;
    USHORT nativeMachine = 0;
    if (calls.isWow64Process2 == nullptr ||
        !calls.isWow64Process2(GetCurrentProcess(), &processMachine, &nativeMachine)) {
        nativeMachine = 0;
    }
    snapshot.architecture = architectureReading(nativeMachine, info.wProcessorArchitecture);
    snapshot.processorArchitecture = snapshot.architecture;
    // dwNumberOfProcessors counts only the calling thread's processor group
    // (at most 64), so a larger machine would show fewer logical processors
    // than it has cores.
    DWORD processors = calls.activeProcessorCount(ALL_PROCESSOR_GROUPS);
    if (processors == 0) {
        processors = info.dwNumberOfProcessors;
    }
    snapshot.logicalProcessors = readingOk(countText(processors));
}

// The local start time of a machine up for `uptimeMilliseconds` when the UTC
// clock reads `nowFileTime` (a FILETIME as one number).
Reading startedAtReading(uint64_t nowFileTime, uint64_t uptimeMilliseconds)
{
    const uint64_t bootTicks = uptimeMilliseconds * 10000;  // 100-nanosecond units
    if (nowFileTime <= bootTicks) {
        return readingNone(L"the clock reads earlier than this machine's uptime");
    }
    const uint64_t start = nowFileTime - bootTicks;
    const FILETIME startUtc{static_cast<DWORD>(start & 0xFFFFFFFFu), static_cast<DWORD>(start >> 32)};
    // FileTimeToLocalFileTime would apply today's bias: a machine started in
    // summer and read in winter would show its start an hour off. The time
    // zone rule in force at the start instant decides instead.
    SYSTEMTIME utc{};
    SYSTEMTIME local{};
    if (!FileTimeToSystemTime(&startUtc, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) {
        return failedFromLastError(L"converting the start time");
    }
    return readingOk(timestampText(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond));
}

void readUptime(const SystemCalls& calls, ScanSnapshot& snapshot)
{
    const ULONGLONG milliseconds = calls.tickCount64();
    snapshot.upFor = readingOk(durationText(milliseconds));

    FILETIME nowFileTime{};
    calls.systemTimeAsFileTime(&nowFileTime);
    const uint64_t now = (uint64_t{nowFileTime.dwHighDateTime} << 32) | nowFileTime.dwLowDateTime;
    snapshot.startedAt = startedAtReading(now, milliseconds);
}

}  // namespace

ScanSnapshot& scanMachine(ScanSnapshot& snapshot, const ScanCalls& calls)
{
    snapshot = ScanSnapshot{};

    const FirmwareResult firmware = readFirmware(calls.firmware);
    snapshot.tally.firmwareTableRead = firmware.usable;
    if (!firmware.usable) {
        snapshot.tally.firmwareTableReason = firmware.error;
    }

    readComputerNames(calls.system, snapshot);
    readWindowsRelease(calls.system, snapshot);
    readArchitecture(calls.system, snapshot);
    readUptime(calls.system, snapshot);
    spreadFirmware(snapshot, firmware);

    ProcessorReadings processor = probeProcessor(firmware, calls.processor);
    snapshot.processorName = std::move(processor.name);
    snapshot.processorManufacturer = std::move(processor.manufacturer);
    snapshot.processorVersion = std::move(processor.version);
    snapshot.physicalCores = std::move(processor.physicalCores);
    snapshot.processorFrequency = std::move(processor.frequency);

    snapshot.memory = probeMemory(firmware, calls.memory);
    snapshot.tally.memoryRead = snapshot.memory.read;
    snapshot.tally.memoryReason = snapshot.memory.read ? std::wstring() : snapshot.memory.reason;

    DriveScan drives = scanDrives(calls.drives);
    snapshot.drives = std::move(drives.drives);
    snapshot.tally.drivesNotExamined = drives.notExamined;
    snapshot.tally.drivesNotSized = 0;
    for (const DriveEntry& drive : snapshot.drives) {
        if (!drive.sized && !drive.noMedia) {
            ++snapshot.tally.drivesNotSized;
        }
    }

    NetworkScan network = scanNetworkAdapters(calls.network);
    snapshot.networkAdapters = std::move(network.adapters);
    snapshot.tally.adaptersNotExamined = network.notExamined;

    DisplayScan display = scanDisplayAdapters(calls.display);
    snapshot.displayAdapters = std::move(display.adapters);
    snapshot.tally.displayListComplete = display.error.empty();
    snapshot.tally.displayListReason = std::move(display.error);

    tallyStates(snapshot);
    return snapshot;
}

ScanSnapshot& scanMachine(ScanSnapshot& snapshot)
{
    return scanMachine(snapshot, ScanCalls{});
}
