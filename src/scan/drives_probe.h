#pragma once

#include <cstdint>
#include <vector>

#include "report/snapshot.h"

struct DriveScan {
    std::vector<DriveEntry> drives;
    // 1 when the drive mask could not be read, else the letters of unknown
    // type or without a root directory.
    int32_t notExamined = 0;
};

// Every drive letter in order. Sets the error mode so that empty card readers
// raise no dialog box, and restores it.
[[nodiscard]] DriveScan scanDrives();
