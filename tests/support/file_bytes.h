#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/unique_resource.h"

// All bytes of a file, read while others may hold it open; nothing when it
// cannot be opened (missing, or held without sharing).
inline std::optional<std::string> fileBytes(const std::wstring& path)
{
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char block[0x10000];
    DWORD read = 0;
    while (ReadFile(file.get(), block, sizeof(block), &read, nullptr) && read > 0) {
        bytes.append(block, read);
    }
    return bytes;
}

// Makes or replaces a file holding exactly `bytes`. False when it could not.
[[nodiscard]] inline bool writeFileBytes(const std::wstring& path, std::string_view bytes)
{
    const UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}
