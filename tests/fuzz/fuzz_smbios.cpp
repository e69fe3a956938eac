// Fuzz target: the SMBIOS parser fed raw bytes as the whole 'RSMB' block
// (8-byte header and structure table). libFuzzer hands over a heap block of
// exactly the input's size, so AddressSanitizer sees any read past its end.
// The parser must give a summary or one of its damage sentences; every Ok text
// is printable ASCII and a clean firmware text.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "fuzz_support.h"
#include "scan/firmware_table.h"
#include "support/smbios_damage.h"

namespace {

constexpr std::array<std::pair<Reading FirmwareSummary::*, const char*>, 9> kReadings = {{
    {&FirmwareSummary::biosVendor, "BIOS vendor"},
    {&FirmwareSummary::biosVersion, "BIOS version"},
    {&FirmwareSummary::biosReleaseDate, "BIOS release date"},
    {&FirmwareSummary::smbiosVersion, "SMBIOS version"},
    {&FirmwareSummary::systemManufacturer, "system manufacturer"},
    {&FirmwareSummary::systemModel, "system model"},
    {&FirmwareSummary::processorVersion, "processor version"},
    {&FirmwareSummary::processorManufacturer, "processor manufacturer"},
    {&FirmwareSummary::processorSocket, "processor socket"},
}};

std::string describe(const char* field, const Reading& reading)
{
    return std::string(field) + ": state " + std::to_string(static_cast<int>(reading.state)) + ", value \"" +
           fuzz::shown(reading.value) + "\", reason \"" + fuzz::shown(reading.reason) + "\"";
}

void checkReading(const char* field, const Reading& reading)
{
    if (reading.state == ReadingState::None) {
        FUZZ_CHECK(!reading.reason.empty() && reading.value.empty(), describe(field, reading));
        return;
    }
    FUZZ_CHECK(reading.state == ReadingState::Ok, describe(field, reading));
    for (const wchar_t c : reading.value) {
        FUZZ_CHECK(c >= 32 && c <= 126, describe(field, reading));
    }
    const char* fault = fuzz::firmwareTextFault(reading.value);
    FUZZ_CHECK(fault == nullptr, describe(field, reading) + " is " + (fault ? fault : ""));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A summary the parser must leave alone when it fails.
    FirmwareSummary summary;
    summary.biosVendor = readingOk(L"untouched");
    summary.startSpeedMhz = 4321;
    summary.installedMemoryBytes = 1234;
    std::wstring reason = L"stale reason";

    if (!parseSmbios(data, size, summary, reason)) {
        FUZZ_CHECK(isSmbiosDamageSentence(reason),
                   "unknown failure reason \"" + fuzz::shown(reason) + "\"");
        FUZZ_CHECK(summary.biosVendor == readingOk(L"untouched") && summary.biosVersion == Reading{} &&
                       summary.startSpeedMhz == 4321 && summary.installedMemoryBytes == 1234 &&
                       !summary.startSpeedKnown && !summary.installedMemoryKnown,
                   "a failed parse wrote the summary (" + fuzz::shown(reason) + ")");
        return 0;
    }

    for (const auto& [member, field] : kReadings) {
        checkReading(field, summary.*member);
    }
    // The version comes straight from header bytes 1 and 2.
    const std::wstring version = std::to_wstring(data[1]) + L"." + std::to_wstring(data[2]);
    FUZZ_CHECK((data[1] == 0 && data[2] == 0) ? summary.smbiosVersion.state == ReadingState::None
                                              : summary.smbiosVersion == readingOk(version),
               describe("SMBIOS version", summary.smbiosVersion));
    FUZZ_CHECK(summary.startSpeedKnown ? summary.startSpeedMhz != 0 && summary.startSpeedMhz <= 0xFFFF
                                       : summary.startSpeedMhz == 0,
               "start-up speed " + std::to_string(summary.startSpeedMhz));
    FUZZ_CHECK(summary.installedMemoryKnown ? summary.installedMemoryBytes != 0 : summary.installedMemoryBytes == 0,
               "installed memory " + std::to_string(summary.installedMemoryBytes));
    return 0;
}
