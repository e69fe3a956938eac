#include "app/main_window.h"

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "app/child_windows.h"
#include "app/program.h"
#include "app/report_view.h"
#include "app/status_bar.h"
#include "common/scope_exit.h"
#include "load/graph_mapping.h"
#include "report/completeness.h"
#include "report/report_rows.h"
#include "scan/scan_machine.h"
#include "support/canvas.h"
#include "support/fake_library_loader.h"
#include "support/window_harness.h"
#include "support/window_subclass.h"

namespace {

BOOL WINAPI failingPost(HWND, UINT, WPARAM, LPARAM)
{
    SetLastError(ERROR_NOT_ENOUGH_QUOTA);
    return FALSE;
}

// The rows the list should show: those of the page as it stands now.
std::vector<std::pair<std::wstring, std::wstring>> pageRows(const MainWindow& app)
{
    std::vector<std::pair<std::wstring, std::wstring>> rows;
    if (const std::optional<ReportPage> page = app.currentPage()) {
        for (const ReportRow& row : buildReportRows(*page)) {
            rows.emplace_back(row.item, row.value);
        }
    }
    return rows;
}

using KorvaneWindow = WindowTest;

}  // namespace

TEST_F(KorvaneWindow, FirstScanFillsTheListWithTheReportRows)
{
    ASSERT_NO_FATAL_FAILURE(startWindow(MainWindowCalls{}));
    EXPECT_EQ(statusPart(app(), 1), L"Scanning...");
    EXPECT_FALSE(refreshEnabled(app()));
    ASSERT_TRUE(pumpUntilScanEnds(app())) << "the first scan did not finish";
    const std::optional<ReportPage> page = app().currentPage();
    ASSERT_TRUE(page);

    const auto shown = listRows(app());
    EXPECT_GT(shown.size(), 20u);
    // Live rows show the latest samples, which is what the page is built from.
    EXPECT_EQ(shown, pageRows(app()));
    EXPECT_EQ(statusPart(app(), 0), completenessSummary(page->tally));
    const std::wstring scanned = statusPart(app(), 1);
    ASSERT_EQ(scanned.size(), 11u + 19u) << scanned;
    EXPECT_EQ(scanned.substr(0, 11), L"Scanned at ");
    EXPECT_EQ(scanned.substr(11), page->scanTakenAt);
    EXPECT_EQ(scanned[15], L'-');
    EXPECT_EQ(scanned[24], L':');
    EXPECT_TRUE(refreshEnabled(app()));
}

TEST_F(KorvaneWindow, RefreshWhileScanningStartsNothing)
{
    ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan));
    ASSERT_TRUE(pumpUntil(app(), [] { return scansStarted == 1; }));
    EXPECT_FALSE(refreshEnabled(app()));

    // The menu command and the F5 key (through the accelerators, from the list).
    command(IDM_REFRESH);
    PostMessageW(reportList(app()), WM_KEYDOWN, VK_F5, 0);
    pumpFor(app(), 300);
    EXPECT_EQ(scansStarted, 1);
    EXPECT_EQ(statusPart(app(), 1), L"Scanning...");

    SetEvent(scanGate);
    ASSERT_TRUE(pumpUntilScanEnds(app()));
    EXPECT_TRUE(refreshEnabled(app()));
    EXPECT_EQ(statusPart(app(), 1).substr(0, 11), L"Scanned at ");
    ASSERT_TRUE(app().currentPage());
    EXPECT_EQ(app().currentPage()->snapshot.computerName.value, kInstantScanName);

    // Now F5 does start one.
    PostMessageW(reportList(app()), WM_KEYDOWN, VK_F5, 0);
    ASSERT_TRUE(pumpUntil(app(), [] { return scansStarted == 2; }));
    ASSERT_TRUE(pumpUntilScanEnds(app()));
    EXPECT_TRUE(refreshEnabled(app()));
}

