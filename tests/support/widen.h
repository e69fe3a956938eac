#pragma once

#include <string>
#include <string_view>

// Bytes as UTF-16 units one for one: ASCII texts as they read, and any other
// byte as the code point of the same number, as Windows' own ASCII-only
// texts (CPUID strings, adapter names) are widened.
inline std::wstring widen(std::string_view bytes)
{
    std::wstring wide;
    wide.reserve(bytes.size());
    for (const char unit : bytes) {
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(unit)));
    }
    return wide;
}
