// Soak run: one process keeps a real main window busy for a long session
// (10 000 timer ticks with their repaint, 100 rescans of this machine, 100
// saves of the report as CSV, 100 copies of rows to the clipboard) and prints
// what a leak would make grow before and after each stretch. Every figure is
// taken after a warm-up round, so caches that fill once are not counted.
// Nothing here passes or fails; growth is read from the output.
// Run it under the same conditions as the program (an X display under wine):
//   tools/wine-run --prefix build/mingw-cross/wineprefix build/mingw-cross/korvane_soak.exe
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/report_view.h"
#include "app/resource_counts.h"
#include "export/csv_report.h"
#include "export/safe_file_replace.h"
#include "load/load_sampler.h"
#include "support/clipboard_text.h"

#include "bench_support.h"

namespace {

constexpr int kTicks = 10000;
constexpr int kRescans = 100;
constexpr int kSaves = 100;
constexpr int kCopies = 100;

// Any message box would wait for a user; every one here is a failure worth
// seeing in the output instead.
std::vector<std::wstring> shownMessages;

int WINAPI recordMessage(HWND, LPCWSTR text, LPCWSTR, UINT)
{
    shownMessages.emplace_back(text);
    return IDOK;
}

// WM_TIMER with the sample timer's id runs the whole tick; the panel then
// paints through its off-screen bitmap at once.
void tick(MainWindow& app)
{
    SendMessageW(app.handle(), WM_TIMER, IDT_SAMPLE, 0);
    UpdateWindow(app.shell.panelWindow);
}

bool rescan(MainWindow& app)
{
    SendMessageW(app.handle(), WM_COMMAND, MAKEWPARAM(IDM_REFRESH, 0), 0);
    pumpUntilScanEnds(app);
    return app.scan.currentSnapshot != nullptr;
}

// What Save as CSV does once the user has chosen the file: the page and its
// bytes as they stand now, then the safe replacement.
bool save(MainWindow& app, const std::wstring& target)
{
    const ScanState& scan = app.scan;
    const LiveState& live = app.live;
    const std::string bytes = buildCsvReport(
        buildReportPage(*scan.currentSnapshot, live.liveMemory, live.liveLoad, scan.scanTakenAt, live.liveTakenAt));
    std::wstring error;
    if (!replaceFileSafely(target, bytes, error)) {
        std::printf("saving failed: %ls\n", error.c_str());
        return false;
    }
    setStatusText(app, 1, L"Saved " + target);
    return true;
}

void copy(MainWindow& app)
{
    SendMessageW(app.handle(), WM_COMMAND, MAKEWPARAM(IDM_COPY_ROWS, 0), 0);
}

void selectRows(MainWindow& app, std::initializer_list<int> rows)
{
    for (const int row : rows) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageW(app.shell.reportList, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
}

std::wstring clipboardText(MainWindow& app)
{
    return readClipboardText(app.handle()).value_or(std::wstring());
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
    MainWindowCalls calls;
    calls.messageBox = recordMessage;
    MainWindow app(calls);
    int exitCode = 0;
    if (!app.start(GetModuleHandleW(nullptr), SW_SHOWNORMAL, exitCode)) {
        std::printf("the window could not be made\n");
        return 1;
    }
    pumpUntilScanEnds(app);
    if (!app.scan.currentSnapshot) {
        std::printf("the first scan delivered nothing\n");
        return 1;
    }

    wchar_t temp[MAX_PATH + 1]{};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring folder = std::wstring(temp) + L"korvane-soak-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring target = folder + L"\\Korvane.csv";

    // Warm-up: more ticks than the graphs hold, so their histories are full,
    // and a few of everything else.
    selectRows(app, {2, 5, 7});
    for (int i = 0; i < 200; ++i) {
        tick(app);
    }
    bool scanned = true;
    for (int i = 0; i < 3; ++i) {
        scanned = rescan(app) && scanned;
        selectRows(app, {2, 5, 7});
        save(app, target);
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
        saved += save(app, target) ? 1 : 0;
    }
    const double saveSeconds = secondsSince(clock);
    const ResourceCounts afterSaves = measureResources();

    // A rescan rebuilds the list, so the rows are selected again.
    selectRows(app, {2, 5, 7});
    QueryPerformanceCounter(&clock);
    for (int i = 0; i < kCopies; ++i) {
        copy(app);
    }
    const double copySeconds = secondsSince(clock);
    const ResourceCounts afterCopies = measureResources();
    const std::wstring copied = clipboardText(app);

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
    for (const std::wstring& message : shownMessages) {
        std::printf("message shown: %ls\n", message.c_str());
    }

    DeleteFileW(target.c_str());
    RemoveDirectoryW(folder.c_str());
    return 0;
}
