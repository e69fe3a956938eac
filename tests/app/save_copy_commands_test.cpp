#include "export/save_copy_commands.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/window_harness.h"
#include "common/windows_failure.h"
#include "export/csv_report.h"
#include "support/clipboard_text.h"

namespace {

// --- Seams: message boxes and the Save As dialog are answered by the test.

struct ShownMessage {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT flags;
};
std::vector<ShownMessage> shownMessages;

int WINAPI recordingMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags)
{
    shownMessages.push_back({owner, text, caption, flags});
    return IDOK;
}

// What the fake dialog saw and how it answers.
struct DialogScript {
    int calls = 0;
    OPENFILENAMEW seen{};
    std::wstring initialName;
    std::wstring filter;
    std::wstring title;
    std::wstring defaultExtension;
    bool accept = false;
    std::wstring answer;       // written into the buffer when accepting
    bool fillWholeBuffer = false;  // write nMaxFile characters without a terminator
    DWORD extendedError = 0;
    std::function<void()> whileOpen;  // runs while the "dialog" is open
};
DialogScript dialog;

BOOL WINAPI scriptedSaveDialog(LPOPENFILENAMEW settings)
{
    ++dialog.calls;
    dialog.seen = *settings;
    dialog.initialName = settings->lpstrFile;
    // The filter is a block of zero-ended strings ended by an empty one.
    for (const wchar_t* p = settings->lpstrFilter; *p != L'\0'; p += wcslen(p) + 1) {
        dialog.filter += p;
        dialog.filter += L'|';
    }
    dialog.title = settings->lpstrTitle;
    dialog.defaultExtension = settings->lpstrDefExt;
    if (dialog.whileOpen) {
        dialog.whileOpen();
    }
    if (!dialog.accept) {
        return FALSE;
    }
    if (dialog.fillWholeBuffer) {
        for (DWORD i = 0; i < settings->nMaxFile; ++i) {
            settings->lpstrFile[i] = L'x';
        }
    } else {
        lstrcpynW(settings->lpstrFile, dialog.answer.c_str(), static_cast<int>(settings->nMaxFile));
    }
    return TRUE;
}

DWORD WINAPI scriptedExtendedError()
{
    return dialog.extendedError;
}

// A scan that returns at once with a recognisable snapshot, or waits for the gate.
HANDLE scanGate = nullptr;

ScanSnapshot& gatedScan(ScanSnapshot& snapshot)
{
    WaitForSingleObject(scanGate, 30000);
    return instantScan(snapshot);
}

