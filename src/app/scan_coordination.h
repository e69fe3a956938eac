#pragma once

#include <windows.h>

#include <memory>

#include "common/unique_resource.h"
#include "report/snapshot.h"

// What the scan thread runs: scanMachine, or in tests a scan held open or one
// that ends at once.
using ScanFunction = ScanSnapshot& (*)(ScanSnapshot&);
// How the scan thread hands its result over: PostMessageW, or in tests a post
// that fails.
using ScanResultPoster = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

// The window thread's side of scanning: at most one scan thread, and which
// WM_SCAN_DONE is its own.
class ScanCoordinator {
public:
    enum class Start { Started, AlreadyRunning, Failed };

    ScanCoordinator(ScanFunction scan, ScanResultPoster post) : scan_(scan), post_(post) {}
    ~ScanCoordinator() { wait(); }
    ScanCoordinator(const ScanCoordinator&) = delete;
    ScanCoordinator& operator=(const ScanCoordinator&) = delete;

    // Starts a scan whose result goes to `window`, unless one runs. Failed
    // leaves the CreateThread error in `error`.
    [[nodiscard]] Start start(HWND window, DWORD& error);
    [[nodiscard]] bool running() const { return static_cast<bool>(thread_); }
    // WM_SCAN_DONE: true when the message is the running scan's own; then the
    // thread has ended and `result` owns its snapshot (null when it made
    // none). Anything else is ignored and its lParam left alone.
    [[nodiscard]] bool take(WPARAM cookie, LPARAM lParam, std::unique_ptr<ScanSnapshot>& result);
    // True when the scan thread ended without its result on the way to
    // `window` (the post failed); the thread is then forgotten.
    [[nodiscard]] bool lost(HWND window);
    // Waits for a running scan thread and forgets it.
    void wait();

private:
    ScanFunction scan_;
    ScanResultPoster post_;
    UniqueHandle thread_;
    // Handed to the running scan's thread, which sends it back as the wParam
    // of its WM_SCAN_DONE: a WM_APP + 1 that another program posts or
    // broadcasts carries no pointer of ours and must not be freed.
    WPARAM cookie_ = 0;
    // Scans started here; part of every cookie.
    WPARAM started_ = 0;
};
