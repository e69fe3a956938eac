#pragma once

#include <cstdint>
#include <string>

#include "report/snapshot.h"

// What the two per-drive calls returned, as plain values.
struct DriveReads {
    uint32_t driveType = 0;
    bool volumeRead = false;
    uint32_t volumeError = 0;  // GetLastError after a failed volume call
    std::wstring label;
    std::wstring fileSystemName;
    bool spaceRead = false;
    uint32_t spaceError = 0;  // GetLastError after a failed free-space call
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;  // available to the calling user
};

// One drive's entry. An empty card reader or optical drive is "no media"
// rather than a failure; the drive type matters only for that rule.
[[nodiscard]] DriveEntry driveEntryFromReads(std::wstring root, const DriveReads& reads);

// The entry of a network drive that gave no answer within the scan's wait:
// nothing of it is known, so both readings fail and it is not sized.
[[nodiscard]] DriveEntry unansweredDriveEntry(std::wstring root, uint32_t waitMilliseconds);
