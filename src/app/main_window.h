#pragma once

#include <windows.h>

#include <string_view>

// The product's web page; a release puts the real host here.
inline constexpr wchar_t kWebPageAddress[] = L"https://korvane.example/SOFTWARE/Korvane.html";

// Start-up up to the message loop: classes, menu, window, first samples,
// first scan and the timer. False with the exit code when the window could
// not be made (the user has been told). wWinMain and the window tests share it.
[[nodiscard]] bool startKorvane(HINSTANCE instance, int showCommand, int& exitCode);
// The message loop; returns the exit code carried by WM_QUIT.
[[nodiscard]] int runMessageLoop();
// What the loop does with one message: the accelerators first, for every
// window of the thread, then the usual translation and dispatch.
void dispatchWindowMessage(MSG& message);
// Releases what start-up made and returns the window thread's state to its
// initial values (so tests can start again in the same process).
void finishKorvane();

// The call Help > "Korvane on the Web" opens the page with. Tests replace it
// to answer with a result of their choosing, since the real one would start
// a browser.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
[[nodiscard]] ShellExecuteFunction& shellExecuteFunction();

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Greys Refresh while a scan runs and checks Always on Top.
void updateMenuState(HWND mainWindow);
