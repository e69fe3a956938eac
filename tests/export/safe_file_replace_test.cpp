#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "common/unique_resource.h"
#include "common/windows_failure.h"
#include "export/safe_file_replace.h"

// Real files in a fresh folder under the Windows temporary directory. Where
// Windows cannot be made to fail on demand, the calls go through a scripted
// stand-in that records what it was asked and forwards to the real function.

namespace {

constexpr DWORD kChunk = 0x100000;
constexpr size_t kTwoAndAHalfMiBPlusOne = 0x280001;
const std::wstring kUntouched = L"untouched";
const std::wstring kNoNameFree = L"No unused temporary name was free beside the chosen file.";

std::optional<std::string> readBytes(const std::wstring& path)
{
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    std::vector<char> chunk(0x10000);
    DWORD got = 0;
    while (ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) && got > 0) {
        bytes.append(chunk.data(), got);
    }
    return bytes;
}

void writeBytes(const std::wstring& path, const std::string& bytes)
{
    const UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file.valid()) << "creating a test file failed with " << GetLastError();
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    ASSERT_EQ(written, bytes.size());
}

std::vector<std::wstring> namesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().wstring());
    }
    std::sort(names.begin(), names.end());
    return names;
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

std::wstring leftoverName(unsigned number)
{
    wchar_t name[16];
    std::swprintf(name, 16, L"~KV%04X.tmp", number);
    return name;
}

// What the scripted calls saw, and how they misbehave. Reset for every case.
struct Script {
    DWORD createFailure = 0;  // every creation fails with this code
    std::vector<std::wstring> created;

    int failingWrite = -1;  // index of the write call that fails
    bool failByWritingNothing = false;
    DWORD writeFailure = 0;
    DWORD writeLimit = 0;  // each call writes at most this many bytes
    const char* dataStart = nullptr;
    std::vector<size_t> writeOffsets;
    std::vector<DWORD> writeSizes;
    DWORD openErrorWhileWriting = 0;

    DWORD flushFailure = 0;          // the flush fails with this code, untried
    std::vector<std::string> calls;  // "write", "flush", "move" in the order made

    DWORD moveFailure = 0;  // the move fails with this code, untried
    int moveFailures = -1;  // ... this many times, then is tried; -1: always
    std::vector<std::wstring> movedFrom;
    DWORD moveFlags = 0;
    std::optional<std::string> bytesAtMove;
    DWORD realMoveError = 0;
    std::vector<DWORD> sleeps;  // milliseconds asked for, none actually waited

    int deleteRefusals = 0;  // the delete is refused this many times, then tried; -1: always
    std::vector<std::wstring> deleted;
};

Script script;