// Each installed scan opens the report at its top with nothing selected,
// however far down the user had scrolled.
TEST_F(KorvaneWindow, ARescanOpensTheReportAtItsTop)
{
    ASSERT_NO_FATAL_FAILURE(startWindow(scanMachine));
    const HWND list = reportList(app());
    ASSERT_TRUE(SetWindowPos(window(), nullptr, 0, 0, 500, 400, SWP_NOMOVE | SWP_NOZORDER));
    const auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    ASSERT_GT(count, 20);
    LVITEMW selected{};
    selected.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    selected.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&selected));
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1), FALSE);
    ASSERT_GT(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 0) << "the list did not scroll down";

    command(IDM_REFRESH);
    ASSERT_TRUE(pumpUntilScanEnds(app()));
    EXPECT_EQ(SendMessageW(list, LVM_GETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 0);
    EXPECT_EQ(SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), -1);
}

TEST_F(KorvaneWindow, TimerTickRewritesOnlyLiveRowsWhoseTextChanged)
{
    ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan));
    MessageCounter rewrites(reportList(app()), LVM_SETITEMTEXTW);
    ASSERT_TRUE(rewrites.installed());

    // Before the first scan a tick changes nothing in the list or in part 0.
    rewrites.reset();
    tick(app());
    EXPECT_EQ(rewrites.count(), 0);
    EXPECT_TRUE(listRows(app()).empty());
    EXPECT_EQ(statusPart(app(), 0), L"Reading this machine...");

    SetEvent(scanGate);
    ASSERT_TRUE(pumpUntilScanEnds(app()));
    ASSERT_TRUE(app().currentPage());
    for (int second = 0; second < 3; ++second) {
        SCOPED_TRACE(second);
        const auto before = listRows(app());
        const HWND panel = graphPanel(app());
        ValidateRect(panel, nullptr);
        rewrites.reset();
        SendMessageW(window(), WM_TIMER, IDT_SAMPLE, 0);
        RECT update{};
        EXPECT_TRUE(GetUpdateRect(panel, &update, FALSE)) << "the tick repaints the graphs";
        // The list shows the page of this second, and only values that changed were sent.
        const auto after = listRows(app());
        ASSERT_EQ(after, pageRows(app()));
        int changed = 0;
        for (size_t i = 0; i < before.size(); ++i) {
            changed += before[i] != after[i] ? 1 : 0;
        }
        EXPECT_EQ(rewrites.count(), changed) << "a rewrite was sent for an unchanged value";
        // The total memory does not change from one second to the next.
        EXPECT_LT(changed, static_cast<int>(kLiveRowCount));
        EXPECT_EQ(statusPart(app(), 0), completenessSummary(app().currentPage()->tally));
    }
}

TEST_F(KorvaneWindow, ClosingDuringAScanWaitsHiddenAndExitsWithZero)
{
    ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan));
    ASSERT_TRUE(pumpUntil(app(), [] { return scansStarted == 1; }));
    ASSERT_TRUE(IsWindowVisible(window()));

    SendMessageW(window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(window()));
    EXPECT_FALSE(IsWindowVisible(window()));
    EXPECT_EQ(statusPart(app(), 1), L"Finishing the scan before closing...");
    EXPECT_FALSE(KillTimer(window(), IDT_SAMPLE)) << "the sampling timer still runs";

    const HWND closed = window();
    SetEvent(scanGate);
    EXPECT_EQ(app().runMessageLoop(), 0);
    EXPECT_FALSE(IsWindow(closed));
    EXPECT_EQ(app().handle(), nullptr);
    EXPECT_FALSE(app().currentPage()) << "the snapshot of a closing window must be freed unseen";
    EXPECT_FALSE(app().scanRunning());
}

TEST_F(KorvaneWindow, LostScanResultIsTreatedAsNoResult)
{
    MainWindowCalls calls;
    calls.postScanResult = failingPost;
    ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan, calls));
    SetEvent(scanGate);
    // The first tick after the thread ended notices that no result will come.
    const auto lost = [this] { return statusPart(app(), 1) == L"The scan could not be completed."; };
    ASSERT_TRUE(pumpUntil(app(), lost, 30000));
    EXPECT_EQ(statusPart(app(), 0), L"Nothing has been read from this machine yet.");
    EXPECT_TRUE(refreshEnabled(app()));
    EXPECT_FALSE(app().scanRunning());
    EXPECT_FALSE(app().currentPage());

    // A close during such a scan still ends, without waiting for the timer.
    ResetEvent(scanGate);
    command(IDM_REFRESH);
    ASSERT_TRUE(pumpUntil(app(), [] { return scansStarted == 2; }));
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
        pumpFor(app(), 300);
    };

    ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan));
    ASSERT_TRUE(pumpUntil(app(), [] { return scansStarted == 1; }));
    strayPosts();
    EXPECT_TRUE(app().scanRunning()) << "a stray message ended the scan";
    EXPECT_EQ(statusPart(app(), 1), L"Scanning...");
    EXPECT_FALSE(refreshEnabled(app()));

    SetEvent(scanGate);
    ASSERT_TRUE(pumpUntilScanEnds(app()));
    const std::wstring scanned = statusPart(app(), 1);
    const auto rows = listRows(app());

    // And with no scan running.
    strayPosts();
    ASSERT_TRUE(app().currentPage());
    EXPECT_EQ(app().currentPage()->snapshot.computerName.value, kInstantScanName);
    EXPECT_EQ(statusPart(app(), 1), scanned);
    EXPECT_EQ(listRows(app()), rows);
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

