#include "report/report_rows.h"

#include <utility>

#include "report/value_text.h"

namespace {

const wchar_t kReasonUnknown[] = L"reason unknown";

std::wstring orUnknown(const std::wstring& reason)
{
    return reason.empty() ? std::wstring(kReasonUnknown) : reason;
}

uint64_t memoryFigure(LiveKind kind, const MemorySample& memory)
{
    switch (kind) {
    case LiveKind::MemoryTotal:
        return memory.totalPhysical;
    case LiveKind::MemoryInUse:
        return memory.inUse;
    case LiveKind::MemoryFree:
        return memory.availablePhysical;
    case LiveKind::MemoryLoad:
        return memory.loadPercent;
    case LiveKind::CommitTotal:
        return memory.commitTotal;
    case LiveKind::CommitAvailable:
        return memory.commitAvailable;
    default:
        return 0;
    }
}

void appendDriveRows(std::vector<ReportRow>& rows, const DriveEntry& drive)
{
    ReportRow size;
    size.section = Section::Drives;
    size.item = drive.root;
    size.value = driveText(drive);
    if (drive.sized) {
        size.state = ReadingState::Ok;
    } else {
        size.state = drive.noMedia ? ReadingState::None : ReadingState::Failed;
        size.reason = orUnknown(drive.sizeReason);
    }
    rows.push_back(std::move(size));
    rows.push_back(readingRow(Section::Drives, drive.root + L"  name", drive.volumeName));
    rows.push_back(readingRow(Section::Drives, drive.root + L"  file system", drive.fileSystem));
}

ReportRow adapterRow(const NetworkAdapterEntry& adapter)
{
    ReportRow row;
    row.section = Section::NetworkAdapters;
    if (!adapter.friendlyName.empty()) {
        row.item = adapter.friendlyName;
    } else if (!adapter.description.empty()) {
        row.item = adapter.description;
    } else {
        row.item = L"(an adapter Windows named neither way)";
    }
    row.value = adapterText(adapter);
    row.state = ReadingState::Ok;
    return row;
}

ReportRow displayRow(const DisplayAdapterEntry& adapter)
{
    std::wstring value = adapter.memoryStated ? byteSizeText(adapter.dedicatedMemory) + L" dedicated"
                                              : std::wstring(L"(the display driver stated no dedicated memory)");
    return bytesRow(Section::DisplayAdapters, adapter.name, std::move(value), adapter.memoryStated,
                    adapter.dedicatedMemory, ReadingState::None, L"the display driver stated none");
}

}  // namespace

const wchar_t* sectionName(Section section)
{
    switch (section) {
    case Section::System:
        return L"System";
    case Section::Processor:
        return L"Processor";
    case Section::Firmware:
        return L"Firmware";
    case Section::Memory:
        return L"Memory";
    case Section::Drives:
        return L"Drives";
    case Section::NetworkAdapters:
        return L"Network adapters";
    case Section::DisplayAdapters:
        return L"Display adapters";
    }
    return L"Other";
}

ReportRow readingRow(Section section, std::wstring item, const Reading& reading)
{
    ReportRow row;
    row.section = section;
    row.item = std::move(item);
    row.value = readingText(reading);
    switch (reading.state) {
    case ReadingState::Ok:
    case ReadingState::None:
    case ReadingState::Unsupported:
        row.state = reading.state;
        break;
    default:
        row.state = ReadingState::Failed;
        break;
    }
    if (row.state != ReadingState::Ok) {
        row.reason = reading.reason;
    }
    return row;
}

ReportRow bytesRow(Section section, std::wstring item, std::wstring valueText, bool stated, uint64_t bytes,
                   ReadingState unstatedState, const std::wstring& unstatedReason)
{
    ReportRow row;
    row.section = section;
    row.item = std::move(item);
    row.value = std::move(valueText);
    if (stated) {
        row.state = ReadingState::Ok;
        row.numeric = countText(bytes);
        row.unit = L"bytes";
    } else {
        row.state = unstatedState;
        row.reason = orUnknown(unstatedReason);
    }
    return row;
}

