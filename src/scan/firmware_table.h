#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "report/reading.h"

// The few SMBIOS fields the report uses, each already a reading.
struct FirmwareSummary {
    Reading biosVendor;
    Reading biosVersion;
    Reading biosReleaseDate;
    Reading smbiosVersion;
    Reading systemManufacturer;
    Reading systemModel;
    Reading processorVersion;
    Reading processorManufacturer;
    Reading processorSocket;
    uint32_t startSpeedMhz = 0;
    bool startSpeedKnown = false;
    uint64_t installedMemoryBytes = 0;
    bool installedMemoryKnown = false;
};

// Fetches the raw SMBIOS table (provider 'RSMB') as Windows returns it, with
// its 8-byte header. False with a reason when Windows gives no table.
[[nodiscard]] bool readFirmwareTable(std::vector<uint8_t>& table, std::wstring& reason);

// The shape of GetSystemFirmwareTable, so that tests can stand in for Windows.
// A stand-in reports failure by returning 0 after SetLastError.
using FirmwareTableCall = uint32_t (*)(uint32_t provider, uint32_t tableId, void* buffer, uint32_t bufferSize);

// readFirmwareTable with the Windows call given.
[[nodiscard]] bool readFirmwareTableWith(FirmwareTableCall call, std::vector<uint8_t>& table, std::wstring& reason);

// Validates and walks the raw table. The bytes are untrusted: every length is
// checked before it is used. `summary` is written only on success.
[[nodiscard]] bool parseSmbios(const uint8_t* table, size_t length, FirmwareSummary& summary, std::wstring& reason);