HANDLE WINAPI scriptedCreateFile(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                 DWORD disposition, DWORD attributes, HANDLE templateFile)
{
    script.created.emplace_back(name);
    if (script.createFailure != 0) {
        SetLastError(script.createFailure);
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(name, access, share, security, disposition, attributes, templateFile);
}

BOOL WINAPI scriptedWriteFile(HANDLE file, LPCVOID buffer, DWORD size, LPDWORD written, LPOVERLAPPED overlapped)
{
    const int index = static_cast<int>(script.writeSizes.size());
    script.calls.emplace_back("write");
    script.writeOffsets.push_back(static_cast<size_t>(static_cast<const char*>(buffer) - script.dataStart));
    script.writeSizes.push_back(size);
    if (index == 0) {
        // Another program trying to read the half-written file.
        const UniqueFile other(CreateFileW(script.created.back().c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        script.openErrorWhileWriting = other ? 0 : GetLastError();
    }
    if (index == script.failingWrite) {
        *written = 0;
        SetLastError(script.writeFailure);
        return script.failByWritingNothing ? TRUE : FALSE;
    }
    const DWORD asked = script.writeLimit != 0 ? std::min(size, script.writeLimit) : size;
    return WriteFile(file, buffer, asked, written, overlapped);
}

BOOL WINAPI scriptedMoveFile(LPCWSTR from, LPCWSTR to, DWORD flags)
{
    script.calls.emplace_back("move");
    script.movedFrom.emplace_back(from);
    script.moveFlags = flags;
    // Readable only if the temporary file was closed before the move.
    script.bytesAtMove = readBytes(from);
    if (script.moveFailure != 0 && script.moveFailures != 0) {
        --script.moveFailures;
        SetLastError(script.moveFailure);
        return FALSE;
    }
    const BOOL moved = MoveFileExW(from, to, flags);
    if (!moved) {
        script.realMoveError = GetLastError();
        SetLastError(script.realMoveError);
    }
    return moved;
}

BOOL WINAPI scriptedFlushFile(HANDLE file)
{
    script.calls.emplace_back("flush");
    if (script.flushFailure != 0) {
        SetLastError(script.flushFailure);
        return FALSE;
    }
    return FlushFileBuffers(file);
}

// Refused as while a scanner holds the file without FILE_SHARE_DELETE.
BOOL WINAPI scriptedDeleteFile(LPCWSTR name)
{
    script.deleted.emplace_back(name);
    if (script.deleteRefusals != 0) {
        --script.deleteRefusals;
        SetLastError(ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    return DeleteFileW(name);
}

VOID WINAPI scriptedSleep(DWORD milliseconds)
{
    script.sleeps.push_back(milliseconds);
}

const FileCalls scriptedCalls{scriptedCreateFile, scriptedWriteFile,  scriptedFlushFile,
                              scriptedMoveFile,   scriptedDeleteFile, scriptedSleep};

void resetScript(const std::string& data)
{
    script = Script{};
    script.dataStart = data.data();
}

class CurrentDirectoryScope {
public:
    explicit CurrentDirectoryScope(const std::wstring& folder)
    {
        wchar_t previous[MAX_PATH + 1] = {};
        const DWORD length = GetCurrentDirectoryW(MAX_PATH + 1, previous);
        previous_.assign(previous, length <= MAX_PATH ? length : 0);
        changed_ = SetCurrentDirectoryW(folder.c_str()) != FALSE;
    }
    ~CurrentDirectoryScope()
    {
        if (changed_ && !previous_.empty()) {
            SetCurrentDirectoryW(previous_.c_str());
        }
    }
    CurrentDirectoryScope(const CurrentDirectoryScope&) = delete;
    CurrentDirectoryScope& operator=(const CurrentDirectoryScope&) = delete;
    [[nodiscard]] bool changed() const { return changed_ && !previous_.empty(); }

private:
    std::wstring previous_;
    bool changed_ = false;
};

class SafeFileReplace : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH + 1] = {};
        const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
        ASSERT_GT(length, 0u);
        ASSERT_LE(length, static_cast<DWORD>(MAX_PATH));
        static unsigned serial = 0;
        folder_ = std::wstring(temp, length) + L"korvane-safe-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++serial);
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << "error " << GetLastError();
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    [[nodiscard]] std::wstring path(const std::wstring& name) const { return folder_ + L"\\" + name; }

    void makeFolder(const std::wstring& name) const
    {
        ASSERT_TRUE(CreateDirectoryW(path(name).c_str(), nullptr)) << "error " << GetLastError();
    }

    std::wstring folder_;
};

}  // namespace

TEST_F(SafeFileReplace, WritesANewTargetAndReplacesAnOldOne)
{
    std::wstring error = kUntouched;
    ASSERT_TRUE(replaceFileSafely(path(L"new.csv"), "fresh,bytes\r\n", error)) << error;
    EXPECT_EQ(error, kUntouched) << "the error text is set only on failure";
    EXPECT_EQ(readBytes(path(L"new.csv")), "fresh,bytes\r\n");

    writeBytes(path(L"old.csv"), "an older and much longer content\r\n");
    ASSERT_TRUE(replaceFileSafely(path(L"old.csv"), "short", error)) << error;
    EXPECT_EQ(error, kUntouched);
    EXPECT_EQ(readBytes(path(L"old.csv")), "short") << "the old content must be gone, not overwritten in place";

    EXPECT_EQ(namesIn(folder_), (std::vector<std::wstring>{L"new.csv", L"old.csv"})) << "no temporary file remains";
}

TEST_F(SafeFileReplace, EmptyDataLeavesAnEmptyTarget)
{
    const std::string data;
    writeBytes(path(L"report.csv"), "was here");
    resetScript(data);
    std::wstring error = kUntouched;

    ASSERT_TRUE(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls)) << error;
    EXPECT_TRUE(script.writeSizes.empty()) << "empty data makes no write call";
    EXPECT_EQ(script.movedFrom, std::vector<std::wstring>{path(L"~KV0000.tmp")});
    EXPECT_EQ(script.bytesAtMove, "");
    EXPECT_EQ(readBytes(path(L"report.csv")), "");
    EXPECT_EQ(namesIn(folder_), std::vector<std::wstring>{L"report.csv"});
}

TEST_F(SafeFileReplace, PassesOverTemporaryFilesLeftBehind)
{
    writeBytes(path(L"~KV0000.tmp"), "left by a crash");
    writeBytes(path(L"~KV0001.tmp"), "left by another program");
    writeBytes(path(L"report.csv"), "old report");
    const std::string data = "new report\r\n";
    resetScript(data);
    std::wstring error = kUntouched;

    ASSERT_TRUE(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls)) << error;
    EXPECT_EQ(script.created,
              (std::vector<std::wstring>{path(L"~KV0000.tmp"), path(L"~KV0001.tmp"), path(L"~KV0002.tmp")}));
    EXPECT_EQ(script.movedFrom, std::vector<std::wstring>{path(L"~KV0002.tmp")});
    EXPECT_EQ(script.moveFlags, static_cast<DWORD>(MOVEFILE_REPLACE_EXISTING)) << "replace, and nothing else";
    EXPECT_EQ(script.bytesAtMove, data) << "the temporary file is complete and closed before the move";
    EXPECT_EQ(readBytes(path(L"report.csv")), data);
    EXPECT_EQ(readBytes(path(L"~KV0000.tmp")), "left by a crash");
    EXPECT_EQ(readBytes(path(L"~KV0001.tmp")), "left by another program");
    EXPECT_EQ(namesIn(folder_), (std::vector<std::wstring>{L"report.csv", L"~KV0000.tmp", L"~KV0001.tmp"}));
}

