#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "report/snapshot.h"

struct DriveScan {
    std::vector<DriveEntry> drives;
    // 1 when the drive mask could not be read, else the letters of unknown
    // type or without a root directory.
    int32_t notExamined = 0;
};

// How long a scan waits, in all, for its network drives. Windows sets no
// limit on the volume calls: on a laptop away from the office network a mapped
// drive holds each of them until the network's own time-out, tens of seconds.
constexpr DWORD kRemoteDriveWaitMilliseconds = 3000;

// The Windows calls of the drive walk; tests hand in their own.
struct DriveCalls {
    decltype(&GetLogicalDrives) logicalDrives = GetLogicalDrives;
    decltype(&SetThreadErrorMode) setThreadErrorMode = SetThreadErrorMode;
    decltype(&GetThreadErrorMode) threadErrorMode = GetThreadErrorMode;
    decltype(&GetDriveTypeW) driveType = GetDriveTypeW;
    decltype(&GetVolumeInformationW) volumeInformation = GetVolumeInformationW;
    decltype(&GetDiskFreeSpaceExW) diskFreeSpace = GetDiskFreeSpaceExW;
    decltype(&CreateThread) createThread = CreateThread;
    decltype(&WaitForMultipleObjects) waitForObjects = WaitForMultipleObjects;
    decltype(&GetTickCount64) tickCount = GetTickCount64;
};

// Every drive letter in order. Sets the calling thread's error mode so that
// empty card readers raise no dialog box, and restores it; other threads (the
// window's own file calls) keep theirs.
// Network drives are read on threads of their own, all started before the
// local drives are read; one that has not answered `remoteWaitMilliseconds`
// after they started, or whose read from an earlier scan still waits, is
// listed as not answering, and its thread is left to finish on its own.
[[nodiscard]] DriveScan scanDrives(const DriveCalls& calls,
                                   DWORD remoteWaitMilliseconds = kRemoteDriveWaitMilliseconds);
