#include "app/main_window.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

#include "app/child_windows.h"
#include "app/report_view.h"
#include "app/scan_coordination.h"
#include "app/window_harness.h"
#include "app/window_subclass.h"
#include "common/scope_exit.h"
#include "load/load_sampler.h"
#include "report/completeness.h"
#include "report/report_rows.h"
#include "report/value_text.h"
#include "scan/scan_machine.h"

namespace {

// A scan that waits until the test opens the gate, so that the test decides
// when the scan ends.
HANDLE scanGate = nullptr;
std::atomic<int> scansStarted{0};

ScanSnapshot& gatedScan(ScanSnapshot& snapshot)
{
    ++scansStarted;
    WaitForSingleObject(scanGate, 30000);
    return instantScan(snapshot);
}

BOOL WINAPI failingPost(HWND, UINT, WPARAM, LPARAM)
{
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return FALSE;
}

// Counts the value rewrites the list view receives.
std::atomic<int> setItemTextCount{0};

LRESULT CALLBACK countingListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == LVM_SETITEMTEXTW) {
        ++setItemTextCount;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

class KorvaneWindow : public WindowTest {
protected:
    void SetUp() override
    {
        scanGate = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        scansStarted = 0;
    }

    void TearDown() override
    {
        SetEvent(scanGate);
        WindowTest::TearDown();
        CloseHandle(scanGate);
    }

    void start(ScanFunction scan = scanMachine, MainWindowCalls calls = MainWindowCalls{})
    {
        calls.scan = scan;
        startWindow(calls);
    }

    HWND window() { return app().handle(); }
};

}  // namespace

TEST_F(KorvaneWindow, FirstScanFillsTheListWithTheReportRows)
{
    start();
    EXPECT_EQ(statusPart(app(), 1), L"Scanning...");
    EXPECT_FALSE(refreshEnabled(app()));
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); })) << "the first scan did not finish";
    ASSERT_TRUE(app().scan.currentSnapshot);

    const LiveState& live = app().live;
    const ReportPage page = buildReportPage(*app().scan.currentSnapshot, live.liveMemory, live.liveLoad,
                                            app().scan.scanTakenAt, live.liveTakenAt);
    const std::vector<ReportRow> rows = buildReportRows(page);
    const auto shown = listRows(app());
    ASSERT_EQ(shown.size(), rows.size());
    ASSERT_EQ(app().reportView.shownRows, shown) << "the kept copy differs from the control";
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(rows[i].item);
        EXPECT_EQ(shown[i].first, rows[i].item);
        // Live rows show the latest samples, which is what the page was built from.
        EXPECT_EQ(shown[i].second, rows[i].value);
        const auto kind = static_cast<uint32_t>(rows[i].liveKind);
        if (kind != 0) {
            EXPECT_EQ(app().reportView.liveRowIndex[kind - 1], static_cast<int>(i));
        }
    }

    EXPECT_EQ(statusPart(app(), 0), completenessSummary(page.tally));
    const std::wstring scanned = statusPart(app(), 1);
    ASSERT_EQ(scanned.size(), 11u + 19u) << scanned;
    EXPECT_EQ(scanned.substr(0, 11), L"Scanned at ");
    EXPECT_EQ(scanned.substr(11), app().scan.scanTakenAt);
    EXPECT_EQ(scanned[15], L'-');
    EXPECT_EQ(scanned[24], L':');
    EXPECT_TRUE(refreshEnabled(app()));
}

