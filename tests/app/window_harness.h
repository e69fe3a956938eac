#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "app/resource_counts.h"
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

// Drops whatever a destroyed window posted (WM_QUIT and maybe more), so that
// none of it reaches the next test.
inline void drainMessages()
{
    MSG leftover{};
    while (PeekMessageW(&leftover, nullptr, 0, 0, PM_REMOVE)) {
    }
}

// ExitWindowsEx must never run from a test: a window made here without fake
// power calls ends up here instead.
inline BOOL WINAPI exitWindowsGuard(UINT flags, DWORD)
{
    ADD_FAILURE() << "the real ExitWindowsEx was about to be called (flags " << flags << ")";
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
}

// A test with a real main window, made with the calls the test chooses and
// ended (window, scan thread, classes) after it.
class WindowTest : public ::testing::Test {
protected:
    void TearDown() override { endWindow(); }

    // Makes the main window object without starting it.
    MainWindow& makeWindow(MainWindowCalls calls)
    {
        if (calls.power.exitWindows == windowsPowerCalls().exitWindows) {
            calls.power.exitWindows = exitWindowsGuard;
        }
        app_ = std::make_unique<MainWindow>(std::move(calls));
        return *app_;
    }
    // Makes and starts the main window, as wWinMain does.
    void startWindow(MainWindowCalls calls)
    {
        makeWindow(std::move(calls));
        int exitCode = -1;
        ASSERT_TRUE(app_->start(GetModuleHandleW(nullptr), SW_SHOWNORMAL, exitCode));
        ASSERT_EQ(exitCode, 0);
        ASSERT_NE(app_->handle(), nullptr);
    }
    void endWindow()
    {
        app_.reset();
        drainMessages();
    }
    MainWindow& app() { return *app_; }
    bool scanIdle() const { return !app_->scan.scanThread; }

    std::unique_ptr<MainWindow> app_;
};

inline std::wstring statusPart(const MainWindow& app, int part)
{
    const HWND bar = app.shell.statusBar;
    const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    std::wstring text(length + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

inline std::wstring listText(const MainWindow& app, int index, int subItem)
{
    std::wstring text(1024, L'\0');
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = SendMessageW(app.shell.reportList, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<size_t>(length));
    return text;
}

inline std::vector<std::pair<std::wstring, std::wstring>> listRows(const MainWindow& app)
{
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    const auto count = static_cast<int>(SendMessageW(app.shell.reportList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        rows.emplace_back(listText(app, i, 0), listText(app, i, 1));
    }
    return rows;
}

inline bool refreshEnabled(const MainWindow& app)
{
    const UINT state = GetMenuState(GetMenu(app.handle()), IDM_REFRESH, MF_BYCOMMAND);
    return (state & (MF_GRAYED | MF_DISABLED)) == 0;
}

// Object and handle counts may not grow; the heap is checked by the caller,
// who knows what it may hold.
inline void expectNoMoreResources(const ResourceCounts& before, const ResourceCounts& after)
{
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
    EXPECT_LE(after.handles, before.handles);
    EXPECT_LE(after.freeHandleSlot, before.freeHandleSlot) << "a handle was left open";
}