bool quitPendingAtTheBox = false;

int WINAPI recordStartFailureBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags)
{
    MSG quit{};
    quitPendingAtTheBox = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
    return recordMessageBox(owner, text, caption, flags);
}

TEST_F(KorvaneWindow, AWindowThatCannotBeMadeIsReportedAndExitsWithOne)
{
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
    ASSERT_EQ(shownBoxes.size(), 1u);
    EXPECT_EQ(shownBoxes[0].text, L"The window could not be created.");
    EXPECT_EQ(shownBoxes[0].caption, L"Korvane");
    EXPECT_EQ(shownBoxes[0].flags, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(shownBoxes[0].owner, nullptr);
    EXPECT_FALSE(quitPendingAtTheBox) << "the box would have closed at once";
    EXPECT_FALSE(app().scanRunning()) << "no scan starts without a window";
}

namespace {

// The program's first calls, in the order made.
std::vector<std::string> startCalls;

BOOL WINAPI recordDllSearch(DWORD flags)
{
    startCalls.push_back("SetDefaultDllDirectories " + std::to_string(flags));
    return TRUE;
}

HRESULT WINAPI recordComStart(LPVOID reserved, DWORD mode)
{
    startCalls.emplace_back("CoInitializeEx");
    return CoInitializeEx(reserved, mode);
}

BOOL WINAPI recordCommonControls(const INITCOMMONCONTROLSEX* controls)
{
    startCalls.emplace_back("InitCommonControlsEx");
    PostQuitMessage(0);  // the run ends as soon as its message loop starts
    return InitCommonControlsEx(controls);
}

}  // namespace

TEST(ProgramStart, SearchesOnlyTheSystemFolderBeforeComAndCommonControls)
{
    for (const bool present : {true, false}) {
        SCOPED_TRACE(present ? "SetDefaultDllDirectories present" : "Windows 7 without its loader update");
        startCalls.clear();
        std::map<std::string, void*> kernel32;
        if (present) {
            kernel32["SetDefaultDllDirectories"] = reinterpret_cast<void*>(&recordDllSearch);
        }
        const FakeLibraryLoader loader({}, kernel32);
        ProgramCalls calls;
        calls.library = FakeLibraryLoader::calls();
        calls.com.initialize = recordComStart;
        calls.window.initCommonControls = recordCommonControls;
        calls.window.scan = instantScan;
        calls.window.messageBox = recordMessageBox;
        calls.window.power.exitWindows = exitWindowsGuard;
        EXPECT_EQ(runProgram(GetModuleHandleW(nullptr), SW_SHOWNORMAL, calls), 0) << "start-up goes on";
        std::vector<std::string> expected{"CoInitializeEx", "InitCommonControlsEx"};
        if (present) {
            expected.insert(expected.begin(),
                            "SetDefaultDllDirectories " + std::to_string(LOAD_LIBRARY_SEARCH_SYSTEM32));
        }
        EXPECT_EQ(startCalls, expected);
        drainMessages();
    }
}

namespace {

int systemDpi()
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// Everything the window sizes at `dpi`: the panel, the two columns, the
// font of every child, the smallest size and the graphs' picture.
void expectScaledTo(const MainWindow& app, int dpi)
{
    const HWND list = reportList(app);
    const HWND panel = graphPanel(app);
    RECT panelBox{};
    GetClientRect(panel, &panelBox);
    EXPECT_EQ(panelBox.bottom, MulDiv(120, dpi, 96));
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), MulDiv(215, dpi, 96));
    // The two columns, the slack and a scroll bar as wide as at this DPI fill the list.
    RECT inside{};
    GetClientRect(list, &inside);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0) + SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0) +
                  MulDiv(4, dpi, 96) + scrollBarWidth(DpiCalls{}, dpi),
              inside.right);
    MINMAXINFO info{};
    info.ptMaxSize = {1234, 567};
    SendMessageW(app.handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, MulDiv(560, dpi, 96));
    EXPECT_EQ(info.ptMinTrackSize.y, MulDiv(360, dpi, 96));
    EXPECT_EQ(info.ptMaxSize.x, 1234) << "nothing else of the record changes";

    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof(metrics);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    LOGFONTW made{};
    ASSERT_NE(GetObjectW(font, sizeof(made), &made), 0);
    EXPECT_EQ(made.lfHeight, MulDiv(metrics.lfMessageFont.lfHeight, dpi, systemDpi()));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(statusBar(app), WM_GETFONT, 0, 0)), font);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)), font);

    // The memory graph (it has a value) is framed where its layout at this DPI puts it.
    UpdateWindow(panel);
    const PixelBox memoryHalf{0, panelBox.bottom / 2, panelBox.right, panelBox.bottom};
    const PixelBox plot = graphLayout(memoryHalf, dpi, true).plotBox;
    const HDC dc = GetDC(panel);
    EXPECT_EQ(GetPixel(dc, plot.left, (plot.top + plot.bottom) / 2), GetSysColor(COLOR_BTNSHADOW))
        << "the graphs are drawn at the window's DPI";
    ReleaseDC(panel, dc);
}