TEST_F(KorvaneWindow, RefreshWhileScanningStartsNothing)
{
    start(gatedScan);
    ASSERT_TRUE(pumpUntil(app(), [] { return scansStarted == 1; }));
    EXPECT_FALSE(refreshEnabled(app()));

    // The menu command and the F5 key (through the accelerators, from the list).
    SendMessageW(window(), WM_COMMAND, MAKEWPARAM(IDM_REFRESH, 0), 0);
    PostMessageW(app().shell.reportList, WM_KEYDOWN, VK_F5, 0);
    pumpUntil(app(), [] { return false; }, 300);
    EXPECT_EQ(scansStarted, 1);
    EXPECT_EQ(statusPart(app(), 1), L"Scanning...");

    SetEvent(scanGate);
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
    EXPECT_TRUE(refreshEnabled(app()));
    EXPECT_EQ(statusPart(app(), 1).substr(0, 11), L"Scanned at ");
    ASSERT_TRUE(app().scan.currentSnapshot);
    EXPECT_EQ(app().scan.currentSnapshot->computerName.value, kInstantScanName);

    // Now F5 does start one.
    PostMessageW(app().shell.reportList, WM_KEYDOWN, VK_F5, 0);
    ASSERT_TRUE(pumpUntil(app(), [] { return scansStarted == 2; }));
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
    EXPECT_TRUE(refreshEnabled(app()));
}

// Each installed scan opens the report at its top with nothing selected,
// however far down the user had scrolled.
TEST_F(KorvaneWindow, ARescanOpensTheReportAtItsTop)
{
    start();
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
    const HWND list = app().shell.reportList;
    ASSERT_TRUE(SetWindowPos(window(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER));
    const auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    ASSERT_GT(count, 20);
    LVITEMW selected{};
    selected.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    selected.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&selected));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1), FALSE);
    ASSERT_GT(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 0) << "the list did not scroll down";

    SendMessageW(window(), WM_COMMAND, MAKEWPARAM(IDM_REFRESH, 0), 0);
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 0);
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
}

TEST_F(KorvaneWindow, TimerTickRewritesOnlyLiveRowsWhoseTextChanged)
{
    start(gatedScan);
    const WindowSubclass counting(app().shell.reportList, countingListProc, 1);
    ASSERT_TRUE(counting.installed());

    // Before the first scan a tick changes nothing in the list or in part 0.
    setItemTextCount = 0;
    SendMessageW(window(), WM_TIMER, IDT_SAMPLE, 0);
    EXPECT_EQ(setItemTextCount, 0);
    EXPECT_EQ(SendMessageW(app().shell.reportList, LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(statusPart(app(), 0), L"Reading this machine...");

    SetEvent(scanGate);
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
    ASSERT_FALSE(app().reportView.shownRows.empty());

    for (int tick = 0; tick < 3; ++tick) {
        SCOPED_TRACE(tick);
        const auto before = listRows(app());
        const size_t points = app().graphs.processorGraph.history.size();
        ValidateRect(app().shell.panelWindow, nullptr);
        setItemTextCount = 0;
        SendMessageW(window(), WM_TIMER, IDT_SAMPLE, 0);
        RECT update{};
        EXPECT_TRUE(GetUpdateRect(app().shell.panelWindow, &update, FALSE)) << "the tick repaints the graphs";
        EXPECT_EQ(app().graphs.processorGraph.history.size(), std::min<size_t>(points + 1, 120));
        const auto after = listRows(app());
        ASSERT_EQ(before.size(), after.size());
        int changed = 0;
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(before[i].first, after[i].first);
            if (before[i].second != after[i].second) {
                ++changed;
                EXPECT_NE(std::find(app().reportView.liveRowIndex.begin(), app().reportView.liveRowIndex.end(),
                                    static_cast<int>(i)),
                          app().reportView.liveRowIndex.end())
                    << "a row that is not live changed: " << after[i].first;
            }
        }
        EXPECT_EQ(setItemTextCount, changed) << "a rewrite was sent for an unchanged value";
        EXPECT_EQ(app().reportView.shownRows, after);
        // The total memory does not change from one second to the next.
        EXPECT_LT(changed, 7);
        const int loadRow = app().reportView.liveRowIndex[0];
        ASSERT_GE(loadRow, 0);
        EXPECT_EQ(after[static_cast<size_t>(loadRow)].second,
                  liveValueText(LiveKind::ProcessorLoad, app().live.liveMemory, app().live.liveLoad));
        const LiveState& live = app().live;
        EXPECT_EQ(statusPart(app(), 0), completenessSummary(mergeTally(app().scan.currentSnapshot->tally, live.liveMemory,
                                                                live.liveLoad)));
    }

    // One row directly: the same text sends nothing, another text one rewrite.
    const int totalRow = app().reportView.liveRowIndex[static_cast<size_t>(LiveKind::MemoryTotal) - 1];
    ASSERT_GE(totalRow, 0);
    const std::wstring total = app().reportView.shownRows[static_cast<size_t>(totalRow)].second;
    setItemTextCount = 0;
    setLiveRowValue(app(), totalRow, total);
    EXPECT_EQ(setItemTextCount, 0);
    setLiveRowValue(app(), totalRow, L"changed");
    EXPECT_EQ(setItemTextCount, 1);
    EXPECT_EQ(listText(app(), totalRow, 1), L"changed");
    setLiveRowValue(app(), -1, L"x");
    setLiveRowValue(app(), static_cast<int>(app().reportView.shownRows.size()), L"x");
    EXPECT_EQ(setItemTextCount, 1) << "an index outside the list is ignored";
}

TEST_F(KorvaneWindow, ClosingDuringAScanWaitsHiddenAndExitsWithZero)
{
    start(gatedScan);
    ASSERT_TRUE(pumpUntil(app(), [] { return scansStarted == 1; }));
    ASSERT_TRUE(IsWindowVisible(window()));

    SendMessageW(window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window()));
    EXPECT_FALSE(IsWindowVisible(window()));
    EXPECT_EQ(statusPart(app(), 1), L"Finishing the scan before closing...");
    EXPECT_FALSE(KillTimer(window(), IDT_SAMPLE)) << "the sampling timer still runs";

    const HWND closed = window();
    SetEvent(scanGate);
    const int exitCode = app().runMessageLoop();
    EXPECT_EQ(exitCode, 0);
    EXPECT_FALSE(IsWindow(closed));
    EXPECT_EQ(app().handle(), nullptr);
    EXPECT_FALSE(app().scan.currentSnapshot) << "the snapshot of a closing window must be freed unseen";
    EXPECT_TRUE(app().reportView.shownRows.empty());
    EXPECT_FALSE(app().scan.scanThread);
}

