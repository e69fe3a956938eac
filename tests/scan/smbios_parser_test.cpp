#include "scan/smbios_parser.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scan/smbios_expect.h"
#include "scan/smbios_table_builder.h"

using smbios_test::Formatted;
using smbios_test::none;
using smbios_test::ok;
using smbios_test::rsmb;
using smbios_test::rsmbHeader;
using smbios_test::Table;
using smbios_test::unset;

namespace {

struct Parsed {
    bool ok = false;
    FirmwareSummary summary = smbios_test::sentinelSummary();
    std::wstring reason = L"stale reason";
};

Parsed parse(const std::vector<uint8_t>& block)
{
    Parsed parsed;
    parsed.ok = parseSmbios(block.empty() ? nullptr : block.data(), block.size(), parsed.summary, parsed.reason);
    return parsed;
}

// A failed parse: the sentence, and the caller's summary as it was.
void expectFailure(const std::vector<uint8_t>& block, const std::wstring& sentence, const char* label)
{
    const Parsed parsed = parse(block);
    EXPECT_FALSE(parsed.ok) << label;
    EXPECT_EQ(parsed.reason, sentence) << label;
    EXPECT_EQ(parsed.summary, smbios_test::sentinelSummary())
        << label << ": the summary was written by a failed parse";
}

Parsed parseOk(const std::vector<uint8_t>& block, const char* label)
{
    Parsed parsed = parse(block);
    EXPECT_TRUE(parsed.ok) << label << ": " << testing::PrintToString(parsed.reason);
    EXPECT_EQ(parsed.reason, L"") << label;
    return parsed;
}

std::vector<uint8_t> concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A type-0 structure of formatted length 0x18 with vendor, version and date
// string numbers 1, 2 and 3.
Formatted biosRecord(size_t length = 0x18)
{
    Formatted bios(0, length);
    if (length > 4) {
        bios.byte(4, 1);
    }
    if (length > 5) {
        bios.byte(5, 2);
    }
    if (length > 8) {
        bios.byte(8, 3);
    }
    return bios;
}

Formatted memoryDevice(size_t length, uint16_t size, uint32_t extended = 0)
{
    Formatted device(17, length);
    if (length >= 14) {
        device.word(12, size);
    }
    if (length >= 32) {
        device.dword(28, extended);
    }
    return device;
}

}  // namespace

TEST(SmbiosHeader, EachHeaderFaultHasItsSentence)
{
    const uint8_t oneByte = 0;
    FirmwareSummary summary = smbios_test::sentinelSummary();
    std::wstring reason;
    EXPECT_FALSE(parseSmbios(nullptr, 0, summary, reason));
    EXPECT_EQ(reason, L"no firmware table was returned");
    EXPECT_FALSE(parseSmbios(&oneByte, 0, summary, reason)) << "an empty buffer is no table";
    EXPECT_EQ(reason, L"no firmware table was returned");
    EXPECT_FALSE(parseSmbios(nullptr, 100, summary, reason)) << "a null pointer is no table whatever its length";
    EXPECT_EQ(reason, L"no firmware table was returned");
    EXPECT_EQ(summary, smbios_test::sentinelSummary());

    const std::vector<uint8_t> endOnly = Table().endOfTable().bytes();
    const struct {
        const char* label;
        std::vector<uint8_t> block;
        const wchar_t* sentence;
    } cases[] = {{"one byte", {3}, L"the firmware table is shorter than its own header"},
                 {"seven bytes", {0, 3, 0, 0, 6, 0, 0}, L"the firmware table is shorter than its own header"},
                 {"declares one byte more than it has", concat(rsmbHeader(3, 0, 7), endOnly),
                  L"the firmware table declares more data than it contains"},
                 {"declares data, has none", rsmbHeader(3, 0, 1),
                  L"the firmware table declares more data than it contains"},
                 {"declares 4 GiB - 1", concat(rsmbHeader(3, 0, 0xFFFFFFFFu), endOnly),
                  L"the firmware table declares more data than it contains"},
                 {"declares 0, header only", rsmbHeader(3, 0, 0), L"the firmware table is empty"},
                 {"declares 0, data behind", concat(rsmbHeader(3, 0, 0), endOnly), L"the firmware table is empty"},
                 // The header faults are judged before the walk: a bad structure does not change them.
                 {"short data and a broken structure", concat(rsmbHeader(3, 0, 9), {0, 2, 0, 0}),
                  L"the firmware table declares more data than it contains"}};
    for (const auto& c : cases) {
        expectFailure(c.block, c.sentence, c.label);
    }
}

