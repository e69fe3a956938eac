// Prints how long Korvane takes for the things a user waits for: start-up to
// the first "Scanned at", one timer tick with its repaint, and one scan.
// Run it under the same conditions as the program (an X display under wine):
//   tools/wine-run --prefix build/mingw-cross/wineprefix build/mingw-cross/korvane_bench.exe
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/scan_coordination.h"
#include "scan/scan_machine.h"

namespace {

double secondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

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

void pumpUntilScanEnds()
{
    MSG message{};
    while (scanState().scanThread) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            dispatchWindowMessage(message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

}  // namespace

int main()
{
    int exitCode = 0;
    if (!startKorvane(GetModuleHandleW(nullptr), SW_SHOWNORMAL, exitCode)) {
        std::printf("the window could not be made\n");
        return 1;
    }
    pumpUntilScanEnds();
    std::printf("process start to \"Scanned at\": %.3f s\n", secondsSinceProcessStart());

    constexpr int kTicks = 1000;
    LARGE_INTEGER start{};
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kTicks; ++i) {
        SendMessageW(shell().mainWindow, WM_TIMER, IDT_SAMPLE, 0);
        UpdateWindow(shell().panelWindow);
    }
    std::printf("one timer tick with its panel repaint: %.1f us (mean of %d)\n",
                secondsSince(start) * 1e6 / kTicks, kTicks);

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

    finishKorvane();
    return 0;
}
