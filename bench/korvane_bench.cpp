// Prints how long Korvane takes for the things a user waits for: start-up to
// the first "Scanned at", one timer tick with its repaint, one scan, and one
// save of the report as CSV.
// Run it under the same conditions as the program (an X display under wine):
//   tools/wine-run --prefix build/mingw-cross/wineprefix build/mingw-cross/korvane_bench.exe
#include <windows.h>

#include <algorithm>
#include <string>
#include <cstdio>
#include <vector>

#include "app/main_window.h"
#include "export/csv_report.h"
#include "export/safe_file_replace.h"
#include "scan/scan_machine.h"

#include "../tests/support/temporary_folder.h"
#include "bench_support.h"

namespace {

double secondsSinceProcessStart()
{
    FILETIME created{};
    FILETIME unused{};
    GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused);
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const auto ticks = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return static_cast<double>(ticks(now) - ticks(created)) / 1e7;
}

}  // namespace

int main()
{
    MainWindow app;
    int exitCode = 0;
    if (!app.start(GetModuleHandleW(nullptr), SW_SHOWNORMAL, exitCode)) {
        std::printf("the window could not be made\n");
        return 1;
    }
    pumpUntilScanEnds(app, INFINITE);
    std::printf("process start to \"Scanned at\": %.3f s\n", secondsSinceProcessStart());
    std::printf("completeness: %ls\n", statusPart(app, 0).c_str());

    constexpr int kTicks = 1000;
    LARGE_INTEGER start{};
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kTicks; ++i) {
        tick(app);
    }
    std::printf("one timer tick with its panel repaint: %.1f us (mean of %d)\n", secondsSince(start) * 1e6 / kTicks,
                kTicks);

    std::vector<double> scans;
    for (int i = 0; i < 15; ++i) {
        ScanSnapshot snapshot;
        QueryPerformanceCounter(&start);
        scanMachine(snapshot);
        scans.push_back(secondsSince(start));
    }
    std::sort(scans.begin(), scans.end());
    std::printf("scanMachine: median %.1f ms, fastest %.1f ms, slowest %.1f ms (15 scans)\n", scans[7] * 1e3,
                scans.front() * 1e3, scans.back() * 1e3);

    if (app.currentPage()) {
        // What Save as CSV does once the user has chosen the file.
        const TemporaryFolder folder(L"korvane-bench-");
        const std::wstring target = folder.file(L"Korvane.csv");
        constexpr int kSaves = 50;
        double building = 0;
        double writing = 0;
        size_t bytes = 0;
        bool saved = true;
        for (int i = 0; i < kSaves && saved; ++i) {
            QueryPerformanceCounter(&start);
            const std::string csv = buildCsvReport(*app.currentPage());
            building += secondsSince(start);
            bytes = csv.size();
            std::wstring error;
            QueryPerformanceCounter(&start);
            saved = replaceFileSafely(target, csv, error);
            writing += secondsSince(start);
            if (!saved) {
                std::printf("saving failed: %ls\n", error.c_str());
            }
        }
        if (saved) {
            std::printf(
                "save as CSV: %zu bytes, page and bytes built in %.1f us, written and renamed in %.2f ms "
                "(mean of %d)\n",
                bytes, building * 1e6 / kSaves, writing * 1e3 / kSaves, kSaves);
        }
    }

    return 0;
}