TEST(SmbiosWalk, EachStructureFaultHasItsSentence)
{
    const std::wstring truncated = L"a firmware structure header is truncated";
    const std::wstring impossible = L"a firmware structure declares an impossible length";
    const std::wstring pastEnd = L"a firmware structure runs past the end of the table";
    const std::wstring unterminated = L"a firmware structure's text area is not terminated";
    const std::vector<uint8_t> bios = Table().add(biosRecord(), {"Vendor", "1.0", "01/02/2020"}).bytes();

    const struct {
        const char* label;
        std::vector<uint8_t> table;
        std::wstring sentence;
    } cases[] = {{"formatted length 3", {0, 3, 0, 0, 0, 0}, impossible},
                 {"formatted length 0", {4, 0, 0, 0, 0, 0}, impossible},
                 {"length 0 after a good structure", concat(bios, {1, 0, 0, 0, 0, 0}), impossible},
                 {"formatted length reaches past the end", {0, 0x18, 0, 0, 1, 2, 0, 0}, pastEnd},
                 {"formatted length one past the end", concat(bios, {1, 7, 0, 0, 0, 0}), pastEnd},
                 {"formatted area ends exactly at the end", {1, 4, 0, 0}, unterminated},
                 {"last structure's formatted area ends at the end", concat(bios, {1, 6, 0, 0, 0, 0}), unterminated},
                 {"string without its zero", {1, 4, 0, 0, 'a', 'b', 'c'}, unterminated},
                 {"string set without its closing zero", {1, 4, 0, 0, 'a', 'b', 0}, unterminated},
                 {"second string without its zero", {1, 4, 0, 0, 'a', 0, 'b'}, unterminated},
                 {"a lone zero at the end", {1, 4, 0, 0, 0}, unterminated},
                 {"an empty string, then an open one", {1, 4, 0, 0, 0, 'x'}, unterminated},
                 {"one byte after the last structure", concat(bios, {1}), truncated},
                 {"two bytes after the last structure", concat(bios, {1, 4}), truncated},
                 {"three bytes after the last structure", concat(bios, {1, 4, 0}), truncated},
                 {"three bytes only", {0, 4, 0}, truncated}};
    for (const auto& c : cases) {
        expectFailure(rsmb(c.table), c.sentence, c.label);
    }
}

TEST(SmbiosWalk, NoStructuresOnlyWhenThereIsNothingToWalk)
{
    // parseSmbios turns a zero-length table away as empty before walking, so
    // this sentence comes only from a walk over no bytes at all.
    std::vector<SmbiosStructure> structures(3);
    std::wstring reason;
    const uint8_t byte = 0;
    EXPECT_FALSE(walkSmbiosStructures(&byte, 0, structures, reason));
    EXPECT_EQ(reason, L"the firmware table holds no structures");
    EXPECT_TRUE(structures.empty());
    EXPECT_FALSE(walkSmbiosStructures(nullptr, 12, structures, reason));
    EXPECT_EQ(reason, L"the firmware table holds no structures");
}