// What the DPI calls answer for the new window, the work area of its
// monitor, and where the window was when it was first asked about: placed
// away from the origin first, so that a corner that moves is seen.
UINT createdWindowDpi = 0;
RECT fakeWorkArea{};
RECT boundsWhenAsked{};
bool placed = false;

void placeOnce(HWND window)
{
    if (!placed) {
        placed = true;
        SetWindowPos(window, nullptr, 37, 23, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        GetWindowRect(window, &boundsWhenAsked);
    }
}

UINT WINAPI fakeDpiForWindow(HWND window)
{
    placeOnce(window);
    return createdWindowDpi;
}

HMONITOR WINAPI fakeMonitorFromWindow(HWND window, DWORD flags)
{
    placeOnce(window);
    return MonitorFromWindow(window, flags);
}

HRESULT WINAPI fakeDpiForMonitor(HMONITOR, int type, UINT* dpiX, UINT* dpiY)
{
    *dpiX = *dpiY = createdWindowDpi;
    return type == kMonitorEffectiveDpi && createdWindowDpi != 0 ? S_OK : E_INVALIDARG;
}

BOOL WINAPI fakeMonitorInfo(HMONITOR, MONITORINFO* info)
{
    info->rcMonitor = fakeWorkArea;
    info->rcWork = fakeWorkArea;
    return TRUE;
}

}  // namespace

