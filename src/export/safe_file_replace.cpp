#include "export/safe_file_replace.h"

#include <algorithm>
#include <cstddef>

#include "common/unique_resource.h"
#include "common/windows_failure.h"
#include "export/temporary_name.h"

namespace {

// Bounds each WriteFile call, whatever the size of the report.
constexpr size_t kMaxWriteChunk = 0x100000;

// Writes all of `data` from its start and flushes it. On failure returns false with the last
// error read right after the failing call in `error`.
bool writeAll(const FileCalls& calls, HANDLE file, std::string_view data, DWORD& error)
{
    size_t offset = 0;
    while (offset < data.size()) {
        const auto chunk = static_cast<DWORD>(std::min(data.size() - offset, kMaxWriteChunk));
        DWORD written = 0;
        // A write that reports success but moved nothing would loop forever.
        if (!calls.writeFile(file, data.data() + offset, chunk, &written, nullptr) || written == 0) {
            error = GetLastError();
            return false;
        }
        offset += written;
    }
    // The bytes reach the disk before the rename can: otherwise a power cut
    // just after the save could leave the target renamed but empty or torn,
    // with the old report already gone.
    if (!calls.flushFile(file)) {
        error = GetLastError();
        return false;
    }
    return true;
}

// A scanner or the search indexer opens a file the moment it is closed; while
// it reads, a rename or delete fails with one of these codes and works a
// moment later. Bounded: five attempts 50 ms apart hold the window thread at
// most 200 ms.
constexpr int kAttempts = 5;
constexpr DWORD kRetryDelayMs = 50;

bool mayPassSoon(DWORD code)
{
    return code == ERROR_SHARING_VIOLATION || code == ERROR_ACCESS_DENIED;
}

// Makes `attempt` (a file call returning BOOL) until it succeeds or fails
// with a code that will not pass. On failure returns false with the last
// error of the final attempt in `error`.
template <typename Attempt>
bool retried(const FileCalls& calls, const Attempt& attempt, DWORD& error)
{
    for (int made = 1;; ++made) {
        if (attempt()) {
            return true;
        }
        error = GetLastError();
        if (made == kAttempts || !mayPassSoon(error)) {
            return false;
        }
        calls.sleep(kRetryDelayMs);
    }
}

// Moves `from` over `to`; false with the error of the final attempt.
bool moveOver(const FileCalls& calls, const std::wstring& from, const std::wstring& to, DWORD& error)
{
    const auto move = [&] { return calls.moveFile(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE; };
    return retried(calls, move, error);
}

// Deletes the temporary file of a failed save. One that stays (another
// program still holds it) is named at the end of `errorText`, so the user
// knows what to remove beside their file.
void removeTemporary(const FileCalls& calls, const std::wstring& temporary, std::wstring& errorText)
{
    const auto deleteIt = [&] { return calls.deleteFile(temporary.c_str()) != FALSE; };
    DWORD error = 0;
    if (retried(calls, deleteIt, error) || error == ERROR_FILE_NOT_FOUND) {
        return;
    }
    errorText += L". The temporary file \"" + temporary + L"\" was left behind.";
}

// A write that "succeeded" with nothing written may leave no error code; the
// user must not read "The operation completed successfully." as the reason.
DWORD failureCode(DWORD code)
{
    return code != ERROR_SUCCESS ? code : static_cast<DWORD>(ERROR_WRITE_FAULT);
}

}  // namespace

bool replaceFileSafely(const std::wstring& target, std::string_view data, std::wstring& errorText,
                       const FileCalls& calls)
{
    for (unsigned number = 0; number < kTemporaryNameCount; ++number) {
        const std::wstring candidate = temporaryNameFor(target, number);
        if (candidate.empty()) {
            continue;
        }
        // Share mode 0 keeps other programs out while the bytes go in;
        // CREATE_NEW never opens a file someone else left under this name.
        UniqueHandle file(calls.createFile(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_EXISTS) {
                continue;
            }
            errorText = windowsErrorMessage(code);
            return false;
        }

        DWORD writeError = 0;
        if (!writeAll(calls, file.get(), data, writeError)) {
            file.reset();
            errorText = windowsErrorMessage(failureCode(writeError));
            removeTemporary(calls, candidate, errorText);
            return false;
        }
        file.reset();

        DWORD moveError = 0;
        if (!moveOver(calls, candidate, target, moveError)) {
            errorText = windowsErrorMessage(moveError);
            removeTemporary(calls, candidate, errorText);
            return false;
        }
        return true;
    }
    errorText = L"No unused temporary name was free beside the chosen file.";
    return false;
}
