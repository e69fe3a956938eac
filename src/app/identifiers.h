#pragma once

#include <windows.h>

#include "app/resource.h"

// Identifiers shared by the window, its menu and its children (the icon's
// is in app/resource.h, which the resource compiler reads too).
inline constexpr int IDC_REPORT_LIST = 1100;
inline constexpr UINT_PTR IDT_SAMPLE = 1;
inline constexpr UINT WM_SCAN_DONE = WM_APP + 1;

inline constexpr WORD IDM_REFRESH = 1001;
inline constexpr WORD IDM_COPY_ROWS = 1002;
inline constexpr WORD IDM_SAVE_CSV = 1003;
inline constexpr WORD IDM_EXIT = 1004;
inline constexpr WORD IDM_ALWAYS_ON_TOP = 1005;
inline constexpr WORD IDM_LOG_OFF = 1006;
inline constexpr WORD IDM_RESTART = 1007;
inline constexpr WORD IDM_SHUT_DOWN = 1008;
inline constexpr WORD IDM_WEB_PAGE = 1009;

// The main window's class (the panel's is load/graph_panel.h's).
inline constexpr wchar_t kMainClass[] = L"KORVANE_MAIN";
