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
    const ScanSnapshot& s = snapshot;
    for (const Reading* reading : {
             &s.computerName,     &s.loggedInUser,       &s.dnsHostName,        &s.dnsDomainName,
             &s.windowsProduct,   &s.windowsVersion,     &s.windowsRelease,     &s.architecture,
             &s.registeredOwner,  &s.registeredOrganisation, &s.systemManufacturer, &s.systemModel,
             &s.startedAt,        &s.upFor,              &s.processorName,      &s.processorManufacturer,
             &s.processorVersion, &s.processorSocket,    &s.processorFrequency, &s.physicalCores,
             &s.logicalProcessors, &s.processorArchitecture, &s.biosVendor,     &s.biosVersion,
             &s.biosReleaseDate,  &s.smbiosVersion,
         }) {
        count(*reading);
    }
    for (const DriveEntry& drive : s.drives) {
        count(drive.volumeName);
        count(drive.fileSystem);
    }
}
