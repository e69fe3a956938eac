#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "report/report_rows.h"
#include "support/live_samples.h"

namespace {

// What a row should hold; liveKind is given as its number so that a table reads easily.
struct Expected {
    Section section;
    std::wstring item;
    std::wstring value;
    ReadingState state;
    std::wstring reason;
    std::wstring numeric;
    std::wstring unit;
    uint32_t liveKind;
};

void expectRow(const ReportRow& row, const Expected& e)
{
    EXPECT_EQ(static_cast<int>(row.section), static_cast<int>(e.section)) << "section";
    EXPECT_EQ(row.item, e.item) << "item";
    EXPECT_EQ(row.value, e.value) << "value";
    EXPECT_EQ(static_cast<int>(row.state), static_cast<int>(e.state)) << "state";
    EXPECT_EQ(row.reason, e.reason) << "reason";
    EXPECT_EQ(row.numeric, e.numeric) << "numeric";
    EXPECT_EQ(row.unit, e.unit) << "unit";
    EXPECT_EQ(static_cast<uint32_t>(row.liveKind), e.liveKind) << "liveKind";
}

void expectRows(const std::vector<ReportRow>& rows, const std::vector<Expected>& expected)
{
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i + 1 << " (" << expected[i].item << ")");
        expectRow(rows[i], expected[i]);
    }
}

using S = Section;
using R = ReadingState;

}  // namespace

TEST(ReportRows, SectionNames)
{
    const wchar_t* names[] = {L"System", L"Processor",        L"Firmware",        L"Memory",
                              L"Drives", L"Network adapters", L"Display adapters"};
    static_assert(std::size(names) == kSectionCount);
    for (int i = 0; i < kSectionCount; ++i) {
        EXPECT_STREQ(sectionName(static_cast<Section>(i)), names[i]) << "section " << i;
    }
    for (int other : {kSectionCount, kSectionCount + 1, -1, 1000}) {
        EXPECT_STREQ(sectionName(static_cast<Section>(other)), L"Other") << "section " << other;
    }
}

TEST(ReportRows, RowMakers)
{
    const std::pair<Reading, Expected> readingCases[] =
        {// Only Ok, None and Unsupported keep their state; the reason is kept, unchanged, only off Ok.
         {Reading{R::Ok, L"LENOVO", L"stray"}, {S::Firmware, L"Vendor", L"LENOVO", R::Ok, L"", L"", L"", 0}},
         {Reading{R::Ok, L"", L""}, {S::System, L"Model", L"(reported as empty)", R::Ok, L"", L"", L"", 0}},
         {Reading{R::None, L"", L"r"}, {S::System, L"Model", L"(none: r)", R::None, L"r", L"", L"", 0}},
         {Reading{R::None, L"", L""}, {S::System, L"Model", L"(none: )", R::None, L"", L"", L"", 0}},
         {Reading{R::Failed, L"", L""}, {S::Drives, L"x", L"(could not read: )", R::Failed, L"", L"", L"", 0}},
         {Reading{R::Unsupported, L"", L"r"},
          {S::System, L"Model", L"(not supported: r)", R::Unsupported, L"r", L"", L"", 0}},
         {Reading{R::NotMeasured, L"v", L"r"},
          {S::System, L"Model", L"(could not read: r)", R::Failed, L"r", L"", L"", 0}},
         {Reading{static_cast<R>(5), L"v", L"r"},
          {S::System, L"Model", L"(could not read: r)", R::Failed, L"r", L"", L"", 0}},
         {Reading{static_cast<R>(-1), L"v", L"r"},
          {S::System, L"Model", L"(could not read: r)", R::Failed, L"r", L"", L"", 0}}};
    for (const auto& [reading, e] : readingCases) {
        SCOPED_TRACE(testing::Message() << "readingRow of state " << static_cast<int>(reading.state));
        expectRow(readingRow(e.section, e.item, reading), e);
    }

    SCOPED_TRACE("bytesRow and loadRow");
    expectRow(bytesRow(S::Memory, L"Installed (modules)", L"16.0 GB", true, std::numeric_limits<uint64_t>::max(),
                       R::None, L"unused"),
              {S::Memory, L"Installed (modules)", L"16.0 GB", R::Ok, L"", L"18446744073709551615", L"bytes", 0});
    expectRow(bytesRow(S::DisplayAdapters, L"GPU", L"(x)", false, 42, R::None, L"the driver said nothing"),
              {S::DisplayAdapters, L"GPU", L"(x)", R::None, L"the driver said nothing", L"", L"", 0});
    expectRow(bytesRow(S::DisplayAdapters, L"GPU", L"(x)", false, 42, R::Unsupported, L""),
              {S::DisplayAdapters, L"GPU", L"(x)", R::Unsupported, L"reason unknown", L"", L"", 0});
    LoadSample load;
    load.reason = L"the counters did not move";
    expectRow(loadRow(load), {S::Processor, L"Load (last second)", L"(not measured: the counters did not move)",
                              R::NotMeasured, L"the counters did not move", L"", L"", 1});
    load.measured = true;
    load.percent = 37.46;
    expectRow(loadRow(load), {S::Processor, L"Load (last second)", L"37.5%", R::Ok, L"", L"37.5", L"percent", 1});
    MemorySample memory;
    memory.reason = L"Access is denied.";
    expectRow(memoryRow(LiveKind::MemoryLoad, L"Load", memory),
              {S::Memory, L"Load", L"(could not read: Access is denied.)", R::Failed, L"Access is denied.", L"", L"",
               5});
}

