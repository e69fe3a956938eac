#include "export/safe_file_replace.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/unique_resource.h"
#include "common/windows_failure.h"
#include "support/file_bytes.h"
#include "support/temporary_folder.h"

// Real files in a temporary folder. Where Windows cannot be made to fail on
// demand, each call goes through a scripted stand-in that logs what it was
// asked, in the folder's own terms, and forwards to the real function.

namespace {

constexpr size_t kMiB = 0x100000;
const std::wstring kUntouched = L"untouched";
const std::string kOld = "old report, longer than the new one\r\n";
const std::string kTenBytes = "0123456789";
const std::string kData = "<the data>";  // a file that holds exactly the data saved

// How the scripted calls misbehave.
struct Faults {
    DWORD createFailure = 0;     // every creation fails with this code
    int failingWrite = -1;       // the write call (counted from 0) that fails, setting writeFailure;
    bool writesNothing = false;  // ... by returning TRUE with nothing written
    DWORD writeFailure = 0;
    DWORD writeLimit = 0;  // each write moves at most this many bytes
    DWORD flushFailure = 0;
    DWORD moveFailure = 0;   // the move fails with this code, untried,
    int moveFailures = -1;   // ... this many times, then is made; -1: every time
    int deleteRefusals = 0;  // the delete meets a sharing violation this many times; -1: every time
    bool vanishes = false;   // another program removes the temporary file before the delete
};

struct Script {
    Faults faults;
    std::wstring folder;
    std::wstring target;
    std::string_view data;
    std::wstring created{};  // the file last created
    int writes = 0;
    std::vector<std::wstring> log{};
};
Script script;

// A path as the rows name it: within the folder.
std::wstring inFolder(const std::wstring& path)
{
    const std::wstring prefix = script.folder + L"\\";
    return path.starts_with(prefix) ? path.substr(prefix.size()) : path;
}

std::wstring writeCall(size_t offset, size_t size)
{
    return L"write " + std::to_wstring(offset) + L"+" + std::to_wstring(size);
}

HANDLE WINAPI scriptedCreateFile(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                 DWORD disposition, DWORD attributes, HANDLE templateFile)
{
    script.log.push_back(L"create " + inFolder(name));
    script.created = name;
    if (script.faults.createFailure != 0) {
        SetLastError(script.faults.createFailure);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(name, access, share, security, disposition, attributes, templateFile);
}

BOOL WINAPI scriptedWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    const auto offset = static_cast<size_t>(static_cast<const char*>(buffer) - script.data.data());
    script.log.push_back(writeCall(offset, size));
    const int index = script.writes++;
    // Another program trying to read the half-written file.
    if (index == 0 && fileBytes(script.created)) {
        script.log.emplace_back(L"read by another program while written");
    }
    if (index == script.faults.failingWrite) {
        *written = 0;
        SetLastError(script.faults.writeFailure);
        return script.faults.writesNothing ? TRUE : FALSE;
    }
    const DWORD limit = script.faults.writeLimit;
    return WriteFile(file, buffer, limit != 0 ? std::min(size, limit) : size, written, overlapped);
}

BOOL WINAPI scriptedFlushFile(HANDLE file)
{
    script.log.emplace_back(L"flush");
    if (script.faults.flushFailure != 0) {
        SetLastError(script.faults.flushFailure);
        return FALSE;
    }
    return FlushFileBuffers(file);
}

BOOL WINAPI scriptedMoveFile(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    std::wstring entry = L"move " + inFolder(from);
    if (to != script.target) {
        entry += L" to " + inFolder(to);
    }
    if (flags != MOVEFILE_REPLACE_EXISTING) {
        entry += L" with flags " + std::to_wstring(flags);
    }
    // Readable only once closed.
    if (fileBytes(from) != script.data) {
        entry += L" before its bytes were all in and closed";
    }
    script.log.push_back(entry);
    if (script.faults.moveFailure != 0 && script.faults.moveFailures != 0) {
        --script.faults.moveFailures;
        SetLastError(script.faults.moveFailure);
        return FALSE;
    }
    return MoveFileExW(from, to, flags);
}

BOOL WINAPI scriptedDeleteFile(LPCWSTR name)
{
    script.log.push_back(L"delete " + inFolder(name));
    if (script.faults.deleteRefusals != 0) {
        --script.faults.deleteRefusals;
        SetLastError(ERROR_SHARING_VIOLATION);  // as while a scanner holds it without FILE_SHARE_DELETE
        return FALSE;
    }
    if (script.faults.vanishes) {
        DeleteFileW(name);
    }
    return DeleteFileW(name);
}

VOID WINAPI scriptedSleep(DWORD milliseconds)
{
    script.log.push_back(L"sleep " + std::to_wstring(milliseconds));
}

const FileCalls kScriptedCalls{.createFile = scriptedCreateFile,
                               .writeFile = scriptedWriteFile,
                               .flushFile = scriptedFlushFile,
                               .moveFile = scriptedMoveFile,
                               .deleteFile = scriptedDeleteFile,
                               .sleep = scriptedSleep};

// Files (name and bytes) and folders (name ending in '\', no bytes) in the folder.
using Listing = std::vector<std::pair<std::wstring, std::string>>;

void layOut(const TemporaryFolder& folder, const Listing& entries)
{
    for (const auto& [name, bytes] : entries) {
        if (name.ends_with(L'\\')) {
            ASSERT_TRUE(CreateDirectoryW(folder.file(name).c_str(), nullptr)) << "error " << GetLastError();
        } else {
            ASSERT_TRUE(writeFileBytes(folder.file(name), bytes)) << "error " << GetLastError();
        }
    }
}

// What the folder holds; a file holding exactly `data` reads kData.
Listing contents(const TemporaryFolder& folder, std::string_view data)
{
    Listing found;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder.path())) {
        const std::wstring name = entry.path().lexically_relative(folder.path()).wstring();
        if (entry.is_directory()) {
            found.emplace_back(name + L"\\", "");
        } else {
            const std::string bytes = fileBytes(entry.path().wstring()).value_or("<unreadable>");
            found.emplace_back(name, bytes == data ? kData : bytes);
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Bytes that differ from one chunk boundary to the next, so a chunk written
// twice or skipped shows.
std::string patterned(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

// A save, and what it must come to. Unless a row says otherwise, ten bytes
// are saved over report.csv, which holds the old report, no call fails, and
// the old report stays.
struct Row {
    const char* name = "";
    Listing before = {{L"report.csv", kOld}};
    std::wstring target = L"report.csv";
    std::string data = kTenBytes;
    Faults faults{};
    std::wstring error{};  // empty: saved
    std::vector<std::wstring> log{};
    Listing after = {{L"report.csv", kOld}};
};

// The calls of ten bytes written to the first temporary file, then `more`.
std::vector<std::wstring> writtenThen(std::initializer_list<std::wstring> more)
{
    std::vector<std::wstring> calls{L"create ~KV0000.tmp", writeCall(0, 10), L"flush"};
    calls.insert(calls.end(), more);
    return calls;
}

}  // namespace

// Each row: what the folder holds, the target and data, how the calls fail;
// then the result and error text, every call made, and what the folder holds
// after. A refused move or delete is tried again 50 ms later, five times at most.
TEST(SafeFileReplace, EachScriptEndsInItsResultCallsAndFiles)
{
    const TemporaryFolder folder(L"korvane-safe-");
    const auto words = [](DWORD code) { return windowsErrorMessage(code); };
    const std::string large = patterned(2 * kMiB + kMiB / 2 + 1);
    std::vector<std::wstring> everyName;
    for (unsigned number = 0; number < 256; ++number) {
        wchar_t name[32];
        std::swprintf(name, std::size(name), L"create ~KV%04X.tmp", number);
        everyName.emplace_back(name);
    }
    const Row rows[] = {
        {.name = "a new target",
         .before = {},
         .target = L"new.csv",
         .log = writtenThen({L"move ~KV0000.tmp"}),
         .after = {{L"new.csv", kData}}},
        // CREATE_NEW passes over files left under the temporary names.
        {.name = "temporary files left by others",
         .before = {{L"report.csv", kOld}, {L"~KV0000.tmp", "left by a crash"}, {L"~KV0001.tmp", "left"}},
         .data = "new",
         .log = {L"create ~KV0000.tmp", L"create ~KV0001.tmp", L"create ~KV0002.tmp", writeCall(0, 3), L"flush",
                 L"move ~KV0002.tmp"},
         .after = {{L"report.csv", kData}, {L"~KV0000.tmp", "left by a crash"}, {L"~KV0001.tmp", "left"}}},
        {.name = "empty data: no write, still flushed",
         .data = "",
         .log = {L"create ~KV0000.tmp", L"flush", L"move ~KV0000.tmp"},
         .after = {{L"report.csv", kData}}},
        // The directory ends at the last slash of either kind, and a target
        // with a temporary file's name is not its own temporary file.
        {.name = "a new target named like the first temporary file, past a forward slash",
         .before = {{L"sub\\", ""}},
         .target = L"sub/~kv0000.TMP",
         .log = {L"create sub/~KV0001.tmp", writeCall(0, 10), L"flush", L"move sub/~KV0001.tmp"},
         .after = {{L"sub\\", ""}, {L"sub\\~kv0000.TMP", kData}}},
        {.name = "writes of at most 1 MiB each",
         .data = large,
         .log = {L"create ~KV0000.tmp", writeCall(0, kMiB), writeCall(kMiB, kMiB), writeCall(2 * kMiB, kMiB / 2 + 1),
                 L"flush", L"move ~KV0000.tmp"},
         .after = {{L"report.csv", kData}}},
        {.name = "each write continues where the last one stopped",
         .faults = {.writeLimit = 4},
         .log = {L"create ~KV0000.tmp", writeCall(0, 10), writeCall(4, 6), writeCall(8, 2), L"flush",
                 L"move ~KV0000.tmp"},
         .after = {{L"report.csv", kData}}},

        {.name = "a missing folder",
         .before = {},
         .target = L"missing\\report.csv",
         .error = words(ERROR_PATH_NOT_FOUND),
         .log = {L"create missing\\~KV0000.tmp"},
         .after = {}},
        // CREATE_NEW never answers ERROR_ALREADY_EXISTS, so it is a failure like any other.
        {.name = "creation refused",
         .faults = {.createFailure = ERROR_ALREADY_EXISTS},
         .error = words(ERROR_ALREADY_EXISTS),
         .log = {L"create ~KV0000.tmp"}},
        {.name = "every temporary name taken",
         .faults = {.createFailure = ERROR_FILE_EXISTS},
         .error = L"No unused temporary name was free beside the chosen file.",
         .log = everyName},

        {.name = "the second write fails",
         .data = large,
         .faults = {.failingWrite = 1, .writeFailure = ERROR_DISK_FULL},
         .error = words(ERROR_DISK_FULL),
         .log = {L"create ~KV0000.tmp", writeCall(0, kMiB), writeCall(kMiB, kMiB), L"delete ~KV0000.tmp"}},
        // Not worded as "The operation completed successfully."
        {.name = "a write moves nothing and sets no error",
         .faults = {.failingWrite = 0, .writesNothing = true},
         .error = words(ERROR_WRITE_FAULT),
         .log = {L"create ~KV0000.tmp", writeCall(0, 10), L"delete ~KV0000.tmp"}},
        {.name = "the flush fails",
         .faults = {.flushFailure = ERROR_IO_DEVICE},
         .error = words(ERROR_IO_DEVICE),
         .log = writtenThen({L"delete ~KV0000.tmp"})},

        // Windows refuses to move a file over a folder with access denied, a
        // code that may pass, so the move is made five times.
        {.name = "a folder in the target's place",
         .before = {{L"report.csv\\", ""}, {L"report.csv\\inside.txt", "inside"}},
         .error = words(ERROR_ACCESS_DENIED),
         .log =
             writtenThen({L"move ~KV0000.tmp", L"sleep 50", L"move ~KV0000.tmp", L"sleep 50", L"move ~KV0000.tmp",
                          L"sleep 50", L"move ~KV0000.tmp", L"sleep 50", L"move ~KV0000.tmp", L"delete ~KV0000.tmp"}),
         .after = {{L"report.csv\\", ""}, {L"report.csv\\inside.txt", "inside"}}},
        {.name = "the move refused for a moment",
         .faults = {.moveFailure = ERROR_SHARING_VIOLATION, .moveFailures = 2},
         .log =
             writtenThen({L"move ~KV0000.tmp", L"sleep 50", L"move ~KV0000.tmp", L"sleep 50", L"move ~KV0000.tmp"}),
         .after = {{L"report.csv", kData}}},
        // Another code is not tried again; the delete after it is.
        {.name = "the move fails, the delete is refused twice",
         .faults = {.moveFailure = ERROR_NOT_SAME_DEVICE, .deleteRefusals = 2},
         .error = words(ERROR_NOT_SAME_DEVICE),
         .log = writtenThen({L"move ~KV0000.tmp", L"delete ~KV0000.tmp", L"sleep 50", L"delete ~KV0000.tmp",
                             L"sleep 50", L"delete ~KV0000.tmp"})},
        {.name = "the move fails, the delete is always refused",
         .faults = {.moveFailure = ERROR_NOT_SAME_DEVICE, .deleteRefusals = -1},
         .error = words(ERROR_NOT_SAME_DEVICE) + L". The temporary file \"" + folder.file(L"~KV0000.tmp") +
                  L"\" was left behind.",
         .log = writtenThen({L"move ~KV0000.tmp", L"delete ~KV0000.tmp", L"sleep 50", L"delete ~KV0000.tmp",
                             L"sleep 50", L"delete ~KV0000.tmp", L"sleep 50", L"delete ~KV0000.tmp", L"sleep 50",
                             L"delete ~KV0000.tmp"}),
         .after = {{L"report.csv", kOld}, {L"~KV0000.tmp", kData}}},
        {.name = "the move fails, someone else removes the temporary file",
         .faults = {.moveFailure = ERROR_NOT_SAME_DEVICE, .vanishes = true},
         .error = words(ERROR_NOT_SAME_DEVICE),
         .log = writtenThen({L"move ~KV0000.tmp", L"delete ~KV0000.tmp"})},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        folder.clear();
        ASSERT_NO_FATAL_FAILURE(layOut(folder, row.before));
        script = Script{.faults = row.faults,
                        .folder = folder.path(),
                        .target = folder.file(row.target),
                        .data = row.data};
        std::wstring error = kUntouched;
        EXPECT_EQ(replaceFileSafely(script.target, row.data, error, kScriptedCalls), row.error.empty());
        EXPECT_EQ(error, row.error.empty() ? kUntouched : row.error);
        EXPECT_EQ(script.log, row.log);
        EXPECT_EQ(contents(folder, row.data), row.after);
    }
}
