#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "report/reading.h"

// HKEY_LOCAL_MACHINE\<this> holds the Windows product and release values.
inline constexpr wchar_t kCurrentVersionKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

// Reads a REG_SZ or REG_EXPAND_SZ value as stored (no expansion). On failure
// returns false with the Windows error code; a value of another type is
// code 13 (ERROR_INVALID_DATA).
[[nodiscard]] bool readRegistryString(HKEY root, const wchar_t* subkey, const wchar_t* valueName, std::wstring& text,
                                      uint32_t& code);

// Reads a REG_DWORD value; false when the key or value is missing or of
// another type.
[[nodiscard]] bool readRegistryDword(HKEY root, const wchar_t* subkey, const wchar_t* valueName, uint32_t& value);

// A value under the CurrentVersion key as a reading; `what` names it in the reason.
[[nodiscard]] Reading readCurrentVersionValue(const wchar_t* valueName, const wchar_t* what);