ReportRow loadRow(const LoadSample& load)
{
    const FixedRow& fixed = kFixedRows[fixedRowIndex(LiveKind::ProcessorLoad)];
    ReportRow row;
    row.section = fixed.section;
    row.item = fixed.label;
    row.liveKind = LiveKind::ProcessorLoad;
    row.value = loadText(load);
    if (load.measured) {
        row.state = ReadingState::Ok;
        row.numeric = fixedText(load.percent, 1);
        row.unit = L"percent";
    } else {
        row.state = ReadingState::NotMeasured;
        row.reason = load.reason.empty() ? std::wstring(L"no reading has been derived yet") : load.reason;
    }
    return row;
}

ReportRow memoryRow(LiveKind kind, std::wstring item, const MemorySample& memory)
{
    ReportRow row;
    row.section = Section::Memory;
    row.item = std::move(item);
    row.liveKind = kind;
    row.value = liveValueText(kind, memory, LoadSample{});
    if (memory.read) {
        row.state = ReadingState::Ok;
        row.numeric = countText(memoryFigure(kind, memory));
        row.unit = kind == LiveKind::MemoryLoad ? L"percent" : L"bytes";
    } else {
        row.state = ReadingState::Failed;
        row.reason = orUnknown(memory.reason);
    }
    return row;
}

std::wstring driveText(const DriveEntry& drive)
{
    if (drive.sized) {
        return byteSizeText(drive.freeBytes) + L" free of " + byteSizeText(drive.totalBytes);
    }
    std::wstring reason = orUnknown(drive.sizeReason);
    return readingText(drive.noMedia ? readingNone(std::move(reason)) : readingFailed(std::move(reason)));
}

std::wstring adapterText(const NetworkAdapterEntry& adapter)
{
    std::wstring text = adapter.up ? L"Up" : L"Down";
    if (adapter.hardwareAddress.empty()) {
        text += L"; no hardware address";
    } else {
        text += L"; " + adapter.hardwareAddress;
    }
    if (adapter.addresses.empty()) {
        text += L"; no addresses assigned";
    } else {
        text += L"; ";
        for (size_t i = 0; i < adapter.addresses.size(); ++i) {
            if (i > 0) {
                text += L", ";
            }
            text += adapter.addresses[i];
        }
    }
    return text;
}

std::vector<ReportRow> buildReportRows(const ReportPage& page)
{
    const ScanSnapshot& s = page.snapshot;
    const MemorySample& memory = page.liveMemory;
    std::vector<ReportRow> rows;
    rows.reserve(kFixedRowCount + 3 * s.drives.size() + s.networkAdapters.size() + s.displayAdapters.size());

    for (const FixedRow& fixed : kFixedRows) {
        if (fixed.reading != nullptr) {
            rows.push_back(readingRow(fixed.section, fixed.label, s.*fixed.reading));
        } else if (fixed.liveKind == LiveKind::ProcessorLoad) {
            rows.push_back(loadRow(page.liveLoad));
        } else if (fixed.liveKind != LiveKind::NotLive) {
            rows.push_back(memoryRow(fixed.liveKind, fixed.label, memory));
        } else {
            rows.push_back(bytesRow(fixed.section, fixed.label,
                                    memory.installedStated ? byteSizeText(memory.installedBytes)
                                                           : std::wstring(L"(not stated by the firmware)"),
                                    memory.installedStated, memory.installedBytes, ReadingState::None,
                                    L"the firmware does not state it"));
        }
    }

    for (const DriveEntry& drive : s.drives) {
        appendDriveRows(rows, drive);
    }
    for (const NetworkAdapterEntry& adapter : s.networkAdapters) {
        rows.push_back(adapterRow(adapter));
    }
    for (const DisplayAdapterEntry& adapter : s.displayAdapters) {
        rows.push_back(displayRow(adapter));
    }
    return rows;
}
