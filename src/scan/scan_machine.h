#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "common/system_function.h"
#include "report/reading.h"
#include "report/snapshot.h"
#include "scan/firmware_table.h"

// Reads the machine into `snapshot`, which is first reset to a new snapshot's
// state. Never stops early: every failure becomes the state and reason of the
// readings it concerns. Runs on the scan thread; allocation failure is the
// only thing that leaves it as an exception.
ScanSnapshot& scanMachine(ScanSnapshot& snapshot);

// The firmware table as one scan uses it: usable only when it was both
// fetched and parsed; otherwise every firmware-derived reading is `fallback`.
struct FirmwareResult {
    bool usable = false;
    std::wstring error;
    FirmwareSummary summary;
    Reading fallback;
};

[[nodiscard]] FirmwareResult readFirmware();
// Copies the firmware readings into the snapshot, or the fallback into each.
void spreadFirmware(ScanSnapshot& snapshot, const FirmwareResult& firmware);

// IsWow64Process2 came with Windows 10 1511, so the scan looks it up.
using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE process, USHORT* processMachine, USHORT* nativeMachine);

// The Windows calls behind the architecture and the logical processors; tests
// give others to play an ARM64 PC or a machine of several processor groups.
// isWow64Process2 is null where this Windows lacks it.
struct ArchitectureCalls {
    decltype(&GetNativeSystemInfo) nativeSystemInfo = GetNativeSystemInfo;
    IsWow64Process2Function isWow64Process2 =
        findSystemFunction<IsWow64Process2Function>(L"kernel32.dll", "IsWow64Process2");
    decltype(&GetActiveProcessorCount) activeProcessorCount = GetActiveProcessorCount;
};

// The steps scanMachine takes itself, each filling its own fields.
void readComputerNames(ScanSnapshot& snapshot);
void readWindowsRelease(ScanSnapshot& snapshot);
void readArchitecture(ScanSnapshot& snapshot, const ArchitectureCalls& calls = ArchitectureCalls{});
void readUptime(ScanSnapshot& snapshot);

// The local start time of a machine up for `uptimeMilliseconds` when the UTC
// clock reads `nowFileTime` (a FILETIME as one number), in the time zone rule
// that was in force at the start.
[[nodiscard]] Reading startedAtReading(uint64_t nowFileTime, uint64_t uptimeMilliseconds);