TEST(ReportRows, PageWithDrivesAndAdaptersGivesEveryRowInOrder)
{
    ScanSnapshot s;
    s.computerName = readingOk(L"DESK-7");
    s.loggedInUser = readingOk(L"zoe");
    s.dnsHostName = readingOk(L"desk-7");
    s.dnsDomainName = readingOk(L"");
    s.windowsProduct = readingOk(L"Windows 10 Pro");
    s.windowsVersion = readingOk(L"10.0.19045.3803");
    s.windowsRelease = readingOk(L"22H2");
    s.architecture = readingOk(L"x64");
    s.registeredOwner = readingOk(L"Zoe");
    s.registeredOrganisation = readingNone(L"Windows records no registered organisation");
    s.systemManufacturer = readingOk(L"LENOVO");
    s.systemModel = readingOk(L"20KH");
    s.startedAt = readingOk(L"2025-03-14 08:00:00");
    // upFor stays a fresh reading: failed with an empty reason.
    s.processorName = readingOk(L"Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz");
    s.processorManufacturer = readingOk(L"GenuineIntel");
    s.processorVersion = readingOk(L"Family 6 Model 142");
    s.processorSocket = readingNone(L"the firmware left the processor socket unset");
    s.processorFrequency = readingOk(L"1.80 GHz");
    s.physicalCores = readingUnsupported(L"");
    s.logicalProcessors = readingOk(L"8");
    s.processorArchitecture = readingOk(L"x64 (AMD64)");
    s.biosVendor = readingOk(L"LENOVO ");
    s.biosVersion = readingOk(L"N23ET80W (1.55 )");
    s.biosReleaseDate = readingFailed(L"reading the firmware table: Access is denied.");
    s.smbiosVersion = readingOk(L"3.0");
    s.memory.read = true;
    s.memory.totalPhysical = 99;
    s.memory.installedBytes = 16 * kGiB;
    s.memory.installedStated = true;
    s.drives = {DriveEntry{L"C:\\", readingOk(L"Windows"), readingOk(L"NTFS"), 255013683200ull, 13207024435ull, true,
                           L"", false},
                DriveEntry{L"D:\\", readingNone(L"no medium"), readingNone(L"no medium"), 0, 0, false,
                           L"The device is not ready.", true},
                DriveEntry{L"E:\\", readingFailed(L"reading the label: Access is denied."), readingOk(L"FAT32"), 0, 0,
                           false, L"", false}};
    s.networkAdapters = {NetworkAdapterEntry{L"Ethernet",
                                             L"Intel(R) Ethernet Connection",
                                             L"00-1A-2B-3C-4D-5E",
                                             {L"192.168.1.20", L"fe80::1%12"},
                                             true},
                         NetworkAdapterEntry{L"", L"", L"", {}, false},
                         NetworkAdapterEntry{L"", L"Loopback Adapter", L"", {L"127.0.0.1"}, true}};
    s.displayAdapters = {DisplayAdapterEntry{L"Radeon RX 6600", 8 * kGiB, true},
                         DisplayAdapterEntry{L"Microsoft Basic Display Adapter", 123, false}};

    MemorySample live;  // the live sample failed, with no reason given
    live.reason = L"";
    const ReportPage page = buildReportPage(s, live, LoadSample{}, L"t1", L"t2");

    const std::wstring failedMemory = L"(could not read: reason unknown)";
    const std::vector<Expected> expected =
        {{S::System, L"Computer name", L"DESK-7", R::Ok, L"", L"", L"", 0},
         {S::System, L"Logged-in user", L"zoe", R::Ok, L"", L"", L"", 0},
         {S::System, L"DNS host name", L"desk-7", R::Ok, L"", L"", L"", 0},
         {S::System, L"DNS domain name", L"(reported as empty)", R::Ok, L"", L"", L"", 0},
         {S::System, L"Windows", L"Windows 10 Pro", R::Ok, L"", L"", L"", 0},
         {S::System, L"Release", L"22H2", R::Ok, L"", L"", L"", 0},
         {S::System, L"Version", L"10.0.19045.3803", R::Ok, L"", L"", L"", 0},
         {S::System, L"Architecture", L"x64", R::Ok, L"", L"", L"", 0},
         {S::System, L"Registered owner", L"Zoe", R::Ok, L"", L"", L"", 0},
         {S::System, L"Registered organisation", L"(none: Windows records no registered organisation)", R::None,
          L"Windows records no registered organisation", L"", L"", 0},
         {S::System, L"Manufacturer", L"LENOVO", R::Ok, L"", L"", L"", 0},
         {S::System, L"Model", L"20KH", R::Ok, L"", L"", L"", 0},
         {S::System, L"Started at", L"2025-03-14 08:00:00", R::Ok, L"", L"", L"", 0},
         {S::System, L"Up for", L"(could not read: )", R::Failed, L"", L"", L"", 0},
         {S::Processor, L"Name", L"Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz", R::Ok, L"", L"", L"", 0},
         {S::Processor, L"Manufacturer", L"GenuineIntel", R::Ok, L"", L"", L"", 0},
         {S::Processor, L"Version", L"Family 6 Model 142", R::Ok, L"", L"", L"", 0},
         {S::Processor, L"Socket", L"(none: the firmware left the processor socket unset)", R::None,
          L"the firmware left the processor socket unset", L"", L"", 0},
         {S::Processor, L"Frequency", L"1.80 GHz", R::Ok, L"", L"", L"", 0},
         {S::Processor, L"Physical cores", L"(not supported: not offered by this version of Windows)", R::Unsupported,
          L"not offered by this version of Windows", L"", L"", 0},
         {S::Processor, L"Logical processors", L"8", R::Ok, L"", L"", L"", 0},
         {S::Processor, L"Architecture", L"x64 (AMD64)", R::Ok, L"", L"", L"", 0},
         {S::Processor, L"Load (last second)", L"(not measured)", R::NotMeasured, L"no reading has been derived yet",
          L"", L"", 1},
         {S::Firmware, L"Vendor", L"LENOVO ", R::Ok, L"", L"", L"", 0},
         {S::Firmware, L"Version", L"N23ET80W (1.55 )", R::Ok, L"", L"", L"", 0},
         {S::Firmware, L"Release date", L"(could not read: reading the firmware table: Access is denied.)", R::Failed,
          L"reading the firmware table: Access is denied.", L"", L"", 0},
         {S::Firmware, L"SMBIOS", L"3.0", R::Ok, L"", L"", L"", 0},
         {S::Memory, L"Total (usable)", failedMemory, R::Failed, L"reason unknown", L"", L"", 2},
         {S::Memory, L"In use", failedMemory, R::Failed, L"reason unknown", L"", L"", 3},
         {S::Memory, L"Free", failedMemory, R::Failed, L"reason unknown", L"", L"", 4},
         {S::Memory, L"Load", failedMemory, R::Failed, L"reason unknown", L"", L"", 5},
         {S::Memory, L"Commit total", failedMemory, R::Failed, L"reason unknown", L"", L"", 6},
         {S::Memory, L"Commit available", failedMemory, R::Failed, L"reason unknown", L"", L"", 7},
         // Installed memory comes from the scan even though the live sample failed.
         {S::Memory, L"Installed (modules)", L"16.0 GB", R::Ok, L"", L"17179869184", L"bytes", 0},
         {S::Drives, L"C:\\", L"12.3 GB free of 237.5 GB", R::Ok, L"", L"", L"", 0},
         {S::Drives, L"C:\\  name", L"Windows", R::Ok, L"", L"", L"", 0},
         {S::Drives, L"C:\\  file system", L"NTFS", R::Ok, L"", L"", L"", 0},
         {S::Drives, L"D:\\", L"(none: The device is not ready.)", R::None, L"The device is not ready.", L"", L"", 0},
         {S::Drives, L"D:\\  name", L"(none: no medium)", R::None, L"no medium", L"", L"", 0},
         {S::Drives, L"D:\\  file system", L"(none: no medium)", R::None, L"no medium", L"", L"", 0},
         {S::Drives, L"E:\\", L"(could not read: reason unknown)", R::Failed, L"reason unknown", L"", L"", 0},
         {S::Drives, L"E:\\  name", L"(could not read: reading the label: Access is denied.)", R::Failed,
          L"reading the label: Access is denied.", L"", L"", 0},
         {S::Drives, L"E:\\  file system", L"FAT32", R::Ok, L"", L"", L"", 0},
         {S::NetworkAdapters, L"Ethernet", L"Up; 00-1A-2B-3C-4D-5E; 192.168.1.20, fe80::1%12", R::Ok, L"", L"", L"",
          0},
         {S::NetworkAdapters, L"(an adapter Windows named neither way)",
          L"Down; no hardware address; no addresses assigned", R::Ok, L"", L"", L"", 0},
         {S::NetworkAdapters, L"Loopback Adapter", L"Up; no hardware address; 127.0.0.1", R::Ok, L"", L"", L"", 0},
         {S::DisplayAdapters, L"Radeon RX 6600", L"8.0 GB dedicated", R::Ok, L"", L"8589934592", L"bytes", 0},
         {S::DisplayAdapters, L"Microsoft Basic Display Adapter", L"(the display driver stated no dedicated memory)",
          R::None, L"the display driver stated none", L"", L"", 0}};
    expectRows(buildReportRows(page), expected);
}

