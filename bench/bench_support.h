#pragma once

#include <windows.h>

#include "app/main_window.h"

// Seconds on the performance counter since `start`.
inline double secondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Dispatches the window thread's messages until the running scan has been
// handed over (or lost), as the message loop would.
inline void pumpUntilScanEnds(MainWindow& app)
{
    MSG message{};
    while (app.scan.scanThread) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            app.dispatchMessage(message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}
