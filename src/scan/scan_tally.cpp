#include "scan/scan_tally.h"

void tallyStates(ScanSnapshot& snapshot)
{
    ScanTally& tally = snapshot.tally;
    tally.okCount = 0;
    tally.noneCount = 0;
    tally.failedCount = 0;
    tally.unsupportedCount = 0;
    const auto count = [&tally](const Reading& reading) {
        switch (reading.state) {
        case ReadingState::Ok:
            ++tally.okCount;
            break;
        case ReadingState::None:
            ++tally.noneCount;
            break;
        case ReadingState::Failed:
            ++tally.failedCount;
            break;
        case ReadingState::Unsupported:
            ++tally.unsupportedCount;
            break;
        default:
            break;
        }
    };
    for (const FixedRow& fixed : kFixedRows) {
        if (fixed.reading != nullptr) {
            count(snapshot.*fixed.reading);
        }
    }
    for (const DriveEntry& drive : snapshot.drives) {
        count(drive.volumeName);
        count(drive.fileSystem);
    }
}
