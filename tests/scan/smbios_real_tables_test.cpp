// SMBIOS tables captured on real machines (and a few virtual ones), kept in
// the shared test data folder beside the source tree, not in the repository.
#include "scan/smbios_parser.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "scan/smbios_expect.h"
#include "scan/smbios_table_builder.h"

namespace {

// What each table must give. Worked out without Korvane's parser: every file
// was wrapped with the shared smbios_wrap.py and decoded by Debian's
// dmidecode 3.4 (`dmidecode --from-dump`, types 0, 1, 4 and 17); the strings
// were then put through the firmware text rules by hand (blanks trimmed and
// collapsed, placeholders and missing strings none, mm/dd/yyyy dates turned
// round), the first type-4 "Current Speed" (offset 22) taken, and the "Size" of every
// type-17 summed. A separate byte-level decode in Python agreed on every
// processor and memory value. nullptr: the firmware left the field unset;
// speed or memory 0: not known.
//
// The SMBIOS version is not part of a bare table: major and minor are those
// of the table's listing in SOURCES.md; where it says "unknown", the lowest
// version whose structure lengths the table uses (type 0 of 26 bytes: 3.1;
// type 4 of 48: 3.0; type 17 of 92: 3.3, of 40: 2.8, of 34: 2.7, of 28: 2.6).
struct RealTable {
    const char* file;
    uint8_t major;
    uint8_t minor;
    const wchar_t* biosVendor;
    const wchar_t* biosVersion;
    const wchar_t* biosDate;
    const wchar_t* systemManufacturer;
    const wchar_t* systemModel;
    const wchar_t* processorSocket;
    const wchar_t* processorManufacturer;
    const wchar_t* processorVersion;
    uint32_t startSpeedMhz;
    uint64_t installedMemory;
};

// clang-format off
const RealTable kRealTables[] = {
    {"boardid-aaeon-up-cht01.bin", 3, 0, L"American Megatrends Inc.", L"UPC1EM18", L"2019-04-23", L"AAEON", L"UP-CHT01", L"SOCKET 0", L"Intel", L"Intel(R) Atom(TM) x5-Z8350 CPU @ 1.44GHz", 1440, 1073741824ull},
    {"boardid-asrock-x399-taichi.bin", 3, 1, L"American Megatrends Inc.", L"P3.20", L"2018-08-01", nullptr, nullptr, L"SP3r2", L"Advanced Micro Devices, Inc.", L"AMD Ryzen Threadripper 2950X 16-Core Processor", 3500, 34359738368ull},
    {"gosmbios-asrock-rack-x570d4u.bin", 3, 3, L"American Megatrends International, LLC.", L"P1.20", L"2021-05-19", nullptr, nullptr, L"CPUSocket", L"Advanced Micro Devices, Inc.", L"AMD Ryzen 9 5900X 12-Core Processor", 3700, 68719476736ull},
    {"gosmbios-beelink-eq12.bin", 3, 5, L"American Megatrends International, LLC.", L"N95V106", L"2023-12-15", L"AZW", L"EQ", L"U3E1", L"Intel(R) Corporation", L"Intel(R) N100", 2871, 17179869184ull},
    {"gosmbios-dell-poweredge-r630.bin", 2, 8, L"Dell Inc.", L"2.3.4", L"2016-11-08", L"Dell Inc.", L"PowerEdge R630", L"CPU1", L"Intel", L"Intel(R) Xeon(R) CPU E5-2630 v3 @ 2.40GHz", 2400, 34359738368ull},
    {"gosmbios-supermicro-h8qg6.bin", 2, 6, L"American Megatrends Inc.", L"3.00", L"2012-09-04", L"Supermicro", L"H8QG6", L"CPU 1", L"AMD", L"AMD Opteron(tm) Processor 6174", 2200, 137438953472ull},
    {"gosmbios-supermicro-sys-1027r-wrf.bin", 2, 7, L"American Megatrends Inc.", L"3.0c", L"2014-03-24", L"Supermicro", L"SYS-1027R-WRF", L"CPU 1", L"Intel", L"Intel(R) Xeon(R) CPU E5-2650 v2 @ 2.60GHz", 2600, 68719476736ull},
    {"infrasim-dell-poweredge-r630.bin", 2, 8, nullptr, L"1.5.4", L"10/002/2015", nullptr, nullptr, L"CPU1", L"Intel", L"Intel(R) Xeon(R) CPU E5-2699 v3 @ 2.30GHz", 2300, 549755813888ull},
    {"infrasim-dell-poweredge-r640.bin", 3, 0, L"Dell Inc.", L"1.3.7", L"2018-02-08", L"Dell Inc.", L"PowerEdge R640", L"CPU1", L"Intel", L"Intel(R) Xeon(R) Silver 4114 CPU @ 2.20GHz", 2200, 274877906944ull},
    {"infrasim-intel-s2600wtt.bin", 2, 7, L"Intel Corporation", L"SE5C610.86B.01.01.0014.121820151719", L"2015-12-18", L"EMC", L"S2600WTT", L"CPU1", L"Intel(R) Corporation", L"Intel(R) Xeon(R) CPU E5-2680 v3 @ 2.50GHz", 2500, 206158430208ull},
    {"infrasim-quanta-d51b-2u.bin", 2, 8, L"American Megatrends Inc.", L"S2B_3A17", L"2014-11-07", L"Quanta Computer Inc", L"D51B-2U (dual 10G LoM)", L"SOCKET 0", L"Intel", L"Intel(R) Xeon(R) CPU E5-2650 v3 @ 2.30GHz", 2300, 274877906944ull},
    {"ironfetch-dell-xps-15-9560.bin", 3, 0, L"Dell Inc.", L"1.31.0", L"2022-11-10", L"Dell Inc.", L"XPS 15 9560", L"U3E1", L"Intel(R) Corporation", L"Intel(R) Core(TM) i7-7700HQ CPU @ 2.80GHz", 2700, 68719476736ull},
    {"jcreekmore-dell-precision-3620.bin", 3, 0, L"Dell Inc.", L"2.1.9", L"2017-01-24", L"Dell Inc.", L"Precision Tower 3620", L"U3E1", L"Intel(R) Corporation", L"Intel(R) Xeon(R) CPU E3-1225 v5 @ 3.30GHz", 3300, 17179869184ull},
    {"jcreekmore-lenovo-thinkpad-t430.bin", 2, 7, L"LENOVO", L"G1ET45WW (1.20 )", L"2012-08-07", L"LENOVO", L"2347A49", L"CPU Socket - U3E1", L"Intel(R) Corporation", L"Intel(R) Core(TM) i5-3320M CPU @ 2.60GHz", 2600, 8589934592ull},
    {"pydmidecode-dell-precision-490.bin", 2, 3, L"Dell Inc.", L"A05", L"2007-05-24", L"Dell Inc.", L"Precision WorkStation 490", L"Microprocessor", L"Intel", nullptr, 1600, 2147483648ull},
    {"pydmidecode-hp-proliant-dl580-g5.bin", 2, 5, L"HP", L"P61", L"2007-12-07", L"HP", L"ProLiant DL580 G5", L"Proc 1", L"Intel", nullptr, 2400, 38654705664ull},
    {"pydmidecode-hp-proliant-dl585-g1.bin", 2, 3, L"HP", L"A01", L"2006-01-20", L"HP", L"ProLiant DL585 G1", L"Node 1", L"AMD", nullptr, 2400, 17179869184ull},
    {"pydmidecode-ibm-x3950-m2.bin", 2, 4, L"IBM", L"-[A3E148AUS-1.07]-", L"2008-11-05", L"IBM", L"IBM 3850 M2 / x3950 M2 -[71413RM]-", L"Node 1 CPU 3", L"GenuineIntel", L"Intel Xeon MP", 2400, 51539607552ull},
    {"pydmidecode-kvm-qemu.bin", 2, 4, L"QEMU", L"QEMU", L"2007-01-01", nullptr, nullptr, L"CPU 1", nullptr, nullptr, 0, 402653184ull},
    {"pydmidecode-parallels-virtual-platform.bin", 2, 3, L"Parallels Software International Inc.", L"3.0", L"2008-09-06", L"Parallels Software International Inc.", L"Parallels Virtual Platform", L"CPU Socket #0", L"GenuineIntel", nullptr, 2329, 536870912ull},
    {"pydmidecode-vmware-virtual-platform-2008.bin", 2, 31, L"Phoenix Technologies LTD", L"6.00", L"2008-01-30", L"VMware, Inc.", L"VMware Virtual Platform", L"CPU socket #0", L"GenuineIntel", L"Pentium(R) Pro", 2133, 2147483648ull},
    {"smbioslib-microsoft-surface-laptop-3.bin", 3, 2, L"Microsoft Corporation", L"1.2238.140", L"2020-01-16", L"Microsoft Corporation", L"Surface Laptop 3", L"FP5", L"Advanced Micro Devices, Inc.", L"AMD Ryzen 7 Microsoft Surface (R) Edition", 2300, 17179869184ull},
    {"uroot-asus-ux305la.bin", 2, 8, L"American Megatrends Inc.", L"UX305LA.206", L"2015-08-03", L"ASUSTeK COMPUTER INC.", L"UX305LA", L"SOCKET 0", L"Intel(R) Corporation", L"Intel(R) Core(TM) i7-5500U CPU @ 2.40GHz", 2400, 8589934592ull},
    {"uroot-gigabyte-x399-aorus-xtreme.bin", 3, 1, L"American Megatrends Inc.", L"F4", L"2018-10-04", L"Gigabyte Technology Co., Ltd.", L"X399 AORUS XTREME", L"SP3r2", L"Advanced Micro Devices, Inc.", L"AMD Ryzen Threadripper 2990WX 32-Core Processor", 3000, 137438953472ull},
    {"uroot-lenovo-thinkpad-t480.bin", 3, 0, L"LENOVO", L"N22ET52W (1.29 )", L"2019-01-16", L"LENOVO", L"20L8S07A14", L"U3E1", L"Intel(R) Corporation", L"Intel(R) Core(TM) i7-8650U CPU @ 1.90GHz", 1900, 25769803776ull},
    {"uroot-lenovo-thinkpad-w510.bin", 2, 6, L"LENOVO", L"6NET84WW (1.45 )", L"2012-10-03", L"LENOVO", L"431924G", nullptr, L"GenuineIntel", L"Intel(R) Core(TM) i7 CPU Q 720 @ 1.60GHz", 1600, 8589934592ull},
    {"uroot-msi-ms-7816.bin", 2, 8, L"American Megatrends Inc.", L"V2.14B14", L"2018-07-13", L"MSI", L"MS-7816", L"SOCKET 0", L"Intel", L"Intel(R) Core(TM) i7-4770 CPU @ 3.40GHz", 3400, 34359738368ull},
    {"uroot-synology-rs3614xsp.bin", 2, 7, L"American Megatrends Inc.", L"0.1.4", L"2015-06-08", L"Synology", L"RS3614xs+", L"SOCKET 0", L"Intel(R) Corporation", L"Intel(R) Xeon(R) CPU E3-1230 V2 @ 3.30GHz", 3300, 34359738368ull},
    {"uroot-vmware-virtual-platform-2017.bin", 2, 7, L"Phoenix Technologies LTD", L"6.00", L"2017-05-19", L"VMware, Inc.", L"VMware Virtual Platform", L"CPU #000", L"GenuineIntel", L"Intel(R) Core(TM) i7-5500U CPU @ 2.40GHz", 2400, 1073741824ull},
};
// clang-format on

// A real Hyper-V table: after five good structures one declares length 0.
constexpr const char* kBrokenHyperV = "gosmbios-hyperv-vm.bin";

#ifdef KORVANE_SMBIOS_TESTDATA
constexpr const char* kTestDataFolder = KORVANE_SMBIOS_TESTDATA;
#else
constexpr const char* kTestDataFolder = "";
#endif

// The folder as Windows sees it: under Wine a Linux path /x/y is Z:\x\y.
std::wstring windowsFolder()
{
    std::wstring path;
    for (const char* c = kTestDataFolder; *c != '\0'; ++c) {
        path += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    }
    if (!path.empty() && path[0] == L'/') {
        path.insert(0, L"Z:");
    }
    for (wchar_t& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    return path;
}

bool haveTestData()
{
    const std::wstring folder = windowsFolder();
    if (folder.empty()) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

#define SKIP_WITHOUT_TEST_DATA()                                                                           \
    if (!haveTestData()) {                                                                                 \
        GTEST_SKIP() << "the real SMBIOS tables are not there: folder \"" << kTestDataFolder               \
                     << "\" (KORVANE_SMBIOS_TESTDATA, normally shared/testdata/smbios beside the source)"; \
    }

// A bare table from the folder, wrapped in the 8-byte header Windows puts in front.
std::vector<uint8_t> loadWrapped(const char* file, uint8_t major, uint8_t minor)
{
    std::wstring path = windowsFolder() + L"\\";
    for (const char* c = file; *c != '\0'; ++c) {
        path += static_cast<wchar_t>(*c);
    }
    std::vector<uint8_t> bare;
    if (FILE* stream = _wfopen(path.c_str(), L"rb")) {
        uint8_t buffer[4096];
        size_t read = 0;
        while ((read = fread(buffer, 1, sizeof(buffer), stream)) > 0) {
            bare.insert(bare.end(), buffer, buffer + read);
        }
        fclose(stream);
    }
    EXPECT_FALSE(bare.empty()) << "could not read " << file;
    return smbios_test::rsmb(bare, major, minor);
}

Reading expectedString(const wchar_t* value, const wchar_t* what)
{
    return value != nullptr ? smbios_test::ok(value) : smbios_test::unset(what);
}

// Any outcome is fine as long as it is one: success with no reason, or
// failure with a known sentence and the summary untouched.
void expectResultOrReason(const std::vector<uint8_t>& block, size_t length, const char* file, size_t step)
{
    FirmwareSummary summary = smbios_test::sentinelSummary();
    std::wstring reason;
    if (parseSmbios(block.data(), length, summary, reason)) {
        ASSERT_TRUE(reason.empty()) << file << " step " << step;
    } else {
        ASSERT_TRUE(isSmbiosDamageSentence(reason))
            << file << " step " << step << ": " << testing::PrintToString(reason);
        ASSERT_EQ(summary, smbios_test::sentinelSummary()) << file << " step " << step;
    }
}

}  // namespace

TEST(SmbiosRealTables, EveryTableGivesTheValuesDmidecodeShows)
{
    SKIP_WITHOUT_TEST_DATA();
    for (const RealTable& t : kRealTables) {
        SCOPED_TRACE(t.file);
        const std::vector<uint8_t> block = loadWrapped(t.file, t.major, t.minor);
        FirmwareSummary s;
        std::wstring reason;
        ASSERT_TRUE(parseSmbios(block.data(), block.size(), s, reason)) << testing::PrintToString(reason);
        EXPECT_EQ(s.smbiosVersion, smbios_test::ok(std::to_wstring(t.major) + L"." + std::to_wstring(t.minor)))
            << "SMBIOS version";
        EXPECT_EQ(s.biosVendor, expectedString(t.biosVendor, L"the BIOS vendor")) << "BIOS vendor";
        EXPECT_EQ(s.biosVersion, expectedString(t.biosVersion, L"the BIOS version")) << "BIOS version";
        EXPECT_EQ(s.biosReleaseDate, expectedString(t.biosDate, L"the BIOS release date")) << "BIOS date";
        EXPECT_EQ(s.systemManufacturer, expectedString(t.systemManufacturer, L"the system manufacturer"))
            << "system manufacturer";
        EXPECT_EQ(s.systemModel, expectedString(t.systemModel, L"the system model")) << "system model";
        EXPECT_EQ(s.processorSocket, expectedString(t.processorSocket, L"the processor socket")) << "socket";
        EXPECT_EQ(s.processorManufacturer, expectedString(t.processorManufacturer, L"the processor manufacturer"))
            << "manufacturer";
        EXPECT_EQ(s.processorVersion, expectedString(t.processorVersion, L"the processor version"))
            << "processor version";
        EXPECT_EQ(s.startSpeedKnown, t.startSpeedMhz != 0);
        EXPECT_EQ(s.startSpeedMhz, t.startSpeedMhz);
        EXPECT_EQ(s.installedMemoryKnown, t.installedMemory != 0);
        EXPECT_EQ(s.installedMemoryBytes, t.installedMemory);
    }
}

TEST(SmbiosRealTables, TheBrokenHyperVTableFailsAtItsZeroLength)
{
    SKIP_WITHOUT_TEST_DATA();
    const std::vector<uint8_t> block = loadWrapped(kBrokenHyperV, 3, 3);
    FirmwareSummary summary = smbios_test::sentinelSummary();
    std::wstring reason;
    EXPECT_FALSE(parseSmbios(block.data(), block.size(), summary, reason));
    EXPECT_EQ(reason, L"a firmware structure declares an impossible length");
    EXPECT_EQ(summary, smbios_test::sentinelSummary());
}

TEST(SmbiosRealTables, EveryPrefixGivesAResultOrAReason)
{
    SKIP_WITHOUT_TEST_DATA();
    std::vector<const char*> files;
    for (const RealTable& t : kRealTables) {
        files.push_back(t.file);
    }
    files.push_back(kBrokenHyperV);
    size_t parses = 0;
    for (const char* file : files) {
        std::vector<uint8_t> block = loadWrapped(file, 3, 0);
        const size_t tableLength = block.size() - 8;
        // The whole block cut short, its header still declaring the full table...
        for (size_t length = 0; length <= block.size(); ++length) {
            expectResultOrReason(block, length, file, length);
            if (HasFatalFailure()) {
                return;
            }
            ++parses;
        }
        // ...and every prefix of the table under a header that declares just that prefix.
        for (size_t prefix = 0; prefix <= tableLength; ++prefix) {
            const std::vector<uint8_t> header = smbios_test::rsmbHeader(3, 0, static_cast<uint32_t>(prefix));
            std::copy(header.begin(), header.end(), block.begin());
            expectResultOrReason(block, 8 + prefix, file, prefix);
            if (HasFatalFailure()) {
                return;
            }
            ++parses;
        }
    }
    RecordProperty("parses", static_cast<int>(parses));
}
