#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "report/reading.h"
#include "scan/smbios_parser.h"

// The Windows call behind the firmware table; tests hand in their own.
struct FirmwareCalls {
    decltype(&GetSystemFirmwareTable) getSystemFirmwareTable = GetSystemFirmwareTable;
};

// Fetches the raw SMBIOS table (provider 'RSMB') as Windows returns it, with
// its 8-byte header, for parseSmbios. False with a reason when Windows gives
// no table.
[[nodiscard]] bool readFirmwareTable(const FirmwareCalls& calls, std::vector<uint8_t>& table, std::wstring& reason);

// The firmware table as one scan uses it, the one firmware input of the
// probes: usable only when it was both fetched and parsed; otherwise every
// firmware-derived reading is `fallback`, and `error` says why.
struct FirmwareResult {
    bool usable = false;
    std::wstring error;
    FirmwareSummary summary;
    Reading fallback;
};

// Fetches and parses the table; a table that cannot be had is a result too.
[[nodiscard]] FirmwareResult readFirmware(const FirmwareCalls& calls);
