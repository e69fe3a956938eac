#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The registry calls of the scan; tests hand in their own.
struct RegistryCalls {
    decltype(&RegOpenKeyExW) openKey = RegOpenKeyExW;
    decltype(&RegQueryValueExW) queryValue = RegQueryValueExW;
};

// Reads a REG_SZ or REG_EXPAND_SZ value as stored (no expansion). On failure
// returns false with the Windows error code; a value of another type is
// code 13 (ERROR_INVALID_DATA).
[[nodiscard]] bool readRegistryString(const RegistryCalls& calls, HKEY root, const wchar_t* subkey,
                                      const wchar_t* valueName, std::wstring& text, uint32_t& code);

// Reads a REG_DWORD value; false when the key or value is missing or of
// another type.
[[nodiscard]] bool readRegistryDword(const RegistryCalls& calls, HKEY root, const wchar_t* subkey,
                                     const wchar_t* valueName, uint32_t& value);
