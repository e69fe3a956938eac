#include "scan/drives_rules.h"

#include <string>
#include <utility>

#include "common/windows_failure.h"

namespace {

constexpr uint32_t kDriveRemovable = 2;
constexpr uint32_t kDriveCdrom = 5;
constexpr uint32_t kErrorNotReady = 21;
constexpr uint32_t kErrorNoMediaInDrive = 1112;

constexpr wchar_t kNoMedia[] = L"no ready media in the removable drive";

bool isMissingMedium(uint32_t code)
{
    return code == kErrorNotReady || code == kErrorNoMediaInDrive;
}

std::wstring waitText(uint32_t milliseconds)
{
    constexpr uint32_t kMillisecondsPerSecond = 1000;
    if (milliseconds % kMillisecondsPerSecond != 0) {
        return std::to_wstring(milliseconds) + L" milliseconds";
    }
    const uint32_t seconds = milliseconds / kMillisecondsPerSecond;
    return std::to_wstring(seconds) + (seconds == 1 ? L" second" : L" seconds");
}

}  // namespace

DriveEntry driveEntryFromReads(std::wstring root, const DriveReads& reads)
{
    DriveEntry entry;
    entry.root = std::move(root);

    if (reads.volumeRead) {
        entry.volumeName = reads.label.empty() ? readingNone(L"the volume has no label") : readingOk(reads.label);
        entry.fileSystem = reads.fileSystemName.empty() ? readingNone(L"Windows stated no file-system name")
                                                        : readingOk(reads.fileSystemName);
    } else {
        entry.volumeName = readingFailed(L"reading volume information: " + windowsFailureText(reads.volumeError));
        entry.fileSystem = entry.volumeName;
    }

    if (reads.spaceRead) {
        entry.totalBytes = reads.totalBytes;
        entry.freeBytes = reads.freeBytes;
        entry.sized = true;
        return entry;
    }

    const bool removable = reads.driveType == kDriveRemovable || reads.driveType == kDriveCdrom;
    if (removable && isMissingMedium(reads.spaceError)) {
        entry.sizeReason = kNoMedia;
        entry.noMedia = true;
        if (!reads.volumeRead && isMissingMedium(reads.volumeError)) {
            entry.volumeName = readingNone(kNoMedia);
            entry.fileSystem = entry.volumeName;
        }
    } else {
        entry.sizeReason = windowsFailureText(reads.spaceError);
    }
    return entry;
}

DriveEntry unansweredDriveEntry(std::wstring root, uint32_t waitMilliseconds)
{
    DriveEntry entry;
    entry.root = std::move(root);
    entry.sizeReason = L"the network drive did not answer within " + waitText(waitMilliseconds);
    entry.volumeName = readingFailed(entry.sizeReason);
    entry.fileSystem = entry.volumeName;
    return entry;
}