TEST_F(SafeFileReplace, TargetNamedLikeATemporaryFileIsNotItsOwnTemporary)
{
    const std::string data = "saved under an odd name";
    std::wstring error = kUntouched;

    // An existing target and a new one, in different mixes of case.
    writeBytes(path(L"~kv0000.TMP"), "old");
    makeFolder(L"fresh");
    for (const std::wstring& name : {std::wstring(L"~kv0000.TMP"), std::wstring(L"fresh\\~Kv0000.tmp")}) {
        SCOPED_TRACE(testing::PrintToString(name));
        resetScript(data);
        ASSERT_TRUE(replaceFileSafely(path(name), data, error, scriptedCalls)) << error;
        ASSERT_FALSE(script.created.empty());
        const std::wstring directory = path(name).substr(0, path(name).find_last_of(L'\\') + 1);
        EXPECT_EQ(script.created.front(), directory + L"~KV0001.tmp") << "number 0 is skipped, not tried";
        EXPECT_EQ(script.movedFrom, std::vector<std::wstring>{directory + L"~KV0001.tmp"});
        EXPECT_EQ(readBytes(path(name)), data);
    }
    EXPECT_EQ(namesIn(folder_), (std::vector<std::wstring>{L"fresh", L"~kv0000.TMP"}));
    EXPECT_EQ(namesIn(path(L"fresh")), std::vector<std::wstring>{L"~Kv0000.tmp"});
}

