#include "driver/outside_driver.h"

#include <commctrl.h>

#include "app/identifiers.h"

namespace {

// The lent buffer: a message's structure at its start, the text after it.
constexpr SIZE_T kLentBytes = 64 * 1024;
constexpr SIZE_T kTextOffset = 256;
constexpr int kTextUnits = static_cast<int>((kLentBytes - kTextOffset) / sizeof(wchar_t));
// A message Korvane does not answer within this time counts as failed.
constexpr UINT kAnswerMs = 10000;
constexpr DWORD kPollMs = 20;
constexpr wchar_t kScannedAt[] = L"Scanned at ";
constexpr size_t kScannedAtLength = sizeof(kScannedAt) / sizeof(wchar_t) - 1;

struct WindowSearch {
    DWORD processId;  // 0: any process
    const wchar_t* className;
    HWND owner;  // null: any owner
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if ((search->processId == 0 || processId == search->processId) && lstrcmpW(className, search->className) == 0 &&
        (search->owner == nullptr || GetWindow(window, GW_OWNER) == search->owner) && IsWindowVisible(window)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND findTopLevel(DWORD processId, const wchar_t* className, HWND owner)
{
    WindowSearch search{processId, className, owner, nullptr};
    EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool startsWith(const std::wstring& text, const wchar_t* prefix, size_t length)
{
    return text.compare(0, length, prefix) == 0;
}

}  // namespace

OutsideDriver::~OutsideDriver()
{
    lent_.reset();
    if (started_ && running()) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), 10000);
    }
}

bool OutsideDriver::start(const std::wstring& program, DWORD timeoutMs, std::wstring& error)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created{};
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &created)) {
        error = L"could not be started: error " + std::to_wstring(GetLastError());
        return false;
    }
    UniqueHandle thread(created.hThread);
    process_.reset(created.hProcess);
    started_ = true;
    return takeWindow(created.dwProcessId, timeoutMs, error);
}

bool OutsideDriver::attach(DWORD timeoutMs, std::wstring& error)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND window = nullptr;
    while ((window = findTopLevel(0, L"KORVANE_MAIN", nullptr)) == nullptr) {
        if (GetTickCount64() > deadline) {
            error = L"no Korvane window appeared";
            return false;
        }
        Sleep(100);
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE |
                                   PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE,
                               FALSE, processId));
    if (!process_) {
        error = L"Korvane's process could not be opened: error " + std::to_wstring(GetLastError());
        return false;
    }
    return takeWindow(processId, timeoutMs, error);
}

bool OutsideDriver::takeWindow(DWORD processId, DWORD timeoutMs, std::wstring& error)
{
    processId_ = processId;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while ((main_ = findTopLevel(processId, L"KORVANE_MAIN", nullptr)) == nullptr) {
        if (!running()) {
            error = L"ended without showing its window";
            return false;
        }
        if (GetTickCount64() > deadline) {
            error = L"showed no window";
            return false;
        }
        WaitForSingleObject(process_.get(), kPollMs);
    }
    list_ = GetDlgItem(main_, IDC_REPORT_LIST);
    status_ = FindWindowExW(main_, nullptr, STATUSCLASSNAMEW, nullptr);
    lent_ = RemoteMemory(process_.get(), kLentBytes);
    if (list_ == nullptr || status_ == nullptr || !lent_) {
        error = L"its list, status bar or a buffer in it could not be had";
        return false;
    }
    return true;
}

bool OutsideDriver::running() const
{
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool OutsideDriver::send(HWND window, UINT message, WPARAM wParam, const void* local, size_t localBytes,
                         LRESULT& result)
{
    // The structure, if any, goes to the start of the lent buffer and the
    // message points there; otherwise it points at the text part.
    char* remote = static_cast<char*>(lent_.get());
    if (remote == nullptr ||
        (local != nullptr && !WriteProcessMemory(process_.get(), remote, local, localBytes, nullptr))) {
        return false;
    }
    const LPARAM lParam = reinterpret_cast<LPARAM>(local != nullptr ? remote : remote + kTextOffset);
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerMs, &answer) == 0) {
        return false;
    }
    result = static_cast<LRESULT>(answer);
    return true;
}

std::wstring OutsideDriver::lentText(size_t units)
{
    std::wstring text(units, L'\0');
    if (units > 0 && !ReadProcessMemory(process_.get(), static_cast<char*>(lent_.get()) + kTextOffset, text.data(),
                                        units * sizeof(wchar_t), nullptr)) {
        return {};
    }
    return text;
}

std::wstring OutsideDriver::statusText(int part)
{
    LRESULT answer = 0;
    if (!send(status_, SB_GETTEXTW, static_cast<WPARAM>(part), nullptr, 0, answer)) {
        return {};
    }
    return lentText(LOWORD(answer));
}

std::vector<ShownRow> OutsideDriver::rows()
{
    DWORD_PTR count = 0;
    if (SendMessageTimeoutW(list_, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &count) == 0) {
        return {};
    }
    auto cellText = [this](int index, int subItem, std::wstring& text) {
        LVITEMW item{};
        item.iSubItem = subItem;
        item.pszText = reinterpret_cast<LPWSTR>(static_cast<char*>(lent_.get()) + kTextOffset);
        item.cchTextMax = kTextUnits;
        LRESULT length = 0;
        if (!send(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(index), &item, sizeof(item), length)) {
            return false;
        }
        text = lentText(static_cast<size_t>(length));
        return true;
    };
    std::vector<ShownRow> shown(count);
    for (size_t i = 0; i < shown.size(); ++i) {
        if (!cellText(static_cast<int>(i), 0, shown[i].item) || !cellText(static_cast<int>(i), 1, shown[i].value)) {
            return {};
        }
    }
    return shown;
}