TEST_F(KorvaneWindow, LostScanResultIsTreatedAsNoResult)
{
    MainWindowCalls calls;
    calls.postScanResult = failingPost;
    start(scanMachine, calls);
    // The first tick after the thread ended notices that no result will come.
    ASSERT_TRUE(pumpUntil(app(), [this] { return statusPart(app(), 1) == L"The scan could not be completed."; }, 30000));
    EXPECT_EQ(statusPart(app(), 0), L"Nothing has been read from this machine yet.");
    EXPECT_TRUE(refreshEnabled(app()));
    EXPECT_FALSE(app().scan.scanThread);
    EXPECT_FALSE(app().scan.currentSnapshot);

    // A close during such a scan still ends, without waiting for the timer.
    app().calls.scan = gatedScan;
    SendMessageW(window(), WM_COMMAND, MAKEWPARAM(IDM_REFRESH, 0), 0);
    ASSERT_TRUE(pumpUntil(app(), [] { return scansStarted == 1; }));
    const HWND closed = window();
    SendMessageW(closed, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindowVisible(closed));
    SetEvent(scanGate);
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(app().runMessageLoop(), 0);
    EXPECT_LT(GetTickCount64() - started, 10000u);
    EXPECT_FALSE(IsWindow(closed));
}

TEST_F(KorvaneWindow, ScanDoneMessagesOfOtherProgramsAreIgnored)
{
    // Another program may post or broadcast WM_APP + 1 to top-level windows;
    // its lParam is no snapshot of ours and must be neither used nor freed.
    static ScanSnapshot notOurs;
    const auto strayPosts = [this] {
        PostMessageW(window(), WM_SCAN_DONE, 0, reinterpret_cast<LPARAM>(&notOurs));
        PostMessageW(window(), WM_SCAN_DONE, 1, 0);
        PostMessageW(window(), WM_SCAN_DONE, 0, 0);
        pumpUntil(app(), [] { return false; }, 300);
    };

    start(gatedScan);
    ASSERT_TRUE(pumpUntil(app(), [] { return scansStarted == 1; }));
    strayPosts();
    EXPECT_TRUE(app().scan.scanThread) << "a stray message ended the scan";
    EXPECT_EQ(statusPart(app(), 1), L"Scanning...");
    EXPECT_FALSE(refreshEnabled(app()));

    SetEvent(scanGate);
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
    ASSERT_TRUE(app().scan.currentSnapshot);
    EXPECT_EQ(app().scan.currentSnapshot->computerName.value, kInstantScanName);
    const ScanSnapshot* installed = app().scan.currentSnapshot.get();
    const std::wstring scanned = statusPart(app(), 1);

    // And with no scan running.
    strayPosts();
    EXPECT_EQ(app().scan.currentSnapshot.get(), installed);
    EXPECT_EQ(statusPart(app(), 1), scanned);
    EXPECT_TRUE(refreshEnabled(app()));
}

