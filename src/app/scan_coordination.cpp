#include "app/scan_coordination.h"

#include <new>
#include <utility>

#include "app/app_state.h"
#include "load/local_time.h"
#include "app/main_window.h"
#include "app/report_view.h"
#include "load/load_sampler.h"
#include "scan/scan_machine.h"
#include "common/windows_failure.h"

ScanState& scanState()
{
    static ScanState state;
    return state;
}

namespace {

// A value no other program will happen to post: never 0, different for every
// scan of this process and from one process start to the next.
WPARAM nextScanCookie()
{
    static WPARAM count = 0;
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return (static_cast<WPARAM>(now.QuadPart) * 0x9E3779B97F4A7C15ull + ++count) | 1u;
}

}  // namespace

void startScan(HWND mainWindow)
{
    ScanState& scan = scanState();
    if (scan.scanThread) {
        return;
    }
    scan.scanCookie = nextScanCookie();
    scan.scanThread.reset(
        CreateThread(nullptr, 0, scanThreadProc, reinterpret_cast<LPVOID>(scan.scanCookie), 0, nullptr));
    if (!scan.scanThread) {
        const DWORD error = GetLastError();
        setStatusText(1, L"The scan could not be started: " + windowsErrorMessage(error));
        return;
    }
    setStatusText(1, L"Scanning...");
    updateMenuState(mainWindow);
}

DWORD WINAPI scanThreadProc(LPVOID parameter)
{
    std::unique_ptr<ScanSnapshot> snapshot;
    try {
        snapshot = std::make_unique<ScanSnapshot>();
        scanFunction()(*snapshot);
    } catch (...) {
        // Out of memory, or anything else a scan did not turn into a reading:
        // the window learns that no snapshot came.
        snapshot.reset();
    }
    const auto cookie = reinterpret_cast<WPARAM>(parameter);
    if (scanResultPoster()(shell().mainWindow, WM_SCAN_DONE, cookie, reinterpret_cast<LPARAM>(snapshot.get()))) {
        static_cast<void>(snapshot.release());  // the window thread owns it now
    }
    // A failed post frees the snapshot here; the window notices the ended
    // thread without a result (checkForLostScan).
    return 0;
}

ScanFunction& scanFunction()
{
    static ScanFunction function = scanMachine;
    return function;
}

ScanResultPoster& scanResultPoster()
{
    static ScanResultPoster poster = PostMessageW;
    return poster;
}

bool checkForLostScan(HWND mainWindow)
{
    const ScanState& scan = scanState();
    if (!scan.scanThread || WaitForSingleObject(scan.scanThread.get(), 0) != WAIT_OBJECT_0) {
        return false;
    }
    MSG pending{};
    if (PeekMessageW(&pending, mainWindow, WM_SCAN_DONE, WM_SCAN_DONE, PM_NOREMOVE)) {
        return false;  // the result is on its way
    }
    installScanResult(mainWindow, nullptr);
    return true;
}

void onScanDone(HWND mainWindow, WPARAM wParam, LPARAM lParam)
{
    const ScanState& scan = scanState();
    if (!scan.scanThread || wParam != scan.scanCookie) {
        return;
    }
    installScanResult(mainWindow, reinterpret_cast<ScanSnapshot*>(lParam));
}

void installScanResult(HWND mainWindow, ScanSnapshot* result)
{
    std::unique_ptr<ScanSnapshot> snapshot(result);
    ScanState& scan = scanState();
    waitForScanThread();

    if (scan.closePending) {
        snapshot.reset();
        DestroyWindow(mainWindow);
        return;
    }

    if (!snapshot) {
        setStatusText(1, L"The scan could not be completed.");
        if (!scan.currentSnapshot) {
            setStatusText(0, L"Nothing has been read from this machine yet.");
        }
    } else {
        scan.currentSnapshot = std::move(snapshot);
        scan.scanTakenAt = localTimestampText();
        const LiveState& live = liveState();
        fillReportView(buildReportPage(*scan.currentSnapshot, live.liveMemory, live.liveLoad, scan.scanTakenAt,
                                       live.liveTakenAt));
        updateLiveRows();
        showCompleteness();
        setStatusText(1, L"Scanned at " + scan.scanTakenAt);
    }
    updateMenuState(mainWindow);
}

void waitForScanThread()
{
    ScanState& scan = scanState();
    if (scan.scanThread) {
        WaitForSingleObject(scan.scanThread.get(), INFINITE);
        scan.scanThread.reset();
    }
}