TEST(SmbiosWalk, KeepsTypesFormattedAreasAndStringsInOrder)
{
    const std::vector<uint8_t> table =
        Table()
            .add(Formatted(222, 6).word(4, 0xBEEF))
            .add(Formatted(1, 8), {"first", "second"})
            .raw({2, 4, 0, 0, 0, 'x', 'y', 0, 0})  // a set that opens with an empty string
            .endOfTable()
            .bytes();
    std::vector<SmbiosStructure> structures;
    std::wstring reason;
    ASSERT_TRUE(walkSmbiosStructures(table.data(), table.size(), structures, reason))
        << testing::PrintToString(reason);
    ASSERT_EQ(structures.size(), 4u);

    EXPECT_EQ(structures[0].type, 222);
    EXPECT_EQ(structures[0].formattedLength, 6u);
    EXPECT_EQ(structures[0].formatted, table.data());
    EXPECT_TRUE(structures[0].strings.empty());
    uint16_t word = 0;
    EXPECT_TRUE(structures[0].wordAt(4, word));
    EXPECT_EQ(word, 0xBEEF);

    EXPECT_EQ(structures[1].type, 1);
    EXPECT_EQ(structures[1].formatted, table.data() + 8);
    ASSERT_EQ(structures[1].strings.size(), 2u);
    EXPECT_EQ(structures[1].strings[0], "first");
    EXPECT_EQ(structures[1].strings[1], "second");

    ASSERT_EQ(structures[2].strings.size(), 2u);
    EXPECT_EQ(structures[2].strings[0], "");
    EXPECT_EQ(structures[2].strings[1], "xy");
    EXPECT_EQ(structures[3].type, 127);
}

TEST(SmbiosStructureFields, AccessorsStayInsideTheFormattedLength)
{
    const uint8_t bytes[] = {4, 8, 0x34, 0x12, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE};  // length 8; 0xEE lies outside
    SmbiosStructure structure;
    structure.type = 4;
    structure.formatted = bytes;
    structure.formattedLength = 8;

    uint8_t byte = 7;
    uint16_t word = 7;
    uint32_t dword = 7;
    EXPECT_TRUE(structure.byteAt(7, byte));
    EXPECT_EQ(byte, 0xDD);
    EXPECT_FALSE(structure.byteAt(8, byte)) << "offset 8 is outside a formatted length of 8";
    EXPECT_EQ(byte, 0xDD) << "a refused read leaves the value alone";
    EXPECT_TRUE(structure.wordAt(2, word));
    EXPECT_EQ(word, 0x1234);
    EXPECT_TRUE(structure.wordAt(6, word));
    EXPECT_EQ(word, 0xDDCC);
    EXPECT_FALSE(structure.wordAt(7, word));
    EXPECT_TRUE(structure.dwordAt(4, dword));
    EXPECT_EQ(dword, 0xDDCCBBAAu);
    EXPECT_FALSE(structure.dwordAt(5, dword));
    EXPECT_FALSE(structure.dwordAt(SIZE_MAX - 1, dword)) << "no wrap-around on huge offsets";
    EXPECT_FALSE(structure.wordAt(SIZE_MAX, word));
    EXPECT_EQ(structure.stringNumberAt(4), 0xAAu);
    EXPECT_EQ(structure.stringNumberAt(8), 0u) << "a field beyond the formatted area is no string";

    const SmbiosStructure empty;
    EXPECT_FALSE(empty.byteAt(0, byte));
    EXPECT_FALSE(empty.dwordAt(0, dword));
}

TEST(SmbiosSummary, EndOfTableAloneIsAGoodTableWithNoRecords)
{
    const Parsed parsed = parseOk(rsmb(Table().endOfTable(), 3, 2), "end of table only");
    const Reading bios = none(L"the firmware table holds no BIOS record");
    const Reading system = none(L"the firmware table holds no system record");
    const Reading processor = none(L"the firmware table holds no processor record");
    EXPECT_EQ(parsed.summary, (FirmwareSummary{.biosVendor = bios,
                                               .biosVersion = bios,
                                               .biosReleaseDate = bios,
                                               .smbiosVersion = ok(L"3.2"),
                                               .systemManufacturer = system,
                                               .systemModel = system,
                                               .processorVersion = processor,
                                               .processorManufacturer = processor,
                                               .processorSocket = processor}));

    const struct {
        uint8_t major;
        uint8_t minor;
        Reading expected;
    } versions[] = {{0, 0, none(L"the firmware states no SMBIOS version")},
                    {2, 4, ok(L"2.4")},
                    {0, 5, ok(L"0.5")},
                    {3, 0, ok(L"3.0")},
                    {2, 31, ok(L"2.31")},
                    {255, 255, ok(L"255.255")}};
    for (const auto& v : versions) {
        const Parsed p = parseOk(rsmb(Table().endOfTable(), v.major, v.minor), "version");
        EXPECT_EQ(p.summary.smbiosVersion, v.expected) << "SMBIOS version from the header";
    }
}

