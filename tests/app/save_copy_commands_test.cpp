#include "export/save_copy_commands.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "common/scope_exit.h"
#include "common/windows_failure.h"
#include "export/csv_report.h"
#include "support/clipboard_text.h"
#include "support/file_bytes.h"
#include "support/temporary_folder.h"
#include "support/window_harness.h"

namespace {

// What the fake Save As dialog saw and how it answers.
struct DialogScript {
    int calls = 0;
    OPENFILENAMEW seen{};
    std::wstring initialName;
    std::wstring filter;
    std::wstring title;
    std::wstring defaultExtension;
    bool accept = false;
    std::wstring answer;           // written into the buffer when accepting
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
        std::fill_n(settings->lpstrFile, settings->nMaxFile, L'x');
    } else {
        lstrcpynW(settings->lpstrFile, dialog.answer.c_str(), static_cast<int>(settings->nMaxFile));
    }
    return TRUE;
}

DWORD WINAPI scriptedExtendedError()
{
    return dialog.extendedError;
}

// The first scan is INSTANT-SCAN, every later one ARRIVED-LATER.
ScanSnapshot& scanThenLater(ScanSnapshot& snapshot)
{
    instantScan(snapshot);
    if (++scansStarted > 1) {
        snapshot.computerName = readingOk(L"ARRIVED-LATER");
    }
    return snapshot;
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

// The one box a command showed.
void expectOneBox(const std::wstring& text, UINT flags, HWND owner)
{
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].text, text);
    EXPECT_EQ(shownBoxes[0].caption, L"Korvane");
    EXPECT_EQ(shownBoxes[0].flags, flags);
    EXPECT_EQ(shownBoxes[0].owner, owner);
}

class SaveAndCopy : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        dialog = DialogScript{};
    }

    void start(ScanFunction scan)
    {
        MainWindowCalls calls;
        calls.saveDialog = SaveDialogCalls{scriptedSaveDialog, scriptedExtendedError};
        ASSERT_NO_FATAL_FAILURE(startWindow(scan, calls));
        if (scan != gatedScan) {
            ASSERT_TRUE(app().currentPage());
        }
    }
    // Selects exactly these rows.
    void select(std::initializer_list<int> rows)
    {
        selectRow(reportList(app()), -1, false);
        for (const int row : rows) {
            selectRow(reportList(app()), row, true);
        }
    }

    TemporaryFolder folder_{L"korvane-save-"};
};

TEST_F(SaveAndCopy, SaveBeforeAnyScanResultOpensNoDialog)
{
    ASSERT_NO_FATAL_FAILURE(start(gatedScan));
    command(IDM_SAVE_CSV);
    EXPECT_EQ(dialog.calls, 0);
    expectOneBox(L"Nothing has been read from this machine yet.", MB_ICONINFORMATION | MB_OK, window());
}

