#pragma once

#include <windows.h>

#include <string>

// The function that puts a message box on the screen: MessageBoxW, or in
// tests one that reads the text and answers, since a real modal box would
// wait for a user.
using MessageBoxFunction = decltype(&MessageBoxW);

// Every message Korvane shows goes through here, with the caption "Korvane".
// Returns what the box returned (IDOK, IDYES, IDNO, ...).
int showMessage(MessageBoxFunction messageBox, HWND owner, const std::wstring& text, UINT flags);