std::wstring OutsideDriver::waitForScan(const std::wstring& previous, DWORD timeoutMs)
{
    // The times have the same fixed form, so a later one sorts after.
    const std::wstring after =
        startsWith(previous, kScannedAt, kScannedAtLength) ? previous.substr(kScannedAtLength) : std::wstring();
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (running() && GetTickCount64() <= deadline) {
        std::wstring text = statusText(1);
        if (startsWith(text, kScannedAt, kScannedAtLength) && text.substr(kScannedAtLength) > after) {
            return text;
        }
        WaitForSingleObject(process_.get(), kPollMs);
    }
    return {};
}

bool OutsideDriver::selectRows(const std::vector<int>& indices)
{
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    LRESULT done = 0;
    // Index -1: every item.
    if (!send(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), &item, sizeof(item), done) || !done) {
        return false;
    }
    item.state = LVIS_SELECTED;
    for (const int index : indices) {
        if (!send(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), &item, sizeof(item), done) || !done) {
            return false;
        }
    }
    return true;
}

bool OutsideDriver::pressKey(WORD virtualKey, bool withControl)
{
    // Typed keys go to the foreground window's thread.
    const ULONGLONG deadline = GetTickCount64() + 5000;
    while (GetForegroundWindow() != main_) {
        if (GetTickCount64() > deadline) {
            return false;
        }
        SetForegroundWindow(main_);
        Sleep(kPollMs);
    }
    INPUT keys[4] = {};
    UINT count = 0;
    auto add = [&](WORD key, DWORD flags) {
        keys[count].type = INPUT_KEYBOARD;
        keys[count].ki.wVk = key;
        keys[count].ki.dwFlags = flags;
        ++count;
    };
    if (withControl) {
        add(VK_CONTROL, 0);
    }
    add(virtualKey, 0);
    add(virtualKey, KEYEVENTF_KEYUP);
    if (withControl) {
        add(VK_CONTROL, KEYEVENTF_KEYUP);
    }
    return SendInput(count, keys, sizeof(INPUT)) == count;
}

bool OutsideDriver::saveAs(const std::wstring& path, DWORD timeoutMs, std::wstring& error)
{
    // Posted: the command runs the modal dialog before it returns.
    if (!PostMessageW(main_, WM_COMMAND, MAKEWPARAM(IDM_SAVE_CSV, 0), 0)) {
        error = L"the command could not be posted";
        return false;
    }
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND dialog = nullptr;
    while ((dialog = findTopLevel(processId_, L"#32770", main_)) == nullptr) {
        if (!running() || GetTickCount64() > deadline) {
            error = L"no Save As dialog appeared";
            return false;
        }
        Sleep(kPollMs);
    }
    // The file name box is the edit box that has the focus when the dialog
    // opens: a direct child on the Explorer-style dialog, deeper inside the
    // dialog of Windows Vista and later. Typed into only when it holds the
    // default name, and Save pressed only when it reads the path back, so
    // nothing is written anywhere else.
    const auto textOf = [](HWND window) {
        wchar_t text[512] = {};
        DWORD_PTR copied = 0;
        // WM_GETTEXT and WM_SETTEXT are messages whose text Windows carries across.
        if (SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, kAnswerMs,
                                &copied) == 0) {
            return std::wstring();
        }
        return std::wstring(text);
    };
    const auto fileNameBox = [&]() -> HWND {
        GUITHREADINFO thread{};
        thread.cbSize = sizeof(thread);
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) || thread.hwndFocus == nullptr ||
            !IsChild(dialog, thread.hwndFocus)) {
            return nullptr;
        }
        wchar_t className[16] = {};
        GetClassNameW(thread.hwndFocus, className, 16);
        const std::wstring text = textOf(thread.hwndFocus);
        const bool holdsDefault =
            CompareStringOrdinal(text.substr(0, 7).c_str(), -1, L"Korvane", -1, TRUE) == CSTR_EQUAL;
        return lstrcmpiW(className, L"Edit") == 0 && holdsDefault ? thread.hwndFocus : nullptr;
    };
    HWND name = nullptr;
    while ((name = fileNameBox()) == nullptr) {
        if (!running() || GetTickCount64() > deadline) {
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            error = L"the focus never reached a file name box holding the default name";
            return false;
        }
        Sleep(kPollMs);
    }
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, kAnswerMs,
                            &answer) == 0 ||
        textOf(name) != path) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        error = L"the dialog's file name box could not be filled in";
        return false;
    }
    if (!PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0)) {
        error = L"the dialog's Save button could not be pressed";
        return false;
    }
    while (IsWindow(dialog) || statusText(1).rfind(L"Saved ", 0) != 0) {
        if (!running() || GetTickCount64() > deadline) {
            error = L"the save did not finish; status part 1 reads \"" + statusText(1) + L"\"";
            return false;
        }
        Sleep(kPollMs);
    }
    return true;
}

int OutsideDriver::close(DWORD timeoutMs)
{
    lent_.reset();
    DWORD code = 0;
    if (!PostMessageW(main_, WM_CLOSE, 0, 0) || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process_.get(), &code)) {
        return -1;
    }
    return static_cast<int>(code);
}
