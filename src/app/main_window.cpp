#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <utility>

#include "app/child_windows.h"
#include "common/dpi_scale.h"

namespace {

constexpr wchar_t kMainClass[] = L"KORVANE_MAIN";
constexpr wchar_t kPanelClass[] = L"KORVANE_PANEL";
constexpr wchar_t kCaption[] = L"Korvane";
constexpr int kWindowWidth96 = 940;
constexpr int kWindowHeight96 = 680;
constexpr int kMinimumWidth96 = 560;
constexpr int kMinimumHeight96 = 360;
constexpr UINT kSampleMilliseconds = 1000;
// While the window waits hidden for a scan, this timer notices a scan whose
// result was lost (its post failed), so the close still completes.
constexpr UINT_PTR IDT_SCAN_WATCH = 2;
constexpr UINT kScanWatchMilliseconds = 500;
constexpr UINT kNonClientMetricsSize = 504;

// The menu bar, or null when any of its five menus could not be made.
HMENU buildMenu()
{
    UniqueHMenu bar(CreateMenu());
    UniqueHMenu file(CreatePopupMenu());
    UniqueHMenu view(CreatePopupMenu());
    UniqueHMenu power(CreatePopupMenu());
    UniqueHMenu help(CreatePopupMenu());
    if (!bar || !file || !view || !power || !help) {
        return nullptr;
    }
    AppendMenuW(file.get(), MF_STRING, IDM_REFRESH, L"&Refresh\tF5");
    AppendMenuW(file.get(), MF_STRING, IDM_COPY_ROWS, L"&Copy Selected Rows\tCtrl+C");
    AppendMenuW(file.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file.get(), MF_STRING, IDM_SAVE_CSV, L"Save as &CSV...");
    AppendMenuW(file.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(file.get(), MF_STRING, IDM_EXIT, L"E&xit");
    AppendMenuW(view.get(), MF_STRING, IDM_ALWAYS_ON_TOP, L"Always on &Top");
    AppendMenuW(power.get(), MF_STRING, IDM_LOG_OFF, L"&Log Off...");
    AppendMenuW(power.get(), MF_STRING, IDM_RESTART, L"&Restart...");
    AppendMenuW(power.get(), MF_STRING, IDM_SHUT_DOWN, L"Shut &Down...");
    AppendMenuW(help.get(), MF_STRING, IDM_WEB_PAGE, L"Korvane on the &Web");
    // Once attached, a popup belongs to the bar and is destroyed with it.
    AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(file.release()), L"&File");
    AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(view.release()), L"&View");
    AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(power.release()), L"&Power");
    AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(help.release()), L"&Help");
    return bar.release();
}


MainWindow* windowObject(HWND window)
{
    return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

MainWindow::MainWindow(MainWindowCalls windowsCalls) : calls(std::move(windowsCalls)) {}

MainWindow::~MainWindow()
{
    if (shell.mainWindow != nullptr && IsWindow(shell.mainWindow)) {
        DestroyWindow(shell.mainWindow);
    }
    waitForScanThread(scan);
    if (classesRegistered_) {
        UnregisterClassW(kMainClass, shell.instance);
        UnregisterClassW(kPanelClass, shell.instance);
    }
}

int MainWindow::scaled(int size96) const
{
    return scaledAt(size96, shell.windowDpi);
}

void MainWindow::readScreenDpi()
{
    const WindowDc screen(nullptr);
    if (screen.get() != nullptr) {
        const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
        if (dpi > 0) {
            shell.systemDpi = dpi;
        }
    }
    setWindowDpi(shell.systemDpi);
}

void MainWindow::setWindowDpi(int dpi)
{
    shell.windowDpi = dpi;
    graphs.dpi = dpi;  // the panel paints with it
}

void MainWindow::refreshGraphs()
{
    updateGraphs(graphs, live);
    showGraphs(shell.panelWindow, graphs);
}

void MainWindow::readBaseFont()
{
    static_assert(sizeof(NONCLIENTMETRICSW) == kNonClientMetricsSize);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
        shell.baseFont = metrics.lfMessageFont;
        return;
    }
    shell.baseFont = LOGFONTW{};
    shell.baseFont.lfHeight = -MulDiv(9, shell.systemDpi, 72);
    shell.baseFont.lfWeight = FW_NORMAL;
    shell.baseFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(shell.baseFont.lfFaceName, L"Segoe UI", LF_FACESIZE);
}