TEST_F(SafeFileReplace, BareNameGoesToTheCurrentDirectory)
{
    const std::string data = "beside the program's current directory";
    resetScript(data);
    std::wstring error = kUntouched;
    {
        const CurrentDirectoryScope inFolder(folder_);
        ASSERT_TRUE(inFolder.changed());
        ASSERT_TRUE(replaceFileSafely(L"bare.csv", data, error, scriptedCalls)) << error;
    }
    EXPECT_EQ(script.created, std::vector<std::wstring>{L"~KV0000.tmp"});
    EXPECT_EQ(script.movedFrom, std::vector<std::wstring>{L"~KV0000.tmp"});
    EXPECT_EQ(readBytes(path(L"bare.csv")), data);
    EXPECT_EQ(namesIn(folder_), std::vector<std::wstring>{L"bare.csv"});
}

TEST_F(SafeFileReplace, ForwardAndMixedSlashesSplitAtTheLastOne)
{
    makeFolder(L"sub");
    std::wstring forward = folder_;
    std::replace(forward.begin(), forward.end(), L'\\', L'/');
    struct Case {
        std::wstring target;
        std::wstring temporary;
        std::wstring file;
    };
    const Case cases[] = {{forward + L"/fwd.csv", forward + L"/~KV0000.tmp", path(L"fwd.csv")},
                          {folder_ + L"\\sub/mixed.csv", folder_ + L"\\sub/~KV0000.tmp", path(L"sub\\mixed.csv")},
                          {forward + L"/sub\\back.csv", forward + L"/sub\\~KV0000.tmp", path(L"sub\\back.csv")}};
    const std::string data = "slashes";
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.target));
        resetScript(data);
        std::wstring error = kUntouched;
        ASSERT_TRUE(replaceFileSafely(c.target, data, error, scriptedCalls)) << error;
        EXPECT_EQ(script.created, std::vector<std::wstring>{c.temporary});
        EXPECT_EQ(readBytes(c.file), data);
    }
    EXPECT_EQ(namesIn(folder_), (std::vector<std::wstring>{L"fwd.csv", L"sub"}));
    EXPECT_EQ(namesIn(path(L"sub")), (std::vector<std::wstring>{L"back.csv", L"mixed.csv"}));
}

TEST_F(SafeFileReplace, CreationFailureOtherThanExistingStopsAtOnce)
{
    const std::string data = "never written";
    {
        SCOPED_TRACE("missing directory");
        resetScript(data);
        std::wstring error = kUntouched;
        EXPECT_FALSE(replaceFileSafely(path(L"missing\\report.csv"), data, error, scriptedCalls));
        EXPECT_EQ(error, windowsErrorMessage(ERROR_PATH_NOT_FOUND));
        EXPECT_EQ(script.created.size(), 1u) << "no further numbers are tried";
        EXPECT_TRUE(script.writeSizes.empty());
        EXPECT_TRUE(script.movedFrom.empty());
        EXPECT_TRUE(namesIn(folder_).empty());
    }

    // ERROR_ALREADY_EXISTS is not ERROR_FILE_EXISTS: CREATE_NEW never reports
    // it, so it is a failure like any other.
    writeBytes(path(L"report.csv"), "old report");
    for (DWORD code : {DWORD{ERROR_ACCESS_DENIED}, DWORD{ERROR_SHARING_VIOLATION}, DWORD{ERROR_ALREADY_EXISTS}}) {
        SCOPED_TRACE("code " + std::to_string(code));
        resetScript(data);
        script.createFailure = code;
        std::wstring error = kUntouched;
        EXPECT_FALSE(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls));
        EXPECT_EQ(error, windowsErrorMessage(code));
        EXPECT_EQ(script.created.size(), 1u);
        EXPECT_TRUE(script.movedFrom.empty());
        EXPECT_EQ(readBytes(path(L"report.csv")), "old report");
        EXPECT_EQ(namesIn(folder_), std::vector<std::wstring>{L"report.csv"});
    }
}

