#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "export/csv_report.h"
#include "report/completeness.h"
#include "report/report_rows.h"

namespace {

constexpr uint64_t kGiB = uint64_t{1} << 30;

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

MemorySample liveMemoryRead()
{
    MemorySample memory;
    memory.read = true;
    memory.totalPhysical = 16 * kGiB;
    memory.availablePhysical = 6 * kGiB;
    memory.inUse = 10 * kGiB;
    memory.loadPercent = 62;
    memory.commitTotal = 20 * kGiB;
    memory.commitAvailable = 9 * kGiB + kGiB / 2;
    return memory;
}

LoadSample measuredLoad()
{
    LoadSample load;
    load.measured = true;
    load.percent = 12.34;
    return load;
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

TEST(CsvReport, StateWordsAndUnknownStates)
{
    const std::pair<int, const wchar_t*> words[] = {{0, L"ok"},          {1, L"none"},         {2, L"failed"},
                                                    {3, L"unsupported"}, {4, L"not-measured"}, {5, L"unknown"},
                                                    {-1, L"unknown"},    {1000, L"unknown"}};
    for (const auto& [state, word] : words) {
        EXPECT_STREQ(stateWord(static_cast<ReadingState>(state)), word) << "state " << state;
    }

    // A row carrying a state no reader makes, written as the builder writes rows.
    ReportRow row;
    row.section = static_cast<Section>(9);
    row.item = L"Odd";
    row.value = L"v";
    row.state = static_cast<ReadingState>(5);
    std::string out;
    appendCsvLine(out, {sectionName(row.section), row.item, row.value, stateWord(row.state), row.numeric, row.unit,
                        row.reason});
    EXPECT_EQ(out, "Other,Odd,v,unknown,,,\r\n");
}

TEST(CsvReport, WholeFileOfASmallPage)
{
    ScanSnapshot s;
    s.computerName = readingOk(L"DESK-7");
    s.loggedInUser = readingOk(L"Zo\u00EB");
    // dnsHostName stays as a fresh snapshot has it: failed, no reason.
    s.dnsDomainName = readingOk(L"");
    s.windowsProduct = readingOk(L"Windows 10 Pro");
    s.windowsVersion = readingOk(L"10.0.19045.3803");
    s.windowsRelease = readingOk(L"22H2");
    s.architecture = readingOk(L"x64");
    s.registeredOwner = readingOk(L"Zo\u00EB \"Z\" M\u00FCller");
    s.registeredOrganisation = readingNone(L"Windows records no registered organisation");
    s.systemManufacturer = readingNone(L"the firmware left the system manufacturer unset");
    s.systemModel = readingFailed(L"first line\r\nsecond line");
    s.startedAt = readingOk(L"2025-03-14 08:00:00");
    s.upFor = readingOk(L"1 h 26 min");
    s.processorName = readingOk(L"Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz");
    s.processorManufacturer = readingOk(L"GenuineIntel");
    s.processorVersion = readingOk(L"Family 6, Model 142");
    s.processorSocket = readingOk(L"U3E1");
    s.processorFrequency = readingOk(L"1.80 GHz");
    s.physicalCores = readingUnsupported(L"");
    s.logicalProcessors = readingOk(L"8");
    s.processorArchitecture = readingOk(L"x64");
    s.biosVendor = readingOk(L"LENOVO");
    s.biosVersion = readingOk(L"N23ET80W (1.55 )");
    s.biosReleaseDate = readingOk(L"2021-06-14");
    s.smbiosVersion = readingOk(L"3.0");
    s.memory.installedBytes = 16 * kGiB;
    s.memory.installedStated = true;
    s.drives = {DriveEntry{L"C:\\", readingOk(L"Windows"), readingOk(L"NTFS"), 255013683200ull, 13207024435ull, true,
                           L"", false}};
    s.networkAdapters = {
        NetworkAdapterEntry{L"Wi\u2011Fi", L"Wireless", L"00-11-22-33-44-55", {L"10.0.0.5", L"fe80::5%3"}, true}};
    s.displayAdapters = {DisplayAdapterEntry{L"Radeon\u2122 Graphics", 0, false}};
    s.tally.okCount = 22;
    s.tally.noneCount = 2;
    s.tally.failedCount = 2;
    s.tally.unsupportedCount = 1;
    s.tally.firmwareTableRead = true;
    s.tally.displayListComplete = false;
    s.tally.displayListReason = L"the list ended early, twice";

    const ReportPage page =
        buildReportPage(s, liveMemoryRead(), measuredLoad(), L"2025-03-14 09:26:53", L"2025-03-14 09:27:10");

    // Long lines are split into adjacent literals on purpose.
    // NOLINTBEGIN(bugprone-suspicious-missing-comma)
    const char* const lines[] =
        {"Section,Item,Value,State,Numeric,Unit,Reason",
         "Report,Program,Korvane,ok,,,",
         "Report,Scan taken at,2025-03-14 09:26:53,ok,,,",
         "Report,Live reading taken at,2025-03-14 09:27:10,ok,,,",
         "Report,Complete,no,ok,,,",
         "Report,Completeness,\"Could not read 2 items; 1 item not supported by this Windows; "
         "graphics list incomplete (the list ended early, twice).\",ok,,,",
         "System,Computer name,DESK-7,ok,,,",
         "System,Logged-in user,Zo\xC3\xAB,ok,,,",
         "System,DNS host name,(could not read: ),failed,,,",
         "System,DNS domain name,(reported as empty),ok,,,",
         "System,Windows,Windows 10 Pro,ok,,,",
         "System,Release,22H2,ok,,,",
         "System,Version,10.0.19045.3803,ok,,,",
         "System,Architecture,x64,ok,,,",
         "System,Registered owner,\"Zo\xC3\xAB \"\"Z\"\" M\xC3\xBC"
         "ller\",ok,,,",
         "System,Registered organisation,(none: Windows records no registered organisation),none,,,"
         "Windows records no registered organisation",
         "System,Manufacturer,(none: the firmware left the system manufacturer unset),none,,,"
         "the firmware left the system manufacturer unset",
         "System,Model,\"(could not read: first line\r\nsecond line)\",failed,,,\"first line\r\nsecond line\"",
         "System,Started at,2025-03-14 08:00:00,ok,,,",
         "System,Up for,1 h 26 min,ok,,,",
         "Processor,Name,Intel(R) Core(TM) i5-8250U CPU @ 1.60GHz,ok,,,",
         "Processor,Manufacturer,GenuineIntel,ok,,,",
         "Processor,Version,\"Family 6, Model 142\",ok,,,",
         "Processor,Socket,U3E1,ok,,,",
         "Processor,Frequency,1.80 GHz,ok,,,",
         "Processor,Physical cores,(not supported: not offered by this version of Windows),unsupported,,,"
         "not offered by this version of Windows",
         "Processor,Logical processors,8,ok,,,",
         "Processor,Architecture,x64,ok,,,",
         "Processor,Load (last second),12.3%,ok,12.3,percent,",
         "Firmware,Vendor,LENOVO,ok,,,",
         "Firmware,Version,N23ET80W (1.55 ),ok,,,",
         "Firmware,Release date,2021-06-14,ok,,,",
         "Firmware,SMBIOS,3.0,ok,,,",
         "Memory,Total (usable),16.0 GB,ok,17179869184,bytes,",
         "Memory,In use,10.0 GB,ok,10737418240,bytes,",
         "Memory,Free,6.0 GB,ok,6442450944,bytes,",
         "Memory,Load,62%,ok,62,percent,",
         "Memory,Commit total,20.0 GB,ok,21474836480,bytes,",
         "Memory,Commit available,9.5 GB,ok,10200547328,bytes,",
         "Memory,Installed (modules),16.0 GB,ok,17179869184,bytes,",
         "Drives,C:\\,12.3 GB free of 237.5 GB,ok,,,",
         "Drives,C:\\  name,Windows,ok,,,",
         "Drives,C:\\  file system,NTFS,ok,,,",
         "Network adapters,Wi\xE2\x80\x91"
         "Fi,\"Up; 00-11-22-33-44-55; 10.0.0.5, fe80::5%3\",ok,,,",
         "Display adapters,Radeon\xE2\x84\xA2"
         " Graphics,(the display driver stated no dedicated memory),none,,,"
         "the display driver stated none"};
    // NOLINTEND(bugprone-suspicious-missing-comma)
    std::string expected = "\xEF\xBB\xBF";
    for (const char* line : lines) {
        expected += line;
        expected += "\r\n";
    }
    EXPECT_EQ(buildCsvReport(page), expected);
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
    const Case cases[] = {{"everything read", liveMemoryRead(), measuredLoad(), L"2025-03-14 09:26",
                           "2025-03-14 09:26", "yes", allRead},
                          {"load never derived", liveMemoryRead(), LoadSample{}, L"2025-03-14 09:26",
                           "2025-03-14 09:26", "yes", allRead},
                          {"live memory failed", failedMemory, measuredLoad(), L"2025-03-14 09:26",
                           "2025-03-14 09:26", "no",
                           "memory not read (reading the memory status: Access is denied.)."},
                          {"commas in the load reason and the time", liveMemoryRead(), notMeasured,
                           L"14 March, 09:26", "\"14 March, 09:26\"", "no",
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
