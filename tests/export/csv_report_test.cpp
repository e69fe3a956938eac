#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "export/csv_report.h"
#include "report/completeness.h"
#include "report/report_rows.h"
#include "support/live_samples.h"

namespace {

// Builds a UTF-16 text unit by unit, so that unpaired surrogates can be written.
std::wstring units(std::initializer_list<unsigned> codes)
{
    std::wstring text;
    for (unsigned code : codes) {
        text += static_cast<wchar_t>(code);
    }
    return text;
}

std::string bytes(std::initializer_list<unsigned> codes)
{
    std::string text;
    for (unsigned code : codes) {
        text += static_cast<char>(code);
    }
    return text;
}

std::string hex(const std::string& text)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        out += digits[b >> 4];
        out += digits[b & 15];
        out += ' ';
    }
    return out;
}

std::string csvField(std::wstring_view text)
{
    std::string out = "x";  // the field is appended, never replaces what is there
    appendCsvField(out, text);
    return out.substr(1);
}

}  // namespace

TEST(CsvReport, Utf8Conversion)
{
    struct Case {
        const char* name;
        std::wstring text;
        std::string utf8;
    };
    const Case cases[] = {{"empty", L"", ""},
                          {"ascii", L"abc", "abc"},
                          {"nul and delete stay one byte", units({0x00, 0x7F}), bytes({0x00, 0x7F})},
                          {"first two-byte", units({0x80}), bytes({0xC2, 0x80})},
                          {"e acute", units({0xE9}), bytes({0xC3, 0xA9})},
                          {"last two-byte", units({0x7FF}), bytes({0xDF, 0xBF})},
                          {"first three-byte", units({0x800}), bytes({0xE0, 0xA0, 0x80})},
                          {"euro sign", units({0x20AC}), bytes({0xE2, 0x82, 0xAC})},
                          {"last BMP unit", units({0xFFFF}), bytes({0xEF, 0xBF, 0xBF})},
                          {"pair for U+1F600", units({0xD83D, 0xDE00}), bytes({0xF0, 0x9F, 0x98, 0x80})},
                          {"pair for U+10000", units({0xD800, 0xDC00}), bytes({0xF0, 0x90, 0x80, 0x80})},
                          {"pair for U+10FFFF", units({0xDBFF, 0xDFFF}), bytes({0xF4, 0x8F, 0xBF, 0xBF})},
                          {"high surrogate at the end", units({0x61, 0xD83D}), bytes({0x61, 0xEF, 0xBF, 0xBD})},
                          {"high surrogate in the middle", units({0x61, 0xD83D, 0x62}),
                           bytes({0x61, 0xEF, 0xBF, 0xBD, 0x62})},
                          {"lone low surrogate", units({0xDE00}), bytes({0xEF, 0xBF, 0xBD})},
                          {"low before high", units({0xDE00, 0xD83D}), bytes({0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD})},
                          {"two highs then a low", units({0xD83D, 0xD83D, 0xDE00}),
                           bytes({0xEF, 0xBF, 0xBD, 0xF0, 0x9F, 0x98, 0x80})},
                          {"long mixed text",
                           units({0x43, 0x61, 0x66, 0xE9, 0x20, 0x20AC, 0x20, 0xD83D, 0xDE00, 0x61, 0x61, 0x61, 0x61,
                                  0x61, 0x61, 0x61, 0x61}),
                           "Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"
                           "aaaaaaaa"}};
    for (const Case& c : cases) {
        EXPECT_EQ(hex(utf8FromUtf16(c.text)), hex(c.utf8)) << c.name;
    }
}

TEST(CsvReport, FieldsAreQuotedOnlyForCommaQuoteCrAndLf)
{
    const std::pair<std::wstring, std::string> cases[] =
        {{L"", ""},
         {L"Intel(R) Core(TM) i5", "Intel(R) Core(TM) i5"},
         {L"Intel(R), 4 cores", "\"Intel(R), 4 cores\""},
         {L"a\"b", bytes({0x22, 0x61, 0x22, 0x22, 0x62, 0x22})},
         {L"\"", "\"\"\"\""},
         {L"say \"hi\", then", "\"say \"\"hi\"\", then\""},
         {L"line one\r\nline two", "\"line one\r\nline two\""},
         {L"cr\ronly", "\"cr\ronly\""},
         {L"lf\nonly", "\"lf\nonly\""},
         {L"  blanks, tabs\tand; semicolons ", "\"  blanks, tabs\tand; semicolons \""},
         {L"  blanks\tand; semicolons ", "  blanks\tand; semicolons "},
         {units({0x43, 0x61, 0x66, 0xE9}), "Caf\xC3\xA9"},  // bytes of 80 and above never quote
         {units({0x4E, 0xD83D, 0x4E}), "N\xEF\xBF\xBDN"}};
    for (const auto& [text, written] : cases) {
        EXPECT_EQ(hex(csvField(text)), hex(written)) << "field \"" << text << "\"";
    }

    std::string line = "prefix|";
    appendCsvLine(line, {L"a", L"", L"b,c", L"", L"", L"", L""});
    EXPECT_EQ(line, "prefix|a,,\"b,c\",,,,\r\n");
    line.clear();
    appendCsvLine(line, {L"", L"", L"", L"", L"", L"", L""});
    EXPECT_EQ(line, ",,,,,,\r\n");
}

TEST(CsvReport, StateWords)
{
    const std::pair<int, const wchar_t*> words[] = {{0, L"ok"},          {1, L"none"},         {2, L"failed"},
                                                    {3, L"unsupported"}, {4, L"not-measured"}, {5, L"unknown"},
                                                    {-1, L"unknown"},    {1000, L"unknown"}};
    for (const auto& [state, word] : words) {
        EXPECT_STREQ(stateWord(static_cast<ReadingState>(state)), word) << "state " << state;
    }
}

