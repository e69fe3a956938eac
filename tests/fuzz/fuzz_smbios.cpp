// Fuzz target: the SMBIOS parser fed raw bytes as the whole 'RSMB' block
// (8-byte header and structure table). libFuzzer hands over a heap block of
// exactly the input's size, so AddressSanitizer sees any read past its end.
// The parser must give a summary or one of its damage sentences; every Ok text
// is printable ASCII and a clean firmware text. The walk hands out only
// structures of at least the 4-byte header, each where the one before it
// ended and nothing after the end-of-table structure (type 127); and bytes
// after that structure, inside the declared table or beyond it, never change
// the summary.

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "scan/smbios_parser.h"
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

constexpr size_t kHeaderLength = 8;
constexpr uint8_t kEndOfTable = 127;

// Where a string set that starts at `at` ends: just after the first two zero
// bytes in a row (a string's terminator and the set's, or the pair of a set
// with no strings). Past `end` when there are none before it.
size_t stringSetEnd(const uint8_t* table, size_t at, size_t end)
{
    for (size_t p = at; p + 1 < end; ++p) {
        if (table[p] == 0 && table[p + 1] == 0) {
            return p + 2;
        }
    }
    return end + 1;
}

// Walks the declared table and checks every structure handed out. Returns
// where the end-of-table structure ends, or 0 when the walk met none.
size_t checkWalk(const uint8_t* table, size_t length)
{
    std::vector<SmbiosStructure> structures;
    std::wstring reason;
    const bool walked = walkSmbiosStructures(table, length, structures, reason);
    size_t at = 0;
    for (size_t i = 0; i < structures.size(); ++i) {
        const SmbiosStructure& structure = structures[i];
        const std::string where = "structure " + std::to_string(i) + " of type " + std::to_string(structure.type) +
                                  " at byte " + std::to_string(at);
        FUZZ_CHECK(structure.formattedLength >= 4,
                   where + " is " + std::to_string(structure.formattedLength) + " bytes long");
        FUZZ_CHECK(structure.formatted == table + at && structure.formattedLength <= length - at &&
                       structure.type == table[at],
                   where + " is not where the structure before it ended");
        const size_t next = stringSetEnd(table, at + structure.formattedLength, length);
        FUZZ_CHECK(next <= length, where + ": its strings run to the end of the table");
        const auto* first = reinterpret_cast<const char*>(table + at + structure.formattedLength);
        const auto* last = reinterpret_cast<const char*>(table + next);
        for (const std::string_view text : structure.strings) {
            FUZZ_CHECK(text.empty() || (text.data() >= first && text.data() + text.size() < last &&
                                        text.find('\0') == std::string_view::npos),
                       where + ": the string \"" + fuzz::shown(text) + "\" is not one of its own");
        }
        FUZZ_CHECK(structure.type != kEndOfTable || i + 1 == structures.size(),
                   where + ": the walk went on after the end-of-table structure");
        at = next;
    }
    const bool ended = !structures.empty() && structures.back().type == kEndOfTable;
    FUZZ_CHECK(!walked || ended || at == length,
               "a successful walk stopped at byte " + std::to_string(at) + " of " + std::to_string(length));
    return ended ? at : 0;
}

// `cut` bytes of the table end with the end-of-table structure. The same
// header and those bytes must parse to the same summary: with nothing after
// them, with the input's later bytes left beyond the declared end, and with a
// copy of them after the end-of-table structure inside the declared table.
void checkBytesAfterTheEnd(const uint8_t* data, size_t size, size_t cut, const FirmwareSummary& summary)
{
    const auto block = [&](size_t declared, size_t copies, bool keepRest) {
        std::vector<uint8_t> bytes(data, data + kHeaderLength);
        for (size_t i = 0; i < 4; ++i) {
            bytes[4 + i] = static_cast<uint8_t>(declared >> (8 * i));
        }
        for (size_t n = 0; n < copies; ++n) {
            bytes.insert(bytes.end(), data + kHeaderLength, data + kHeaderLength + cut);
        }
        if (keepRest) {
            bytes.insert(bytes.end(), data + kHeaderLength + cut, data + size);
        }
        return bytes;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
    } variants[] = {{"nothing after it", block(cut, 1, false)},
                    {"the later bytes beyond the declared end", block(cut, 1, true)},
                    {"a copy of the table after it", block(2 * cut, 2, false)}};
    for (const auto& variant : variants) {
        // An exact heap block, so that AddressSanitizer sees a read past its end.
        const std::vector<uint8_t> exact(variant.bytes.begin(), variant.bytes.end());
        FirmwareSummary other;
        std::wstring reason;
        const bool parsed = parseSmbios(exact.data(), exact.size(), other, reason);
        FUZZ_CHECK(parsed && other == summary, std::string("the summary changes with ") + variant.name +
                                                   " (the end-of-table structure ends at byte " +
                                                   std::to_string(cut) +
                                                   (parsed ? ")" : "; " + fuzz::shown(reason) + ")"));
    }
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

    // The walk of a table whose header holds.
    size_t endOfTable = 0;
    if (size >= kHeaderLength) {
        const size_t declared = data[4] | data[5] << 8 | data[6] << 16 | static_cast<size_t>(data[7]) << 24;
        if (declared != 0 && declared <= size - kHeaderLength) {
            endOfTable = checkWalk(data + kHeaderLength, declared);
        }
    }

    const bool parsed = parseSmbios(data, size, summary, reason);
    FUZZ_CHECK(parsed || endOfTable == 0, "a table with its end-of-table structure failed: " + fuzz::shown(reason));
    if (!parsed) {
        FUZZ_CHECK(isSmbiosDamageSentence(reason), "unknown failure reason \"" + fuzz::shown(reason) + "\"");
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
    if (endOfTable != 0) {
        checkBytesAfterTheEnd(data, size, endOfTable, summary);
    }
    return 0;
}
