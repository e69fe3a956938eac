#pragma once

// The GoogleTest side of the window tests: a fixture with a real main window
// and the scan gate, and the leak check. Helpers that assert are called with
// ASSERT_NO_FATAL_FAILURE, so a failed set-up ends its test there.

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "app/main_window.h"
#include "app/resource_counts.h"
#include "support/window_support.h"

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
// ended (window, scan thread, classes) after it. The scan gate is closed at
// the start of every test and opened before the window ends.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        scanGate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        scansStarted = 0;
        shownBoxes.clear();
        boxAnswer = IDYES;
    }
    void TearDown() override
    {
        SetEvent(scanGate);
        endWindow();
        CloseHandle(scanGate);
        scanGate = nullptr;
    }

    // Makes the main window object without starting it. Message boxes are
    // recorded unless the calls say otherwise.
    MainWindow& makeWindow(MainWindowCalls calls)
    {
        if (calls.power.exitWindows == windowsPowerCalls().exitWindows) {
            calls.power.exitWindows = exitWindowsGuard;
        }
        if (calls.messageBox == MessageBoxW) {
            calls.messageBox = recordMessageBox;
        }
        app_ = std::make_unique<MainWindow>(calls);
        return *app_;
    }
    // Makes and starts the main window, as wWinMain does.
    void startWindow(MainWindowCalls calls)
    {
        makeWindow(calls);
        int exitCode = -1;
        ASSERT_TRUE(app_->start(GetModuleHandleW(nullptr), SW_SHOWNORMAL, exitCode));
        ASSERT_EQ(exitCode, 0);
        ASSERT_NE(app_->handle(), nullptr);
    }
    // The same with `scan`, and with its first result installed unless the
    // scan is the gated one.
    void startWindow(ScanFunction scan, MainWindowCalls calls = MainWindowCalls{})
    {
        calls.scan = scan;
        ASSERT_NO_FATAL_FAILURE(startWindow(calls));
        if (scan != gatedScan) {
            ASSERT_TRUE(pumpUntilScanEnds(*app_)) << "the first scan did not finish";
        }
    }
    void endWindow()
    {
        app_.reset();
        drainMessages();
    }
    MainWindow& app() { return *app_; }
    HWND window() { return app_->handle(); }
    LRESULT command(WORD id) { return ::command(*app_, id); }

    std::unique_ptr<MainWindow> app_;
};

// Object and handle counts may not grow; the heap is checked by the caller,
// who knows what it may hold.
inline void expectNoMoreResources(const ResourceCounts& before, const ResourceCounts& after)
{
    EXPECT_LE(after.gdi, before.gdi);
    EXPECT_LE(after.user, before.user);
    EXPECT_LE(after.handles, before.handles);
    EXPECT_LE(after.freeHandleSlot, before.freeHandleSlot) << "a handle was left open";
}
