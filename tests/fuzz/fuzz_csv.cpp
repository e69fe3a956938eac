// Fuzz target: the CSV file of a report page whose texts (any UTF-16 units,
// lone surrogates included) and states come from the fuzzer. The file must
// start with the byte-order mark, be strictly valid UTF-8, and read back with
// a strict RFC 4180 reader into one record of seven fields per line, each
// field the UTF-8 form of its own text, quoted exactly when it holds a comma,
// a double quote, CR or LF.

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/csv_report.h"
#include "fuzz_support.h"
#include "report/completeness.h"
#include "report/report_rows.h"
#include "support/csv_reader.h"

namespace {

// The code points a UTF-16 text stands for: a surrogate pair is one, a lone
// surrogate is U+FFFD.
std::u32string codePoints(std::wstring_view text)
{
    std::u32string points;
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t unit = static_cast<char32_t>(text[i]) & 0xFFFF;
        const char32_t next = i + 1 < text.size() ? static_cast<char32_t>(text[i + 1]) & 0xFFFF : 0;
        if (unit >= 0xD800 && unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
            points += 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        } else {
            points += (unit >= 0xD800 && unit <= 0xDFFF) ? char32_t{0xFFFD} : unit;
        }
    }
    return points;
}

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool decodeUtf8(std::string_view bytes, std::u32string& points)
{
    points.clear();
    for (size_t i = 0; i < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        size_t extra = 0;
        char32_t point = 0;
        char32_t lowest = 0;
        if (lead < 0x80) {
            point = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1, point = lead & 0x1F, lowest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2, point = lead & 0x0F, lowest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3, point = lead & 0x07, lowest = 0x10000;
        } else {
            return false;
        }
        if (bytes.size() - i <= extra) {
            return false;  // cut short
        }
        for (size_t k = 1; k <= extra; ++k) {
            const auto byte = static_cast<unsigned char>(bytes[i + k]);
            if ((byte & 0xC0) != 0x80) {
                return false;
            }
            point = (point << 6) | (byte & 0x3F);
        }
        if (point < lowest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) {
            return false;
        }
        points += point;
        i += extra + 1;
    }
    return true;
}

Reading fuzzReading(FuzzedDataProvider& input)
{
    Reading reading;
    // States outside the five named ones must still be written (as "unknown").
    reading.state = static_cast<ReadingState>(input.ConsumeIntegralInRange<int32_t>(-1, 5));
    reading.value = fuzz::text(input, 12);
    reading.reason = fuzz::text(input, 12);
    return reading;
}

MemorySample fuzzMemory(FuzzedDataProvider& input)
{
    MemorySample memory;
    memory.read = input.ConsumeBool();
    memory.reason = fuzz::text(input, 12);
    memory.totalPhysical = input.ConsumeIntegral<uint64_t>();
    memory.availablePhysical = input.ConsumeIntegral<uint64_t>();
    memory.inUse = input.ConsumeIntegral<uint64_t>();
    memory.commitTotal = input.ConsumeIntegral<uint64_t>();
    memory.commitAvailable = input.ConsumeIntegral<uint64_t>();
    memory.loadPercent = input.ConsumeIntegralInRange<uint32_t>(0, 100);
    memory.installedBytes = input.ConsumeIntegral<uint64_t>();
    memory.installedStated = input.ConsumeBool();
    return memory;
}