TEST_F(SaveAndCopy, TheDialogIsSetUpAndACancelChangesNothing)
{
    ASSERT_NO_FATAL_FAILURE(start(instantScan));
    const std::wstring statusBefore = statusPart(app(), 1);
    command(IDM_SAVE_CSV);

    ASSERT_EQ(dialog.calls, 1);
    EXPECT_EQ(dialog.seen.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(dialog.seen.hwndOwner, window());
    EXPECT_EQ(dialog.seen.nMaxFile, 520u);
    EXPECT_EQ(dialog.seen.Flags, 0x8080Au);
    EXPECT_EQ(dialog.seen.lpstrInitialDir, nullptr);
    EXPECT_EQ(dialog.seen.nFilterIndex, 0u);
    EXPECT_EQ(dialog.initialName, L"Korvane.csv");
    EXPECT_EQ(dialog.filter, L"CSV file (*.csv)|*.csv|All files (*.*)|*.*|");
    EXPECT_EQ(dialog.title, L"Save this page as CSV");
    EXPECT_EQ(dialog.defaultExtension, L"csv");

    // Cancelled (extended error 0): nothing shown, nothing written, status as it was.
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(statusPart(app(), 1), statusBefore);
    EXPECT_FALSE(folder_.holds(L"*.csv"));
}

// Failures of the dialog or of the write are told in a box; the status stays.
TEST_F(SaveAndCopy, DialogAndWriteFailuresAreReported)
{
    ASSERT_NO_FATAL_FAILURE(start(instantScan));
    const std::wstring statusBefore = statusPart(app(), 1);
    const std::wstring dialogFailed = L"The Save As dialog failed, so nothing was saved.\r\n\r\n";
    const struct {
        DWORD dialogError;
        std::wstring box;
    } cases[] = {{0x1234, dialogFailed + L"The dialog reported error 0x1234."},
                 {0x3002, dialogFailed + L"The file name is not valid (FNERR_INVALIDFILENAME)."},
                 {0, L"The file could not be written.\r\n\r\n" + windowsErrorMessage(ERROR_PATH_NOT_FOUND)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dialogError);
        shownBoxes.clear();
        dialog.extendedError = c.dialogError;
        dialog.accept = c.dialogError == 0;
        dialog.answer = folder_.file(L"no such folder\\Korvane.csv");
        command(IDM_SAVE_CSV);
        expectOneBox(c.box, MB_ICONERROR | MB_OK, window());
    }
    EXPECT_EQ(statusPart(app(), 1), statusBefore);
}

TEST_F(SaveAndCopy, SaveWritesThePageAsItStoodWhenChosen)
{
    ASSERT_NO_FATAL_FAILURE(start(scanThenLater));
    const std::string expected = buildCsvReport(*app().currentPage());

    // A target that exists already is replaced.
    const std::wstring path = folder_.file(L"Report file.csv");
    ASSERT_TRUE(writeFileBytes(path, "old content that is longer than nothing"));
    dialog.accept = true;
    dialog.answer = path;
    // A scan result that arrives while the dialog is open must not change what is saved.
    dialog.whileOpen = [this] {
        command(IDM_REFRESH);
        ASSERT_TRUE(pumpUntilScanEnds(app()));
        const std::optional<ReportPage> later = app().currentPage();
        ASSERT_TRUE(later && later->snapshot.computerName.value == L"ARRIVED-LATER");
    };
    command(IDM_SAVE_CSV);

    EXPECT_TRUE(shownBoxes.empty());
    const std::string written = fileBytes(path).value_or("");
    EXPECT_EQ(written, expected);
    EXPECT_NE(written.find("INSTANT-SCAN"), std::string::npos);
    EXPECT_EQ(written.find("ARRIVED-LATER"), std::string::npos);
    EXPECT_EQ(statusPart(app(), 1), L"Saved " + path);
    EXPECT_FALSE(folder_.holds(L"*.tmp")) << "a temporary file was left beside it";
}

TEST_F(SaveAndCopy, APathThatFillsTheWholeBufferIsCutAtItsEnd)
{
    dialog.accept = true;
    dialog.fillWholeBuffer = true;
    std::wstring path;
    ASSERT_TRUE(askSavePath(CommandSite{nullptr, recordMessageBox, {}},
                            SaveDialogCalls{scriptedSaveDialog, scriptedExtendedError}, path));
    EXPECT_EQ(path, std::wstring(519, L'x'));
}

TEST_F(SaveAndCopy, CopyPutsTheSelectedRowsInListOrder)
{
    ASSERT_NO_FATAL_FAILURE(start(instantScan));
    const auto rows = listRows(app());
    ASSERT_GT(rows.size(), 8u);
    const auto line = [&rows](size_t i) { return rows[i].first + L"\t" + rows[i].second + L"\r\n"; };

    // Selected as 7, 2, 5: copied as 2, 5, 7, each ended by CR LF.
    select({7, 2, 5});
    command(IDM_COPY_ROWS);
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(clipboardText(), line(2) + line(5) + line(7));

    // Ctrl+C reaches the command through the accelerators while the list has the focus.
    select({0});
    BYTE keys[256]{};
    ASSERT_TRUE(GetKeyboardState(keys));
    BYTE withControl[256];
    memcpy(withControl, keys, sizeof(keys));
    withControl[VK_CONTROL] = 0x80;
    SetKeyboardState(withControl);
    MSG key{reportList(app()), WM_KEYDOWN, 'C', 0, 0, {}};
    app().dispatchMessage(key);
    SetKeyboardState(keys);
    EXPECT_EQ(clipboardText(), line(0));

    // Nothing selected: a word to the user, and the clipboard is left alone.
    ASSERT_NO_FATAL_FAILURE(putOnClipboard(L"left alone"));
    select({});
    command(IDM_COPY_ROWS);
    expectOneBox(L"Select one or more rows first.", MB_ICONINFORMATION | MB_OK, window());
    EXPECT_EQ(clipboardText(), L"left alone");
}

// Another program holds the clipboard: the copy tries again, 50 ms apart,
// and speaks up only after the fifth try.
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

// Holds the real clipboard open from another thread until told to let go.
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

TEST_F(SaveAndCopy, AClipboardHeldElsewhereIsTriedAgainThenReported)
{
    ASSERT_NO_FATAL_FAILURE(start(instantScan));
    const auto rows = listRows(app());
    ASSERT_GT(rows.size(), 1u);
    select({1});
    const CommandSite site{window(), recordMessageBox, [](const std::wstring&) {}};
    const std::wstring refused =
        L"The clipboard could not be opened: " + windowsErrorMessage(ERROR_ACCESS_DENIED) + L".";

    const struct {
        int failures;
        size_t opens;
        bool copied;
    } cases[] = {{4, 5, true}, {-1, 5, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failures);
        ASSERT_NO_FATAL_FAILURE(putOnClipboard(L"before"));
        shownBoxes.clear();
        clipboardScript = ClipboardScript{};
        clipboardScript.failures = c.failures;
        copySelectedRows(site, reportList(app()), rows, ClipboardCalls{scriptedOpenClipboard, recordedSleep});
        EXPECT_EQ(clipboardScript.opens, c.opens);
        EXPECT_EQ(clipboardScript.sleeps, std::vector<DWORD>(c.opens - 1, 50));
        if (c.copied) {
            EXPECT_TRUE(shownBoxes.empty());
            EXPECT_EQ(clipboardText(), rows[1].first + L"\t" + rows[1].second + L"\r\n");
        } else {
            expectOneBox(refused, MB_ICONERROR | MB_OK, window());
            EXPECT_EQ(clipboardText(), L"before");
        }
    }

    // The real clipboard, held by another thread: the real calls give up and say why.
    shownBoxes.clear();
    ClipboardHolder holder;
    const HANDLE thread = CreateThread(nullptr, 0, holdClipboard, &holder, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const ScopeExit letGo([&holder, thread] {
        SetEvent(holder.release);
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        CloseHandle(holder.opened);
        CloseHandle(holder.release);
    });
    WaitForSingleObject(holder.opened, 10000);
    ASSERT_TRUE(holder.held);
    command(IDM_COPY_ROWS);
    ASSERT_EQ(shownBoxes.size(), 1u);
    const std::wstring lead = L"The clipboard could not be opened: ";
    EXPECT_EQ(shownBoxes[0].text.substr(0, lead.size()), lead);
    EXPECT_EQ(shownBoxes[0].text.back(), L'.');
    EXPECT_GT(shownBoxes[0].text.size(), lead.size() + 1);
    EXPECT_EQ(shownBoxes[0].flags, static_cast<UINT>(MB_ICONERROR | MB_OK));
}
// The real Save As dialog, driven from a timer that runs inside its modal
// loop. The path is typed into the box that has the keyboard focus when the
// dialog opens, the file name box: on the Explorer-style dialog Wine shows it
// is a direct child of the dialog, on the dialog of Windows Vista and later
// it sits deeper under other ids. Save is pressed only when that box held the
// default name and then reads back the typed path, so the test never saves
// outside its own folder; a window the dialog shows after Save (an overwrite
// prompt, a warning) is answered No or Cancel and reported.
struct RealDialogDriver {
    std::wstring answer;  // empty: cancel the dialog
    int ticks = 0;
    int answeredAt = -1;  // -1: not answered yet
    bool found = false;
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

void press(HWND dialogWindow, int button)
{
    PostMessageW(dialogWindow, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialogWindow, button)));
}

// Notes the first problem and closes every dialog: No where there is a No
// button (the overwrite prompt), else Cancel.
void giveUp(const std::wstring& problem)
{
    if (driver.problem.empty()) {
        driver.problem = problem;
    }
    for (const HWND open : threadDialogs()) {
        press(open, GetDlgItem(open, IDNO) != nullptr ? IDNO : IDCANCEL);
    }
    driver.answeredAt = driver.ticks;
}

void CALLBACK driveRealDialog(HWND, UINT, UINT_PTR, DWORD)
{
    ++driver.ticks;
    const std::vector<HWND> open = threadDialogs();
    if (driver.answeredAt >= 0) {
        // Save or Cancel closes the dialog within a moment; anything still open asks something.
        if (!open.empty() && driver.ticks - driver.answeredAt > 20) {
            wchar_t text[512]{};
            GetDlgItemTextW(open.front(), 0xFFFF, text, 512);  // a message box's text
            giveUp(L"the dialog asked \"" + windowText(open.front()) + L"\": " + text);
        }
        return;
    }
    const auto dialogWindow =
        std::find_if(open.begin(), open.end(), [](HWND w) { return windowText(w) == L"Save this page as CSV"; });
    // The focused window, when it is the file name box holding the default
    // name (Windows may hide its known extension).
    const HWND focus = GetFocus();
    const bool inFileNameBox =
        dialogWindow != open.end() && focus != nullptr && IsChild(*dialogWindow, focus) &&
        className(focus) == L"Edit" &&
        CompareStringOrdinal(windowText(focus).substr(0, 7).c_str(), -1, L"Korvane", -1, TRUE) == CSTR_EQUAL;
    driver.found = driver.found || dialogWindow != open.end();
    if (driver.found && driver.answer.empty()) {
        giveUp(L"");
    } else if (inFileNameBox) {
        // Typed as a user would: the default name selected, then the path key by key.
        SendMessageW(focus, EM_SETSEL, 0, -1);
        for (const wchar_t c : driver.answer) {
            SendMessageW(focus, WM_CHAR, c, 1);
        }
        driver.answeredAt = driver.ticks;
        if (windowText(focus) != driver.answer) {
            giveUp(L"the file name box reads \"" + windowText(focus) + L"\" after typing");
        } else {
            press(*dialogWindow, IDOK);
        }
    } else if (driver.ticks >= 100) {  // ten seconds
        const std::wstring seen =
            focus == nullptr ? L"nothing" : className(focus) + L" \"" + windowText(focus) + L"\"";
        giveUp(!driver.found ? L"no Save As dialog appeared"
                             : L"the focus never reached the file name box; it is on " + seen);
    }
}

// Runs Save as CSV with the real dialog, answered with `answer` (empty: Cancel).
void saveThroughRealDialog(MainWindow& app, const std::wstring& answer)
{
    driver = RealDialogDriver{};
    driver.answer = answer;
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, driveRealDialog);
    ASSERT_NE(timer, 0u);
    command(app, IDM_SAVE_CSV);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(driver.found);
    EXPECT_TRUE(driver.problem.empty()) << std::string(driver.problem.begin(), driver.problem.end());
}

