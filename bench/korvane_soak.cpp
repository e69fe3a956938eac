// Soak run: one process keeps a real main window busy for a long session
// (10 000 timer ticks with their repaint, 100 rescans of this machine, 100
// saves of the report as CSV, 100 copies of rows to the clipboard) and prints
// what a leak would make grow before and after each stretch. Every figure is
// taken after a warm-up round, so caches that fill once are not counted.
// Nothing here passes or fails; growth is read from the output.
// Run it under the same conditions as the program (an X display under wine):
//   tools/wine-run --prefix build/mingw-cross/wineprefix build/mingw-cross/korvane_soak.exe
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/main_window.h"
#include "app/resource_counts.h"
#include "support/clipboard_text.h"
#include "support/temporary_folder.h"

#include "bench_support.h"

namespace {

constexpr int kTicks = 10000;
constexpr int kRescans = 100;
constexpr int kSaves = 100;
constexpr int kCopies = 100;

// The file every Save as CSV is answered with, as a user would pick it.
std::wstring saveTarget;

BOOL WINAPI answerSaveDialog(LPOPENFILENAMEW settings)
{
    lstrcpynW(settings->lpstrFile, saveTarget.c_str(), static_cast<int>(settings->nMaxFile));
    return TRUE;
}

bool rescan(MainWindow& app)
{
    command(app, IDM_REFRESH);
    pumpUntilScanEnds(app, INFINITE);
    return app.currentPage().has_value();
}

// File > Save as CSV, answered at once: the page and its bytes as they stand
// now, then the safe replacement.
bool save(MainWindow& app)
{
    command(app, IDM_SAVE_CSV);
    return statusPart(app, 1) == L"Saved " + saveTarget;
}

void copy(MainWindow& app)
{
    command(app, IDM_COPY_ROWS);
}

void selectRows(MainWindow& app)
{
    for (const int row : {2, 5, 7}) {
        selectRow(reportList(app), row, true);
    }
}

void printGrowth(const char* what, const ResourceCounts& before, const ResourceCounts& after)
{
    std::printf("%-16s heap %+lld bytes, %+lld blocks; free handle slot %+lld; private bytes %+lld\n", what,
                static_cast<long long>(after.heapBytes - before.heapBytes),
                static_cast<long long>(after.heapBlocks - before.heapBlocks),
                static_cast<long long>(after.freeHandleSlot - before.freeHandleSlot),
                static_cast<long long>(after.privateBytes - before.privateBytes));
}

}  // namespace

int main()
{
    const TemporaryFolder folder(L"korvane-soak-");
    saveTarget = folder.file(L"Korvane.csv");
    MainWindowCalls calls;
    // Any message box would wait for a user; every one here is a failure
    // worth seeing in the output instead.
    calls.messageBox = recordMessageBox;
    calls.saveDialog.getSaveFileName = answerSaveDialog;
    MainWindow app(calls);
    int exitCode = 0;
    if (!app.start(GetModuleHandleW(nullptr), SW_SHOWNORMAL, exitCode)) {
        std::printf("the window could not be made\n");
        return 1;
    }
    pumpUntilScanEnds(app, INFINITE);
    if (!app.currentPage()) {
        std::printf("the first scan delivered nothing\n");
        return 1;
    }

    // Warm-up: more ticks than the graphs hold, so their histories are full,
    // and a few of everything else.
    selectRows(app);
    for (int i = 0; i < 200; ++i) {
        tick(app);
    }
    bool scanned = true;
    for (int i = 0; i < 3; ++i) {
        scanned = rescan(app) && scanned;
        selectRows(app);
        save(app);
        copy(app);
    }

    const ResourceCounts start = measureResources();
    LARGE_INTEGER clock{};

    QueryPerformanceCounter(&clock);
    for (int i = 0; i < kTicks; ++i) {
        tick(app);
    }
    const double tickSeconds = secondsSince(clock);
    const ResourceCounts afterTicks = measureResources();

    QueryPerformanceCounter(&clock);
    for (int i = 0; i < kRescans; ++i) {
        scanned = rescan(app) && scanned;
    }
    const double rescanSeconds = secondsSince(clock);
    const ResourceCounts afterRescans = measureResources();

    int saved = 0;
    QueryPerformanceCounter(&clock);
    for (int i = 0; i < kSaves; ++i) {
        saved += save(app) ? 1 : 0;
    }
    const double saveSeconds = secondsSince(clock);
    const ResourceCounts afterSaves = measureResources();

    // A rescan rebuilds the list, so the rows are selected again.
    selectRows(app);
    QueryPerformanceCounter(&clock);
    for (int i = 0; i < kCopies; ++i) {
        copy(app);
    }
    const double copySeconds = secondsSince(clock);
    const ResourceCounts afterCopies = measureResources();
    const std::wstring copied = readClipboardText(app.handle()).value_or(std::wstring());

    std::printf("%d ticks in %.1f s, %d rescans in %.1f s, %d of %d saves in %.2f s, %d copies in %.2f s\n", kTicks,
                tickSeconds, kRescans, rescanSeconds, saved, kSaves, saveSeconds, kCopies, copySeconds);
    std::printf("every rescan delivered a snapshot: %s; clipboard holds %zu characters (3 rows expected)\n",
                scanned ? "yes" : "NO", copied.size());
    printResources("after warm-up:", start);
    printResources("after ticks:", afterTicks);
    printResources("after rescans:", afterRescans);
    printResources("after saves:", afterSaves);
    printResources("after copies:", afterCopies);
    printGrowth("ticks:", start, afterTicks);
    printGrowth("rescans:", afterTicks, afterRescans);
    printGrowth("saves:", afterRescans, afterSaves);
    printGrowth("copies:", afterSaves, afterCopies);
    printGrowth("whole soak:", start, afterCopies);
    for (const ShownBox& box : shownBoxes) {
        std::printf("message shown: %ls\n", box.text.c_str());
    }
    return 0;
}
