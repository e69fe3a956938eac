#pragma once

#include <windows.h>

#include "common/system_function.h"

class MainWindow;

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

// The panel, the report list and the status bar, with the list prepared.
[[nodiscard]] bool createChildWindows(MainWindow& app);
// A new UI font for the window's DPI, handed to the panel, the list and the
// status bar.
void createUiFont(MainWindow& app);
// Places the children; one layout for create, WM_SIZE and WM_DPICHANGED.
void layoutWindow(MainWindow& app);
// The same for a client area of this size.
void layoutChildren(MainWindow& app, int width, int height);
// Appends one group; LVM_INSERTGROUP's answer, the group's index or -1.
LRESULT addReportGroup(HWND list, int id, const wchar_t* header);
