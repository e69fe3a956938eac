#pragma once

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/app_state.h"
#include "app/main_window.h"
#include "app/resource_counts.h"
#include "report/snapshot.h"

// Dispatches the thread's messages the way the program's loop does until the
// condition holds or the time runs out. True when the condition held.
inline bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 20000)
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
            dispatchWindowMessage(message);
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

// Ends what startKorvane made and drops whatever the destroyed window posted
// (WM_QUIT and maybe more), so that none of it reaches the next test.
inline void finishKorvaneAndDrain()
{
    finishKorvane();
    MSG leftover{};
    while (PeekMessageW(&leftover, nullptr, 0, 0, PM_REMOVE)) {
    }
}

inline std::wstring statusPart(int part)
{
    const HWND bar = shell().statusBar;
    const auto length = LOWORD(SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(part), 0));
    std::wstring text(length + 1, L'\0');
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return text;
}

inline std::wstring listText(int index, int subItem)
{
    std::wstring text(1024, L'\0');
    LVITEMW item{};
    item.iSubItem = subItem;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = SendMessageW(shell().reportList, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                                     reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<size_t>(length));
    return text;
}

inline std::vector<std::pair<std::wstring, std::wstring>> listRows()
{
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    const auto count = static_cast<int>(SendMessageW(shell().reportList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        rows.emplace_back(listText(i, 0), listText(i, 1));
    }
    return rows;
}

inline bool refreshEnabled()
{
    const UINT state = GetMenuState(GetMenu(shell().mainWindow), IDM_REFRESH, MF_BYCOMMAND);
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
