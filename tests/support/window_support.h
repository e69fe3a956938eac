#pragma once

// What the window tests and the benchmarks share to drive a real main window:
// the message pump, scans that end when the test wants, recorded message
// boxes and the texts the controls show. No test framework here, so the
// benchmarks can use it too.

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "load/load_derivation.h"
#include "report/snapshot.h"

// Dispatches the thread's messages the way the program's loop does until the
// condition holds or the time runs out. True when the condition held.
inline bool pumpUntil(MainWindow& app, const std::function<bool()>& done, DWORD timeoutMs = 20000)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() > deadline) {
            return false;
        }
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // Keep it for the caller's own loop.
                PostQuitMessage(static_cast<int>(message.wParam));
                return done();
            }
            app.dispatchMessage(message);
        }
        if (!done()) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    return true;
}

// Until the running scan has been handed over (or lost).
inline bool pumpUntilScanEnds(MainWindow& app, DWORD timeoutMs = 20000)
{
    return pumpUntil(
        app, [&app] { return !app.scanRunning(); }, timeoutMs);
}

// Lets whatever is queued run for a moment.
inline void pumpFor(MainWindow& app, DWORD milliseconds)
{
    pumpUntil(
        app, [] { return false; }, milliseconds);
}

// The computer name of the snapshot instantScan hands over.
inline constexpr wchar_t kInstantScanName[] = L"INSTANT-SCAN";

// A scan that ends at once with a snapshot a test can recognise, read as
// complete (so the completeness sentence does not depend on this machine).
inline ScanSnapshot& instantScan(ScanSnapshot& snapshot)
{
    snapshot = ScanSnapshot{};
    snapshot.computerName = readingOk(kInstantScanName);
    snapshot.tally.firmwareTableRead = true;
    snapshot.tally.displayListComplete = true;
    return snapshot;
}

// A scan that waits until the gate opens, so that the test decides when a
// scan ends; scansStarted counts the scans that began.
inline HANDLE scanGate = nullptr;
inline std::atomic<int> scansStarted{0};

inline ScanSnapshot& gatedScan(ScanSnapshot& snapshot)
{
    ++scansStarted;
    WaitForSingleObject(scanGate, 30000);
    return instantScan(snapshot);
}

// Processor times that advance by the same amounts at every reading, so that
// every tick measures a load (half the processor busy) however fast it comes.
inline ProcessorTimes steadyProcessorTimes()
{
    static uint64_t readings = 0;
    ++readings;
    ProcessorTimes times;
    times.read = true;
    times.idle = readings * 1000;
    times.kernel = readings * 2000;  // kernel time includes the idle time
    times.user = readings * 1000;
    return times;
}

// A message box the test answers: every box is recorded, a Yes/No box is
// answered with boxAnswer, any other with OK.
struct ShownBox {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT flags;
};
inline std::vector<ShownBox> shownBoxes;
inline int boxAnswer = IDYES;

inline int WINAPI recordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags)
{
    shownBoxes.push_back({owner, text, caption, flags});
    return (flags & MB_YESNO) != 0 ? boxAnswer : IDOK;
}

// The main window's children, found as any program could find them.
inline HWND reportList(const MainWindow& app)
{
    return GetDlgItem(app.handle(), IDC_REPORT_LIST);
}
inline HWND statusBar(const MainWindow& app)
{
    return FindWindowExW(app.handle(), nullptr, STATUSCLASSNAMEW, nullptr);
}
inline HWND graphPanel(const MainWindow& app)
{
    return FindWindowExW(app.handle(), nullptr, kPanelClass, nullptr);
}

inline std::wstring statusPart(const MainWindow& app, int part)
{
    const HWND bar = statusBar(app);
    const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    std::wstring text(length + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

inline std::wstring listText(HWND list, int index, int subItem)
{
    std::wstring text(1024, L'\0');
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length =
        SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<size_t>(length));
    return text;
}

// The item and value texts of every row of a list view.
inline std::vector<std::pair<std::wstring, std::wstring>> listRows(HWND list)
{
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    const auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    rows.reserve(static_cast<size_t>(count > 0 ? count : 0));
    for (int i = 0; i < count; ++i) {
        rows.emplace_back(listText(list, i, 0), listText(list, i, 1));
    }
    return rows;
}
inline std::vector<std::pair<std::wstring, std::wstring>> listRows(const MainWindow& app)
{
    return listRows(reportList(app));
}

inline void selectRow(HWND list, int index, bool selected)
{
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

inline bool refreshEnabled(const MainWindow& app)
{
    const UINT state = GetMenuState(GetMenu(app.handle()), IDM_REFRESH, MF_BYCOMMAND);
    return (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

inline LRESULT command(const MainWindow& app, WORD id)
{
    return SendMessageW(app.handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// One timer tick, with the panel painted at once through its off-screen bitmap.
inline void tick(const MainWindow& app)
{
    SendMessageW(app.handle(), WM_TIMER, IDT_SAMPLE, 0);
    UpdateWindow(graphPanel(app));
}
