#pragma once

// The pieces every fuzz target shares: a check that stops the run with the
// texts involved, UTF-16 text made from fuzz bytes, and the clean-text rule
// that every firmware text the report shows must keep.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "report/value_text.h"

namespace fuzz {

// Non-ASCII units as \uXXXX, so that a finding reads the same in any terminal.
inline std::string shown(std::wstring_view text)
{
    std::string out;
    for (const wchar_t c : text) {
        const auto unit = static_cast<uint32_t>(c);
        if (unit >= 32 && unit < 127 && unit != '\\') {
            out += static_cast<char>(unit);
        } else {
            char escape[16];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(unit));
            out += escape;
        }
    }
    return out;
}

inline std::string shown(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 32 && byte < 127 && byte != '\\') {
            out += c;
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            out += escape;
        }
    }
    return out;
}

[[noreturn]] inline void failure(const char* file, int line, const char* condition, const std::string& detail)
{
    std::fprintf(stderr, "%s:%d: broken promise: %s\n    %s\n", file, line, condition, detail.c_str());
    std::abort();  // libFuzzer saves the input as a crash
}

// ASCII only: the ASCII words that Korvane compares are folded this way.
inline std::wstring asciiLower(std::wstring_view text)
{
    std::wstring lower(text);
    for (wchar_t& c : lower) {
        if (c >= L'A' && c <= L'Z') {
            c = static_cast<wchar_t>(c - L'A' + L'a');
        }
    }
    return lower;
}

inline bool isTrimmedAway(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Why `text` is not a clean firmware text (empty, untrimmed, a tab or a double
// blank, a placeholder), or nullptr when it is one.
inline const char* firmwareTextFault(std::wstring_view text)
{
    if (text.empty()) {
        return "empty";
    }
    if (isTrimmedAway(text.front()) || isTrimmedAway(text.back())) {
        return "not trimmed";
    }
    if (text.find(L'\t') != std::wstring_view::npos || text.find(L"  ") != std::wstring_view::npos) {
        return "blanks not collapsed";
    }
    const std::wstring lower = asciiLower(text);
    const auto placeholders = firmwarePlaceholders();
    if (std::find(placeholders.begin(), placeholders.end(), lower) != placeholders.end()) {
        return "a placeholder";
    }
    return nullptr;
}

// One UTF-16 text of at most `maxUnits` units, its bytes taken from the front
// of the input. A byte below 0xF0 picks alphabet[byte % size] (or is the unit
// itself when no alphabet is given: ASCII, the CSV specials, Latin-1); a byte
// from 0xF0 on takes the next two bytes as any unit, surrogates included. Units
// stay within 16 bits where wchar_t is wider.
inline std::wstring text(FuzzedDataProvider& input, size_t maxUnits, std::wstring_view alphabet = {})
{
    const size_t length = input.ConsumeIntegralInRange<size_t>(0, maxUnits);
    std::wstring out;
    for (size_t i = 0; i < length && input.remaining_bytes() > 0; ++i) {
        uint8_t byte = 0;
        input.ConsumeData(&byte, 1);
        if (byte >= 0xF0) {
            uint8_t unit[2] = {0, 0};
            input.ConsumeData(unit, 2);
            out += static_cast<wchar_t>((unit[0] << 8) | unit[1]);
        } else {
            out += alphabet.empty() ? static_cast<wchar_t>(byte) : alphabet[byte % alphabet.size()];
        }
    }
    return out;
}

}  // namespace fuzz

// Like assert, in every build, with a description of the values involved
// (evaluated only when the check fails).
#define FUZZ_CHECK(condition, detail)                                  \
    do {                                                               \
        if (!(condition)) {                                            \
            ::fuzz::failure(__FILE__, __LINE__, #condition, (detail)); \
        }                                                              \
    } while (0)
