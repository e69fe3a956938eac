#include "scan/scan_tally.h"

#include <gtest/gtest.h>

TEST(TallyStates, CountsTheSingleReadingsAndTwoPerDrive)
{
    const int singles = static_cast<int>(kSingleReadingCount);
    ScanSnapshot snapshot;
    // A new snapshot: all single readings are Failed.
    tallyStates(snapshot);
    EXPECT_EQ(snapshot.tally.failedCount, singles);
    EXPECT_EQ(snapshot.tally.okCount + snapshot.tally.noneCount + snapshot.tally.unsupportedCount, 0);

    snapshot.computerName = readingOk(L"PC");
    snapshot.upFor = readingOk(L"0:01");
    snapshot.processorArchitecture = readingOk(L"x64");
    snapshot.smbiosVersion = readingOk(L"3.4");
    snapshot.dnsDomainName = readingNone(L"");
    snapshot.biosReleaseDate = readingNone(L"");
    snapshot.windowsVersion = readingUnsupported(L"");
    snapshot.processorFrequency.state = ReadingState::NotMeasured;  // never counted
    snapshot.processorName.state = static_cast<ReadingState>(9);    // never counted

    DriveEntry first;
    first.volumeName = readingOk(L"System");
    first.fileSystem = readingOk(L"NTFS");
    DriveEntry second;
    second.volumeName = readingNone(L"no medium");
    second.fileSystem = readingUnsupported(L"");
    snapshot.drives = {first, second};
    // Memory, adapters and display figures are not counted.
    snapshot.networkAdapters.resize(3);
    snapshot.displayAdapters.resize(2);

    snapshot.tally.okCount = 100;  // stale counts are replaced, not added to
    tallyStates(snapshot);
    EXPECT_EQ(snapshot.tally.okCount, 4 + 2);
    EXPECT_EQ(snapshot.tally.noneCount, 2 + 1);
    EXPECT_EQ(snapshot.tally.unsupportedCount, 1 + 1);
    EXPECT_EQ(snapshot.tally.failedCount, singles - 4 - 2 - 1 - 2);
}
