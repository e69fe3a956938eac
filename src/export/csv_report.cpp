#include "export/csv_report.h"

#include "report/completeness.h"
#include "report/report_rows.h"

namespace {

bool isHighSurrogate(uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(uint32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void appendCodePoint(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

}  // namespace

std::string utf8FromUtf16(std::wstring_view text)
{
    std::string out;
    if (text.size() > 15) {
        out.reserve(text.size() + text.size() / 2);
    }
    for (size_t i = 0; i < text.size(); ++i) {
        // Only 16 bits count; where wchar_t is wider the text is still UTF-16 units.
        const uint32_t unit = static_cast<uint32_t>(text[i]) & 0xFFFF;
        if (isHighSurrogate(unit) && i + 1 < text.size()) {
            const uint32_t next = static_cast<uint32_t>(text[i + 1]) & 0xFFFF;
            if (isLowSurrogate(next)) {
                appendCodePoint(out, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        appendCodePoint(out, (isHighSurrogate(unit) || isLowSurrogate(unit)) ? 0xFFFD : unit);
    }
    return out;
}

void appendCsvField(std::string& out, std::wstring_view text)
{
    const std::string bytes = utf8FromUtf16(text);
    if (bytes.find_first_of(",\"\r\n") == std::string::npos) {
        out += bytes;
        return;
    }
    out += '"';
    for (char c : bytes) {
        if (c == '"') {
            out += '"';
        }
        out += c;
    }
    out += '"';
}

void appendCsvLine(std::string& out, std::initializer_list<std::wstring_view> fields)
{
    bool first = true;
    for (std::wstring_view field : fields) {
        if (!first) {
            out += ',';
        }
        first = false;
        appendCsvField(out, field);
    }
    out += "\r\n";
}

std::string buildCsvReport(const ReportPage& page)
{
    std::string out = "\xEF\xBB\xBF";
    appendCsvLine(out, {L"Section", L"Item", L"Value", L"State", L"Numeric", L"Unit", L"Reason"});

    const std::wstring summary = completenessSummary(page.tally);
    const wchar_t* complete = pageIsComplete(page.tally) ? L"yes" : L"no";
    appendCsvLine(out, {L"Report", L"Program", L"Korvane", L"ok", L"", L"", L""});
    appendCsvLine(out, {L"Report", L"Scan taken at", page.scanTakenAt, L"ok", L"", L"", L""});
    appendCsvLine(out, {L"Report", L"Live reading taken at", page.liveTakenAt, L"ok", L"", L"", L""});
    appendCsvLine(out, {L"Report", L"Complete", complete, L"ok", L"", L"", L""});
    appendCsvLine(out, {L"Report", L"Completeness", summary, L"ok", L"", L"", L""});

    for (const ReportRow& row : buildReportRows(page)) {
        appendCsvLine(out, {sectionName(row.section), row.item, row.value, stateWord(row.state), row.numeric,
                            row.unit, row.reason});
    }
    return out;
}