TEST_F(SafeFileReplace, RefusedMoveDeletesTheWrittenTemporary)
{
    const std::string data = patterned(kChunk + kChunk / 2);
    {
        SCOPED_TRACE("Windows refuses to replace a directory");
        makeFolder(L"report.csv");
        writeBytes(path(L"report.csv\\inside.txt"), "inside");
        resetScript(data);
        std::wstring error = kUntouched;
        EXPECT_FALSE(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls));
        EXPECT_NE(script.realMoveError, 0u);
        // Windows says access denied here, a code that may pass, so it is tried five times.
        EXPECT_EQ(script.movedFrom.size(), script.realMoveError == ERROR_ACCESS_DENIED ? 5u : 1u);
        EXPECT_EQ(error, windowsErrorMessage(script.realMoveError));
        EXPECT_TRUE(script.bytesAtMove == data) << "the temporary file was written in full before the move";
        EXPECT_EQ(namesIn(folder_), std::vector<std::wstring>{L"report.csv"});
        EXPECT_EQ(readBytes(path(L"report.csv\\inside.txt")), "inside");
        std::error_code ignored;
        std::filesystem::remove_all(path(L"report.csv"), ignored);
    }
    {
        SCOPED_TRACE("the move fails with a chosen code");
        writeBytes(path(L"report.csv"), "old report");
        resetScript(data);
        script.moveFailure = ERROR_SHARING_VIOLATION;
        std::wstring error = kUntouched;
        EXPECT_FALSE(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls));
        EXPECT_EQ(error, windowsErrorMessage(ERROR_SHARING_VIOLATION));
        EXPECT_TRUE(script.bytesAtMove == data);
        EXPECT_EQ(readBytes(path(L"report.csv")), "old report");
        EXPECT_EQ(namesIn(folder_), std::vector<std::wstring>{L"report.csv"});
    }
}

// A scanner that opens the new file for a moment makes the rename, and the
// delete after a refused one, fail with a sharing violation or access denied;
// those are tried again, nothing else is.
TEST_F(SafeFileReplace, MoveRefusedForAMomentIsTriedAgain)
{
    struct Case {
        const char* name;
        DWORD code;
        int failures;  // -1: every attempt fails
        size_t attempts;
        bool saved;
        int deleteRefusals = 0;  // -1: every attempt is refused
    };
    const Case cases[] = {{"sharing violation twice, then moved", ERROR_SHARING_VIOLATION, 2, 3, true},
                          {"access denied every time", ERROR_ACCESS_DENIED, -1, 5, false},
                          {"another code is not tried again", ERROR_NOT_SAME_DEVICE, -1, 1, false},
                          {"the delete refused twice, then allowed", ERROR_NOT_SAME_DEVICE, -1, 1, false, 2},
                          {"the delete refused every time", ERROR_NOT_SAME_DEVICE, -1, 1, false, -1}};
    const std::string data = "new report";
    const std::wstring temporary = path(L"~KV0000.tmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(path(L"report.csv"), "old report");
        resetScript(data);
        script.moveFailure = c.code;
        script.moveFailures = c.failures;
        script.deleteRefusals = c.deleteRefusals;
        const bool left = c.deleteRefusals < 0;
        const size_t deletes = c.saved ? 0 : (left ? 5 : static_cast<size_t>(c.deleteRefusals) + 1);
        std::wstring error = kUntouched;
        EXPECT_EQ(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls), c.saved);
        EXPECT_EQ(script.movedFrom.size(), c.attempts);
        EXPECT_EQ(script.deleted, std::vector<std::wstring>(deletes, temporary));
        EXPECT_EQ(script.sleeps, std::vector<DWORD>(c.attempts - 1 + (deletes > 0 ? deletes - 1 : 0), 50))
            << "50 ms between attempts";
        const std::wstring named = left ? L". The temporary file \"" + temporary + L"\" was left behind." : L"";
        EXPECT_EQ(error, c.saved ? kUntouched : windowsErrorMessage(c.code) + named);
        EXPECT_EQ(readBytes(path(L"report.csv")), c.saved ? data : "old report");
        EXPECT_EQ(namesIn(folder_), left ? (std::vector<std::wstring>{L"report.csv", L"~KV0000.tmp"})
                                         : std::vector<std::wstring>{L"report.csv"});
        DeleteFileW(temporary.c_str());
    }
}