// A list view that cannot be made fails the main window's WM_CREATE. Windows
// then destroys the window, whose WM_DESTROY posts WM_QUIT; the hook posts
// it itself, as Wine does not send WM_DESTROY there.
LRESULT CALLBACK refuseListView(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        wchar_t className[64]{};
        GetClassNameW(reinterpret_cast<HWND>(wParam), className, 64);
        if (lstrcmpiW(className, WC_LISTVIEWW) == 0) {
            PostQuitMessage(0);
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<std::wstring> startFailureBoxes;
bool quitPendingAtTheBox = false;

int WINAPI recordStartFailureBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags)
{
    MSG quit{};
    quitPendingAtTheBox = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
    startFailureBoxes.push_back(std::wstring(text) + L"|" + caption + L"|" + std::to_wstring(flags) +
                                (owner == nullptr ? L"|no owner" : L"|owned"));
    return IDOK;
}

TEST_F(KorvaneWindow, AWindowThatCannotBeMadeIsReportedAndExitsWithOne)
{
    startFailureBoxes.clear();
    quitPendingAtTheBox = true;
    MainWindowCalls calls;
    calls.messageBox = recordStartFailureBox;
    MainWindow& failing = makeWindow(calls);
    const HHOOK hook = SetWindowsHookExW(WH_CBT, refuseListView, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    int exitCode = -1;
    const bool started = failing.start(GetModuleHandleW(nullptr), SW_SHOWNORMAL, exitCode);
    UnhookWindowsHookEx(hook);

    EXPECT_FALSE(started);
    EXPECT_EQ(exitCode, 1);
    ASSERT_EQ(startFailureBoxes.size(), 1u);
    EXPECT_EQ(startFailureBoxes[0],
              L"The window could not be created.|Korvane|" + std::to_wstring(MB_ICONERROR) + L"|no owner");
    EXPECT_FALSE(quitPendingAtTheBox) << "the box would have closed at once";
    EXPECT_FALSE(app().scan.scanThread) << "no scan starts without a window";
}

namespace {

// The Value column's width at `dpi`: what the list has inside less the Item
// column, the slack and a vertical scroll bar as wide as at that DPI.
int expectedValueWidth(const MainWindow& app, int dpi)
{
    const GetSystemMetricsForDpiFunction forDpi = DpiCalls{}.getSystemMetricsForDpi;
    const int scrollBar = forDpi != nullptr ? forDpi(SM_CXVSCROLL, static_cast<UINT>(dpi))
                                            : GetSystemMetrics(SM_CXVSCROLL);
    RECT inside{};
    GetClientRect(app.shell.reportList, &inside);
    return std::max(static_cast<int>(inside.right) - MulDiv(4, dpi, 96) - MulDiv(215, dpi, 96) - scrollBar,
                    MulDiv(200, dpi, 96));
}

// What GetDpiForWindow answers for the new window, and where that window was
// when it asked.
UINT createdWindowDpi = 0;
RECT boundsWhenAsked{};

UINT WINAPI fakeDpiForWindow(HWND window)
{
    GetWindowRect(window, &boundsWhenAsked);
    return createdWindowDpi;
}

}  // namespace

// Windows makes the window at its monitor's DPI and sends no WM_DPICHANGED
// for it; where it cannot tell, the system DPI stays.
TEST_F(KorvaneWindow, OpensAtTheDpiItWasMadeAt)
{
    const struct {
        const char* windows;
        GetDpiForWindowFunction getDpiForWindow;
        UINT answer;
        int dpi;
    } cases[] = {
        {"a monitor of 144 DPI", fakeDpiForWindow, 144, 144},
        {"GetDpiForWindow fails", fakeDpiForWindow, 0, 96},
        {"no GetDpiForWindow", nullptr, 0, 96},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windows);
        createdWindowDpi = c.answer;
        boundsWhenAsked = RECT{};
        MainWindowCalls calls;
        calls.dpi.getDpiForWindow = c.getDpiForWindow;
        start(gatedScan, calls);
        ASSERT_EQ(app().shell.systemDpi, 96) << "the test display is expected at 96 DPI";

        EXPECT_EQ(app().shell.windowDpi, c.dpi);
        RECT panel{};
        GetWindowRect(app().shell.panelWindow, &panel);
        EXPECT_EQ(panel.bottom - panel.top, MulDiv(120, c.dpi, 96));
        EXPECT_EQ(SendMessageW(app().shell.reportList, LVM_GETCOLUMNWIDTH, 0, 0), MulDiv(215, c.dpi, 96));
        EXPECT_EQ(SendMessageW(app().shell.reportList, LVM_GETCOLUMNWIDTH, 1, 0), expectedValueWidth(app(), c.dpi));
        LOGFONTW made{};
        ASSERT_NE(GetObjectW(app().shell.uiFont.get(), sizeof(made), &made), 0);
        EXPECT_EQ(made.lfHeight, MulDiv(app().shell.baseFont.lfHeight, c.dpi, app().shell.systemDpi));
        if (c.getDpiForWindow != nullptr) {
            // Grown from its top-left corner, as far as the screen lets a window grow.
            RECT outer{};
            GetWindowRect(window(), &outer);
            EXPECT_EQ(outer.left, boundsWhenAsked.left);
            EXPECT_EQ(outer.top, boundsWhenAsked.top);
            EXPECT_EQ(outer.right - outer.left,
                      std::min(MulDiv(boundsWhenAsked.right - boundsWhenAsked.left, c.dpi, 96),
                               GetSystemMetrics(SM_CXMAXTRACK)));
            EXPECT_EQ(outer.bottom - outer.top,
                      std::min(MulDiv(boundsWhenAsked.bottom - boundsWhenAsked.top, c.dpi, 96),
                               GetSystemMetrics(SM_CYMAXTRACK)));
        }
        SetEvent(scanGate);
        endWindow();
        ResetEvent(scanGate);
    }
}

TEST_F(KorvaneWindow, MinimumSizeAndDpiChangesScaleEverything)
{
    start(gatedScan);
    // The tests carry the program's DPI awareness, so a screen above 96 DPI
    // gives the window its own DPI.
    const int dpi = app().shell.windowDpi;

    MINMAXINFO info{};
    info.ptMaxSize = {1234, 567};
    SendMessageW(window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, MulDiv(560, dpi, 96));
    EXPECT_EQ(info.ptMinTrackSize.y, MulDiv(360, dpi, 96));
    EXPECT_EQ(info.ptMaxSize.x, 1234) << "nothing else of the record changes";

    const HFONT fontBefore = app().shell.uiFont.get();
    ASSERT_NE(fontBefore, nullptr);
    LOGFONTW baseFont = app().shell.baseFont;
    // Within the smallest screen the tests may run on (Wine caps windows at its size).
    RECT suggested{10, 20, 10 + 1000, 20 + 700};
    SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(app().shell.windowDpi, 144);
    RECT panel{};
    GetWindowRect(app().shell.panelWindow, &panel);
    EXPECT_EQ(panel.bottom - panel.top, 180);
    EXPECT_EQ(SendMessageW(app().shell.reportList, LVM_GETCOLUMNWIDTH, 0, 0), MulDiv(215, 144, 96));
    EXPECT_EQ(SendMessageW(app().shell.reportList, LVM_GETCOLUMNWIDTH, 1, 0), expectedValueWidth(app(), 144));
    SendMessageW(window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 840);
    EXPECT_EQ(info.ptMinTrackSize.y, 540);
    RECT outer{};
    GetWindowRect(window(), &outer);
    EXPECT_EQ(outer.right - outer.left, 1000) << "the suggested rectangle is taken";
    EXPECT_EQ(outer.bottom - outer.top, 700) << "the suggested rectangle is taken";
    EXPECT_EQ(outer.left, 10);

    // A new font at the new DPI, handed to every child.
    const HFONT fontAfter = app().shell.uiFont.get();
    ASSERT_NE(fontAfter, nullptr);
    EXPECT_NE(fontAfter, fontBefore);
    EXPECT_EQ(GetObjectType(fontBefore), 0u) << "the replaced font was not deleted";
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(app().shell.reportList, WM_GETFONT, 0, 0)), fontAfter);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(app().shell.statusBar, WM_GETFONT, 0, 0)), fontAfter);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(app().shell.panelWindow, WM_GETFONT, 0, 0)), fontAfter);
    EXPECT_EQ(app().graphs.dpi, 144) << "the graphs are drawn at the window's DPI";
    LOGFONTW made{};
    ASSERT_NE(GetObjectW(fontAfter, sizeof(made), &made), 0);
    EXPECT_EQ(made.lfHeight, MulDiv(baseFont.lfHeight, 144, app().shell.systemDpi));

    // A low word of 0 counts as 96.
    SendMessageW(window(), WM_DPICHANGED, 0, 0);
    EXPECT_EQ(app().shell.windowDpi, 96);
    GetWindowRect(app().shell.panelWindow, &panel);
    EXPECT_EQ(panel.bottom - panel.top, 120);
    EXPECT_EQ(SendMessageW(app().shell.reportList, LVM_GETCOLUMNWIDTH, 0, 0), 215);
}