// Windows makes the window at its monitor's DPI and sends no WM_DPICHANGED
// for it; where it cannot tell, the system DPI stays. A window larger than
// its monitor's work area is shrunk and moved into it.
TEST_F(KorvaneWindow, OpensAtItsMonitorsDpiWithinItsWorkArea)
{
    const int base = systemDpi();
    const int other = base * 3 / 2;
    const RECT everywhere{-4000, -4000, 4000, 4000};
    const RECT small{100, 50, 100 + MulDiv(700, base, 96), 50 + MulDiv(500, base, 96)};
    const RECT away{300, 200, 300 + MulDiv(1000, base, 96), 200 + MulDiv(800, base, 96)};
    const struct {
        const char* windows;
        GetDpiForWindowFunction getDpiForWindow;
        GetDpiForMonitorFunction getDpiForMonitor;
        UINT answer;
        int dpi;
        RECT work;
        RECT expected;  // none: grown from where it was
    } cases[] =
        {{"Windows 10 1607, a monitor at 150 %", fakeDpiForWindow, nullptr, UINT(other), other, everywhere, {}},
         {"GetDpiForWindow fails", fakeDpiForWindow, fakeDpiForMonitor, 0, base, everywhere, {}},
         {"Windows 8.1, a monitor at 150 %", nullptr, fakeDpiForMonitor, UINT(other), other, everywhere, {}},
         {"GetDpiForMonitor fails", nullptr, fakeDpiForMonitor, 0, base, everywhere, {}},
         {"Windows 7", nullptr, nullptr, UINT(other), base, everywhere, {}},
         {"a small work area", nullptr, nullptr, 0, base, small, small},
         {"a work area away from the window",
          nullptr,
          nullptr,
          0,
          base,
          away,
          {away.left, away.top, away.left + MulDiv(940, base, 96), away.top + MulDiv(680, base, 96)}},
         {"a work area below the smallest size",
          nullptr,
          nullptr,
          0,
          base,
          {10, 10, 410, 310},
          {10, 10, 10 + MulDiv(560, base, 96), 10 + MulDiv(360, base, 96)}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windows);
        createdWindowDpi = c.answer;
        fakeWorkArea = c.work;
        placed = false;
        MainWindowCalls calls;
        calls.dpi.getDpiForWindow = c.getDpiForWindow;
        calls.dpi.getDpiForMonitor = c.getDpiForMonitor;
        calls.dpi.monitorFromWindow = fakeMonitorFromWindow;
        calls.dpi.getMonitorInfo = fakeMonitorInfo;
        ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan, calls));
        expectScaledTo(app(), c.dpi);
        EXPECT_NE(GetWindowLongPtrW(window(), GWL_STYLE) & WS_CLIPCHILDREN, 0) << "no background under the children";
        RECT outer{};
        GetWindowRect(window(), &outer);
        if (!IsRectEmpty(&c.expected)) {
            EXPECT_TRUE(EqualRect(&outer, &c.expected))
                << outer.left << "," << outer.top << " " << outer.right << "," << outer.bottom;
        } else {
            // Grown from its top-left corner, as far as the screen lets a window grow.
            const RECT& was = boundsWhenAsked;
            EXPECT_EQ(outer.left, was.left);
            EXPECT_EQ(outer.top, was.top);
            EXPECT_EQ(outer.right - outer.left,
                      std::min(MulDiv(was.right - was.left, c.dpi, base), GetSystemMetrics(SM_CXMAXTRACK)));
            EXPECT_EQ(outer.bottom - outer.top,
                      std::min(MulDiv(was.bottom - was.top, c.dpi, base), GetSystemMetrics(SM_CYMAXTRACK)));
        }
        SetEvent(scanGate);
        endWindow();
        ResetEvent(scanGate);
    }
}