TEST(SmbiosSummary, NothingAfterTheEndOfTableIsRead)
{
    // After type 127 come a type-0 record and then bytes that would be a
    // broken structure; neither is looked at.
    const std::vector<uint8_t> table =
        Table().endOfTable().add(biosRecord(), {"Late", "9", "01/01/2001"}).raw({0, 2, 0}).bytes();
    const Parsed parsed = parseOk(rsmb(table), "bytes after the end-of-table structure");
    EXPECT_EQ(parsed.summary.biosVendor, none(L"the firmware table holds no BIOS record")) << "BIOS vendor";

    // Bytes past the declared length are not part of the table either.
    std::vector<uint8_t> block = rsmb(Table().add(biosRecord(), {"Early", "1", "01/01/2001"}));
    block.insert(block.end(), {1, 0, 0xFF});
    const Parsed cut = parseOk(block, "bytes after the declared end");
    EXPECT_EQ(cut.summary.biosVendor, ok(L"Early")) << "BIOS vendor";
}

TEST(SmbiosSummary, TableWithoutEndOfTableStructureParses)
{
    const Parsed parsed = parseOk(rsmb(Table().add(Formatted(1, 8).byte(4, 1).byte(5, 2), {"Maker", "Model"})),
                                  "no end-of-table structure");
    EXPECT_EQ(parsed.summary.systemManufacturer, ok(L"Maker")) << "system manufacturer";
    EXPECT_EQ(parsed.summary.systemModel, ok(L"Model")) << "system model";
}

TEST(SmbiosSummary, ReadsEveryFieldOfAFullTable)
{
    const std::vector<uint8_t> table =
        Table()
            .add(Formatted(0xDA, 5))  // an OEM structure first, as Dell servers have
            .add(biosRecord(), {"  American  Megatrends   Inc. ", "P3.20", "08/01/2018"})
            .add(Formatted(1, 0x1B).byte(4, 2).byte(5, 1), {"X399 Taichi", "ASRock"})
            .add(Formatted(4, 0x30).byte(4, 1).byte(7, 2).byte(16, 3).word(20, 4400).word(22, 3500),
                 {"SP3r2", "Advanced Micro Devices, Inc.", "AMD Ryzen Threadripper 2950X 16-Core Processor "})
            .add(memoryDevice(0x28, 0x4000))
            .add(memoryDevice(0x28, 0))
            .add(memoryDevice(0x28, 0x4000))
            .endOfTable()
            .bytes();
    const Parsed parsed = parseOk(rsmb(table, 3, 1), "full table");
    // The start-up speed, not the socket's maximum.
    EXPECT_EQ(parsed.summary,
              (FirmwareSummary{.biosVendor = ok(L"American Megatrends Inc."),
                               .biosVersion = ok(L"P3.20"),
                               .biosReleaseDate = ok(L"2018-08-01"),
                               .smbiosVersion = ok(L"3.1"),
                               .systemManufacturer = ok(L"ASRock"),
                               .systemModel = ok(L"X399 Taichi"),
                               .processorVersion = ok(L"AMD Ryzen Threadripper 2950X 16-Core Processor"),
                               .processorManufacturer = ok(L"Advanced Micro Devices, Inc."),
                               .processorSocket = ok(L"SP3r2"),
                               .startSpeedMhz = 3500,
                               .startSpeedKnown = true,
                               .installedMemoryBytes = 34359738368ull,
                               .installedMemoryKnown = true}));
}

