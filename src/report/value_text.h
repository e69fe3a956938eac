#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "report/reading.h"
#include "report/snapshot.h"

// The shared text forms: the same kind of value looks the same everywhere.

// Binary units; two decimals for KB, TB and PB, one for MB and GB. The unit is
// chosen on the exact count before rounding (1048575 bytes is "1024.00 KB").
[[nodiscard]] std::wstring byteSizeText(uint64_t bytes);
[[nodiscard]] std::wstring fixedText(double value, unsigned decimals);
// Empty for 0; "999 MHz"; "2.19 GHz" for 2195.
[[nodiscard]] std::wstring frequencyText(uint32_t megahertz);
// Decimals are clamped to 0..6.
[[nodiscard]] std::wstring percentText(double value, unsigned decimals);
[[nodiscard]] std::wstring countText(uint64_t count);
// Address bytes in network order; a null pointer gives empty text.
[[nodiscard]] std::wstring ipv4Text(const uint8_t* bytes);
[[nodiscard]] std::wstring ipv6Text(const uint8_t* bytes, uint32_t scopeId);

[[nodiscard]] std::wstring trimText(std::wstring_view text);
[[nodiscard]] std::wstring collapseBlanks(std::wstring_view text);

// The texts firmware leaves in fields nobody filled in, in lower case.
[[nodiscard]] std::span<const std::wstring_view> firmwarePlaceholders();

// A firmware structure's strings, numbered from 1, as raw bytes.
using SmbiosStrings = std::span<const std::string_view>;

// True and the text when string `number` exists; bytes outside 32..126 become '?'.
[[nodiscard]] bool smbiosString(SmbiosStrings strings, uint32_t number, std::wstring& text);
// `what` names the field in words, e.g. "the BIOS vendor".
[[nodiscard]] Reading firmwareText(std::wstring_view text, std::wstring_view what);
[[nodiscard]] Reading firmwareString(SmbiosStrings strings, uint32_t number, std::wstring_view what);
// mm/dd/yyyy and mm/dd/yy become yyyy-mm-dd; anything else passes trimmed.
[[nodiscard]] std::wstring biosDateText(std::wstring_view text);

[[nodiscard]] std::wstring loadText(const LoadSample& load);
[[nodiscard]] std::wstring memoryFailureText(const MemorySample& memory);
[[nodiscard]] std::wstring liveValueText(LiveKind kind, const MemorySample& memory, const LoadSample& load);

// Local date and time as "yyyy-mm-dd hh:mm:ss".
[[nodiscard]] std::wstring timestampText(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute,
                                         unsigned second);
