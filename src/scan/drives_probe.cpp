#include "scan/drives_probe.h"

#include <atomic>
#include <cwchar>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/scope_exit.h"
#include "common/unique_resource.h"
#include "scan/drives_rules.h"

namespace {

// SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX: an empty card reader or
// optical drive would otherwise stop the scan with a "no disk" dialog box.
constexpr DWORD kQuietErrorMode = 0x8001;
constexpr int kLetterCount = 26;
constexpr DWORD kNameUnits = 261;
constexpr DWORD kFileSystemUnits = 64;
static_assert(kLetterCount <= MAXIMUM_WAIT_OBJECTS, "one wait covers every network drive's thread");

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

// The roots whose network read has not ended, from this scan or an earlier
// one, so that Refresh never starts a second thread for a drive that still
// waits. Held by every drive thread too: a thread that outlives the scan, or
// the program's exit, still finds it.
class RootsInFlight {
public:
    [[nodiscard]] bool claim(const std::wstring& root)
    {
        const std::lock_guard lock(mutex_);
        return roots_.insert(root).second;
    }
    void release(const std::wstring& root) noexcept
    {
        const std::lock_guard lock(mutex_);
        roots_.erase(root);
    }

private:
    std::mutex mutex_;
    std::set<std::wstring> roots_;
};

const std::shared_ptr<RootsInFlight>& rootsInFlight()
{
    static const auto roots = std::make_shared<RootsInFlight>();
    return roots;
}

// One network drive's read: everything its thread touches, its own copies,
// freed by whichever of the scan and the thread lets go last.
struct RemoteRead {
    RemoteRead(const DriveCalls& driveCalls, std::shared_ptr<RootsInFlight> roots, std::wstring driveRoot,
               const DriveReads& typeRead)
        : calls(driveCalls), inFlight(std::move(roots)), root(std::move(driveRoot)), reads(typeRead)
    {
    }
    const DriveCalls calls;
    const std::shared_ptr<RootsInFlight> inFlight;
    const std::wstring root;
    DriveReads reads;  // the thread's until `finished`, the scan's after
    bool outOfMemory = false;
    std::atomic<bool> finished{false};
};

DWORD WINAPI readRemoteDrive(LPVOID parameter)
{
    const std::unique_ptr<std::shared_ptr<RemoteRead>> owned(static_cast<std::shared_ptr<RemoteRead>*>(parameter));
    RemoteRead& read = **owned;
    // The thread is Korvane's own and quiet for all its life: nothing to restore.
    static_cast<void>(read.calls.setThreadErrorMode(kQuietErrorMode, nullptr));
    try {
        readVolume(read.calls, read.root.c_str(), read.reads);
        readSpace(read.calls, read.root.c_str(), read.reads);
    } catch (const std::bad_alloc&) {
        read.outOfMemory = true;  // the scan raises it again, as a drive read in place would
    }
    read.finished.store(true, std::memory_order_release);
    read.inFlight->release(read.root);
    return 0;
}

// One listed letter on its way to an entry.
struct LetterRead {
    std::wstring root;
    DriveReads reads;
    std::shared_ptr<RemoteRead> remote;  // while a thread of its own reads it
    bool unanswered = false;
};

// Starts the read of a network drive on a thread of its own, unless one from
// an earlier scan still waits. When no thread can be made the drive is left
// to be read in place like a local one: slow, perhaps, but read.
void startRemoteRead(const DriveCalls& calls, LetterRead& letter, std::vector<UniqueHandle>& threads)
{
    const std::shared_ptr<RootsInFlight>& inFlight = rootsInFlight();
    if (!inFlight->claim(letter.root)) {
        letter.unanswered = true;
        return;
    }
    ScopeExit unclaim([&inFlight, &letter] { inFlight->release(letter.root); });
    auto read = std::make_shared<RemoteRead>(calls, inFlight, letter.root, letter.reads);
    auto parameter = std::make_unique<std::shared_ptr<RemoteRead>>(read);
    UniqueHandle thread(calls.createThread(nullptr, 0, readRemoteDrive, parameter.get(), 0, nullptr));
    if (!thread) {
        return;
    }
    static_cast<void>(parameter.release());  // the thread owns it, and the claim, now
    unclaim.release();
    letter.remote = std::move(read);
    threads.push_back(std::move(thread));
}

// Waits for the network drives' threads until `remoteWaitMilliseconds` after
// `started`, and takes what each of them read by then.
void collectRemoteReads(const DriveCalls& calls, std::vector<LetterRead>& letters,
                        const std::vector<UniqueHandle>& threads, ULONGLONG started, DWORD remoteWaitMilliseconds)
{
    if (!threads.empty()) {
        const ULONGLONG elapsed = calls.tickCount() - started;
        const DWORD left =
            elapsed >= remoteWaitMilliseconds ? 0 : remoteWaitMilliseconds - static_cast<DWORD>(elapsed);
        HANDLE handles[kLetterCount] = {};
        for (size_t i = 0; i < threads.size(); ++i) {
            handles[i] = threads[i].get();
        }
        // Which drives answered is read from their flags below, not from the
        // result: a thread may end just after a time-out.
        static_cast<void>(calls.waitForObjects(static_cast<DWORD>(threads.size()), handles, TRUE, left));
    }
    for (LetterRead& letter : letters) {
        if (!letter.remote) {
            continue;
        }
        if (!letter.remote->finished.load(std::memory_order_acquire)) {
            letter.unanswered = true;
            continue;
        }
        if (letter.remote->outOfMemory) {
            throw std::bad_alloc();
        }
        letter.reads = letter.remote->reads;
    }
}

}  // namespace

DriveScan scanDrives(const DriveCalls& calls, DWORD remoteWaitMilliseconds)
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

    // Every type first, so that all network drives start waiting at once.
    std::vector<LetterRead> letters;
    std::vector<UniqueHandle> threads;
    threads.reserve(kLetterCount);
    for (int index = 0; index < kLetterCount; ++index) {
        if ((mask & (DWORD{1} << index)) == 0) {
            continue;
        }
        LetterRead letter;
        letter.root = {static_cast<wchar_t>(L'A' + index), L':', L'\\'};
        letter.reads.driveType = calls.driveType(letter.root.c_str());
        // Unknown types and letters without a root directory are counted, not listed.
        if (letter.reads.driveType == DRIVE_UNKNOWN || letter.reads.driveType == DRIVE_NO_ROOT_DIR) {
            ++scan.notExamined;
            continue;
        }
        if (letter.reads.driveType == DRIVE_REMOTE) {
            startRemoteRead(calls, letter, threads);
        }
        letters.push_back(std::move(letter));
    }
    const ULONGLONG started = calls.tickCount();

    for (LetterRead& letter : letters) {
        if (!letter.remote && !letter.unanswered) {
            readVolume(calls, letter.root.c_str(), letter.reads);
            readSpace(calls, letter.root.c_str(), letter.reads);
        }
    }
    collectRemoteReads(calls, letters, threads, started, remoteWaitMilliseconds);

    scan.drives.reserve(letters.size());
    for (LetterRead& letter : letters) {
        scan.drives.push_back(letter.unanswered ? unansweredDriveEntry(std::move(letter.root), remoteWaitMilliseconds)
                                                : driveEntryFromReads(std::move(letter.root), letter.reads));
    }
    return scan;
}
