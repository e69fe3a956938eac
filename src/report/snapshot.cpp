#include "report/snapshot.h"

ScanTally mergeTally(const ScanTally& scanTally, const MemorySample& liveMemory, const LoadSample& liveLoad)
{
    ScanTally merged = scanTally;
    merged.memoryRead = liveMemory.read;
    merged.memoryReason = liveMemory.read ? std::wstring() : liveMemory.reason;
    merged.processorLoadReason = liveLoad.measured ? std::wstring() : liveLoad.reason;
    return merged;
}

ReportPage buildReportPage(const ScanSnapshot& snapshot, const MemorySample& liveMemory, const LoadSample& liveLoad,
                           const std::wstring& scanTakenAt, const std::wstring& liveTakenAt)
{
    ReportPage page;
    page.snapshot = snapshot;
    page.liveMemory = liveMemory;
    // Installed memory comes from the firmware, which only the scan reads.
    page.liveMemory.installedBytes = snapshot.memory.installedBytes;
    page.liveMemory.installedStated = snapshot.memory.installedStated;
    page.liveLoad = liveLoad;
    page.tally = mergeTally(snapshot.tally, page.liveMemory, page.liveLoad);
    page.scanTakenAt = scanTakenAt;
    page.liveTakenAt = liveTakenAt;
    return page;
}