// The rows' texts are the report's (report_rows_test.cpp holds the page);
// the file frames them: the five page lines, then one line per row in report
// order, a line of each state among them.
TEST(CsvReport, OneLinePerRowAfterThePageLines)
{
    ScanSnapshot s;  // fresh: every single reading failed, with no reason
    s.computerName = readingOk(L"DESK-7");
    s.loggedInUser = readingOk(L"Zo\u00EB \"Z\" M\u00FCller");
    s.registeredOrganisation = readingNone(L"Windows records no registered organisation");
    s.systemModel = readingFailed(L"first line\r\nsecond line");
    s.processorVersion = readingOk(L"Family 6, Model 142");
    s.physicalCores = readingUnsupported(L"");
    s.networkAdapters = {
        NetworkAdapterEntry{L"Wi\u2011Fi", L"Wireless", L"00-11-22-33-44-55", {L"10.0.0.5", L"fe80::5%3"}, true}};
    const ReportPage page = buildReportPage(s, typicalMemory(), LoadSample{}, L"t1", L"t2");
    const std::string csv = buildCsvReport(page);

    // NOLINTBEGIN(bugprone-suspicious-missing-comma)
    const std::string lines[] =
        {"Report,Completeness,firmware table unavailable; graphics list incomplete.,ok,,,",
         "System,Computer name,DESK-7,ok,,,",
         "System,Logged-in user,\"Zo\xC3\xAB \"\"Z\"\" M\xC3\xBC"
         "ller\",ok,,,",
         "System,DNS host name,(could not read: ),failed,,,",
         "System,Registered organisation,(none: Windows records no registered organisation),none,,,"
         "Windows records no registered organisation",
         "System,Model,\"(could not read: first line\r\nsecond line)\",failed,,,\"first line\r\nsecond line\"",
         "Processor,Version,\"Family 6, Model 142\",ok,,,",
         "Processor,Physical cores,(not supported: not offered by this version of Windows),unsupported,,,"
         "not offered by this version of Windows",
         "Processor,Load (last second),(not measured),not-measured,,,no reading has been derived yet",
         "Memory,Commit available,9.5 GB,ok,10200547328,bytes,",
         "Memory,Installed (modules),(not stated by the firmware),none,,,the firmware does not state it",
         "Network adapters,Wi\xE2\x80\x91"
         "Fi,\"Up; 00-11-22-33-44-55; 10.0.0.5, fe80::5%3\",ok,,,"};
    // NOLINTEND(bugprone-suspicious-missing-comma)
    size_t at = 0;
    for (const std::string& line : lines) {
        at = csv.find("\r\n" + line + "\r\n", at);
        ASSERT_NE(at, std::string::npos) << "missing, or out of order: " << line;
        ++at;
    }
    EXPECT_EQ(at + lines[std::size(lines) - 1].size() + 3, csv.size()) << "the last row ends the file";

    // Line ends outside quotes: the header, the five page lines and one per row.
    size_t lineEnds = 0;
    bool quoted = false;
    for (size_t i = 0; i + 1 < csv.size(); ++i) {
        quoted = csv[i] == '"' ? !quoted : quoted;
        lineEnds += !quoted && csv.compare(i, 2, "\r\n") == 0 ? 1 : 0;
    }
    EXPECT_EQ(lineEnds, 6 + buildReportRows(page).size());
}

TEST(CsvReport, CompleteLineAgreesWithTheCompletenessLine)
{
    ScanSnapshot s;
    s.tally.memoryRead = false;  // the scan's own memory read is overruled by the live sample
    s.tally.firmwareTableRead = true;
    s.tally.displayListComplete = true;

    struct Case {
        const char* name;
        MemorySample memory;
        LoadSample load;
        std::wstring scanTime;
        std::string scanField, complete, summaryField;
    };
    MemorySample failedMemory;
    failedMemory.reason = L"reading the memory status: Access is denied.";
    LoadSample notMeasured;
    notMeasured.reason = L"the counters went backwards, twice";
    const std::string allRead = "Every item on this page was read successfully.";
    const Case cases[] = {{"everything read", typicalMemory(), typicalLoad(), L"2025-03-14 09:26", "2025-03-14 09:26",
                           "yes", allRead},
                          {"load never derived", typicalMemory(), LoadSample{}, L"2025-03-14 09:26",
                           "2025-03-14 09:26", "yes", allRead},
                          {"live memory failed", failedMemory, typicalLoad(), L"2025-03-14 09:26", "2025-03-14 09:26",
                           "no", "memory not read (reading the memory status: Access is denied.)."},
                          {"commas in the load reason and the time", typicalMemory(), notMeasured, L"14 March, 09:26",
                           "\"14 March, 09:26\"", "no",
                           "\"processor load not measured (the counters went backwards, twice).\""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string expected =
            "\xEF\xBB\xBF"
            "Section,Item,Value,State,Numeric,Unit,Reason\r\n"
            "Report,Program,Korvane,ok,,,\r\n"
            "Report,Scan taken at," +
            c.scanField +
            ",ok,,,\r\n"
            "Report,Live reading taken at,2025-03-14 09:27:10,ok,,,\r\n"
            "Report,Complete," +
            c.complete +
            ",ok,,,\r\n"
            "Report,Completeness," +
            c.summaryField + ",ok,,,\r\n";
        const ReportPage page = buildReportPage(s, c.memory, c.load, c.scanTime, L"2025-03-14 09:27:10");
        EXPECT_EQ(buildCsvReport(page).substr(0, expected.size()), expected);
    }
}
