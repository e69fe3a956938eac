#pragma once

#include <windows.h>

#include "app/main_window.h"
#include "common/com_apartment.h"
#include "common/system_function.h"

// The calls of the program's whole run that tests replace: where DLLs come
// from, the COM apartment and the main window's own. The real ones by default.
struct ProgramCalls {
    SystemLibraryCalls library;
    ComCalls com;
    MainWindowCalls window;
};

// Korvane from start to end, as wWinMain runs it; returns the exit code.
[[nodiscard]] int runProgram(HINSTANCE instance, int showCommand, const ProgramCalls& calls = ProgramCalls{});
