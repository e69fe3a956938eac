#pragma once

#include <windows.h>

// The panel, the report list and the status bar, with the list prepared.
[[nodiscard]] bool createChildWindows(HWND mainWindow);
// A new UI font for the window's DPI, handed to the list and the status bar.
void createUiFont();
// Places the children; one layout for create, WM_SIZE and WM_DPICHANGED.
void layoutWindow(HWND mainWindow);
void addReportGroup(int id, const wchar_t* header);
