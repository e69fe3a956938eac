#include "scan/processor_probe.h"

#include <windows.h>

#include <intrin.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/unique_resource.h"
#include "common/windows_failure.h"
#include "report/value_text.h"
#include "scan/fake_machine.h"
#include "scan/host_file.h"
#include "scan/private_registry.h"
#include "scan/processor_rules.h"
#include "support/widen.h"

namespace {

// Packs up to 48 bytes, zero-padded, into the twelve registers of leaves
// 0x80000002..4 the way the processor returns them: lowest byte first.
std::array<uint32_t, 12> brandRegisters(std::string_view bytes)
{
    std::array<uint8_t, 48> padded{};
    std::memcpy(padded.data(), bytes.data(), bytes.size() < 48 ? bytes.size() : 48);
    std::array<uint32_t, 12> registers{};
    for (size_t i = 0; i < 12; ++i) {
        registers[i] = uint32_t{padded[4 * i]} | uint32_t{padded[4 * i + 1]} << 8 |
                       uint32_t{padded[4 * i + 2]} << 16 | uint32_t{padded[4 * i + 3]} << 24;
    }
    return registers;
}

uint32_t fourBytes(std::string_view bytes)
{
    return brandRegisters(bytes)[0];
}

void putU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof(value));
}

// One variable-length record: relationship, size, then zero filling up to
// the size (a size below 8 still writes the 8-byte head).
void appendRecord(std::vector<uint8_t>& bytes, uint32_t relationship, uint32_t size)
{
    const size_t at = bytes.size();
    bytes.resize(at + (size < 8 ? 8 : size), 0);
    putU32(bytes, at, relationship);
    putU32(bytes, at + 4, size);
}

// One 32-byte entry: a mask that is all ones (so that a read at the wrong
// offset is not 0) and the relationship at offset 8.
void appendEntry(std::vector<uint8_t>& bytes, uint32_t relationship)
{
    const size_t at = bytes.size();
    bytes.resize(at + 32, 0);
    putU32(bytes, at, 0xFFFFFFFFu);
    putU32(bytes, at + 4, 0xFFFFFFFFu);
    putU32(bytes, at + 8, relationship);
}

}  // namespace

TEST(BrandText, ConvertsTheThreeLeavesByteByByte)
{
    const std::string full48 = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKL";
    const struct {
        uint32_t maxLeaf;
        std::string_view bytes;
        const wchar_t* text;
        const char* why;
    } cases[] = {{0x80000008u, "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz", L"Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz",
                  "plain"},
                 {0x80000004u, "AMD EPYC", L"AMD EPYC", "the highest leaf is exactly the last brand leaf"},
                 {0x80000004u, "       Intel(R) Xeon(R) CPU", L"       Intel(R) Xeon(R) CPU",
                  "blanks kept until cleaned"},
                 {0x80000003u, "Intel(R) Xeon(R) CPU", L"", "leaf 0x80000004 missing"},
                 {0x80000000u, "Intel(R) Xeon(R) CPU", L"", "no extended brand leaves at all"},
                 {0x00000001u, "Intel(R) Xeon(R) CPU", L"", "compared unsigned: a small value is below 0x80000004"},
                 {0xFFFFFFFFu, "Big", L"Big", "compared unsigned: the largest value is above"},
                 {0x80000004u, std::string_view("\0Intel", 6), L"", "first byte 0"},
                 {0x80000004u, std::string_view("Brand\0Hidden", 12), L"Brand", "stops before the first zero"},
                 {0x80000004u,
                  "A\x01"
                  "B\x7F"
                  "C\xFF"
                  "D\x1F"
                  "E ~\x80",
                  L"A?B?C?D?E ~?", "bytes outside 32..126"},
                 {0x80000004u, full48, L"0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKL",
                  "all 48 bytes, no terminator"}};
    for (const auto& c : cases) {
        EXPECT_EQ(brandText(c.maxLeaf, brandRegisters(c.bytes)), c.text) << c.why;
    }
}

