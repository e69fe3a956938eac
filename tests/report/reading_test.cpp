#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "report/reading.h"
#include "report/snapshot.h"

// Only the rule is tested here: an empty reason becomes a sentence, a blank one stays.
TEST(Reading, ConstructorsPutASentenceInPlaceOfAnEmptyReason)
{
    EXPECT_EQ(readingNone(L""), (Reading{ReadingState::None, L"", L"the machine reports none"}));
    EXPECT_EQ(readingFailed(L""), (Reading{ReadingState::Failed, L"", L"the read failed, cause unknown"}));
    EXPECT_EQ(readingUnsupported(L""),
              (Reading{ReadingState::Unsupported, L"", L"not offered by this version of Windows"}));
    EXPECT_EQ(readingNone(L" "), (Reading{ReadingState::None, L"", L" "}));
}

TEST(Reading, TextShowsEachStateInItsOwnForm)
{
    const std::pair<Reading, std::wstring> cases[] =
        {{Reading{ReadingState::Ok, L"Windows 10 Pro", L""}, L"Windows 10 Pro"},
         {Reading{ReadingState::Ok, L"", L""}, L"(reported as empty)"},
         {Reading{ReadingState::Ok, L" ", L""}, L" "},
         {Reading{ReadingState::None, L"", L"no drive"}, L"(none: no drive)"},
         {Reading{ReadingState::Failed, L"", L"Access is denied."}, L"(could not read: Access is denied.)"},
         {Reading{ReadingState::Unsupported, L"", L"too old"}, L"(not supported: too old)"},
         // An empty reason is inserted as it is: the bracket follows the blank.
         {Reading{ReadingState::None, L"", L""}, L"(none: )"},
         {Reading{ReadingState::Failed, L"", L""}, L"(could not read: )"},
         {Reading{ReadingState::Unsupported, L"", L""}, L"(not supported: )"},
         // A stored reading never carries the other states; they read as failures.
         {Reading{ReadingState::NotMeasured, L"v", L"r"}, L"(could not read: r)"},
         {Reading{static_cast<ReadingState>(5), L"v", L"r"}, L"(could not read: r)"},
         {Reading{static_cast<ReadingState>(-1), L"v", L"r"}, L"(could not read: r)"},
         {Reading{ReadingState::Failed, L"", L" two\r\nlines; (b) "}, L"(could not read:  two\r\nlines; (b) )"},
         {readingFailed(L""), L"(could not read: the read failed, cause unknown)"}};
    for (const auto& [reading, text] : cases) {
        EXPECT_EQ(readingText(reading), text) << "state " << static_cast<int>(reading.state) << ", value \""
                                              << reading.value << "\", reason \"" << reading.reason << "\"";
    }
}

TEST(ReportPage, MergedTallyTakesMemoryAndLoadFromTheLiveSamples)
{
    // The snapshot and the two times are copied as they are (the rows and
    // the CSV file show them); the tally is merged.
    ScanSnapshot snapshot;
    snapshot.memory.read = true;
    snapshot.memory.totalPhysical = 111;
    snapshot.memory.installedBytes = 17179869184ull;
    snapshot.memory.installedStated = true;
    ScanTally& scan = snapshot.tally;
    scan = ScanTally{.okCount = 20,
                     .noneCount = 3,
                     .failedCount = 2,
                     .unsupportedCount = 1,
                     .drivesNotExamined = 4,
                     .adaptersNotExamined = 5,
                     .drivesNotSized = 6,
                     .firmwareTableRead = false,
                     .firmwareTableReason = L"no table",
                     .memoryRead = true,
                     .memoryReason = L"",
                     .displayListComplete = false,
                     .displayListReason = L"list ended early",
                     .processorLoadReason = L""};

    MemorySample live;
    live.reason = L"live call failed";
    live.totalPhysical = 222;
    live.installedBytes = 1;  // the live sampler never states these; the page must not use them
    LoadSample load;
    load.reason = L"the counters did not move";

    const ReportPage page = buildReportPage(snapshot, live, load, L"", L"");
    EXPECT_EQ(page.liveMemory.totalPhysical, 222u) << "figures come from the live sample";
    EXPECT_EQ(page.liveMemory.reason, L"live call failed");
    EXPECT_EQ(page.liveMemory.installedBytes, 17179869184ull) << "installed memory comes from the scan";
    EXPECT_TRUE(page.liveMemory.installedStated);
    EXPECT_EQ(page.liveLoad.reason, L"the counters did not move");

    const ScanTally& merged = page.tally;
    EXPECT_FALSE(merged.memoryRead) << "a failed live sample wins over a scan that read memory";
    EXPECT_EQ(merged.memoryReason, L"live call failed");
    EXPECT_EQ(merged.processorLoadReason, L"the counters did not move");
    EXPECT_EQ(merged.okCount, 20);
    EXPECT_EQ(merged.noneCount, 3);
    EXPECT_EQ(merged.failedCount, 2);
    EXPECT_EQ(merged.unsupportedCount, 1);
    EXPECT_EQ(merged.drivesNotExamined, 4);
    EXPECT_EQ(merged.adaptersNotExamined, 5);
    EXPECT_EQ(merged.drivesNotSized, 6);
    EXPECT_FALSE(merged.firmwareTableRead);
    EXPECT_EQ(merged.firmwareTableReason, L"no table");
    EXPECT_FALSE(merged.displayListComplete);
    EXPECT_EQ(merged.displayListReason, L"list ended early");

    // The other way round: the scan failed, the live sample read; stray reasons must not leak.
    scan.memoryRead = false;
    scan.memoryReason = L"scan call failed";
    scan.processorLoadReason = L"stale";
    live.read = true;
    live.reason = L"left over";
    live.installedStated = true;
    snapshot.memory.installedStated = false;
    snapshot.memory.installedBytes = 0;
    LoadSample measured;
    measured.measured = true;
    measured.reason = L"left over";
    ReportPage later = buildReportPage(snapshot, live, measured, L"", L"");
    EXPECT_TRUE(later.tally.memoryRead) << "a read live sample wins over a scan that failed";
    EXPECT_EQ(later.tally.memoryReason, L"");
    EXPECT_EQ(later.tally.processorLoadReason, L"") << "a measured load carries no reason";
    EXPECT_FALSE(later.liveMemory.installedStated) << "an unstated scan wins over the live sample";
    EXPECT_EQ(later.liveMemory.installedBytes, 0u);

    later = buildReportPage(snapshot, live, LoadSample{}, L"", L"");
    EXPECT_EQ(later.tally.processorLoadReason, L"") << "no load derived yet: no reason";
    EXPECT_EQ(mergeTally(scan, live, load).processorLoadReason, L"the counters did not move");
}

TEST(Reading, FailedComparisonsShowStateValueAndReason)
{
    EXPECT_EQ(testing::PrintToString(readingOk(L"x64")), R"({ok, value "x64", reason ""})");
    EXPECT_EQ(testing::PrintToString(readingFailed(L"reading \"C:\\\": Caf\u00E9\n")),
              R"({failed, value "", reason "reading \"C:\\\": Caf\u00E9\u000A"})");
    EXPECT_EQ(testing::PrintToString(Reading{static_cast<ReadingState>(7), L"a", L"b"}),
              R"({unknown 7, value "a", reason "b"})");
}
