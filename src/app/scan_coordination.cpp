#include "app/scan_coordination.h"

#include <utility>

#include "app/identifiers.h"

namespace {

// Everything the scan thread gets, as its thread parameter, and owns: it
// touches nothing else of the window's.
struct ScanThreadStart {
    HWND mainWindow = nullptr;
    WPARAM cookie = 0;
    ScanFunction scan = nullptr;
    ScanResultPoster post = nullptr;
};

// The scan thread; its parameter is a ScanThreadStart made with new. It posts
// WM_SCAN_DONE with its cookie and the snapshot (null when it made none).
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
    // thread without a result (ScanCoordinator::lost).
    return 0;
}

}  // namespace

ScanCoordinator::Start ScanCoordinator::start(HWND window, DWORD& error)
{
    if (thread_) {
        return Start::AlreadyRunning;
    }
    // A value no other program will happen to post: never 0, different for
    // every scan and from one process start to the next.
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    cookie_ = (static_cast<WPARAM>(now.QuadPart) * 0x9E3779B97F4A7C15ull + ++started_) | 1u;
    auto parameter = std::make_unique<ScanThreadStart>(ScanThreadStart{window, cookie_, scan_, post_});
    thread_.reset(CreateThread(nullptr, 0, scanThreadProc, parameter.get(), 0, nullptr));
    if (!thread_) {
        error = GetLastError();
        return Start::Failed;
    }
    static_cast<void>(parameter.release());  // the thread owns it now
    return Start::Started;
}

bool ScanCoordinator::take(WPARAM cookie, LPARAM lParam, std::unique_ptr<ScanSnapshot>& result)
{
    if (!thread_ || cookie != cookie_) {
        return false;
    }
    result.reset(reinterpret_cast<ScanSnapshot*>(lParam));
    wait();
    return true;
}

bool ScanCoordinator::lost(HWND window)
{
    if (!thread_ || WaitForSingleObject(thread_.get(), 0) != WAIT_OBJECT_0) {
        return false;
    }
    MSG pending{};
    if (PeekMessageW(&pending, window, WM_SCAN_DONE, WM_SCAN_DONE, PM_NOREMOVE)) {
        return false;  // the result is on its way
    }
    wait();
    return true;
}

void ScanCoordinator::wait()
{
    if (thread_) {
        WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
}