TEST_F(SafeFileReplace, FailedWriteDeletesTheTemporary)
{
    struct Case {
        const char* name;
        int failingWrite;
        bool byWritingNothing;
        DWORD code;
    };
    const Case cases[] = {{"first call fails", 0, false, ERROR_WRITE_FAULT},
                          {"second call fails", 1, false, ERROR_DISK_FULL},
                          {"third call reports 0 bytes written", 2, true, ERROR_HANDLE_DISK_FULL}};

    const std::string data = patterned(kTwoAndAHalfMiBPlusOne);
    writeBytes(path(L"report.csv"), "old report");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetScript(data);
        script.failingWrite = c.failingWrite;
        script.failByWritingNothing = c.byWritingNothing;
        script.writeFailure = c.code;
        std::wstring error = kUntouched;
        EXPECT_FALSE(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls));
        EXPECT_EQ(error, windowsErrorMessage(c.code));
        EXPECT_EQ(script.writeSizes.size(), static_cast<size_t>(c.failingWrite + 1)) << "no write after the failure";
        EXPECT_TRUE(script.movedFrom.empty());
        EXPECT_EQ(readBytes(path(L"report.csv")), "old report");
        EXPECT_EQ(namesIn(folder_), std::vector<std::wstring>{L"report.csv"}) << "the temporary file is deleted";
    }
    {
        // Writing nothing without an error code is still a failure, and is
        // not worded as a success.
        SCOPED_TRACE("a call writes nothing and sets no error");
        resetScript(data);
        script.failingWrite = 1;
        script.failByWritingNothing = true;
        script.writeFailure = ERROR_SUCCESS;
        std::wstring error = kUntouched;
        EXPECT_FALSE(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls));
        EXPECT_EQ(error, windowsErrorMessage(ERROR_WRITE_FAULT));
        EXPECT_EQ(readBytes(path(L"report.csv")), "old report");
        EXPECT_EQ(namesIn(folder_), std::vector<std::wstring>{L"report.csv"});
    }
}

TEST_F(SafeFileReplace, FlushesTheBytesBeforeTheMove)
{
    const std::string data = patterned(kChunk + 10);
    writeBytes(path(L"report.csv"), "old report");
    {
        SCOPED_TRACE("the flush succeeds");
        resetScript(data);
        std::wstring error = kUntouched;
        ASSERT_TRUE(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls)) << error;
        EXPECT_EQ(script.calls, (std::vector<std::string>{"write", "write", "flush", "move"}));
        EXPECT_TRUE(readBytes(path(L"report.csv")) == data);
    }
    {
        SCOPED_TRACE("the flush fails");
        writeBytes(path(L"report.csv"), "old report");
        resetScript(data);
        script.flushFailure = ERROR_IO_DEVICE;
        std::wstring error = kUntouched;
        EXPECT_FALSE(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls));
        EXPECT_EQ(error, windowsErrorMessage(ERROR_IO_DEVICE));
        EXPECT_EQ(script.calls, (std::vector<std::string>{"write", "write", "flush"})) << "no move after it";
        EXPECT_EQ(readBytes(path(L"report.csv")), "old report");
        EXPECT_EQ(namesIn(folder_), std::vector<std::wstring>{L"report.csv"}) << "the temporary file is deleted";
    }
    {
        // Empty data makes no write but is still flushed.
        SCOPED_TRACE("empty data");
        resetScript(std::string());
        std::wstring error = kUntouched;
        ASSERT_TRUE(replaceFileSafely(path(L"report.csv"), std::string_view(), error, scriptedCalls)) << error;
        EXPECT_EQ(script.calls, (std::vector<std::string>{"flush", "move"}));
        EXPECT_EQ(readBytes(path(L"report.csv")), "");
    }
}