TEST(SmbiosSummary, BiosStringsPlaceholdersAndDates)
{
    const struct {
        const char* label;
        Formatted bios;
        std::vector<std::string> strings;
        Reading vendor;
        Reading version;
        Reading date;
    } cases[] =
        {{"placeholder vendor",
          biosRecord(),
          {"To Be Filled By O.E.M.", "1.0", "06/14/2021"},
          unset(L"the BIOS vendor"),
          ok(L"1.0"),
          ok(L"2021-06-14")},
         {"placeholder vendor with blanks",
          biosRecord(),
          {"  to be filled by o.e.m.  ", "1.0", "06/14/21"},
          unset(L"the BIOS vendor"),
          ok(L"1.0"),
          ok(L"2021-06-14")},
         {"blank version",
          biosRecord(),
          {"V", "   ", "12/31/2019"},
          ok(L"V"),
          unset(L"the BIOS version"),
          ok(L"2019-12-31")},
         // A tab is a control byte like any other: it is no blank by the time it is trimmed.
         {"tab version", biosRecord(), {"V", "\t", "12/31/2019"}, ok(L"V"), ok(L"?"), ok(L"2019-12-31")},
         // "Not Specified" is not a date: it is never handed to the date rewrite.
         {"placeholder date",
          biosRecord(),
          {"V", "1", "Not Specified"},
          ok(L"V"),
          ok(L"1"),
          unset(L"the BIOS release date")},
         {"date that is not mm/dd/yy",
          biosRecord(),
          {"V", "1", " 10/002/2015 "},
          ok(L"V"),
          ok(L"1"),
          ok(L"10/002/2015")},
         {"month 13 passes unchanged", biosRecord(), {"V", "1", "13/01/2020"}, ok(L"V"), ok(L"1"), ok(L"13/01/2020")},
         {"string numbers 0",
          Formatted(0, 0x18),
          {"V", "1", "01/02/2003"},
          unset(L"the BIOS vendor"),
          unset(L"the BIOS version"),
          unset(L"the BIOS release date")},
         {"string numbers past the count",
          biosRecord().byte(4, 4).byte(5, 9).byte(8, 255),
          {"V", "1", "01/02/2003"},
          unset(L"the BIOS vendor"),
          unset(L"the BIOS version"),
          unset(L"the BIOS release date")},
         {"no strings at all",
          biosRecord(),
          {},
          unset(L"the BIOS vendor"),
          unset(L"the BIOS version"),
          unset(L"the BIOS release date")},
         // The date's string number is at offset 8: a formatted length of 8 cannot hold it.
         {"formatted length 8",
          biosRecord(8),
          {"V", "1", "01/02/2003"},
          ok(L"V"),
          ok(L"1"),
          unset(L"the BIOS release date")},
         {"formatted length 9", biosRecord(9), {"V", "1", "01/02/2003"}, ok(L"V"), ok(L"1"), ok(L"2003-01-02")},
         {"formatted length 5",
          biosRecord(5),
          {"V", "1", "01/02/2003"},
          ok(L"V"),
          unset(L"the BIOS version"),
          unset(L"the BIOS release date")},
         {"formatted length 4",
          biosRecord(4),
          {"V", "1", "01/02/2003"},
          unset(L"the BIOS vendor"),
          unset(L"the BIOS version"),
          unset(L"the BIOS release date")},
         {"bytes outside 32..126",
          biosRecord(),
          {"Caf\xE9\x01", "1\x7F", "01/02/2003"},
          ok(L"Caf??"),
          ok(L"1?"),
          ok(L"2003-01-02")},
         {"a string number naming an empty string",
          biosRecord(),
          {"", "1", "01/02/2003"},
          unset(L"the BIOS vendor"),
          ok(L"1"),
          ok(L"2003-01-02")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const Parsed parsed = parseOk(rsmb(Table().add(c.bios, c.strings).endOfTable()), c.label);
        EXPECT_EQ(parsed.summary.biosVendor, c.vendor) << "BIOS vendor";
        EXPECT_EQ(parsed.summary.biosVersion, c.version) << "BIOS version";
        EXPECT_EQ(parsed.summary.biosReleaseDate, c.date) << "BIOS date";
    }
}

TEST(SmbiosSummary, OnlyTheFirstBiosSystemAndProcessorRecordsCount)
{
    const std::vector<uint8_t> table =
        Table()
            .add(biosRecord(), {"First vendor", "1", "01/01/2001"})
            .add(Formatted(1, 8).byte(4, 1).byte(5, 2), {"Maker one", "Model one"})
            .add(Formatted(4, 0x1A).byte(4, 1).word(22, 2000), {"CPU 1"})
            .add(biosRecord(), {"Second vendor", "2", "02/02/2002"})
            .add(Formatted(1, 8).byte(4, 1).byte(5, 2), {"Maker two", "Model two"})
            .add(Formatted(4, 0x1A).byte(4, 1).byte(7, 1).byte(16, 1).word(22, 3000), {"CPU 2"})
            .endOfTable()
            .bytes();
    const Parsed parsed = parseOk(rsmb(table), "two of each");
    // The first processor record names no manufacturer or version; the second's are not borrowed.
    EXPECT_EQ(parsed.summary, (FirmwareSummary{.biosVendor = ok(L"First vendor"),
                                               .biosVersion = ok(L"1"),
                                               .biosReleaseDate = ok(L"2001-01-01"),
                                               .smbiosVersion = ok(L"3.0"),
                                               .systemManufacturer = ok(L"Maker one"),
                                               .systemModel = ok(L"Model one"),
                                               .processorVersion = unset(L"the processor version"),
                                               .processorManufacturer = unset(L"the processor manufacturer"),
                                               .processorSocket = ok(L"CPU 1"),
                                               .startSpeedMhz = 2000,
                                               .startSpeedKnown = true}));
}

TEST(SmbiosSummary, ProcessorFieldsFollowTheFormattedLength)
{
    const std::vector<std::string> strings = {"Socket", "Maker", "Model X"};
    const struct {
        const char* label;
        size_t length;
        uint16_t maxSpeed;    // offset 20: the socket's limit, never shown
        uint16_t startSpeed;  // offset 22
        Reading version;
        bool speedKnown;
        uint32_t speedMhz;
    } cases[] = {{"SMBIOS 2.0 length 0x1A", 0x1A, 4000, 3000, ok(L"Model X"), true, 3000},
                 {"length 24 holds the speed", 24, 1, 65535, ok(L"Model X"), true, 65535},
                 {"length 23 cuts the speed", 23, 3000, 3000, ok(L"Model X"), false, 0},
                 {"length 17 holds the version only", 17, 0, 0, ok(L"Model X"), false, 0},
                 {"length 16 cuts the version", 16, 0, 0, unset(L"the processor version"), false, 0},
                 {"start-up speed 0 is not a speed", 0x30, 3000, 0, ok(L"Model X"), false, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Formatted processor(4, c.length);
        processor.byte(4, 1).byte(7, 2);
        if (c.length > 16) {
            processor.byte(16, 3);
        }
        if (c.length >= 22) {
            processor.word(20, c.maxSpeed);
        }
        if (c.length >= 24) {
            processor.word(22, c.startSpeed);
        }
        const Parsed parsed = parseOk(rsmb(Table().add(processor, strings).endOfTable()), c.label);
        EXPECT_EQ(parsed.summary.processorSocket, ok(L"Socket")) << "socket";
        EXPECT_EQ(parsed.summary.processorManufacturer, ok(L"Maker")) << "manufacturer";
        EXPECT_EQ(parsed.summary.processorVersion, c.version) << "version";
        EXPECT_EQ(parsed.summary.startSpeedKnown, c.speedKnown);
        EXPECT_EQ(parsed.summary.startSpeedMhz, c.speedMhz);
    }
}

TEST(SmbiosSummary, InstalledMemoryFromTheMemoryDevices)
{
    const uint64_t MiB = 1048576;
    const struct {
        const char* label;
        std::vector<Formatted> devices;
        bool known;
        uint64_t bytes;
    } cases[] =
        {{"two 8192 MB modules", {memoryDevice(0x28, 0x2000), memoryDevice(0x28, 0x2000)}, true, 17179869184ull},
         {"an empty slot is ignored", {memoryDevice(0x28, 0), memoryDevice(0x28, 0x2000)}, true, 8192 * MiB},
         {"only empty slots", {memoryDevice(0x28, 0), memoryDevice(0x28, 0)}, false, 0},
         {"no memory device", {}, false, 0},
         {"size not stated", {memoryDevice(0x28, 0x2000), memoryDevice(0x28, 0xFFFF)}, false, 0},
         {"size not stated first", {memoryDevice(0x28, 0xFFFF), memoryDevice(0x28, 0x2000)}, false, 0},
         {"bit 15: kilobytes", {memoryDevice(0x28, 0x8200)}, true, 512 * 1024},
         {"bit 15 with no kilobytes", {memoryDevice(0x28, 0x8000)}, false, 0},
         {"largest plain size", {memoryDevice(0x15, 0x7FFE)}, true, 32766 * MiB},
         {"extended size", {memoryDevice(0x28, 0x7FFF, 32768)}, true, 32768 * MiB},
         {"extended size at length 32", {memoryDevice(32, 0x7FFF, 65536)}, true, 65536 * MiB},
         {"extended size's top bit is not part of it",
          {memoryDevice(0x28, 0x7FFF, 0x80000000u | 32768)},
          true,
          32768 * MiB},
         {"extended size of 0", {memoryDevice(0x28, 0x7FFF, 0)}, false, 0},
         {"extended size beyond the formatted length",
          {memoryDevice(31, 0x7FFF), memoryDevice(0x28, 0x2000)},
          false,
          0},
         {"largest extended size", {memoryDevice(0x28, 0x7FFF, 0x7FFFFFFF)}, true, 0x7FFFFFFFull * MiB},
         {"length 13 cannot hold the size", {memoryDevice(13, 0), memoryDevice(0x28, 0x2000)}, false, 0},
         {"length 14 holds the size", {memoryDevice(14, 0x0400)}, true, 1024 * MiB}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        Table table;
        for (const Formatted& device : c.devices) {
            table.add(device, {"DIMM"});
        }
        const Parsed parsed = parseOk(rsmb(table.endOfTable()), c.label);
        EXPECT_EQ(parsed.summary.installedMemoryKnown, c.known);
        EXPECT_EQ(parsed.summary.installedMemoryBytes, c.bytes);
    }
}

TEST(SmbiosSummary, AMemoryTotalBeyond64BitsIsNotKnown)
{
    // Each module reports (2^31 - 1) MB, just under 2^51 bytes: 8192 of them
    // still fit in 64 bits, one more does not.
    const uint64_t moduleBytes = 0x7FFFFFFFull * 1048576ull;
    Table fits;
    for (int i = 0; i < 8192; ++i) {
        fits.add(memoryDevice(34, 0x7FFF, 0x7FFFFFFF));
    }
    const Parsed full = parseOk(rsmb(fits), "8192 largest modules");
    EXPECT_TRUE(full.summary.installedMemoryKnown);
    EXPECT_EQ(full.summary.installedMemoryBytes, 18446744065119617024ull);
    EXPECT_EQ(full.summary.installedMemoryBytes, 8192 * moduleBytes);

    Table overflows = fits;
    overflows.add(memoryDevice(34, 0x7FFF, 0x7FFFFFFF));
    const Parsed over = parseOk(rsmb(overflows), "8193 largest modules");
    EXPECT_FALSE(over.summary.installedMemoryKnown);
    EXPECT_EQ(over.summary.installedMemoryBytes, 0u);
}
