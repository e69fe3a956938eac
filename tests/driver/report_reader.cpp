// Prints the report of a running Korvane as it is read from outside: every
// row's item and value, then the two parts of the status bar. tools/run.sh
// runs it beside a Korvane on a screen nobody looks at.
//
//   korvane_report_reader.exe           waits for the first scan, prints the report
//   korvane_report_reader.exe --close   closes Korvane and exits with its exit code
//   korvane_report_reader.exe --run PROGRAM
//                                       starts PROGRAM, prints its report once it
//                                       has scanned, closes it and exits with its
//                                       exit code (the release check runs the
//                                       packaged program this way)
#include <windows.h>

#include <algorithm>
#include <string>

#include "driver/outside_driver.h"

namespace {

constexpr DWORD kWindowMs = 60000;

void write(DWORD stream, const std::wstring& text)
{
    const int length = static_cast<int>(text.size());
    std::string bytes(static_cast<size_t>(length) * 3, '\0');
    bytes.resize(static_cast<size_t>(
        WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), length * 3, nullptr, nullptr)));
    DWORD written = 0;
    WriteFile(GetStdHandle(stream), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int fail(const std::wstring& text)
{
    write(STD_ERROR_HANDLE, L"korvane_report_reader: " + text + L"\n");
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    OutsideDriver korvane;
    std::wstring error;
    const bool run = argc > 2 && std::wstring(argv[1]) == L"--run";
    if (!(run ? korvane.start(argv[2], kWindowMs, error) : korvane.attach(kWindowMs, error))) {
        return fail(error);
    }
    if (argc > 1 && std::wstring(argv[1]) == L"--close") {
        const int exitCode = korvane.close(kWindowMs);
        return exitCode < 0 ? fail(L"Korvane did not end after it was closed") : exitCode;
    }
    if (korvane.waitForScan(L"", kScanWaitMs).empty()) {
        return fail(L"Korvane finished no scan");
    }
    const std::vector<ShownRow> rows = korvane.rows();
    size_t width = 0;
    for (const ShownRow& row : rows) {
        width = std::max(width, row.item.size());
    }
    std::wstring report;
    for (const ShownRow& row : rows) {
        report += row.item + std::wstring(width + 2 - row.item.size(), L' ') + row.value + L"\n";
    }
    report += L"\nStatus: " + korvane.statusText(0) + L"\n        " + korvane.statusText(1) + L"\n";
    write(STD_OUTPUT_HANDLE, report);
    if (run) {
        const int exitCode = korvane.close(kWindowMs);
        return exitCode < 0 ? fail(L"Korvane did not end after it was closed") : exitCode;
    }
    return 0;
}
