#include "scan/drives_probe.h"

#include <windows.h>

#include <cwchar>
#include <utility>

#include "common/scope_exit.h"
#include "scan/drive_entry.h"

namespace {

// SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX: an empty card reader or
// optical drive would otherwise stop the scan with a "no disk" dialog box.
constexpr uint32_t kQuietErrorMode = 0x8001;
constexpr int kLetterCount = 26;

uint32_t windowsLogicalDrives()
{
    return GetLogicalDrives();
}

// The thread's mode, not the process's: the walk runs on the scan thread while
// the window thread may be saving a file and must keep its own error boxes.
uint32_t windowsSetThreadErrorMode(uint32_t mode)
{
    DWORD previous = 0;
    if (!SetThreadErrorMode(mode, &previous)) {
        return GetThreadErrorMode();  // unchanged, so restoring it is a no-op
    }
    return previous;
}

uint32_t windowsDriveType(const wchar_t* root)
{
    return GetDriveTypeW(root);
}

bool windowsVolumeInformation(const wchar_t* root, std::wstring& label, std::wstring& fileSystemName,
                              uint32_t& error)
{
    wchar_t name[261] = {};
    wchar_t fileSystem[64] = {};
    if (!GetVolumeInformationW(root, name, 261, nullptr, nullptr, nullptr, fileSystem, 64)) {
        error = GetLastError();
        return false;
    }
    label.assign(name, wcsnlen(name, 261));
    fileSystemName.assign(fileSystem, wcsnlen(fileSystem, 64));
    return true;
}

bool windowsDiskFreeSpace(const wchar_t* root, uint64_t& freeToCaller, uint64_t& totalBytes, uint32_t& error)
{
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER totalFree{};
    if (!GetDiskFreeSpaceExW(root, &available, &total, &totalFree)) {
        error = GetLastError();
        return false;
    }
    freeToCaller = available.QuadPart;
    totalBytes = total.QuadPart;
    return true;
}

}  // namespace

DriveCalls windowsDriveCalls()
{
    return DriveCalls{windowsLogicalDrives, windowsSetThreadErrorMode, windowsDriveType, windowsVolumeInformation,
                      windowsDiskFreeSpace};
}

DriveScan scanDrives(const DriveCalls& calls)
{
    DriveScan scan;
    const uint32_t mask = calls.logicalDrives();
    if (mask == 0) {
        scan.notExamined = 1;
        return scan;
    }

    // The quiet error mode for this walk only, restored on every way out,
    // including an allocation failure.
    const uint32_t previousMode = calls.setThreadErrorMode(kQuietErrorMode);
    const ScopeExit restoreMode([&calls, previousMode] { static_cast<void>(calls.setThreadErrorMode(previousMode)); });
    for (int index = 0; index < kLetterCount; ++index) {
        if ((mask & (uint32_t{1} << index)) == 0) {
            continue;
        }
        std::wstring root = driveRootText(index);
        DriveReads reads;
        reads.driveType = calls.driveType(root.c_str());
        if (!driveTypeExamined(reads.driveType)) {
            ++scan.notExamined;
            continue;
        }
        reads.volumeRead = calls.volumeInformation(root.c_str(), reads.label, reads.fileSystemName, reads.volumeError);
        reads.spaceRead = calls.diskFreeSpace(root.c_str(), reads.freeBytes, reads.totalBytes, reads.spaceError);
        scan.drives.push_back(driveEntryFromReads(std::move(root), reads));
    }
    return scan;
}

DriveScan scanDrives()
{
    return scanDrives(windowsDriveCalls());
}
