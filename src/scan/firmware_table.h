#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The Windows call behind the firmware table; tests hand in their own.
struct FirmwareCalls {
    decltype(&GetSystemFirmwareTable) getSystemFirmwareTable = GetSystemFirmwareTable;
};

// Fetches the raw SMBIOS table (provider 'RSMB') as Windows returns it, with
// its 8-byte header, for parseSmbios. False with a reason when Windows gives
// no table.
[[nodiscard]] bool readFirmwareTable(const FirmwareCalls& calls, std::vector<uint8_t>& table, std::wstring& reason);
