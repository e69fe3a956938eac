#include "scan/drives_probe.h"

#include <cwchar>
#include <utility>

#include "common/scope_exit.h"
#include "scan/drives_rules.h"

namespace {

// SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX: an empty card reader or
// optical drive would otherwise stop the scan with a "no disk" dialog box.
constexpr DWORD kQuietErrorMode = 0x8001;
constexpr int kLetterCount = 26;
constexpr DWORD kNameUnits = 261;
constexpr DWORD kFileSystemUnits = 64;

// The thread's mode, not the process's: the walk runs on the scan thread while
// the window thread may be saving a file and must keep its own error boxes.
DWORD quietThreadErrorMode(const DriveCalls& calls)
{
    DWORD previous = 0;
    if (!calls.setThreadErrorMode(kQuietErrorMode, &previous)) {
        return calls.threadErrorMode();  // unchanged, so restoring it is a no-op
    }
    return previous;
}

void readVolume(const DriveCalls& calls, const wchar_t* root, DriveReads& reads)
{
    wchar_t name[kNameUnits] = {};
    wchar_t fileSystem[kFileSystemUnits] = {};
    if (!calls.volumeInformation(root, name, kNameUnits, nullptr, nullptr, nullptr, fileSystem, kFileSystemUnits)) {
        reads.volumeError = GetLastError();
        return;
    }
    reads.volumeRead = true;
    reads.label.assign(name, wcsnlen(name, kNameUnits));
    reads.fileSystemName.assign(fileSystem, wcsnlen(fileSystem, kFileSystemUnits));
}

void readSpace(const DriveCalls& calls, const wchar_t* root, DriveReads& reads)
{
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER totalFree{};
    if (!calls.diskFreeSpace(root, &available, &total, &totalFree)) {
        reads.spaceError = GetLastError();
        return;
    }
    reads.spaceRead = true;
    reads.freeBytes = available.QuadPart;
    reads.totalBytes = total.QuadPart;
}

}  // namespace

DriveScan scanDrives(const DriveCalls& calls)
{
    DriveScan scan;
    const DWORD mask = calls.logicalDrives();
    if (mask == 0) {
        scan.notExamined = 1;
        return scan;
    }

    // The quiet error mode for this walk only, restored on every way out,
    // including an allocation failure.
    const DWORD previousMode = quietThreadErrorMode(calls);
    const ScopeExit restoreMode(
        [&calls, previousMode] { static_cast<void>(calls.setThreadErrorMode(previousMode, nullptr)); });
    for (int index = 0; index < kLetterCount; ++index) {
        if ((mask & (DWORD{1} << index)) == 0) {
            continue;
        }
        std::wstring root{static_cast<wchar_t>(L'A' + index), L':', L'\\'};
        DriveReads reads;
        reads.driveType = calls.driveType(root.c_str());
        // Unknown types and letters without a root directory are counted, not listed.
        if (reads.driveType == DRIVE_UNKNOWN || reads.driveType == DRIVE_NO_ROOT_DIR) {
            ++scan.notExamined;
            continue;
        }
        readVolume(calls, root.c_str(), reads);
        readSpace(calls, root.c_str(), reads);
        scan.drives.push_back(driveEntryFromReads(std::move(root), reads));
    }
    return scan;
}
