#pragma once

#include <windows.h>

#include <commdlg.h>

#include <string>

// File > Save as CSV: the page as it stands now, written safely to the file
// the user picks; the outcome goes to status part 1 or a message box.
void saveAsCsv(HWND mainWindow);
// The Save As dialog. False when nothing was chosen (a dialog failure has
// been reported to the user already; a cancel is silent).
[[nodiscard]] bool askSavePath(HWND owner, std::wstring& path);
// File > Copy Selected Rows: the selected items as tab-separated text.
void copySelectedRows(HWND mainWindow);

// The common dialog calls, which tests replace: a real Save As dialog would
// wait for a user.
struct SaveDialogCalls {
    BOOL(WINAPI* getSaveFileName)(LPOPENFILENAMEW);
    DWORD(WINAPI* commDlgExtendedError)();
};
[[nodiscard]] SaveDialogCalls& saveDialogCalls();
