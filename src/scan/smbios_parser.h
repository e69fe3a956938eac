#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "report/reading.h"
#include "report/value_text.h"

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

    friend bool operator==(const FirmwareSummary&, const FirmwareSummary&) = default;
};

// Validates and walks the raw table as readFirmwareTable fetched it (8-byte
// header first). The bytes are untrusted: every length is checked before it
// is used. `summary` is written only on success.
[[nodiscard]] bool parseSmbios(const uint8_t* table, size_t length, FirmwareSummary& summary, std::wstring& reason);

// One structure of the SMBIOS table. The views point into the caller's raw
// table, which must outlive the structure.
struct SmbiosStructure {
    uint8_t type = 0;
    const uint8_t* formatted = nullptr;  // the formatted area, header included
    size_t formattedLength = 0;
    std::vector<std::string_view> strings;  // string number 1 is strings[0]

    // The only way to read the formatted area: false, and value untouched,
    // when the field does not lie wholly inside the formatted length (older
    // firmware writes shorter structures). Multi-byte fields are little-endian.
    [[nodiscard]] bool byteAt(size_t offset, uint8_t& value) const;
    [[nodiscard]] bool wordAt(size_t offset, uint16_t& value) const;
    [[nodiscard]] bool dwordAt(size_t offset, uint32_t& value) const;

    // The string number held at `offset`; 0 (no string) when the structure is
    // too short to hold it.
    [[nodiscard]] uint32_t stringNumberAt(size_t offset) const;
    [[nodiscard]] SmbiosStrings stringList() const { return strings; }
};

// Walks a bare structure table (the bytes after the 8-byte header) of
// `length` bytes. False with the damage sentence when the table is broken;
// the list then holds the structures read before the damage.
[[nodiscard]] bool walkSmbiosStructures(const uint8_t* table, size_t length, std::vector<SmbiosStructure>& structures,
                                        std::wstring& reason);
