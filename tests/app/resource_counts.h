#pragma once

// What a leak would make grow, measured from inside the process. Shared by
// the window tests and the soak benchmark, so it needs no test framework.

#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

// Windows counts GDI and USER objects and handles per process; Wine 8
// answers 0 to those calls. Two measures work everywhere: the bytes in use
// on every heap of the process, and the lowest free handle slot (a leaked
// handle keeps its slot, so a new handle lands ever higher). The private
// bytes are the process's commit charge (PrivateUsage). Wine 8 fills only the
// older, shorter record and leaves PrivateUsage alone; there the figure is
// PagefileUsage instead, which Windows defines as the same commit charge and
// Wine reads from the process's anonymous resident memory and swap.
struct ResourceCounts {
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD handles = 0;
    uintptr_t freeHandleSlot = 0;
    unsigned long long heapBytes = 0;
    unsigned long long heapBlocks = 0;
    unsigned long long privateBytes = 0;
    bool privateBytesFromPagefileUsage = false;
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
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory))) {
        counts.privateBytesFromPagefileUsage = memory.PrivateUsage == 0;
        counts.privateBytes = counts.privateBytesFromPagefileUsage ? memory.PagefileUsage : memory.PrivateUsage;
    }
    return counts;
}

inline void printResources(const char* when, const ResourceCounts& counts)
{
    std::printf(
        "%-16s GDI %lu, USER %lu, handles %lu, free handle slot %#llx, heap %llu bytes in %llu blocks, "
        "private bytes %llu%s\n",
        when, counts.gdi, counts.user, counts.handles, static_cast<unsigned long long>(counts.freeHandleSlot),
        counts.heapBytes, counts.heapBlocks, counts.privateBytes,
        counts.privateBytesFromPagefileUsage ? " (PagefileUsage)" : "");
}
