#pragma once

#include <windows.h>

#include "common/system_function.h"
#include "report/snapshot.h"
#include "scan/display_probe.h"
#include "scan/drives_probe.h"
#include "scan/firmware_table.h"
#include "scan/memory_probe.h"
#include "scan/network_probe.h"
#include "scan/processor_probe.h"
#include "scan/registry.h"

// RtlGetVersion is not in the import libraries of every toolchain, and it is
// the only version call that does not lie to an unmanifested caller.
using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
// IsWow64Process2 came with Windows 10 1511, so the scan looks it up.
using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE process, USHORT* processMachine, USHORT* nativeMachine);

// The Windows calls behind the readings the driver takes itself: names,
// Windows release, architecture, logical processors and uptime. The looked-up
// ones are null where this Windows lacks them.
struct SystemCalls {
    decltype(&GetComputerNameW) computerName = GetComputerNameW;
    decltype(&GetUserNameW) userName = GetUserNameW;
    decltype(&GetComputerNameExW) computerNameEx = GetComputerNameExW;
    RtlGetVersionFunction rtlGetVersion = findSystemFunction<RtlGetVersionFunction>(L"ntdll.dll", "RtlGetVersion");
    RegistryCalls registry;
    decltype(&GetNativeSystemInfo) nativeSystemInfo = GetNativeSystemInfo;
    IsWow64Process2Function isWow64Process2 =
        findSystemFunction<IsWow64Process2Function>(L"kernel32.dll", "IsWow64Process2");
    decltype(&GetActiveProcessorCount) activeProcessorCount = GetActiveProcessorCount;
    decltype(&GetTickCount64) tickCount64 = GetTickCount64;
    decltype(&GetSystemTimeAsFileTime) systemTimeAsFileTime = GetSystemTimeAsFileTime;
};

// Every Windows call of one scan, probe by probe, the real ones by default;
// tests hand in others to run the whole scan on a machine of their making.
struct ScanCalls {
    FirmwareCalls firmware;
    SystemCalls system;
    ProcessorCalls processor;
    MemoryCalls memory;
    DriveCalls drives;
    NetworkCalls network;
    DisplayCalls display;
};

// Reads the machine into `snapshot`, which is first reset to a new snapshot's
// state. Never stops early: every failure becomes the state and reason of the
// readings it concerns. Runs on the scan thread; allocation failure is the
// only thing that leaves it as an exception.
ScanSnapshot& scanMachine(ScanSnapshot& snapshot, const ScanCalls& calls);
// The same on this machine, as the scan thread runs it.
ScanSnapshot& scanMachine(ScanSnapshot& snapshot);
