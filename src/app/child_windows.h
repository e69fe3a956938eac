#pragma once

#include <windows.h>

#include "common/system_function.h"

class ReportView;
class StatusBar;

// The report's columns: Item keeps its width, Value takes the rest.
inline constexpr int kItemColumnWidth96 = 215;
inline constexpr int kValueColumnWidth96 = 560;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND window);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int index, UINT dpi);

// The DPI calls of Windows 10 1607 and later, looked up at run time: null on
// older Windows, which has only the system DPI.
struct DpiCalls {
    GetDpiForWindowFunction getDpiForWindow =
        findSystemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    GetSystemMetricsForDpiFunction getSystemMetricsForDpi =
        findSystemFunction<GetSystemMetricsForDpiFunction>(L"user32.dll", "GetSystemMetricsForDpi");
};

// The vertical scroll bar's width at `dpi`; where Windows has no
// GetSystemMetricsForDpi, only the system DPI's is known.
[[nodiscard]] int scrollBarWidth(const DpiCalls& calls, int dpi);

// Places the graph panel, the report list and the status bar in a client
// area of this size at `dpi`: one layout for create, WM_SIZE and
// WM_DPICHANGED. Does nothing unless all three exist.
void layoutChildren(HWND panel, ReportView& report, StatusBar& status, SIZE client, int dpi, int scrollBar);
