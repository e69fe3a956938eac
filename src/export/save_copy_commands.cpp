#include "export/save_copy_commands.h"

#include <commctrl.h>

#include <array>
#include <cstring>
#include <vector>

#include "common/scope_exit.h"
#include "common/unique_resource.h"
#include "common/windows_failure.h"
#include "export/csv_report.h"
#include "export/export_texts.h"
#include "export/safe_file_replace.h"

namespace {

constexpr DWORD kPathBufferLength = 520;
constexpr wchar_t kDefaultFileName[] = L"Korvane.csv";
// Pairs of shown text and pattern, ended by an extra zero.
constexpr wchar_t kFilter[] = L"CSV file (*.csv)\0*.csv\0All files (*.*)\0*.*\0";

enum class ClipboardOutcome { Done, NotOpened, NotAccepted };

// Another program (a clipboard manager, a remote desktop client) may hold the
// clipboard open for a moment. Windows does not say which error that leaves,
// so every failure is tried again: five attempts 50 ms apart.
constexpr int kOpenAttempts = 5;
constexpr DWORD kOpenRetryDelayMs = 50;

// False with the last error of the final attempt in `error`.
bool openClipboardSoon(const ClipboardCalls& calls, HWND owner, DWORD& error)
{
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
        if (attempt > 1) {
            calls.sleep(kOpenRetryDelayMs);
        }
        if (calls.openClipboard(owner)) {
            return true;
        }
        error = GetLastError();
    }
    return false;
}

// Everything between opening and closing the clipboard; the caller shows any
// message only after it is closed again.
ClipboardOutcome putTextOnClipboard(const ClipboardCalls& calls, HWND owner, const std::wstring& text,
                                    DWORD& openError)
{
    if (!openClipboardSoon(calls, owner, openError)) {
        return ClipboardOutcome::NotOpened;
    }
    const ScopeExit close([] { CloseClipboard(); });
    // From here the earlier content is gone, even if a later step fails.
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) {
        return ClipboardOutcome::NotAccepted;
    }
    {
        const GlobalLockGuard lock(memory.get());
        if (lock.get() == nullptr) {
            return ClipboardOutcome::NotAccepted;
        }
        std::memcpy(lock.get(), text.c_str(), bytes);
    }
    if (SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) {
        return ClipboardOutcome::NotAccepted;
    }
    // The clipboard owns the memory now.
    static_cast<void>(memory.release());
    return ClipboardOutcome::Done;
}

// The selected items in ascending order, as the list reports them.
std::vector<int> selectedItems(HWND list)
{
    std::vector<int> items;
    if (list == nullptr) {
        return items;
    }
    int index = -1;
    for (;;) {
        const auto next = static_cast<int>(
            SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(index), MAKELPARAM(LVNI_SELECTED, 0)));
        // A list always answers with a later item; anything else ends the walk
        // rather than looping for ever.
        if (next < 0 || next <= index) {
            break;
        }
        items.push_back(next);
        index = next;
    }
    return items;
}

}  // namespace

bool askSavePath(const CommandSite& site, const SaveDialogCalls& calls, std::wstring& path)
{
    std::array<wchar_t, kPathBufferLength> buffer{};
    lstrcpynW(buffer.data(), kDefaultFileName, static_cast<int>(buffer.size()));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = site.owner;
    dialog.lpstrFilter = kFilter;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = kPathBufferLength;
    dialog.lpstrTitle = L"Save this page as CSV";
    dialog.lpstrDefExt = L"csv";
    dialog.Flags = OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_EXPLORER;

    if (calls.getSaveFileName(&dialog) != FALSE) {
        // The dialog may have written right up to the end: never read past it.
        buffer.back() = L'\0';
        path = buffer.data();
        return true;
    }
    std::wstring reason;
    if (dialogErrorText(calls.commDlgExtendedError(), reason)) {
        showMessage(site.messageBox, site.owner, L"The Save As dialog failed, so nothing was saved.\r\n\r\n" + reason,
                    MB_ICONERROR | MB_OK);
    }
    return false;
}

void saveAsCsv(const CommandSite& site, const SaveDialogCalls& dialog, const ReportPage* page)
{
    if (page == nullptr) {
        showMessage(site.messageBox, site.owner, L"Nothing has been read from this machine yet.",
                    MB_ICONINFORMATION | MB_OK);
        return;
    }
    // The file holds the page as it stood when the command was chosen, even
    // if a scan result arrives while the dialog is open.
    const std::string bytes = buildCsvReport(*page);

    std::wstring path;
    if (!askSavePath(site, dialog, path)) {
        return;
    }
    std::wstring error;
    if (!replaceFileSafely(path, bytes, error)) {
        showMessage(site.messageBox, site.owner, L"The file could not be written.\r\n\r\n" + error,
                    MB_ICONERROR | MB_OK);
        return;
    }
    site.setStatus(L"Saved " + path);
}

void copySelectedRows(const CommandSite& site, HWND list,
                      const std::vector<std::pair<std::wstring, std::wstring>>& shownRows,
                      const ClipboardCalls& clipboard)
{
    const std::wstring text = selectedRowsText(shownRows, selectedItems(list));
    if (text.empty()) {
        showMessage(site.messageBox, site.owner, L"Select one or more rows first.", MB_ICONINFORMATION | MB_OK);
        return;
    }
    DWORD openError = 0;
    switch (putTextOnClipboard(clipboard, site.owner, text, openError)) {
    case ClipboardOutcome::Done:
        break;
    case ClipboardOutcome::NotOpened:
        showMessage(site.messageBox, site.owner,
                    L"The clipboard could not be opened: " + windowsErrorMessage(openError) + L".",
                    MB_ICONERROR | MB_OK);
        break;
    case ClipboardOutcome::NotAccepted:
        showMessage(site.messageBox, site.owner, L"The rows could not be put on the clipboard.",
                    MB_ICONERROR | MB_OK);
        break;
    }
}
