#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
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
    CommitAvailable = 7
};

// The report's groups, in the order they are shown.
enum class Section : int32_t {
    System = 0,
    Processor = 1,
    Firmware = 2,
    Memory = 3,
    Drives = 4,
    NetworkAdapters = 5,
    DisplayAdapters = 6
};
inline constexpr int kSectionCount = static_cast<int>(Section::DisplayAdapters) + 1;

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
// A single Reading added here also needs its line in kFixedRows below.
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

// One fixed row of the report: a single reading of the snapshot, or a live
// figure, or (neither) the installed memory, which the scan keeps as a number.
struct FixedRow {
    Section section;
    const wchar_t* label;
    Reading ScanSnapshot::*reading = nullptr;
    LiveKind liveKind = LiveKind::NotLive;
};

// The report's fixed rows in report order; the rows of the drive and adapter
// lists follow them. The single readings here are exactly those the scan
// tallies. The same label may stand in two sections.
inline constexpr FixedRow kFixedRows[] =
    {{Section::System, L"Computer name", &ScanSnapshot::computerName},
     {Section::System, L"Logged-in user", &ScanSnapshot::loggedInUser},
     {Section::System, L"DNS host name", &ScanSnapshot::dnsHostName},
     {Section::System, L"DNS domain name", &ScanSnapshot::dnsDomainName},
     {Section::System, L"Windows", &ScanSnapshot::windowsProduct},
     // Release before Version, although the snapshot keeps them the other way round.
     {Section::System, L"Release", &ScanSnapshot::windowsRelease},
     {Section::System, L"Version", &ScanSnapshot::windowsVersion},
     {Section::System, L"Architecture", &ScanSnapshot::architecture},
     {Section::System, L"Registered owner", &ScanSnapshot::registeredOwner},
     {Section::System, L"Registered organisation", &ScanSnapshot::registeredOrganisation},
     {Section::System, L"Manufacturer", &ScanSnapshot::systemManufacturer},
     {Section::System, L"Model", &ScanSnapshot::systemModel},
     {Section::System, L"Started at", &ScanSnapshot::startedAt},
     {Section::System, L"Up for", &ScanSnapshot::upFor},
     {Section::Processor, L"Name", &ScanSnapshot::processorName},
     {Section::Processor, L"Manufacturer", &ScanSnapshot::processorManufacturer},
     {Section::Processor, L"Version", &ScanSnapshot::processorVersion},
     {Section::Processor, L"Socket", &ScanSnapshot::processorSocket},
     {Section::Processor, L"Frequency", &ScanSnapshot::processorFrequency},
     {Section::Processor, L"Physical cores", &ScanSnapshot::physicalCores},
     {Section::Processor, L"Logical processors", &ScanSnapshot::logicalProcessors},
     {Section::Processor, L"Architecture", &ScanSnapshot::processorArchitecture},
     {Section::Processor, L"Load (last second)", nullptr, LiveKind::ProcessorLoad},
     {Section::Firmware, L"Vendor", &ScanSnapshot::biosVendor},
     {Section::Firmware, L"Version", &ScanSnapshot::biosVersion},
     {Section::Firmware, L"Release date", &ScanSnapshot::biosReleaseDate},
     {Section::Firmware, L"SMBIOS", &ScanSnapshot::smbiosVersion},
     {Section::Memory, L"Total (usable)", nullptr, LiveKind::MemoryTotal},
     {Section::Memory, L"In use", nullptr, LiveKind::MemoryInUse},
     {Section::Memory, L"Free", nullptr, LiveKind::MemoryFree},
     {Section::Memory, L"Load", nullptr, LiveKind::MemoryLoad},
     {Section::Memory, L"Commit total", nullptr, LiveKind::CommitTotal},
     {Section::Memory, L"Commit available", nullptr, LiveKind::CommitAvailable},
     {Section::Memory, L"Installed (modules)"}};

inline constexpr size_t kFixedRowCount = std::size(kFixedRows);
inline constexpr size_t kSingleReadingCount = static_cast<size_t>(
    std::ranges::count_if(kFixedRows, [](const FixedRow& row) { return row.reading != nullptr; }));
inline constexpr size_t kLiveRowCount = static_cast<size_t>(
    std::ranges::count_if(kFixedRows, [](const FixedRow& row) { return row.liveKind != LiveKind::NotLive; }));

// The position of a live kind's row among the fixed rows; kFixedRowCount for NotLive.
[[nodiscard]] constexpr size_t fixedRowIndex(LiveKind kind)
{
    size_t index = 0;
    while (index < kFixedRowCount && (kind == LiveKind::NotLive || kFixedRows[index].liveKind != kind)) {
        ++index;
    }
    return index;
}

// Rows are grouped by section, and live kinds 1 to kLiveRowCount have one row
// each: the window keeps the live rows' positions in an array by kind.
static_assert(std::ranges::is_sorted(kFixedRows, {}, &FixedRow::section));
static_assert(kLiveRowCount == static_cast<size_t>(LiveKind::CommitAvailable));
static_assert([] {
    for (uint32_t kind = 1; kind <= kLiveRowCount; ++kind) {
        if (fixedRowIndex(static_cast<LiveKind>(kind)) == kFixedRowCount) {
            return false;
        }
    }
    return true;
}());

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
