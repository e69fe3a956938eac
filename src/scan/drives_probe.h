#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/snapshot.h"

struct DriveScan {
    std::vector<DriveEntry> drives;
    // 1 when the drive mask could not be read, else the letters of unknown
    // type or without a root directory.
    int32_t notExamined = 0;
};

// Every drive letter in order. Sets the calling thread's error mode so that
// empty card readers raise no dialog box, and restores it; other threads (the
// window's own file calls) keep theirs.
[[nodiscard]] DriveScan scanDrives();

// The Windows calls of the drive walk, as plain functions so that tests can
// replace them. The two reading calls report a failure as false plus the
// thread's last error, read right after the failing call.
struct DriveCalls {
    uint32_t (*logicalDrives)();
    uint32_t (*setThreadErrorMode)(uint32_t mode);  // returns the previous mode
    uint32_t (*driveType)(const wchar_t* root);
    bool (*volumeInformation)(const wchar_t* root, std::wstring& label, std::wstring& fileSystemName,
                              uint32_t& error);
    bool (*diskFreeSpace)(const wchar_t* root, uint64_t& freeToCaller, uint64_t& totalBytes, uint32_t& error);
};

// The calls scanDrives() makes.
[[nodiscard]] DriveCalls windowsDriveCalls();

[[nodiscard]] DriveScan scanDrives(const DriveCalls& calls);
