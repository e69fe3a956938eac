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

// The Windows calls of the drive walk; tests hand in their own.
struct DriveCalls {
    decltype(&GetLogicalDrives) logicalDrives = GetLogicalDrives;
    decltype(&SetThreadErrorMode) setThreadErrorMode = SetThreadErrorMode;
    decltype(&GetThreadErrorMode) threadErrorMode = GetThreadErrorMode;
    decltype(&GetDriveTypeW) driveType = GetDriveTypeW;
    decltype(&GetVolumeInformationW) volumeInformation = GetVolumeInformationW;
    decltype(&GetDiskFreeSpaceExW) diskFreeSpace = GetDiskFreeSpaceExW;
};

// Every drive letter in order. Sets the calling thread's error mode so that
// empty card readers raise no dialog box, and restores it; other threads (the
// window's own file calls) keep theirs.
[[nodiscard]] DriveScan scanDrives(const DriveCalls& calls);