ScanSnapshot fuzzSnapshot(FuzzedDataProvider& input)
{
    ScanSnapshot snapshot;
    for (const FixedRow& row : kFixedRows) {
        if (row.reading != nullptr) {
            snapshot.*row.reading = fuzzReading(input);
        }
    }
    snapshot.memory = fuzzMemory(input);
    for (size_t n = input.ConsumeIntegralInRange<size_t>(0, 3); n > 0; --n) {
        DriveEntry drive;
        drive.root = fuzz::text(input, 8);
        drive.volumeName = fuzzReading(input);
        drive.fileSystem = fuzzReading(input);
        drive.totalBytes = input.ConsumeIntegral<uint64_t>();
        drive.freeBytes = input.ConsumeIntegral<uint64_t>();
        drive.sized = input.ConsumeBool();
        drive.sizeReason = fuzz::text(input, 12);
        drive.noMedia = input.ConsumeBool();
        snapshot.drives.push_back(std::move(drive));
    }
    for (size_t n = input.ConsumeIntegralInRange<size_t>(0, 3); n > 0; --n) {
        NetworkAdapterEntry adapter;
        adapter.friendlyName = fuzz::text(input, 12);
        adapter.description = fuzz::text(input, 12);
        adapter.hardwareAddress = fuzz::text(input, 8);
        for (size_t a = input.ConsumeIntegralInRange<size_t>(0, 3); a > 0; --a) {
            adapter.addresses.push_back(fuzz::text(input, 8));
        }
        adapter.up = input.ConsumeBool();
        snapshot.networkAdapters.push_back(std::move(adapter));
    }
    for (size_t n = input.ConsumeIntegralInRange<size_t>(0, 2); n > 0; --n) {
        DisplayAdapterEntry display;
        display.name = fuzz::text(input, 12);
        display.dedicatedMemory = input.ConsumeIntegral<uint64_t>();
        display.memoryStated = input.ConsumeBool();
        snapshot.displayAdapters.push_back(std::move(display));
    }
    // Counts as a scan makes them: never negative, never near the int limit.
    ScanTally& tally = snapshot.tally;
    for (int32_t* count : {&tally.okCount, &tally.noneCount, &tally.failedCount, &tally.unsupportedCount,
                           &tally.drivesNotExamined, &tally.adaptersNotExamined, &tally.drivesNotSized}) {
        *count = input.ConsumeIntegralInRange<int32_t>(0, 1000);
    }
    tally.firmwareTableRead = input.ConsumeBool();
    tally.firmwareTableReason = fuzz::text(input, 12);
    tally.memoryRead = input.ConsumeBool();
    tally.memoryReason = fuzz::text(input, 12);
    tally.displayListComplete = input.ConsumeBool();
    tally.displayListReason = fuzz::text(input, 12);
    return snapshot;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const ScanSnapshot snapshot = fuzzSnapshot(input);
    const MemorySample liveMemory = fuzzMemory(input);
    LoadSample liveLoad;
    liveLoad.measured = input.ConsumeBool();
    liveLoad.percent = input.ConsumeFloatingPointInRange<double>(0.0, 100.0);
    liveLoad.reason = fuzz::text(input, 12);
    const std::wstring scanTakenAt = fuzz::text(input, 12);
    const std::wstring liveTakenAt = fuzz::text(input, 12);
    const ReportPage page = buildReportPage(snapshot, liveMemory, liveLoad, scanTakenAt, liveTakenAt);

    const std::string csv = buildCsvReport(page);

    // What each line must hold, as UTF-16 texts.
    std::vector<std::vector<std::wstring>> expected =
        {{L"Section", L"Item", L"Value", L"State", L"Numeric", L"Unit", L"Reason"},
         {L"Report", L"Program", L"Korvane", L"ok", L"", L"", L""},
         {L"Report", L"Scan taken at", page.scanTakenAt, L"ok", L"", L"", L""},
         {L"Report", L"Live reading taken at", page.liveTakenAt, L"ok", L"", L"", L""},
         {L"Report", L"Complete", pageIsComplete(page.tally) ? L"yes" : L"no", L"ok", L"", L"", L""},
         {L"Report", L"Completeness", completenessSummary(page.tally), L"ok", L"", L"", L""}};
    for (const ReportRow& row : buildReportRows(page)) {
        expected.push_back(
            {sectionName(row.section), row.item, row.value, stateWord(row.state), row.numeric, row.unit, row.reason});
    }

    FUZZ_CHECK(csv.starts_with("\xEF\xBB\xBF"), "no byte-order mark: " + fuzz::shown(csv.substr(0, 8)));
    const std::string_view body = std::string_view(csv).substr(3);
    std::u32string points;
    FUZZ_CHECK(decodeUtf8(body, points), "not strictly valid UTF-8");

    const CsvReading reading = readCsv(body);
    const size_t at = reading.at;
    FUZZ_CHECK(reading.error.empty(),
               reading.error + " at byte " + std::to_string(at) + ": ..." +
                   fuzz::shown(body.substr(at > 80 ? at - 80 : 0, std::min<size_t>(at, 80) + 40)) + "...");
    const std::vector<CsvRecord>& records = reading.records;
    FUZZ_CHECK(records.size() == expected.size(),
               std::to_string(records.size()) + " records for " + std::to_string(expected.size()) + " lines");
    for (size_t line = 0; line < records.size(); ++line) {
        FUZZ_CHECK(records[line].size() == 7,
                   "line " + std::to_string(line) + " has " + std::to_string(records[line].size()) + " fields");
        for (size_t column = 0; column < 7; ++column) {
            const std::wstring& text = expected[line][column];
            const CsvField& field = records[line][column];
            const auto place = [&] { return "line " + std::to_string(line) + " field " + std::to_string(column); };
            std::u32string read;
            FUZZ_CHECK(decodeUtf8(field.bytes, read) && read == codePoints(text),
                       place() + " reads \"" + fuzz::shown(field.bytes) + "\" for the text \"" + fuzz::shown(text) +
                           "\"");
            // No other byte (blanks, tabs, semicolons, bytes of 80 and above) starts quotes.
            FUZZ_CHECK(field.quoted == (field.bytes.find_first_of(",\"\r\n") != std::string::npos),
                       place() + (field.quoted ? " is quoted: \"" : " is not quoted: \"") + fuzz::shown(field.bytes) +
                           "\"");
        }
    }
    return 0;
}