TEST_F(SafeFileReplace, WritesInChunksOfAtMostOneMebibyte)
{
    const std::string data = patterned(kTwoAndAHalfMiBPlusOne);
    std::wstring error = kUntouched;
    {
        SCOPED_TRACE("every call writes all it is given");
        resetScript(data);
        ASSERT_TRUE(replaceFileSafely(path(L"whole.csv"), data, error, scriptedCalls)) << error;
        EXPECT_EQ(script.writeSizes, (std::vector<DWORD>{kChunk, kChunk, 0x80001}));
        EXPECT_EQ(script.writeOffsets, (std::vector<size_t>{0, kChunk, 2 * kChunk}));
        EXPECT_EQ(script.openErrorWhileWriting, static_cast<DWORD>(ERROR_SHARING_VIOLATION))
            << "no other opener while the file is written";
        EXPECT_TRUE(readBytes(path(L"whole.csv")) == data) << "the target holds exactly the data";
    }
    {
        // Each call continues where the previous one really stopped.
        SCOPED_TRACE("every call writes at most 0x30000 bytes");
        constexpr DWORD kLimit = 0x30000;
        resetScript(data);
        script.writeLimit = kLimit;
        ASSERT_TRUE(replaceFileSafely(path(L"short.csv"), data, error, scriptedCalls)) << error;
        ASSERT_EQ(script.writeSizes.size(), 14u);
        for (size_t i = 0; i < script.writeSizes.size(); ++i) {
            EXPECT_EQ(script.writeOffsets[i], i * kLimit) << "call " << i;
            EXPECT_EQ(script.writeSizes[i], std::min<size_t>(data.size() - i * kLimit, kChunk)) << "call " << i;
        }
        EXPECT_TRUE(readBytes(path(L"short.csv")) == data);
    }
    EXPECT_EQ(error, kUntouched);
    EXPECT_EQ(namesIn(folder_), (std::vector<std::wstring>{L"short.csv", L"whole.csv"}));
}

TEST_F(SafeFileReplace, NoFreeTemporaryName)
{
    const std::string data = "nowhere to go";
    {
        SCOPED_TRACE("all 256 names exist");
        for (unsigned number = 0; number < 256; ++number) {
            writeBytes(path(leftoverName(number)), "leftover");
        }
        writeBytes(path(L"report.csv"), "old report");
        resetScript(data);
        std::wstring error = kUntouched;
        EXPECT_FALSE(replaceFileSafely(path(L"report.csv"), data, error, scriptedCalls));
        EXPECT_EQ(error, kNoNameFree);
        EXPECT_EQ(script.created.size(), 256u);
        EXPECT_EQ(script.created.back(), path(L"~KV00FF.tmp"));
        EXPECT_TRUE(script.writeSizes.empty());
        EXPECT_EQ(readBytes(path(L"report.csv")), "old report");
        EXPECT_EQ(readBytes(path(L"~KV00FF.tmp")), "leftover");
        EXPECT_EQ(namesIn(folder_).size(), 257u) << "no file is created";
    }
    {
        SCOPED_TRACE("255 names exist and the target has the last one");
        makeFolder(L"own");
        for (unsigned number = 0; number < 256; ++number) {
            writeBytes(path(L"own\\" + (number == 5 ? std::wstring(L"~kv0005.TMP") : leftoverName(number))),
                       number == 5 ? "old report" : "leftover");
        }
        resetScript(data);
        std::wstring error = kUntouched;
        EXPECT_FALSE(replaceFileSafely(path(L"own\\~kv0005.TMP"), data, error, scriptedCalls));
        EXPECT_EQ(error, kNoNameFree);
        EXPECT_EQ(script.created.size(), 255u);
        EXPECT_EQ(readBytes(path(L"own\\~kv0005.TMP")), "old report");
        EXPECT_EQ(namesIn(path(L"own")).size(), 256u);
    }
}
