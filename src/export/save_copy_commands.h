#pragma once

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/message_box.h"
#include "report/snapshot.h"

// The common dialog calls; tests pass others, since a real Save As dialog
// would wait for a user.
struct SaveDialogCalls {
    BOOL(WINAPI* getSaveFileName)(LPOPENFILENAMEW) = GetSaveFileNameW;
    DWORD(WINAPI* commDlgExtendedError)() = CommDlgExtendedError;
};

// The clipboard call that can meet another program holding the clipboard,
// and the wait before trying again; tests pass others.
struct ClipboardCalls {
    decltype(&OpenClipboard) openClipboard = OpenClipboard;
    decltype(&Sleep) sleep = Sleep;
};

// Where a command runs: the window that owns its boxes and the clipboard, how
// boxes are shown and how status part 1 is set.
struct CommandSite {
    HWND owner = nullptr;
    MessageBoxFunction messageBox = MessageBoxW;
    std::function<void(const std::wstring&)> setStatus;
};

// File > Save as CSV: the page as it stood when the command was chosen (null
// while nothing has been read), written safely to the file the user picks;
// the outcome goes to status part 1 or a message box.
void saveAsCsv(const CommandSite& site, const SaveDialogCalls& dialog, const ReportPage* page);
// The Save As dialog. False when nothing was chosen (a dialog failure has
// been reported to the user already; a cancel is silent).
[[nodiscard]] bool askSavePath(const CommandSite& site, const SaveDialogCalls& calls, std::wstring& path);
// File > Copy Selected Rows: the items selected in `list`, with the texts it
// shows, as tab-separated text.
void copySelectedRows(const CommandSite& site, HWND list,
                      const std::vector<std::pair<std::wstring, std::wstring>>& shownRows,
                      const ClipboardCalls& clipboard = ClipboardCalls{});