bool MainWindow::registerClasses()
{
    const HINSTANCE instance = shell.instance;
    WNDCLASSEXW mainClass{};
    mainClass.cbSize = sizeof(mainClass);
    mainClass.style = CS_HREDRAW | CS_VREDRAW;
    mainClass.lpfnWndProc = windowProc;
    mainClass.hInstance = instance;
    mainClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    mainClass.hIconSm = mainClass.hIcon;
    mainClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    mainClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    mainClass.lpszClassName = kMainClass;

    WNDCLASSEXW panelClass{};
    panelClass.cbSize = sizeof(panelClass);
    panelClass.style = CS_HREDRAW | CS_VREDRAW;
    panelClass.lpfnWndProc = panelWindowProc;
    panelClass.hInstance = instance;
    panelClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    panelClass.lpszClassName = kPanelClass;

    const bool mainRegistered = RegisterClassExW(&mainClass) != 0;
    const bool panelRegistered = mainRegistered && RegisterClassExW(&panelClass) != 0;
    if (mainRegistered && !panelRegistered) {
        UnregisterClassW(kMainClass, instance);
    }
    classesRegistered_ = panelRegistered;
    return panelRegistered;
}

void MainWindow::toggleAlwaysOnTop()
{
    shell.alwaysOnTop = !shell.alwaysOnTop;
    SetWindowPos(shell.mainWindow, shell.alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    updateMenuState();
}

void MainWindow::openWebPage()
{
    const auto result = reinterpret_cast<INT_PTR>(
        calls.shellExecute(shell.mainWindow, L"open", kWebPageAddress, nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        showMessage(calls.messageBox, shell.mainWindow,
                    std::wstring(L"The page could not be opened.\r\n\r\n") + kWebPageAddress, MB_ICONERROR);
    }
}

CommandSite MainWindow::commandSite()
{
    return CommandSite{shell.mainWindow, calls.messageBox,
                       [this](const std::wstring& text) { setStatusText(*this, 1, text); }};
}

void MainWindow::saveAsCsv()
{
    std::optional<ReportPage> page;
    if (scan.currentSnapshot) {
        page = buildReportPage(*scan.currentSnapshot, live.liveMemory, live.liveLoad, scan.scanTakenAt,
                               live.liveTakenAt);
    }
    ::saveAsCsv(commandSite(), calls.saveDialog, page ? &*page : nullptr);
}

void MainWindow::copySelectedRows()
{
    ::copySelectedRows(commandSite(), shell.reportList, reportView.shownRows);
}

void MainWindow::powerAction(UINT flags, const wchar_t* confirmation, bool needsPrivilege)
{
    ::powerAction(calls.power, calls.messageBox, shell.mainWindow, flags, confirmation, needsPrivilege);
}

LRESULT MainWindow::onCreate()
{
    if (!createChildWindows(*this)) {
        return -1;
    }
    setStatusText(*this, 0, L"Reading this machine...");
    setStatusText(*this, 1, L"");
    return 0;
}

void MainWindow::onDestroy()
{
    KillTimer(shell.mainWindow, IDT_SAMPLE);
    KillTimer(shell.mainWindow, IDT_SCAN_WATCH);
    waitForScanThread(scan);
    scan.currentSnapshot.reset();
    PostQuitMessage(0);
}

void MainWindow::onClose()
{
    if (!scan.scanThread) {
        DestroyWindow(shell.mainWindow);
        return;
    }
    scan.closePending = true;
    KillTimer(shell.mainWindow, IDT_SAMPLE);
    ShowWindow(shell.mainWindow, SW_HIDE);
    setStatusText(*this, 1, L"Finishing the scan before closing...");
    SetTimer(shell.mainWindow, IDT_SCAN_WATCH, kScanWatchMilliseconds, nullptr);
}

void MainWindow::onGetMinMaxInfo(LPARAM lParam) const
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = scaled(kMinimumWidth96);
    info->ptMinTrackSize.y = scaled(kMinimumHeight96);
}

bool MainWindow::onCommand(WORD id)
{
    switch (id) {
    case IDM_REFRESH:
        startScan(*this);
        return true;
    case IDM_COPY_ROWS:
        copySelectedRows();
        return true;
    case IDM_SAVE_CSV:
        saveAsCsv();
        return true;
    case IDM_EXIT:
        PostMessageW(shell.mainWindow, WM_CLOSE, 0, 0);
        return true;
    case IDM_ALWAYS_ON_TOP:
        toggleAlwaysOnTop();
        return true;
    case IDM_LOG_OFF:
        powerAction(EWX_LOGOFF, L"Log off now?\r\n\r\nAnything not saved in your open programs will be lost.", false);
        return true;
    case IDM_RESTART:
        powerAction(EWX_REBOOT,
                    L"Restart this computer now?\r\n\r\nAnything not saved in your open programs will be lost.",
                    true);
        return true;
    case IDM_SHUT_DOWN:
        // Shutdown alone would halt without switching the machine off.
        powerAction(EWX_SHUTDOWN | EWX_POWEROFF,
                    L"Shut this computer down now?\r\n\r\nAnything not saved in your open programs will be lost.",
                    true);
        return true;
    case IDM_WEB_PAGE:
        openWebPage();
        return true;
    default:
        return false;
    }
}

// The one-second tick: sample, then the live rows, the graphs and the status.
void MainWindow::onTick()
{
    takeLiveSamples(live, calls.sampleProcessorTimes);
    updateLiveRows(*this);
    refreshGraphs();
    showCompleteness(*this);
}

void MainWindow::onTimer(WPARAM id)
{
    if (id == IDT_SAMPLE) {
        onTick();
        checkForLostScan(*this);
    } else if (id == IDT_SCAN_WATCH) {
        checkForLostScan(*this);
    }
}

void MainWindow::onDpiChanged(WPARAM wParam, LPARAM lParam)
{
    const int dpi = LOWORD(wParam);
    applyDpi(dpi != 0 ? dpi : 96, reinterpret_cast<const RECT*>(lParam));
}

void MainWindow::applyDpi(int dpi, const RECT* bounds)
{
    setWindowDpi(dpi);
    createUiFont(*this);
    if (bounds != nullptr) {
        SetWindowPos(shell.mainWindow, nullptr, bounds->left, bounds->top, bounds->right - bounds->left,
                     bounds->bottom - bounds->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    layoutWindow(*this);
    InvalidateRect(shell.panelWindow, nullptr, TRUE);
}

// A per-monitor aware window is made at the DPI of the monitor it lands on,
// and WM_DPICHANGED comes only when that DPI changes later: a monitor (or a
// scale changed since sign-in) unlike the system DPI is noticed here or not
// until the window moves to another monitor.
void MainWindow::adoptCreatedWindowDpi()
{
    if (calls.dpi.getDpiForWindow == nullptr) {
        return;  // before Windows 10 1607: every window has the system DPI
    }
    const int dpi = static_cast<int>(calls.dpi.getDpiForWindow(shell.mainWindow));
    const int made = shell.windowDpi;
    if (dpi <= 0 || dpi == made) {
        return;
    }
    RECT bounds{};
    GetWindowRect(shell.mainWindow, &bounds);
    bounds.right = bounds.left + MulDiv(bounds.right - bounds.left, dpi, made);
    bounds.bottom = bounds.top + MulDiv(bounds.bottom - bounds.top, dpi, made);
    applyDpi(dpi, &bounds);
}

bool MainWindow::start(HINSTANCE instance, int showCommand, int& exitCode)
{
    exitCode = 0;
    shell.instance = instance;

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    readScreenDpi();
    readBaseFont();

    if (!registerClasses()) {
        showMessage(calls.messageBox, nullptr, L"The window could not be registered.", MB_ICONERROR);
        exitCode = 1;
        return false;
    }

    const HMENU menu = buildMenu();
    const HWND window = CreateWindowExW(0, kMainClass, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                        scaled(kWindowWidth96), scaled(kWindowHeight96), nullptr, menu, instance,
                                        this);
    if (window == nullptr) {
        // A window that failed in WM_CREATE has taken its menu with it.
        if (menu != nullptr && IsMenu(menu)) {
            DestroyMenu(menu);
        }
        // That window's WM_DESTROY also posted WM_QUIT, which would end the
        // message box below before anyone could read it.
        MSG quit{};
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        showMessage(calls.messageBox, nullptr, L"The window could not be created.", MB_ICONERROR);
        exitCode = 1;
        return false;
    }

    adoptCreatedWindowDpi();

    ACCEL keys[] = {
        {FVIRTKEY, VK_F5, IDM_REFRESH},
        {FVIRTKEY | FCONTROL, 'C', IDM_COPY_ROWS},
    };
    shell.accelerators.reset(CreateAcceleratorTableW(keys, 2));

    ShowWindow(window, showCommand);
    UpdateWindow(window);

    takeFirstSamples(live, calls.sampleProcessorTimes);
    refreshGraphs();
    startScan(*this);
    SetTimer(window, IDT_SAMPLE, kSampleMilliseconds, nullptr);
    return true;
}

int MainWindow::runMessageLoop()
{
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        dispatchMessage(message);
    }
    return static_cast<int>(message.wParam);
}

void MainWindow::dispatchMessage(MSG& message)
{
    if (shell.accelerators && shell.mainWindow != nullptr &&
        TranslateAcceleratorW(shell.mainWindow, shell.accelerators.get(), &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void MainWindow::updateMenuState()
{
    const HMENU menu = GetMenu(shell.mainWindow);
    if (menu == nullptr) {
        return;
    }
    EnableMenuItem(menu, IDM_REFRESH, MF_BYCOMMAND | (scan.scanThread ? MF_GRAYED : MF_ENABLED));
    CheckMenuItem(menu, IDM_ALWAYS_ON_TOP, MF_BYCOMMAND | (shell.alwaysOnTop ? MF_CHECKED : MF_UNCHECKED));
    DrawMenuBar(shell.mainWindow);
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->shell.mainWindow = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    MainWindow* self = windowObject(window);
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The object outlives its window; from here nothing reaches it.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->shell.mainWindow = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND window = shell.mainWindow;
    switch (message) {
    case WM_CREATE:
        return onCreate();
    case WM_DESTROY:
        onDestroy();
        return 0;
    case WM_SIZE:
        layoutWindow(*this);
        return 0;
    case WM_SETFOCUS:
        if (shell.reportList != nullptr) {
            SetFocus(shell.reportList);
        }
        return 0;
    case WM_CLOSE:
        onClose();
        return 0;
    case WM_GETMINMAXINFO:
        onGetMinMaxInfo(lParam);
        return 0;
    case WM_COMMAND:
        if (onCommand(LOWORD(wParam))) {
            return 0;
        }
        break;
    case WM_TIMER:
        onTimer(wParam);
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(wParam, lParam);
        return 0;
    case WM_SCAN_DONE:
        onScanDone(*this, wParam, lParam);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