TEST_F(KorvaneWindow, TinyWindowsKeepTheirMinimumsAndNoNegativeHeight)
{
    start(gatedScan);
    const auto scaled = [this](int size96) { return MulDiv(size96, app().shell.windowDpi, 96); };
    // The main window itself cannot be made this small, so lay the children out
    // as for a client area of that size.
    for (const SIZE size : {SIZE{40, 600}, SIZE{900, 30}, SIZE{10, 10}}) {
        SCOPED_TRACE(testing::Message() << size.cx << "x" << size.cy);
        const HWND stand = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, size.cx, size.cy, nullptr, nullptr,
                                           GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(stand, nullptr);
        const ScopeExit destroy([stand] { DestroyWindow(stand); });
        RECT client{};
        GetClientRect(stand, &client);
        layoutChildren(app(), client.right, client.bottom);
        EXPECT_GE(SendMessageW(app().shell.reportList, LVM_GETCOLUMNWIDTH, 1, 0), scaled(200));
        EXPECT_EQ(SendMessageW(app().shell.reportList, LVM_GETCOLUMNWIDTH, 0, 0), scaled(215));
        int edges[2] = {};
        ASSERT_EQ(SendMessageW(app().shell.statusBar, SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
        EXPECT_GE(edges[0], scaled(120));
        RECT list{};
        GetWindowRect(app().shell.reportList, &list);
        EXPECT_GE(list.bottom - list.top, 0);
        if (client.bottom < 200) {
            EXPECT_EQ(list.bottom - list.top, 0);
        }
        RECT panel{};
        GetWindowRect(app().shell.panelWindow, &panel);
        EXPECT_EQ(panel.right - panel.left, client.right);
    }
    // Status texts survive the reset of the parts.
    EXPECT_EQ(statusPart(app(), 0), L"Reading this machine...");
    EXPECT_EQ(statusPart(app(), 1), L"Scanning...");
}

TEST_F(KorvaneWindow, MenuHasItsTextsInOrderAndAlwaysOnTopToggles)
{
    start(gatedScan);
    const HMENU bar = GetMenu(window());
    ASSERT_NE(bar, nullptr);
    const auto text = [](HMENU menu, int position) {
        wchar_t buffer[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), buffer, 64, MF_BYPOSITION);
        return std::wstring(buffer);
    };
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    EXPECT_EQ(text(bar, 0), L"&File");
    EXPECT_EQ(text(bar, 1), L"&View");
    EXPECT_EQ(text(bar, 2), L"&Power");
    EXPECT_EQ(text(bar, 3), L"&Help");
    const struct {
        int popup;
        std::vector<std::pair<UINT, const wchar_t*>> items;
    } expected[] = {
        {0,
         {{IDM_REFRESH, L"&Refresh\tF5"},
          {IDM_COPY_ROWS, L"&Copy Selected Rows\tCtrl+C"},
          {0, L""},
          {IDM_SAVE_CSV, L"Save as &CSV..."},
          {0, L""},
          {IDM_EXIT, L"E&xit"}}},
        {1, {{IDM_ALWAYS_ON_TOP, L"Always on &Top"}}},
        {2, {{IDM_LOG_OFF, L"&Log Off..."}, {IDM_RESTART, L"&Restart..."}, {IDM_SHUT_DOWN, L"Shut &Down..."}}},
        {3, {{IDM_WEB_PAGE, L"Korvane on the &Web"}}},
    };
    for (const auto& popup : expected) {
        const HMENU menu = GetSubMenu(bar, popup.popup);
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(popup.items.size()));
        for (size_t i = 0; i < popup.items.size(); ++i) {
            const int position = static_cast<int>(i);
            EXPECT_EQ(text(menu, position), popup.items[i].second);
            if (popup.items[i].first == 0) {
                EXPECT_TRUE(GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_SEPARATOR);
            } else {
                EXPECT_EQ(GetMenuItemID(menu, position), popup.items[i].first);
            }
        }
    }

    const auto checked = [bar] { return (GetMenuState(bar, IDM_ALWAYS_ON_TOP, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    const auto topmost = [this] { return (GetWindowLongPtrW(window(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    EXPECT_FALSE(checked());
    SendMessageW(window(), WM_COMMAND, MAKEWPARAM(IDM_ALWAYS_ON_TOP, 0), 0);
    EXPECT_TRUE(checked());
    EXPECT_TRUE(topmost());
    SendMessageW(window(), WM_COMMAND, MAKEWPARAM(IDM_ALWAYS_ON_TOP, 0), 0);
    EXPECT_FALSE(checked());
    EXPECT_FALSE(topmost());
}

namespace {

// The web page call and the boxes it may lead to, answered by the test.
struct WebPageCall {
    HWND owner;
    std::wstring verb;
    std::wstring file;
    bool parametersOrDirectory;
    INT show;
};
std::vector<WebPageCall> webPageCalls;
INT_PTR webPageResult = 0;
std::vector<std::wstring> webPageBoxes;
HWND webPageOwner = nullptr;

HINSTANCE WINAPI scriptedShellExecute(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                      LPCWSTR directory, INT show)
{
    webPageCalls.push_back({owner, verb != nullptr ? verb : L"(null)", file != nullptr ? file : L"(null)",
                            parameters != nullptr || directory != nullptr, show});
    return reinterpret_cast<HINSTANCE>(webPageResult);
}

int WINAPI recordWebPageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags)
{
    webPageBoxes.push_back(std::wstring(text) + L"|" + caption + L"|" + std::to_wstring(flags) +
                           (owner == webPageOwner ? L"|owned" : L"|not owned by the window"));
    return IDOK;
}

}  // namespace

// ShellExecuteW succeeds with a value above 32; 32 itself and below are errors.
TEST_F(KorvaneWindow, WebPageOpensAboveThirtyTwoAndReportsAnythingElse)
{
    start(gatedScan);
    app().calls.shellExecute = scriptedShellExecute;
    app().calls.messageBox = recordWebPageBox;
    webPageOwner = window();
    const std::wstring failureBox = std::wstring(L"The page could not be opened.\r\n\r\n") + kWebPageAddress +
                                    L"|Korvane|" + std::to_wstring(MB_ICONERROR) + L"|owned";
    const struct {
        INT_PTR result;
        bool opened;
    } cases[] = {{33, true}, {32, false}, {42, true}, {SE_ERR_NOASSOC, false}, {0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "ShellExecuteW returns " << c.result);
        webPageCalls.clear();
        webPageBoxes.clear();
        webPageResult = c.result;
        EXPECT_EQ(SendMessageW(window(), WM_COMMAND, MAKEWPARAM(IDM_WEB_PAGE, 0), 0), 0);
        ASSERT_EQ(webPageCalls.size(), 1u);
        EXPECT_EQ(webPageCalls[0].owner, window());
        EXPECT_EQ(webPageCalls[0].verb, L"open");
        EXPECT_EQ(webPageCalls[0].file, kWebPageAddress);
        EXPECT_FALSE(webPageCalls[0].parametersOrDirectory);
        EXPECT_EQ(webPageCalls[0].show, SW_SHOWNORMAL);
        if (c.opened) {
            EXPECT_TRUE(webPageBoxes.empty()) << "a page that opened is not reported";
        } else {
            EXPECT_EQ(webPageBoxes, std::vector<std::wstring>{failureBox});
        }
    }
}

TEST_F(KorvaneWindow, TicksAndRescansDoNotGrowHandlesGdiObjectsOrMemory)
{
    const auto tick = [this] {
        SendMessageW(window(), WM_TIMER, IDT_SAMPLE, 0);
        UpdateWindow(app().shell.panelWindow);  // paint now, through the off-screen bitmap
    };
    const auto rescan = [this] {
        SendMessageW(window(), WM_COMMAND, MAKEWPARAM(IDM_REFRESH, 0), 0);
        return pumpUntil(app(), [this] { return scanIdle(); });
    };

    start();
    ASSERT_TRUE(pumpUntil(app(), [this] { return scanIdle(); }));
    // Warm up: the first ticks and scans fill caches that stay.
    for (int i = 0; i < 130; ++i) {
        tick();
    }
    ASSERT_TRUE(rescan());
    ASSERT_TRUE(rescan());

    const ResourceCounts before = measureResources();
    for (int i = 0; i < 300; ++i) {
        tick();
    }
    const ResourceCounts afterTicks = measureResources();
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(rescan()) << "rescan " << i;
        tick();
    }
    const ResourceCounts afterScans = measureResources();

    printResources("before:", before);
    printResources("after 300 ticks:", afterTicks);
    printResources("after 30 scans:", afterScans);

    for (const ResourceCounts* after : {&afterTicks, &afterScans}) {
        expectNoMoreResources(before, *after);
    }
    // The heap holds the same page and rows either way; a leak of one row per
    // tick or one snapshot per scan would add tens of kilobytes.
    EXPECT_LT(afterTicks.heapBytes, before.heapBytes + 16 * 1024);
    EXPECT_LT(afterScans.heapBytes, before.heapBytes + 64 * 1024);
}