std::string fileBytes(const std::wstring& path)
{
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::wstring clipboardText()
{
    return readClipboardText(nullptr).value_or(L"<clipboard not opened>");
}

void putOnClipboard(const std::wstring& text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    ASSERT_NE(memory, nullptr);
    memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    ASSERT_NE(SetClipboardData(CF_UNICODETEXT, memory), nullptr);
    CloseClipboard();
}

void selectItem(HWND list, int index, bool selected)
{
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = selected ? LVIS_SELECTED : 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

class SaveAndCopy : public WindowTest {
protected:
    void SetUp() override
    {
        shownMessages.clear();
        dialog = DialogScript{};
        scanGate = CreateEventW(nullptr, TRUE, FALSE, nullptr);

        wchar_t temp[MAX_PATH]{};
        GetTempPathW(MAX_PATH, temp);
        folder_ = std::wstring(temp) + L"korvane-save-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
    }

    void TearDown() override
    {
        SetEvent(scanGate);
        WindowTest::TearDown();
        CloseHandle(scanGate);

        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW((folder_ + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                DeleteFileW((folder_ + L"\\" + found.cFileName).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(folder_.c_str());
    }

    void start(ScanFunction scan)
    {
        MainWindowCalls calls;
        calls.scan = scan;
        calls.messageBox = recordingMessageBox;
        calls.saveDialog = SaveDialogCalls{scriptedSaveDialog, scriptedExtendedError};
        startWindow(calls);
        if (HasFatalFailure()) {
            return;
        }
        if (scan == instantScan) {
            ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
            ASSERT_TRUE(app().scan.currentSnapshot);
        }
    }

    void command(WORD id) { SendMessageW(app().handle(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    std::wstring folder_;
};

TEST_F(SaveAndCopy, SaveBeforeAnyScanResultOpensNoDialog)
{
    start(gatedScan);
    command(IDM_SAVE_CSV);
    EXPECT_EQ(dialog.calls, 0);
    ASSERT_EQ(shownMessages.size(), 1u);
    EXPECT_EQ(shownMessages[0].text, L"Nothing has been read from this machine yet.");
    EXPECT_EQ(shownMessages[0].caption, L"Korvane");
    EXPECT_EQ(shownMessages[0].owner, app().handle());
    EXPECT_EQ(shownMessages[0].flags, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
}

TEST_F(SaveAndCopy, TheDialogIsSetUpAndACancelChangesNothing)
{
    start(instantScan);
    const std::wstring statusBefore = statusPart(app(), 1);
    command(IDM_SAVE_CSV);

    ASSERT_EQ(dialog.calls, 1);
    EXPECT_EQ(dialog.seen.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(dialog.seen.hwndOwner, app().handle());
    EXPECT_EQ(dialog.seen.nMaxFile, 520u);
    EXPECT_EQ(dialog.seen.Flags, 0x8080Au);
    EXPECT_EQ(dialog.seen.lpstrInitialDir, nullptr);
    EXPECT_EQ(dialog.seen.nFilterIndex, 0u);
    EXPECT_EQ(dialog.initialName, L"Korvane.csv");
    EXPECT_EQ(dialog.filter, L"CSV file (*.csv)|*.csv|All files (*.*)|*.*|");
    EXPECT_EQ(dialog.title, L"Save this page as CSV");
    EXPECT_EQ(dialog.defaultExtension, L"csv");

    // Cancelled (extended error 0): nothing shown, nothing written, status as it was.
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_EQ(statusPart(app(), 1), statusBefore);
    EXPECT_EQ(GetFileAttributesW((folder_ + L"\\Korvane.csv").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SaveAndCopy, DialogFailuresAreReported)
{
    start(instantScan);
    const std::wstring statusBefore = statusPart(app(), 1);
    const struct {
        DWORD code;
        const wchar_t* words;
    } cases[] = {
        {0x1234, L"The dialog reported error 0x1234."},
        {0x3002, L"The file name is not valid (FNERR_INVALIDFILENAME)."},
    };
    for (const auto& c : cases) {
        shownMessages.clear();
        dialog.extendedError = c.code;
        command(IDM_SAVE_CSV);
        ASSERT_EQ(shownMessages.size(), 1u) << c.code;
        EXPECT_EQ(shownMessages[0].text,
                  std::wstring(L"The Save As dialog failed, so nothing was saved.\r\n\r\n") + c.words);
        EXPECT_EQ(shownMessages[0].flags, static_cast<UINT>(MB_ICONERROR | MB_OK));
        EXPECT_EQ(shownMessages[0].caption, L"Korvane");
    }
    EXPECT_EQ(statusPart(app(), 1), statusBefore);
}

TEST_F(SaveAndCopy, SaveWritesThePageAsItStoodWhenChosen)
{
    start(instantScan);
    const LiveState& live = app().live;
    const std::string expected = buildCsvReport(buildReportPage(
        *app().scan.currentSnapshot, live.liveMemory, live.liveLoad, app().scan.scanTakenAt, live.liveTakenAt));

    // A target that exists already is replaced.
    const std::wstring path = folder_ + L"\\Report file.csv";
    {
        std::ofstream old(std::filesystem::path(path), std::ios::binary);
        old << "old content that is longer than nothing";
    }
    dialog.accept = true;
    dialog.answer = path;
    // A scan result that arrives while the dialog is open must not change what is saved.
    dialog.whileOpen = [this] {
        auto other = std::make_unique<ScanSnapshot>();
        other->computerName = readingOk(L"ARRIVED-LATER");
        app().scan.currentSnapshot = std::move(other);
    };
    command(IDM_SAVE_CSV);

    EXPECT_TRUE(shownMessages.empty()) << (shownMessages.empty() ? "" : "shown: ") << shownMessages.size();
    const std::string written = fileBytes(path);
    EXPECT_EQ(written, expected);
    EXPECT_NE(written.find("INSTANT-SCAN"), std::string::npos);
    EXPECT_EQ(written.find("ARRIVED-LATER"), std::string::npos);
    EXPECT_EQ(statusPart(app(), 1), L"Saved " + path);
    // No temporary file is left beside it.
    EXPECT_EQ(GetFileAttributesW((folder_ + L"\\~KV0000.tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SaveAndCopy, AFailedWriteIsReportedAndLeavesTheStatusAlone)
{
    start(instantScan);
    const std::wstring statusBefore = statusPart(app(), 1);
    dialog.accept = true;
    dialog.answer = folder_ + L"\\no such folder\\Korvane.csv";
    command(IDM_SAVE_CSV);
    ASSERT_EQ(shownMessages.size(), 1u);
    EXPECT_EQ(shownMessages[0].text,
              L"The file could not be written.\r\n\r\n" + windowsErrorMessage(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(shownMessages[0].flags, static_cast<UINT>(MB_ICONERROR | MB_OK));
    EXPECT_EQ(statusPart(app(), 1), statusBefore);
}

TEST_F(SaveAndCopy, APathThatFillsTheWholeBufferIsCutAtItsEnd)
{
    start(instantScan);
    dialog.accept = true;
    dialog.fillWholeBuffer = true;
    std::wstring path;
    ASSERT_TRUE(askSavePath(CommandSite{app().handle(), recordingMessageBox, {}},
                            SaveDialogCalls{scriptedSaveDialog, scriptedExtendedError}, path));
    EXPECT_EQ(path, std::wstring(519, L'x'));
}

TEST_F(SaveAndCopy, CopyPutsTheSelectedRowsInListOrder)
{
    start(instantScan);
    const auto rows = listRows(app());
    ASSERT_GT(rows.size(), 8u);

    // Selected as 7, 2, 5: copied as 2, 5, 7, each ended by CR LF.
    selectItem(app().shell.reportList, -1, false);
    selectItem(app().shell.reportList, 7, true);
    selectItem(app().shell.reportList, 2, true);
    selectItem(app().shell.reportList, 5, true);
    command(IDM_COPY_ROWS);
    EXPECT_TRUE(shownMessages.empty());
    const std::wstring expected = rows[2].first + L"\t" + rows[2].second + L"\r\n" + rows[5].first + L"\t" +
                                  rows[5].second + L"\r\n" + rows[7].first + L"\t" + rows[7].second + L"\r\n";
    EXPECT_EQ(clipboardText(), expected);

    // Ctrl+C reaches the command through the accelerators while the list has the focus.
    selectItem(app().shell.reportList, -1, false);
    selectItem(app().shell.reportList, 0, true);
    BYTE keys[256]{};
    ASSERT_TRUE(GetKeyboardState(keys));
    BYTE withControl[256];
    memcpy(withControl, keys, sizeof(keys));
    withControl[VK_CONTROL] = 0x80;
    SetKeyboardState(withControl);
    MSG key{app().shell.reportList, WM_KEYDOWN, 'C', 0, 0, {}};
    app().dispatchMessage(key);
    SetKeyboardState(keys);
    EXPECT_EQ(clipboardText(), rows[0].first + L"\t" + rows[0].second + L"\r\n");
}

TEST_F(SaveAndCopy, CopyWithNothingSelectedLeavesTheClipboardAlone)
{
    start(instantScan);
    putOnClipboard(L"left alone");
    selectItem(app().shell.reportList, -1, false);
    command(IDM_COPY_ROWS);
    ASSERT_EQ(shownMessages.size(), 1u);
    EXPECT_EQ(shownMessages[0].text, L"Select one or more rows first.");
    EXPECT_EQ(shownMessages[0].flags, static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
    EXPECT_EQ(clipboardText(), L"left alone");
}

// Holds the clipboard open from another thread until told to let go.
struct ClipboardHolder {
    HANDLE opened = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> held{false};
};

DWORD WINAPI holdClipboard(LPVOID parameter)
{
    auto* holder = static_cast<ClipboardHolder*>(parameter);
    holder->held = OpenClipboard(nullptr) != FALSE;
    SetEvent(holder->opened);
    WaitForSingleObject(holder->release, 30000);
    if (holder->held) {
        CloseClipboard();
    }
    return 0;
}

TEST_F(SaveAndCopy, AClipboardHeldElsewhereIsReported)
{
    start(instantScan);
    putOnClipboard(L"still here");
    selectItem(app().shell.reportList, -1, false);
    selectItem(app().shell.reportList, 1, true);

    ClipboardHolder holder;
    const HANDLE thread = CreateThread(nullptr, 0, holdClipboard, &holder, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(holder.opened, 10000);
    ASSERT_TRUE(holder.held);
    command(IDM_COPY_ROWS);
    SetEvent(holder.release);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    CloseHandle(holder.opened);
    CloseHandle(holder.release);

    ASSERT_EQ(shownMessages.size(), 1u);
    const std::wstring& text = shownMessages[0].text;
    const std::wstring lead = L"The clipboard could not be opened: ";
    ASSERT_GT(text.size(), lead.size() + 1) << text.size();
    EXPECT_EQ(text.substr(0, lead.size()), lead);
    EXPECT_EQ(text.back(), L'.');
    EXPECT_EQ(shownMessages[0].flags, static_cast<UINT>(MB_ICONERROR | MB_OK));
    EXPECT_EQ(clipboardText(), L"still here");
}

// Another program holds the clipboard for a moment: the copy opens it on a
// later try, 50 ms apart, and speaks up only after the fifth.
struct ClipboardScript {
    int failures = 0;  // -1: every attempt fails
    size_t opens = 0;
    std::vector<DWORD> sleeps;
};
ClipboardScript clipboardScript;

BOOL WINAPI scriptedOpenClipboard(HWND owner)
{
    ++clipboardScript.opens;
    if (clipboardScript.failures != 0) {
        --clipboardScript.failures;
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return OpenClipboard(owner);
}

VOID WINAPI recordedSleep(DWORD milliseconds)
{
    clipboardScript.sleeps.push_back(milliseconds);
}

TEST_F(SaveAndCopy, AClipboardHeldForAMomentIsTriedAgain)
{
    start(instantScan);
    const auto rows = listRows(app());
    ASSERT_GT(rows.size(), 1u);
    selectItem(app().shell.reportList, -1, false);
    selectItem(app().shell.reportList, 1, true);
    const CommandSite site{app().handle(), recordingMessageBox, [](const std::wstring&) {}};
    const ClipboardCalls calls{scriptedOpenClipboard, recordedSleep};

    const struct {
        int failures;
        size_t opens;
        bool copied;
    } cases[] = {{4, 5, true}, {-1, 5, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failures);
        putOnClipboard(L"before");
        shownMessages.clear();
        clipboardScript = ClipboardScript{};
        clipboardScript.failures = c.failures;
        copySelectedRows(site, app().shell.reportList, rows, calls);
        EXPECT_EQ(clipboardScript.opens, c.opens);
        EXPECT_EQ(clipboardScript.sleeps, std::vector<DWORD>(c.opens - 1, 50));
        if (c.copied) {
            EXPECT_TRUE(shownMessages.empty());
            EXPECT_EQ(clipboardText(), rows[1].first + L"\t" + rows[1].second + L"\r\n");
        } else {
            ASSERT_EQ(shownMessages.size(), 1u);
            EXPECT_EQ(shownMessages[0].text,
                      L"The clipboard could not be opened: " + windowsErrorMessage(ERROR_ACCESS_DENIED) + L".");
            EXPECT_EQ(clipboardText(), L"before");
        }
    }
}

}  // namespace

namespace {

// The real Save As dialog, driven from a timer that runs inside its modal
// loop. The path is typed into the box that has the keyboard focus when the
// dialog opens, the file name box: on the Explorer-style dialog Wine shows it
// is a direct child of the dialog, on the dialog of Windows Vista and later
// it sits deeper under other ids. Save is pressed only when that box held the
// default name and then reads back the typed path, so the test never saves
// outside its own folder; a window the dialog shows after Save (an overwrite
// prompt, a warning) is answered No or Cancel and reported.
constexpr wchar_t kDialogTitle[] = L"Save this page as CSV";
constexpr int kDialogTicks = 100;  // ten seconds at 100 ms

struct RealDialogDriver {
    std::wstring answer;  // empty: cancel the dialog
    UINT_PTR timer = 0;
    int ticks = 0;
    int answeredAt = 0;
    bool found = false;
    bool answered = false;
    std::wstring problem;  // why the dialog was not answered as asked
};
RealDialogDriver driver;

std::wstring windowText(HWND window)
{
    wchar_t text[512]{};
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring className(HWND window)
{
    wchar_t name[64]{};
    GetClassNameW(window, name, 64);
    return name;
}

// The dialog boxes of this thread: the Save As dialog and any message box it shows.
std::vector<HWND> threadDialogs()
{
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            if (IsWindowVisible(window) && className(window) == L"#32770") {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// No where there is a No button (the overwrite prompt), else Cancel.
void dismiss(HWND dialogWindow)
{
    const int button = GetDlgItem(dialogWindow, IDNO) != nullptr ? IDNO : IDCANCEL;
    PostMessageW(dialogWindow, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialogWindow, button)));
}

void giveUp(const std::wstring& problem)
{
    if (driver.problem.empty()) {
        driver.problem = problem;
    }
    for (const HWND open : threadDialogs()) {
        dismiss(open);
    }
}

// The focused window when it is the file name box of `dialogWindow`, holding the default name.
HWND fileNameBox(HWND dialogWindow, std::wstring& seen)
{
    const HWND focus = GetFocus();
    seen = focus == nullptr ? L"nothing" : className(focus) + L" \"" + windowText(focus) + L"\"";
    if (focus == nullptr || !IsChild(dialogWindow, focus) || className(focus) != L"Edit") {
        return nullptr;
    }
    // Windows may hide the known extension of the default "Korvane.csv".
    return CompareStringOrdinal(windowText(focus).substr(0, 7).c_str(), -1, L"Korvane", -1, TRUE) == CSTR_EQUAL
               ? focus
               : nullptr;
}

void answerDialog(HWND dialogWindow)
{
    std::wstring seen;
    const HWND box = fileNameBox(dialogWindow, seen);
    if (box == nullptr) {
        if (driver.ticks >= kDialogTicks) {
            driver.answered = true;
            giveUp(L"the focus never reached the file name box; it is on " + seen);
        }
        return;
    }
    // Typed as a user would: the default name selected, then the path key by key.
    SendMessageW(box, EM_SETSEL, 0, -1);
    for (const wchar_t c : driver.answer) {
        SendMessageW(box, WM_CHAR, c, 1);
    }
    driver.answered = true;
    driver.answeredAt = driver.ticks;
    if (windowText(box) != driver.answer) {
        giveUp(L"the file name box reads \"" + windowText(box) + L"\" after typing");
        return;
    }
    const HWND save = GetDlgItem(dialogWindow, IDOK);
    PostMessageW(dialogWindow, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(save));
}

void CALLBACK driveRealDialog(HWND, UINT, UINT_PTR, DWORD)
{
    ++driver.ticks;
    const std::vector<HWND> open = threadDialogs();
    if (driver.answered) {
        // Save or Cancel closes the dialog within a moment; anything still open asks something.
        if (!open.empty() && driver.ticks - driver.answeredAt > 20) {
            const HWND asking = open.front();
            wchar_t text[512]{};
            GetDlgItemTextW(asking, 0xFFFF, text, 512);  // a message box's text
            giveUp(L"the dialog asked \"" + windowText(asking) + L"\": " + text);
            driver.answeredAt = driver.ticks;
        }
        return;
    }
    HWND dialogWindow = nullptr;
    for (const HWND candidate : open) {
        if (windowText(candidate) == kDialogTitle) {
            dialogWindow = candidate;
        }
    }
    if (dialogWindow == nullptr) {
        if (driver.ticks >= kDialogTicks) {
            driver.answered = true;
            giveUp(L"no dialog titled \"" + std::wstring(kDialogTitle) + L"\" appeared");
        }
        return;
    }
    driver.found = true;
    if (driver.answer.empty()) {
        driver.answered = true;
        driver.answeredAt = driver.ticks;
        dismiss(dialogWindow);
        return;
    }
    answerDialog(dialogWindow);
}

// Runs Save as CSV with the real dialog, answered with `answer` (empty: Cancel).
void saveThroughRealDialog(MainWindow& app, const std::wstring& answer)
{
    driver = RealDialogDriver{};
    driver.answer = answer;
    driver.timer = SetTimer(nullptr, 0, 100, driveRealDialog);
    ASSERT_NE(driver.timer, 0u);
    SendMessageW(app.handle(), WM_COMMAND, MAKEWPARAM(IDM_SAVE_CSV, 0), 0);
    KillTimer(nullptr, driver.timer);
    EXPECT_TRUE(driver.found);
    EXPECT_TRUE(driver.problem.empty()) << std::string(driver.problem.begin(), driver.problem.end());
}

TEST_F(SaveAndCopy, TheRealDialogSavesWhatIsTypedAndCancels)
{
    start(instantScan);
    app().calls.saveDialog = SaveDialogCalls{};

    const std::wstring statusBefore = statusPart(app(), 1);
    saveThroughRealDialog(app(), L"");
    EXPECT_TRUE(shownMessages.empty());
    EXPECT_EQ(statusPart(app(), 1), statusBefore);

    // A name typed without an extension gets ".csv" from the dialog.
    saveThroughRealDialog(app(), folder_ + L"\\typed");
    EXPECT_TRUE(shownMessages.empty()) << (shownMessages.empty() ? std::string() : "a message was shown");
    const std::wstring saved = folder_ + L"\\typed.csv";
    EXPECT_EQ(statusPart(app(), 1), L"Saved " + saved);
    const std::string bytes = fileBytes(saved);
    ASSERT_GE(bytes.size(), 3u);
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.find("INSTANT-SCAN"), std::string::npos);
}

}  // namespace

namespace {

TEST_F(SaveAndCopy, RepeatedSavesAndCopiesLeaveNothingBehind)
{
    start(instantScan);
    dialog.accept = true;
    dialog.answer = folder_ + L"\\again.csv";
    selectItem(app().shell.reportList, -1, false);
    selectItem(app().shell.reportList, 3, true);
    selectItem(app().shell.reportList, 4, true);
    const auto saveAndCopy = [this] {
        SendMessageW(app().handle(), WM_COMMAND, MAKEWPARAM(IDM_SAVE_CSV, 0), 0);
        SendMessageW(app().handle(), WM_COMMAND, MAKEWPARAM(IDM_COPY_ROWS, 0), 0);
    };
    // Warm up: the clipboard and the file system keep a little once used.
    for (int i = 0; i < 5; ++i) {
        saveAndCopy();
    }
    const ResourceCounts before = measureResources();
    for (int i = 0; i < 100; ++i) {
        saveAndCopy();
    }
    const ResourceCounts after = measureResources();
    printResources("before:", before);
    printResources("after 100 each:", after);

    EXPECT_TRUE(shownMessages.empty());
    expectNoMoreResources(before, after);
    // A leaked clipboard block or file buffer per round would add at least
    // a hundred allocations.
    EXPECT_LT(after.heapBlocks, before.heapBlocks + 50);
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder_ + L"\\*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "a temporary file was left behind";
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
}

}  // namespace
