#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The file calls replaceFileSafely makes, with the signatures and last-error
// behaviour of the Windows functions, so that tests can make one of them
// fail; the real functions unless set otherwise.
struct FileCalls {
    decltype(&CreateFileW) createFile = CreateFileW;
    decltype(&WriteFile) writeFile = WriteFile;
    decltype(&FlushFileBuffers) flushFile = FlushFileBuffers;
    decltype(&MoveFileExW) moveFile = MoveFileExW;
    decltype(&DeleteFileW) deleteFile = DeleteFileW;
    decltype(&Sleep) sleep = Sleep;  // between the attempts of a refused move or delete
};

// Writes `data` to a new temporary file beside `target` and moves it over the
// target in one rename, so a failed save never leaves the target half
// written. On failure the target is as it was and `errorText` says why; it is
// set only when the result is false. The temporary file is gone too, unless
// another program holds it open beyond a few attempts to delete it: the
// error text then ends with a sentence that names it.
[[nodiscard]] bool replaceFileSafely(const std::wstring& target, std::string_view data, std::wstring& errorText,
                                     const FileCalls& calls = FileCalls{});