TEST(ReportRows, LiveRowsFollowTheSamplesAndAnEmptyPageHasTheFixedRows)
{
    const ScanSnapshot s;  // fresh: every reading failed, no installed size stated
    MemorySample live = typicalMemory();
    live.installedBytes = 32 * kGiB;  // ignored: only the scan states installed memory
    live.installedStated = true;
    const std::vector<ReportRow> rows = buildReportRows(buildReportPage(s, live, typicalLoad(), L"", L""));
    ASSERT_EQ(rows.size(), kFixedRowCount) << "no drives, network or display adapters";
    expectRow(rows[fixedRowIndex(LiveKind::ProcessorLoad)],
              {S::Processor, L"Load (last second)", L"12.3%", R::Ok, L"", L"12.3", L"percent", 1});
    const std::vector<Expected> memoryRows =
        {{S::Memory, L"Total (usable)", L"16.0 GB", R::Ok, L"", L"17179869184", L"bytes", 2},
         {S::Memory, L"In use", L"10.0 GB", R::Ok, L"", L"10737418240", L"bytes", 3},
         {S::Memory, L"Free", L"6.0 GB", R::Ok, L"", L"6442450944", L"bytes", 4},
         {S::Memory, L"Load", L"62%", R::Ok, L"", L"62", L"percent", 5},
         {S::Memory, L"Commit total", L"20.0 GB", R::Ok, L"", L"21474836480", L"bytes", 6},
         {S::Memory, L"Commit available", L"9.5 GB", R::Ok, L"", L"10200547328", L"bytes", 7},
         {S::Memory, L"Installed (modules)", L"(not stated by the firmware)", R::None,
          L"the firmware does not state it", L"", L"", 0}};
    expectRows({rows.begin() + fixedRowIndex(LiveKind::MemoryTotal), rows.end()}, memoryRows);
}

TEST(ReportRows, FixedRowsNameEverySingleReadingOfTheSnapshotOnce)
{
    // The snapshot's single readings stand together from its first field up to
    // memory. The table's readings must tile that span: a reading missing from
    // the table would be neither shown nor counted.
    const ScanSnapshot s;
    std::vector<uintptr_t> addresses;
    for (const FixedRow& row : kFixedRows) {
        if (row.reading != nullptr) {
            addresses.push_back(reinterpret_cast<uintptr_t>(&(s.*row.reading)));
        }
    }
    std::ranges::sort(addresses);
    uintptr_t next = reinterpret_cast<uintptr_t>(&s);
    for (size_t i = 0; i < addresses.size(); ++i) {
        EXPECT_EQ(addresses[i], next) << "reading " << i << " in snapshot order";
        next = addresses[i] + sizeof(Reading);
    }
    EXPECT_EQ(next, reinterpret_cast<uintptr_t>(&s.memory));
}
