#pragma once

#include <windows.h>

#include <string>

// Every message Korvane shows goes through here, with the caption "Korvane".
// Returns what the box returned (IDOK, IDYES, IDNO, ...).
int showMessage(HWND owner, const std::wstring& text, UINT flags);

// The function that puts the box on the screen. Tests replace it to read the
// text and answer, since a real modal box would wait for a user.
using MessageBoxFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
[[nodiscard]] MessageBoxFunction& messageBoxFunction();
