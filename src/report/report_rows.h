#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/reading.h"
#include "report/snapshot.h"

// One line of the report: display text for people, numeric and unit for programs.
struct ReportRow {
    Section section = Section::System;
    std::wstring item;
    std::wstring value;
    ReadingState state = ReadingState::Ok;
    std::wstring reason;
    std::wstring numeric;
    std::wstring unit;
    LiveKind liveKind = LiveKind::NotLive;

    friend bool operator==(const ReportRow&, const ReportRow&) = default;
};

// "System" ... "Display adapters"; "Other" for any other number.
[[nodiscard]] const wchar_t* sectionName(Section section);

[[nodiscard]] ReportRow readingRow(Section section, std::wstring item, const Reading& reading);
[[nodiscard]] ReportRow bytesRow(Section section, std::wstring item, std::wstring valueText, bool stated,
                                 uint64_t bytes, ReadingState unstatedState, const std::wstring& unstatedReason);
[[nodiscard]] ReportRow loadRow(const LoadSample& load);
[[nodiscard]] ReportRow memoryRow(LiveKind kind, std::wstring item, const MemorySample& memory);

[[nodiscard]] std::wstring driveText(const DriveEntry& drive);
[[nodiscard]] std::wstring adapterText(const NetworkAdapterEntry& adapter);

// The fixed rows (kFixedRows), then three per drive, one per network and display adapter.
[[nodiscard]] std::vector<ReportRow> buildReportRows(const ReportPage& page);
