#include "app/scan_coordination.h"

#include <new>
#include <utility>

#include "app/main_window.h"
#include "app/report_view.h"
#include "common/windows_failure.h"
#include "load/local_time.h"

namespace {

// A value no other program will happen to post: never 0, different for every
// scan of this window and from one process start to the next.
WPARAM nextScanCookie(ScanState& scan)
{
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return (static_cast<WPARAM>(now.QuadPart) * 0x9E3779B97F4A7C15ull + ++scan.scansStarted) | 1u;
}

}  // namespace

void startScan(MainWindow& app)
{
    ScanState& scan = app.scan;
    if (scan.scanThread) {
        return;
    }
    scan.scanCookie = nextScanCookie(scan);
    auto start = std::make_unique<ScanThreadStart>(
        ScanThreadStart{app.shell.mainWindow, scan.scanCookie, app.calls.scan, app.calls.postScanResult});
    scan.scanThread.reset(CreateThread(nullptr, 0, scanThreadProc, start.get(), 0, nullptr));
    if (!scan.scanThread) {
        const DWORD error = GetLastError();
        setStatusText(app, 1, L"The scan could not be started: " + windowsErrorMessage(error));
        return;
    }
    static_cast<void>(start.release());  // the thread owns it now
    setStatusText(app, 1, L"Scanning...");
    app.updateMenuState();
}

DWORD WINAPI scanThreadProc(LPVOID parameter)
{
    const std::unique_ptr<ScanThreadStart> start(static_cast<ScanThreadStart*>(parameter));
    std::unique_ptr<ScanSnapshot> snapshot;
    try {
        snapshot = std::make_unique<ScanSnapshot>();
        start->scan(*snapshot);
    } catch (...) {
        // Out of memory, or anything else a scan did not turn into a reading:
        // the window learns that no snapshot came.
        snapshot.reset();
    }
    if (start->post(start->mainWindow, WM_SCAN_DONE, start->cookie, reinterpret_cast<LPARAM>(snapshot.get()))) {
        static_cast<void>(snapshot.release());  // the window thread owns it now
    }
    // A failed post frees the snapshot here; the window notices the ended
    // thread without a result (checkForLostScan).
    return 0;
}

bool checkForLostScan(MainWindow& app)
{
    const ScanState& scan = app.scan;
    if (!scan.scanThread || WaitForSingleObject(scan.scanThread.get(), 0) != WAIT_OBJECT_0) {
        return false;
    }
    MSG pending{};
    if (PeekMessageW(&pending, app.shell.mainWindow, WM_SCAN_DONE, WM_SCAN_DONE, PM_NOREMOVE)) {
        return false;  // the result is on its way
    }
    installScanResult(app, nullptr);
    return true;
}

void onScanDone(MainWindow& app, WPARAM wParam, LPARAM lParam)
{
    const ScanState& scan = app.scan;
    if (!scan.scanThread || wParam != scan.scanCookie) {
        return;
    }
    installScanResult(app, reinterpret_cast<ScanSnapshot*>(lParam));
}

void installScanResult(MainWindow& app, ScanSnapshot* result)
{
    std::unique_ptr<ScanSnapshot> snapshot(result);
    ScanState& scan = app.scan;
    waitForScanThread(scan);

    if (scan.closePending) {
        snapshot.reset();
        DestroyWindow(app.shell.mainWindow);
        return;
    }

    if (!snapshot) {
        setStatusText(app, 1, L"The scan could not be completed.");
        if (!scan.currentSnapshot) {
            setStatusText(app, 0, L"Nothing has been read from this machine yet.");
        }
    } else {
        scan.currentSnapshot = std::move(snapshot);
        scan.scanTakenAt = localTimestampText();
        const LiveState& live = app.live;
        fillReportView(app, buildReportPage(*scan.currentSnapshot, live.liveMemory, live.liveLoad, scan.scanTakenAt,
                                            live.liveTakenAt));
        updateLiveRows(app);
        showCompleteness(app);
        setStatusText(app, 1, L"Scanned at " + scan.scanTakenAt);
    }
    app.updateMenuState();
}

void waitForScanThread(ScanState& scan)
{
    if (scan.scanThread) {
        WaitForSingleObject(scan.scanThread.get(), INFINITE);
        scan.scanThread.reset();
    }
}