TEST(VendorText, TakesEbxEdxEcxInThatOrder)
{
    EXPECT_EQ(vendorText(fourBytes("Genu"), fourBytes("ineI"), fourBytes("ntel")), L"GenuineIntel");
    EXPECT_EQ(vendorText(fourBytes("Auth"), fourBytes("enti"), fourBytes("cAMD")), L"AuthenticAMD");
    EXPECT_EQ(vendorText(fourBytes(std::string_view("Ab\0c", 4)), fourBytes("XXXX"), fourBytes("YYYY")), L"Ab")
        << "a zero byte ends the text";
    EXPECT_EQ(vendorText(fourBytes("Genu"), fourBytes(std::string_view("in\0I", 4)), fourBytes("ntel")), L"Genuin");
    EXPECT_EQ(vendorText(0, 0, 0), L"");
    const std::wstring widened = std::wstring{L' ', wchar_t{0xE9}, wchar_t{0x01}, L'Z'} + L"        ";
    EXPECT_EQ(vendorText(fourBytes(" \xE9\x01Z"), fourBytes("    "), fourBytes("    ")), widened)
        << "bytes are widened as they are: no question marks, no trimming";
}

// The plain cases run through the probe on the fake CPUID below.
TEST(ProcessorNameAndManufacturer, PlaceholdersUnsetFirmwareAndRawVendors)
{
    const Reading firmwareVersion = readingOk(L"Intel(R) Core(TM) i5-4590 CPU @ 3.30GHz");
    const Reading firmwareUnset = readingNone(L"the firmware left the processor version unset");
    const Reading unsetName = readingNone(L"the firmware left the processor name unset");
    EXPECT_EQ(processorNameReading(L"unknown", true, firmwareVersion), unsetName) << "placeholder brand";
    EXPECT_EQ(processorNameReading(L"  To Be Filled By O.E.M.  ", false, firmwareVersion), unsetName);
    EXPECT_EQ(processorNameReading(L"      ", true, firmwareVersion), unsetName) << "a brand of blanks is not empty";
    EXPECT_EQ(processorNameReading(L"", true, firmwareUnset), firmwareUnset) << "copied whatever its state";

    const Reading firmwareIntel = readingOk(L"Intel(R) Corporation");
    const Reading manufacturerUnset = readingNone(L"the firmware left the processor manufacturer unset");
    EXPECT_EQ(processorManufacturerReading(L"GenuineIntel", true, manufacturerUnset), readingOk(L"GenuineIntel"));
    EXPECT_EQ(processorManufacturerReading(L" Odd  Vendor ", false, firmwareIntel), readingOk(L" Odd  Vendor "))
        << "the vendor string is not cleaned";
    EXPECT_EQ(processorManufacturerReading(L"", true, firmwareIntel), firmwareIntel);
    EXPECT_EQ(processorManufacturerReading(L"", true, manufacturerUnset),
              readingNone(L"this processor does not publish a vendor string"));
}

TEST(CoreRecords, WalksVariableLengthRecords)
{
    std::vector<uint8_t> three;
    appendRecord(three, 0, 48);
    appendRecord(three, 0, 48);
    appendRecord(three, 0, 48);
    EXPECT_EQ(countCoreRecords(three), 3u);

    std::vector<uint8_t> mixed;
    appendRecord(mixed, 0, 48);
    appendRecord(mixed, 2, 80);  // a cache record
    appendRecord(mixed, 0, 48);
    appendRecord(mixed, 3, 48);      // a package record
    appendRecord(mixed, 0x100, 48);  // not 0 in all four bytes
    EXPECT_EQ(countCoreRecords(mixed), 2u) << "only relationship 0 counts";

    std::vector<uint8_t> zeroSize;
    appendRecord(zeroSize, 0, 48);
    appendRecord(zeroSize, 0, 0);
    appendRecord(zeroSize, 0, 48);
    EXPECT_EQ(countCoreRecords(zeroSize), 1u) << "a record of size 0 ends the walk and is not counted";

    EXPECT_EQ(countCoreRecords(std::span<const uint8_t>(three.data(), 96)), 2u)
        << "the walk stops where the returned size ends";
    EXPECT_EQ(countCoreRecords(std::span<const uint8_t>(three.data(), 104)), 3u)
        << "a third record whose head lies inside the returned size counts; the walk then ends";
    EXPECT_EQ(countCoreRecords(std::span<const uint8_t>(three.data(), 100)), 2u)
        << "four bytes are not a record head";

    std::vector<uint8_t> oversized;
    appendRecord(oversized, 0, 48);
    putU32(oversized, 4, 0x7FFFFFFFu);
    EXPECT_EQ(countCoreRecords(oversized), 1u) << "a size past the end stops after this record";

    EXPECT_EQ(countCoreRecords({}), 0u);
}

