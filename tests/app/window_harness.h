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

// What a leak would make grow. Windows counts GDI and USER objects and
// handles per process; Wine 8 answers 0 to those calls. Two measures work
// everywhere: the bytes in use on every heap of the process, and the lowest
// free handle slot (a leaked handle keeps its slot, so a new handle lands
// ever higher).
struct ResourceCounts {
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD handles = 0;
    uintptr_t freeHandleSlot = 0;
    unsigned long long heapBytes = 0;
    unsigned long long heapBlocks = 0;
};

inline ResourceCounts measureResources()
{
    ResourceCounts counts;
    counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    GetProcessHandleCount(GetCurrentProcess(), &counts.handles);
    const HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    counts.freeHandleSlot = reinterpret_cast<uintptr_t>(probe);
    CloseHandle(probe);
    HANDLE heaps[64] = {};
    const DWORD heapCount = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
    for (DWORD i = 0; i < heapCount; ++i) {
        if (!HeapLock(heaps[i])) {
            continue;
        }
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                counts.heapBytes += entry.cbData;
                ++counts.heapBlocks;
            }
        }
        HeapUnlock(heaps[i]);
    }
    return counts;
}

inline void printResources(const char* when, const ResourceCounts& counts)
{
    std::printf("%-16s GDI %lu, USER %lu, handles %lu, free handle slot %#llx, heap %llu bytes in %llu blocks\n",
                when, counts.gdi, counts.user, counts.handles, static_cast<unsigned long long>(counts.freeHandleSlot),
                counts.heapBytes, counts.heapBlocks);
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
