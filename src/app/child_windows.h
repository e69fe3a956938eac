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
// shcore's MONITOR_DPI_TYPE, whose declaration the SDKs keep for Windows 8.1
// and later builds; the DPI Windows scales the monitor's contents by.
inline constexpr int kMonitorEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR monitor, int type, UINT* dpiX, UINT* dpiY);

// shcore.dll's GetDpiForMonitor (Windows 8.1 and later), the DLL loaded from
// the system folder on first use and kept; E_NOTIMPL where it is missing.
HRESULT WINAPI dpiForMonitor(HMONITOR monitor, int type, UINT* dpiX, UINT* dpiY);

// The calls that tell the window's DPI and the monitor it is on. The two of
// user32 exist from Windows 10 1607 and are looked up at run time (null
// before); Windows 8.1 and the first Windows 10 releases tell a monitor's
// DPI only through shcore.dll.
struct DpiCalls {
    GetDpiForWindowFunction getDpiForWindow =
        findSystemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    GetSystemMetricsForDpiFunction getSystemMetricsForDpi =
        findSystemFunction<GetSystemMetricsForDpiFunction>(L"user32.dll", "GetSystemMetricsForDpi");
    GetDpiForMonitorFunction getDpiForMonitor = dpiForMonitor;
    decltype(&MonitorFromWindow) monitorFromWindow = MonitorFromWindow;
    decltype(&GetMonitorInfoW) getMonitorInfo = GetMonitorInfoW;
};

// The vertical scroll bar's width at `dpi`; where Windows has no
// GetSystemMetricsForDpi, only the system DPI's is known.
[[nodiscard]] int scrollBarWidth(const DpiCalls& calls, int dpi);

// Places the graph panel, the report list and the status bar in a client
// area of this size at `dpi`: one layout for create, WM_SIZE and
// WM_DPICHANGED. Does nothing unless all three exist.
void layoutChildren(HWND panel, ReportView& report, StatusBar& status, SIZE client, int dpi, int scrollBar);
