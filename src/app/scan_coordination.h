#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/unique_resource.h"
#include "report/snapshot.h"

class MainWindow;

// What the scan thread runs: scanMachine, or in tests a scan held open or one
// that ends at once.
using ScanFunction = ScanSnapshot& (*)(ScanSnapshot&);
// How the scan thread hands its result over: PostMessageW, or in tests a post
// that fails.
using ScanResultPoster = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);

// The window thread's side of scanning: at most one scan thread, and the
// snapshot the report is built from.
struct ScanState {
    UniqueHandle scanThread;
    // Handed to the running scan's thread, which sends it back as the wParam
    // of its WM_SCAN_DONE: a WM_APP + 1 that another program posts or
    // broadcasts carries no pointer of ours and must not be freed.
    WPARAM scanCookie = 0;
    // Scans started by this window; part of every cookie.
    WPARAM scansStarted = 0;
    bool closePending = false;
    std::unique_ptr<ScanSnapshot> currentSnapshot;
    std::wstring scanTakenAt;
};

// Everything the scan thread gets, as its thread parameter, and owns: it
// touches nothing else of the window's.
struct ScanThreadStart {
    HWND mainWindow = nullptr;
    WPARAM cookie = 0;
    ScanFunction scan = nullptr;
    ScanResultPoster post = nullptr;
};

// Starts a scan on its own thread unless one runs.
void startScan(MainWindow& app);
// The scan thread; its parameter is a ScanThreadStart made with new.
DWORD WINAPI scanThreadProc(LPVOID parameter);
// WM_SCAN_DONE: the result of the running scan, if the message is its own
// (otherwise it is ignored and lParam is left alone).
void onScanDone(MainWindow& app, WPARAM wParam, LPARAM lParam);
// Takes ownership of the snapshot (null when the scan made none).
void installScanResult(MainWindow& app, ScanSnapshot* snapshot);
// Waits for a running scan thread and forgets it.
void waitForScanThread(ScanState& scan);

// A scan thread that ended without its result reaching the window (the post
// failed) is handled like a scan that produced none. True when it did that.
bool checkForLostScan(MainWindow& app);
