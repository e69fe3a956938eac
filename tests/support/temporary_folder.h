#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

// A folder of its own under the temporary folder, emptied and removed at the
// end of its scope: a test or benchmark never writes anywhere else.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::wstring& prefix = L"korvane-test-")
    {
        wchar_t temp[MAX_PATH + 1] = {};
        GetTempPathW(MAX_PATH + 1, temp);
        path_ = std::wstring(temp) + prefix + std::to_wstring(GetCurrentProcessId());
        // A folder of this name can only be left by an earlier process of the same id.
        clear();
    }
    ~TemporaryFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
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
    // Empties the folder, subfolders and all.
    void clear() const
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        CreateDirectoryW(path_.c_str(), nullptr);
    }

private:
    std::wstring path_;
};
