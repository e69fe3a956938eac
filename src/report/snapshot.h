#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/reading.h"

// One reading of the memory status. Only the scan fills the two installed
// fields; the live sampler leaves them 0/false.
struct MemorySample {
    bool read = false;
    std::wstring reason;
    uint64_t totalPhysical = 0;
    uint64_t availablePhysical = 0;
    uint64_t inUse = 0;
    uint64_t commitTotal = 0;
    uint64_t commitAvailable = 0;
    uint32_t loadPercent = 0;
    uint64_t installedBytes = 0;
    bool installedStated = false;
};

// The processor load derived from two readings of the time counters.
struct LoadSample {
    bool measured = false;
    double percent = 0.0;
    std::wstring reason;
};

// Which live figure a report row shows.
enum class LiveKind : uint32_t {
    NotLive = 0,
    ProcessorLoad = 1,
    MemoryTotal = 2,
    MemoryInUse = 3,
    MemoryFree = 4,
    MemoryLoad = 5,
    CommitTotal = 6,
    CommitAvailable = 7,
};

struct DriveEntry {
    std::wstring root;
    Reading volumeName;
    Reading fileSystem;
    uint64_t totalBytes = 0;
    uint64_t freeBytes = 0;
    bool sized = false;
    std::wstring sizeReason;
    // Not sized because no medium is ready: counts as "none", not a failure.
    bool noMedia = false;
};

struct NetworkAdapterEntry {
    std::wstring friendlyName;
    std::wstring description;
    std::wstring hardwareAddress;
    std::vector<std::wstring> addresses;
    bool up = false;
};

struct DisplayAdapterEntry {
    std::wstring name;
    uint64_t dedicatedMemory = 0;
    bool memoryStated = false;
};

// What a scan could not read; the source of the completeness sentence.
struct ScanTally {
    int32_t okCount = 0;
    int32_t noneCount = 0;
    int32_t failedCount = 0;
    int32_t unsupportedCount = 0;
    int32_t drivesNotExamined = 0;
    int32_t adaptersNotExamined = 0;
    int32_t drivesNotSized = 0;
    bool firmwareTableRead = false;
    std::wstring firmwareTableReason;
    bool memoryRead = false;
    std::wstring memoryReason;
    bool displayListComplete = false;
    std::wstring displayListReason;
    // Always empty in a snapshot; only a merged tally carries it.
    std::wstring processorLoadReason;
};

// Everything one scan reads. Every Reading starts Failed with empty texts.
struct ScanSnapshot {
    // System
    Reading computerName;
    Reading loggedInUser;
    Reading dnsHostName;
    Reading dnsDomainName;
    Reading windowsProduct;
    Reading windowsVersion;
    Reading windowsRelease;
    Reading architecture;
    Reading registeredOwner;
    Reading registeredOrganisation;
    Reading systemManufacturer;
    Reading systemModel;
    Reading startedAt;
    Reading upFor;
    // Processor
    Reading processorName;
    Reading processorManufacturer;
    Reading processorVersion;
    Reading processorSocket;
    Reading processorFrequency;
    Reading physicalCores;
    Reading logicalProcessors;
    Reading processorArchitecture;
    // Firmware
    Reading biosVendor;
    Reading biosVersion;
    Reading biosReleaseDate;
    Reading smbiosVersion;

    MemorySample memory;
    std::vector<DriveEntry> drives;
    std::vector<NetworkAdapterEntry> networkAdapters;
    std::vector<DisplayAdapterEntry> displayAdapters;
    ScanTally tally;
};

// A snapshot combined with the latest live samples: what the report and the
// CSV file are built from. Built on demand and dropped after use.
struct ReportPage {
    ScanSnapshot snapshot;
    MemorySample liveMemory;
    LoadSample liveLoad;
    ScanTally tally;
    std::wstring scanTakenAt;
    std::wstring liveTakenAt;
};

// The scan's tally with its memory and processor-load fields taken from the
// live samples; counters, firmware and display fields stay as scanned.
[[nodiscard]] ScanTally mergeTally(const ScanTally& scanTally, const MemorySample& liveMemory,
                                   const LoadSample& liveLoad);

[[nodiscard]] ReportPage buildReportPage(const ScanSnapshot& snapshot, const MemorySample& liveMemory,
                                         const LoadSample& liveLoad, const std::wstring& scanTakenAt,
                                         const std::wstring& liveTakenAt);