TEST_F(KorvaneWindow, DpiChangesScaleEverything)
{
    ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan));
    // The tests carry the program's DPI awareness, so a screen above 96 DPI
    // gives the window its own DPI.
    expectScaledTo(app(), systemDpi());
    const auto fontBefore = reinterpret_cast<HFONT>(SendMessageW(reportList(app()), WM_GETFONT, 0, 0));

    // Within the smallest screen the tests may run on (Wine caps windows at its size).
    RECT suggested{10, 20, 10 + 1000, 20 + 700};
    SendMessageW(window(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    expectScaledTo(app(), 144);
    RECT outer{};
    GetWindowRect(window(), &outer);
    EXPECT_TRUE(EqualRect(&outer, &suggested)) << "the suggested rectangle is taken";
    EXPECT_EQ(GetObjectType(fontBefore), 0u) << "the replaced font was not deleted";

    // A low word of 0 counts as 96.
    SendMessageW(window(), WM_DPICHANGED, 0, 0);
    expectScaledTo(app(), 96);
}

namespace {

// The colour scheme and the message font as the test sets them.
bool fakeHighContrast = false;
int messageFontGrowth = 1;

BOOL WINAPI fakeSystemParameters(UINT action, UINT size, void* data, UINT flags)
{
    if (action == SPI_GETHIGHCONTRAST) {
        static_cast<HIGHCONTRASTW*>(data)->dwFlags = fakeHighContrast ? HCF_HIGHCONTRASTON : 0;
        return TRUE;
    }
    const BOOL read = SystemParametersInfoW(action, size, data, flags);
    if (read && action == SPI_GETNONCLIENTMETRICS) {
        static_cast<NONCLIENTMETRICSW*>(data)->lfMessageFont.lfHeight *= messageFontGrowth;
    }
    return read;
}

}  // namespace

// A high-contrast scheme, on at start or switched on and off while the window
// runs, draws both lines in the scheme's text colour; the list and the status
// bar hear of every colour change.
TEST_F(KorvaneWindow, ColourSchemesReachTheControlsAndTheLines)
{
    fakeHighContrast = true;
    MainWindowCalls calls;
    calls.systemParameters = fakeSystemParameters;
    calls.sampleProcessorTimes = steadyProcessorTimes;
    ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan, calls));
    tick(app());
    tick(app());
    const MessageCounter listChanges(reportList(app()), WM_SYSCOLORCHANGE);
    const MessageCounter statusChanges(statusBar(app()), WM_SYSCOLORCHANGE);
    ASSERT_TRUE(listChanges.installed() && statusChanges.installed());

    const HWND panel = graphPanel(app());
    RECT client{};
    GetClientRect(panel, &client);
    const int dpi = systemDpi();
    // Counts `colour` inside the frame of each graph's plot box.
    const auto linePixels = [&](COLORREF colour) {
        Canvas canvas(client.right, client.bottom);
        EXPECT_TRUE(copyWindow(panel, canvas));
        std::pair<int, int> found;
        for (int* const count : {&found.first, &found.second}) {
            const int top = count == &found.first ? 0 : client.bottom / 2;
            const int bottom = count == &found.first ? client.bottom / 2 : client.bottom;
            const PixelBox b = graphLayout(PixelBox{0, top, client.right, bottom}, dpi, true).plotBox;
            *count = canvas.count(colour, b.left + 1, b.top + 1, b.right - 1, b.bottom - 1);
        }
        return found;
    };
    const struct {
        UINT message;
        bool highContrast;
    } cases[] = {{0, true},  // as it started
                 {WM_SETTINGCHANGE, false},
                 {WM_SYSCOLORCHANGE, true},
                 {WM_SYSCOLORCHANGE, false},
                 {WM_SETTINGCHANGE, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "message " << c.message << ", high contrast " << c.highContrast);
        fakeHighContrast = c.highContrast;
        const int changesBefore = listChanges.count();
        if (c.message != 0) {
            ValidateRect(panel, nullptr);
            SendMessageW(window(), c.message, c.message == WM_SETTINGCHANGE ? SPI_SETHIGHCONTRAST : 0, 0);
            RECT update{};
            EXPECT_TRUE(GetUpdateRect(panel, &update, FALSE)) << "the panel repaints";
        }
        const int forwarded = c.message == WM_SYSCOLORCHANGE ? 1 : 0;
        EXPECT_EQ(listChanges.count(), changesBefore + forwarded);
        EXPECT_EQ(statusChanges.count(), listChanges.count());
        UpdateWindow(panel);
        const auto text = linePixels(GetSysColor(COLOR_WINDOWTEXT));
        const auto processor = linePixels(0xB06000);
        const auto memory = linePixels(0x408000);
        // Both graphs have a value, so nothing but their lines is drawn in the plot boxes.
        EXPECT_EQ(text.first > 0 && text.second > 0, c.highContrast);
        EXPECT_EQ(processor.first > 0 && memory.second > 0, !c.highContrast);
        EXPECT_EQ(processor.first + processor.second + memory.first + memory.second > 0, !c.highContrast);
    }
}

// "Make text bigger" while Korvane runs: the new message font reaches the
// list, the status bar and the panel, and the old one is deleted.
TEST_F(KorvaneWindow, TextSizeChangesReachTheFont)
{
    messageFontGrowth = 1;
    MainWindowCalls calls;
    calls.systemParameters = fakeSystemParameters;
    ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan, calls));
    const auto listFont = [this] {
        return reinterpret_cast<HFONT>(SendMessageW(reportList(app()), WM_GETFONT, 0, 0));
    };
    const HFONT before = listFont();
    LOGFONTW was{};
    ASSERT_NE(GetObjectW(before, sizeof(was), &was), 0);

    messageFontGrowth = 2;
    SendMessageW(window(), WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
    messageFontGrowth = 1;
    LOGFONTW now{};
    ASSERT_NE(GetObjectW(listFont(), sizeof(now), &now), 0);
    EXPECT_EQ(now.lfHeight, 2 * was.lfHeight);
    EXPECT_EQ(GetObjectType(before), 0u) << "the replaced font was not deleted";
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(graphPanel(app()), WM_GETFONT, 0, 0)), listFont());
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(statusBar(app()), WM_GETFONT, 0, 0)), listFont());
}