TEST(CoreEntries, CountsWholeEntriesByRelationshipAtOffsetEight)
{
    std::vector<uint8_t> entries;
    appendEntry(entries, 0);
    appendEntry(entries, 2);
    appendEntry(entries, 0);
    appendEntry(entries, 0x100);
    appendEntry(entries, 0);
    EXPECT_EQ(countCoreEntries(entries), 3u);

    EXPECT_EQ(countCoreEntries(std::span<const uint8_t>(entries.data(), 5 * 32 - 1)), 2u)
        << "a partial last entry is not read";
    EXPECT_EQ(countCoreEntries(std::span<const uint8_t>(entries.data(), 31)), 0u);
    EXPECT_EQ(countCoreEntries({}), 0u);
}

namespace {

std::vector<uint8_t> exRecords(std::initializer_list<uint32_t> relations)
{
    std::vector<uint8_t> bytes;
    for (uint32_t relation : relations) {
        appendRecord(bytes, relation, 48);
    }
    return bytes;
}

class CountProcessorCores : public ::testing::Test {
protected:
    void SetUp() override
    {
        script = FakeMachine::Topology{};
        script.exRecords = exRecords({0, 2, 0, 0, 3});
        script.legacyEntries = {processorEntry(RelationProcessorCore), processorEntry(RelationCache),
                                processorEntry(RelationProcessorCore), processorEntry(RelationProcessorPackage)};
    }

    // The probe's core count with the stand-ins, split back into count and reason.
    bool count(bool withEx = true)
    {
        ProcessorCalls calls = machine.calls.processor;
        if (!withEx) {
            calls.logicalProcessorInformationEx = nullptr;
        }
        const Reading counted = probeProcessor(FirmwareResult{}, calls).physicalCores;
        const std::wstring prefix = L"counting processor cores: ";
        cores = counted.state == ReadingState::Ok ? std::stoull(counted.value) : 0;
        reason = counted.reason.starts_with(prefix) ? counted.reason.substr(prefix.size()) : counted.reason;
        return counted.state == ReadingState::Ok;
    }

    FakeMachine machine;
    FakeMachine::Topology& script = machine.topology;
    uint64_t cores = 99;
    std::wstring reason = L"left over";
};

}  // namespace

TEST_F(CountProcessorCores, NewerCallFirst)
{
    ASSERT_TRUE(count()) << testing::PrintToString(reason);
    EXPECT_EQ(cores, 3u);
    EXPECT_TRUE(reason.empty());
    EXPECT_EQ(script.exCalls, 2) << "sizing, then filling";
    EXPECT_EQ(script.exRelations, (std::vector<int>{0, 0})) << "asked for RelationProcessorCore only";
    EXPECT_EQ(script.legacyCalls, 0) << "the older call is not needed";
}

TEST_F(CountProcessorCores, FallsBackToTheOlderCallSilently)
{
    const struct {
        const char* why;
        bool withEx;
        bool exReportsSize;
        bool exFills;
        std::vector<uint8_t> records;
    } cases[] = {{"newer call missing", false, true, true, exRecords({0, 0, 0})},
                 {"sizing gives size 0", true, false, true, exRecords({0, 0, 0})},
                 {"filling call fails", true, true, false, exRecords({0, 0, 0})},
                 {"no core records", true, true, true, exRecords({2, 3, 2})},
                 {"a first record of size 0", true, true, true, [] {
                      std::vector<uint8_t> bytes;
                      appendRecord(bytes, 0, 0);
                      appendRecord(bytes, 0, 48);
                      return bytes;
                  }()}};
    for (const auto& c : cases) {
        SetUp();
        script.exReportsSize = c.exReportsSize;
        script.exFills = c.exFills;
        script.exRecords = c.records;
        ASSERT_TRUE(count(c.withEx)) << c.why << ": " << testing::PrintToString(reason);
        EXPECT_EQ(cores, 2u) << c.why << ": counted from the older call's entries";
        EXPECT_TRUE(reason.empty()) << c.why << ": nothing of the first attempt is reported";
        EXPECT_EQ(script.legacyCalls, 2) << c.why;
    }
}

TEST_F(CountProcessorCores, OlderCallReadsWholeEntriesOnly)
{
    script.legacySizingSize = 4 * 32 + 20;  // a size that is not a whole number of entries
    ASSERT_TRUE(count(false));
    EXPECT_EQ(script.legacyFillSizeGiven, 4u * 32) << "the buffer is rounded down to whole 32-byte entries";
    EXPECT_EQ(cores, 2u);

    // The sizing call asks for more than the filling call then writes: the
    // zeroed entries left over are not cores.
    SetUp();
    script.legacySizingSize = 8 * 32;
    ASSERT_TRUE(count(false));
    EXPECT_EQ(cores, 2u) << "unwritten zeroed entries were counted";
}

