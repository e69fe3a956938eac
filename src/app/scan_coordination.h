#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/unique_resource.h"
#include "report/snapshot.h"

// The window thread's side of scanning: at most one scan thread, and the
// snapshot the report is built from.
struct ScanState {
    UniqueHandle scanThread;
    // Handed to the running scan's thread, which sends it back as the wParam
    // of its WM_SCAN_DONE: a WM_APP + 1 that another program posts or
    // broadcasts carries no pointer of ours and must not be freed.
    WPARAM scanCookie = 0;
    bool closePending = false;
    std::unique_ptr<ScanSnapshot> currentSnapshot;
    std::wstring scanTakenAt;
};

[[nodiscard]] ScanState& scanState();

// Starts a scan on its own thread unless one runs.
void startScan(HWND mainWindow);
DWORD WINAPI scanThreadProc(LPVOID parameter);
// WM_SCAN_DONE: the result of the running scan, if the message is its own
// (otherwise it is ignored and lParam is left alone).
void onScanDone(HWND mainWindow, WPARAM wParam, LPARAM lParam);
// Takes ownership of the snapshot (null when the scan made none).
void installScanResult(HWND mainWindow, ScanSnapshot* snapshot);
// Waits for a running scan thread and forgets it.
void waitForScanThread();

// What the scan thread runs; tests replace it to hold a scan open.
using ScanFunction = ScanSnapshot& (*)(ScanSnapshot&);
[[nodiscard]] ScanFunction& scanFunction();

// How the scan thread hands its result over; tests replace it to make the post fail.
using ScanResultPoster = BOOL(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
[[nodiscard]] ScanResultPoster& scanResultPoster();

// A scan thread that ended without its result reaching the window (the post
// failed) is handled like a scan that produced none. True when it did that.
bool checkForLostScan(HWND mainWindow);
