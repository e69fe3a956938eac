#pragma once

#include <windows.h>

#include <string>

// A folder of its own under the temporary folder, emptied and removed at the
// end of its scope: a test or benchmark never writes anywhere else.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::wstring& prefix = L"korvane-test-")
    {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        path_ = std::wstring(temp) + prefix + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TemporaryFolder()
    {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW(file(found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(path_.c_str());
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    [[nodiscard]] const std::wstring& path() const { return path_; }
    // The full path of a file in the folder.
    [[nodiscard]] std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }
    // Whether the folder holds a file matching `pattern` (say "*.tmp").
    [[nodiscard]] bool holds(const std::wstring& pattern) const
    {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW(file(pattern).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return false;
        }
        FindClose(search);
        return true;
    }

private:
    std::wstring path_;
};