TEST_F(CountProcessorCores, FailuresCarryTheirReasons)
{
    // The sizing call gives no size: the text of its last error.
    script.legacySizingSize = 0;
    script.legacySizingError = ERROR_NOT_SUPPORTED;
    EXPECT_FALSE(count(false));
    EXPECT_EQ(reason, windowsFailureText(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(cores, 0u);

    // The last error is cleared before the sizing call, so a stale one is never reported.
    SetUp();
    script.legacySizingSize = 0;
    script.legacySizingError = 0;
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_FALSE(count(false));
    EXPECT_EQ(reason, L"the call failed without setting an error code");

    // The filling call fails after the newer call failed too: only the older call's error is told.
    SetUp();
    script.exFills = false;
    script.legacyFills = false;
    script.legacyFillError = ERROR_NOT_ENOUGH_MEMORY;
    EXPECT_FALSE(count());
    EXPECT_EQ(script.exCalls, 2);
    EXPECT_EQ(reason, windowsFailureText(ERROR_NOT_ENOUGH_MEMORY));

    // A size below one entry: the buffer is empty and the second call fails.
    SetUp();
    script.legacySizingSize = 16;
    EXPECT_FALSE(count(false));
    EXPECT_EQ(reason, windowsFailureText(ERROR_INSUFFICIENT_BUFFER));

    // Entries but no cores among them.
    SetUp();
    script.exRecords = exRecords({2});
    script.legacyEntries = {processorEntry(RelationCache), processorEntry(RelationProcessorPackage),
                            processorEntry(RelationNumaNode)};
    EXPECT_FALSE(count());
    EXPECT_EQ(reason, L"Windows described no processor cores");
    EXPECT_EQ(cores, 0u);
}

TEST(FrequencyReading, FirmwareThenRegistryThenNone)
{
    const Reading none = readingNone(L"neither the firmware nor the registry states a processor speed");
    const struct {
        SpeedSources sources;
        Reading expected;
    } cases[] = {{{true, true, 3600, true, 2195}, readingOk(L"3.60 GHz (at start-up)")},
                 {{true, true, 800, false, 0}, readingOk(L"800 MHz (at start-up)")},
                 {{false, true, 3600, true, 2195}, readingOk(L"2.19 GHz (at start-up)")},
                 {{true, false, 3600, true, 2195}, readingOk(L"2.19 GHz (at start-up)")},
                 {{true, true, 0, true, 999}, readingOk(L"999 MHz (at start-up)")},
                 {{true, false, 0, true, 0}, none},
                 {{true, false, 0, false, 2195}, none},
                 {{false, false, 0, false, 0}, none}};
    for (const auto& c : cases) {
        const SpeedSources& s = c.sources;
        EXPECT_EQ(frequencyReading(s), c.expected)
            << "usable " << s.firmwareUsable << ", firmware " << s.firmwareKnown << "/" << s.firmwareMhz
            << ", registry " << s.registryStated << "/" << s.registryMhz;
    }
    EXPECT_TRUE(firmwareSpeedApplies({true, true, 1}));
    EXPECT_FALSE(firmwareSpeedApplies({false, true, 1}));
    EXPECT_FALSE(firmwareSpeedApplies({true, false, 1}));
    EXPECT_FALSE(firmwareSpeedApplies({true, true, 0}));
}

namespace {

constexpr wchar_t kCentralProcessorKey[] = L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

testing::AssertionResult writeProcessorValue(DWORD type, const void* data, DWORD bytes)
{
    return writeRegistryValue(HKEY_LOCAL_MACHINE, kCentralProcessorKey, L"~MHz", type, data, bytes);
}

testing::AssertionResult writeMegahertz(DWORD value)
{
    return writeProcessorValue(REG_DWORD, &value, sizeof(value));
}

// The frequency the probe reads, with the real calls.
Reading readProcessorFrequency(bool firmwareUsable, const FirmwareSummary& firmware)
{
    FirmwareResult result;
    result.usable = firmwareUsable;
    result.summary = firmware;
    return probeProcessor(result, ProcessorCalls{}).frequency;
}

}  // namespace

TEST_F(PrivateMachineTest, ProcessorStartUpSpeedComesFromTheRegistry)
{
    FirmwareSummary noSpeed;
    FirmwareSummary stated;
    stated.startSpeedKnown = true;
    stated.startSpeedMhz = 3600;
    const Reading none = readingNone(L"neither the firmware nor the registry states a processor speed");

    ASSERT_TRUE(writeMegahertz(2195));
    EXPECT_EQ(readProcessorFrequency(true, noSpeed), readingOk(L"2.19 GHz (at start-up)"));
    EXPECT_EQ(readProcessorFrequency(true, stated), readingOk(L"3.60 GHz (at start-up)"))
        << "the firmware speed wins";

    ASSERT_TRUE(writeMegahertz(800));
    EXPECT_EQ(readProcessorFrequency(false, noSpeed), readingOk(L"800 MHz (at start-up)"));

    ASSERT_TRUE(writeMegahertz(0));
    EXPECT_EQ(readProcessorFrequency(true, noSpeed), none);

    const wchar_t text[] = L"2195";
    ASSERT_TRUE(writeProcessorValue(REG_SZ, text, sizeof(text)));
    EXPECT_EQ(readProcessorFrequency(true, noSpeed), none) << "a REG_SZ value is not a speed";

    const ULONGLONG wide = 2195;
    ASSERT_TRUE(writeProcessorValue(REG_QWORD, &wide, sizeof(wide)));
    EXPECT_EQ(readProcessorFrequency(true, noSpeed), none) << "an 8-byte value does not fit the 4-byte buffer";

    deleteRegistryValue(HKEY_LOCAL_MACHINE, kCentralProcessorKey, L"~MHz");
    EXPECT_EQ(readProcessorFrequency(true, noSpeed), none);
}

namespace {

std::string hostCpuinfo()
{
    return readHostFile(L"Z:\\proc\\cpuinfo");
}

DWORD logicalProcessors()
{
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return info.dwNumberOfProcessors;
}

// Distinct (physical id, core id) pairs; 0 when some processor lacks either.
size_t hostCoreCount(const std::string& cpuinfo)
{
    std::set<std::pair<std::string, std::string>> cores;
    size_t blocks = 0;
    size_t at = cpuinfo.find("processor");
    while (at != std::string::npos) {
        ++blocks;
        const size_t next = cpuinfo.find("\nprocessor", at + 1);
        const std::string block = cpuinfo.substr(at, next == std::string::npos ? std::string::npos : next - at);
        const std::string package = hostField(block, "physical id");
        const std::string core = hostField(block, "core id");
        if (package.empty() || core.empty()) {
            return 0;
        }
        cores.emplace(package, core);
        at = next == std::string::npos ? next : next + 1;
    }
    return blocks == 0 ? 0 : cores.size();
}

// The probe's readings with the firmware not usable, so that the name and
// manufacturer are the processor's own.
ProcessorReadings probeThisProcessor(const ProcessorCalls& calls = ProcessorCalls{})
{
    return probeProcessor(FirmwareResult{}, calls);
}

}  // namespace

TEST(ProcessorOnThisMachine, VendorMatchesTheHost)
{
    SKIP_UNLESS_UNDER_WINE();
    const std::string vendor = hostField(hostCpuinfo(), "vendor_id");
    ASSERT_FALSE(vendor.empty()) << "Z:\\proc\\cpuinfo gave no vendor_id";
    EXPECT_EQ(probeThisProcessor().manufacturer, readingOk(widen(vendor)));
}

namespace {

// The brand string read here with the instruction itself, apart from the
// code under test.
std::string liveBrand()
{
    const auto leaf = [](uint32_t number, uint32_t(&registers)[4]) {
        int values[4] = {};
        __cpuidex(values, static_cast<int>(number), 0);
        std::memcpy(registers, values, sizeof(values));
    };
    uint32_t registers[4] = {};
    leaf(0x80000000u, registers);
    if (registers[0] < 0x80000004u) {
        return std::string();
    }
    char bytes[49] = {};
    for (uint32_t part = 0; part < 3; ++part) {
        leaf(0x80000002u + part, registers);
        std::memcpy(bytes + 16 * part, registers, 16);
    }
    return bytes;
}

}  // namespace

TEST(ProcessorOnThisMachine, BrandMatchesTheProcessorAndTheHost)
{
    const std::wstring brand = probeThisProcessor().name.value;
    const std::string live = liveBrand();
    ASSERT_FALSE(live.empty()) << "this processor has no brand string";
    EXPECT_EQ(brand, firmwareText(widen(live), L"the processor name").value);

    if (!runningUnderWine()) {
        return;  // no Linux host to compare with
    }
    // The host kernel's "model name" is the brand it read at boot. A virtual
    // machine restored on another host can show a different brand since then;
    // only when the host's live brand is that name can the two be compared.
    const std::string model = hostField(hostCpuinfo(), "model name");
    ASSERT_FALSE(model.empty()) << "Z:\\proc\\cpuinfo gave no model name";
    const std::wstring cleanedModel = collapseBlanks(trimText(widen(model)));
    if (collapseBlanks(trimText(widen(live))) == cleanedModel) {
        EXPECT_EQ(brand, cleanedModel);
    } else {
        std::printf("[   INFO   ] CPUID brand '%ls' differs from the host's boot-time model name '%s'\n",
                    brand.c_str(), model.c_str());
    }
}

TEST(ProcessorOnThisMachine, CoresAreCountedByBothCalls)
{
    const Reading counted = probeThisProcessor().physicalCores;
    ASSERT_EQ(counted.state, ReadingState::Ok) << testing::PrintToString(counted.reason);
    const uint64_t cores = std::stoull(counted.value);
    EXPECT_GT(cores, 0u);
    EXPECT_LE(cores, logicalProcessors());

    ProcessorCalls legacyOnly;
    ASSERT_NE(legacyOnly.logicalProcessorInformationEx, nullptr)
        << "Windows 7 and Wine 8 have GetLogicalProcessorInformationEx";
    legacyOnly.logicalProcessorInformationEx = nullptr;
    EXPECT_EQ(probeThisProcessor(legacyOnly).physicalCores, counted) << "the older call describes the same cores";

    const size_t hostCores = runningUnderWine() ? hostCoreCount(hostCpuinfo()) : 0;
    if (hostCores > 0) {
        EXPECT_EQ(cores, hostCores) << "the host's distinct (physical id, core id) pairs";
    }
    std::printf("[   INFO   ] Wine: %llu physical cores, %lu logical processors; host cpuinfo cores: %zu\n",
                static_cast<unsigned long long>(cores), logicalProcessors(), hostCores);
}

namespace {

// CPUID without the brand leaves and with a vendor string of zeros.
std::array<uint32_t, 4> noBrandCpuid(uint32_t leaf)
{
    return leaf == 0x80000000u ? std::array<uint32_t, 4>{0x80000001u, 0, 0, 0} : std::array<uint32_t, 4>{};
}

}  // namespace

TEST(ProbeProcessor, CpuidFirstFirmwareWhereItWins)
{
    FirmwareResult firmware;
    firmware.fallback = readingFailed(L"the firmware table could not be read: it is empty");
    firmware.summary.processorVersion = readingOk(L"Firmware CPU Version");
    firmware.summary.processorManufacturer = readingOk(L"Firmware Maker");
    firmware.summary.startSpeedKnown = true;
    firmware.summary.startSpeedMhz = 2600;
    FakeMachine machine;
    ProcessorCalls& calls = machine.calls.processor;

    ProcessorReadings readings = probeProcessor(firmware, calls);
    EXPECT_EQ(readings.name, readingOk(L"Fake CPU"));
    EXPECT_EQ(readings.manufacturer, readingOk(L"FakeVendor12"));
    EXPECT_EQ(readings.version, firmware.fallback);
    EXPECT_EQ(readings.physicalCores, readingOk(L"2"));
    EXPECT_EQ(readings.frequency, readingNone(L"neither the firmware nor the registry states a processor speed"));

    firmware.usable = true;
    readings = probeProcessor(firmware, calls);
    EXPECT_EQ(readings.name, readingOk(L"Fake CPU"));
    EXPECT_EQ(readings.manufacturer, readingOk(L"Firmware Maker"));
    EXPECT_EQ(readings.version, readingOk(L"Firmware CPU Version"));
    EXPECT_EQ(readings.frequency, readingOk(L"2.60 GHz (at start-up)"));

    calls.cpuid = noBrandCpuid;
    EXPECT_EQ(probeProcessor(firmware, calls).name, readingOk(L"Firmware CPU Version"));
    firmware.usable = false;
    readings = probeProcessor(firmware, calls);
    EXPECT_EQ(readings.name, readingNone(L"this processor does not publish a brand string"));
    EXPECT_EQ(readings.manufacturer, readingNone(L"this processor does not publish a vendor string"));
}