// The main window itself cannot be made this small, so the children are laid
// out in a parent of the test's own.
TEST(ChildLayout, TinyAreasKeepTheirMinimumsAndNoNegativeHeight)
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const HWND parent =
        CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 900, 600, nullptr, nullptr, instance, nullptr);
    ASSERT_NE(parent, nullptr);
    const ScopeExit destroy([parent] { DestroyWindow(parent); });
    const HWND panel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, parent, nullptr, instance, nullptr);
    ReportView report;
    report.attach(
        CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | LVS_REPORT, 0, 0, 0, 0, parent, nullptr, instance, nullptr));
    report.prepare(10, 10);
    StatusBar status;
    status.attach(
        CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD, 0, 0, 0, 0, parent, nullptr, instance, nullptr));
    status.set(0, L"left");
    status.set(1, L"right");
    status.set(2, L"no such part");

    for (const int dpi : {96, 144}) {
        for (const SIZE size : {SIZE{40, 600}, SIZE{900, 30}, SIZE{10, 10}}) {
            SCOPED_TRACE(testing::Message() << size.cx << "x" << size.cy << " at " << dpi << " DPI");
            layoutChildren(panel, report, status, size, dpi, 17);
            EXPECT_EQ(SendMessageW(report.handle(), LVM_GETCOLUMNWIDTH, 0, 0), MulDiv(215, dpi, 96));
            // Value takes what the Item column, the slack and a scroll bar leave.
            EXPECT_EQ(SendMessageW(report.handle(), LVM_GETCOLUMNWIDTH, 1, 0),
                      size.cx == 900 ? (dpi == 96 ? 664 : 554) : MulDiv(200, dpi, 96));
            int edges[2] = {};
            ASSERT_EQ(SendMessageW(status.handle(), SB_GETPARTS, 2, reinterpret_cast<LPARAM>(edges)), 2);
            EXPECT_GE(edges[0], MulDiv(120, dpi, 96));
            RECT list{};
            GetWindowRect(report.handle(), &list);
            EXPECT_GE(list.bottom - list.top, 0);
            if (size.cy < 200) {
                EXPECT_EQ(list.bottom - list.top, 0);
            }
            RECT panelBox{};
            GetClientRect(panel, &panelBox);
            EXPECT_EQ(panelBox.right, size.cx);
            // Status texts survive the reset of the parts.
            wchar_t text[16]{};
            SendMessageW(status.handle(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
            EXPECT_STREQ(text, L"left");
            SendMessageW(status.handle(), SB_GETTEXTW, 1, reinterpret_cast<LPARAM>(text));
            EXPECT_STREQ(text, L"right");
        }
    }
}

TEST_F(KorvaneWindow, MenuHasItsTextsInOrderAndAlwaysOnTopToggles)
{
    ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan));
    const HMENU bar = GetMenu(window());
    ASSERT_NE(bar, nullptr);
    const auto text = [](HMENU menu, int position) {
        wchar_t buffer[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), buffer, 64, MF_BYPOSITION);
        return std::wstring(buffer);
    };
    const struct {
        const wchar_t* name;
        std::vector<std::pair<UINT, const wchar_t*>> items;
    } expected[] = {{L"&File",
                     {{IDM_REFRESH, L"&Refresh\tF5"},
                      {IDM_COPY_ROWS, L"&Copy Selected Rows\tCtrl+C"},
                      {0, L""},
                      {IDM_SAVE_CSV, L"Save as &CSV..."},
                      {0, L""},
                      {IDM_EXIT, L"E&xit"}}},
                    {L"&View", {{IDM_ALWAYS_ON_TOP, L"Always on &Top"}}},
                    {L"&Power",
                     {{IDM_LOG_OFF, L"&Log Off..."},
                      {IDM_RESTART, L"&Restart..."},
                      {IDM_SHUT_DOWN, L"Shut &Down..."}}},
                    {L"&Help", {{IDM_WEB_PAGE, L"Korvane on the &Web"}}}};
    ASSERT_EQ(GetMenuItemCount(bar), 4);
    for (int popup = 0; popup < 4; ++popup) {
        const auto& items = expected[popup].items;
        EXPECT_EQ(text(bar, popup), expected[popup].name);
        const HMENU menu = GetSubMenu(bar, popup);
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(GetMenuItemCount(menu), static_cast<int>(items.size()));
        for (int i = 0; i < static_cast<int>(items.size()); ++i) {
            EXPECT_EQ(text(menu, i), items[static_cast<size_t>(i)].second);
            EXPECT_EQ(items[static_cast<size_t>(i)].first == 0,
                      (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) != 0);
            if (items[static_cast<size_t>(i)].first != 0) {
                EXPECT_EQ(GetMenuItemID(menu, i), items[static_cast<size_t>(i)].first);
            }
        }
    }

    for (const bool on : {true, false}) {
        command(IDM_ALWAYS_ON_TOP);
        EXPECT_EQ((GetMenuState(bar, IDM_ALWAYS_ON_TOP, MF_BYCOMMAND) & MF_CHECKED) != 0, on);
        EXPECT_EQ((GetWindowLongPtrW(window(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, on);
    }
}

namespace {

// The web page call, answered by the test.
struct WebPageCall {
    HWND owner;
    std::wstring verb;
    std::wstring file;
    bool parametersOrDirectory;
    INT show;
};
std::vector<WebPageCall> webPageCalls;
INT_PTR webPageResult = 0;

HINSTANCE WINAPI scriptedShellExecute(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                                      INT show)
{
    webPageCalls.push_back({owner, verb != nullptr ? verb : L"(null)", file != nullptr ? file : L"(null)",
                            parameters != nullptr || directory != nullptr, show});
    return reinterpret_cast<HINSTANCE>(webPageResult);
}

}  // namespace

// ShellExecuteW succeeds with a value above 32; 32 itself and below are errors.
TEST_F(KorvaneWindow, WebPageOpensAboveThirtyTwoAndReportsAnythingElse)
{
    MainWindowCalls calls;
    calls.shellExecute = scriptedShellExecute;
    ASSERT_NO_FATAL_FAILURE(startWindow(gatedScan, calls));
    const struct {
        INT_PTR result;
        bool opened;
    } cases[] = {{33, true}, {32, false}, {42, true}, {SE_ERR_NOASSOC, false}, {0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "ShellExecuteW returns " << c.result);
        webPageCalls.clear();
        shownBoxes.clear();
        webPageResult = c.result;
        EXPECT_EQ(command(IDM_WEB_PAGE), 0);
        ASSERT_EQ(webPageCalls.size(), 1u);
        EXPECT_EQ(webPageCalls[0].owner, window());
        EXPECT_EQ(webPageCalls[0].verb, L"open");
        EXPECT_EQ(webPageCalls[0].file, kWebPageAddress);
        EXPECT_FALSE(webPageCalls[0].parametersOrDirectory);
        EXPECT_EQ(webPageCalls[0].show, SW_SHOWNORMAL);
        ASSERT_EQ(shownBoxes.size(), c.opened ? 0u : 1u) << "only a page that did not open is reported";
        if (!c.opened) {
            EXPECT_EQ(shownBoxes[0].text, std::wstring(L"The page could not be opened.\r\n\r\n") + kWebPageAddress);
            EXPECT_EQ(shownBoxes[0].caption, L"Korvane");
            EXPECT_EQ(shownBoxes[0].flags, static_cast<UINT>(MB_ICONERROR));
            EXPECT_EQ(shownBoxes[0].owner, window());
        }
    }
}

TEST_F(KorvaneWindow, TicksAndRescansDoNotGrowHandlesGdiObjectsOrMemory)
{
    const auto rescan = [this] {
        command(IDM_REFRESH);
        return pumpUntilScanEnds(app());
    };

    ASSERT_NO_FATAL_FAILURE(startWindow(scanMachine));
    // Warm up: the first ticks and scans fill caches that stay.
    for (int i = 0; i < 130; ++i) {
        tick(app());
    }
    ASSERT_TRUE(rescan());
    ASSERT_TRUE(rescan());

    const ResourceCounts before = measureResources();
    for (int i = 0; i < 300; ++i) {
        tick(app());
    }
    const ResourceCounts afterTicks = measureResources();
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(rescan()) << "rescan " << i;
        tick(app());
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