TEST_F(SaveAndCopy, TheRealDialogSavesWhatIsTypedAndCancels)
{
    ASSERT_NO_FATAL_FAILURE(startWindow(instantScan));
    const std::wstring statusBefore = statusPart(app(), 1);
    ASSERT_NO_FATAL_FAILURE(saveThroughRealDialog(app(), L""));
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(statusPart(app(), 1), statusBefore);

    // A name typed without an extension gets ".csv" from the dialog.
    ASSERT_NO_FATAL_FAILURE(saveThroughRealDialog(app(), folder_.file(L"typed")));
    EXPECT_TRUE(shownBoxes.empty());
    EXPECT_EQ(statusPart(app(), 1), L"Saved " + folder_.file(L"typed.csv"));
    const std::string bytes = fileBytes(folder_.file(L"typed.csv")).value_or("");
    EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.find("INSTANT-SCAN"), std::string::npos);
}

TEST_F(SaveAndCopy, RepeatedSavesAndCopiesLeaveNothingBehind)
{
    ASSERT_NO_FATAL_FAILURE(start(instantScan));
    dialog.accept = true;
    dialog.answer = folder_.file(L"again.csv");
    select({3, 4});
    const auto saveAndCopy = [this] {
        command(IDM_SAVE_CSV);
        command(IDM_COPY_ROWS);
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

    EXPECT_TRUE(shownBoxes.empty());
    expectNoMoreResources(before, after);
    // A leaked clipboard block or file buffer per round would add at least
    // a hundred allocations.
    EXPECT_LT(after.heapBlocks, before.heapBlocks + 50);
    EXPECT_FALSE(folder_.holds(L"*.tmp")) << "a temporary file was left behind";
}

}  // namespace
