#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "common/dpi_scale.h"
#include "common/windows_failure.h"
#include "load/local_time.h"
#include "report/completeness.h"

namespace {

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

HWND createChild(HWND parent, HINSTANCE instance, const wchar_t* className, DWORD exStyle, DWORD style, int id)
{
    return CreateWindowExW(exStyle, className, L"", style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

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

// `window` shrunk to fit `work` but not below `minimum`, and moved inside it;
// a window that fits is returned as it is. One larger than the work area
// even at its smallest sits at the work area's top-left corner.
RECT fittedInto(const RECT& window, const RECT& work, SIZE minimum)
{
    const LONG width = std::max(std::min(window.right - window.left, work.right - work.left), minimum.cx);
    const LONG height = std::max(std::min(window.bottom - window.top, work.bottom - work.top), minimum.cy);
    const LONG left = std::max(work.left, std::min(window.left, work.right - width));
    const LONG top = std::max(work.top, std::min(window.top, work.bottom - height));
    return RECT{left, top, left + width, top + height};
}

MainWindow* windowObject(HWND window)
{
    return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

}  // namespace

MainWindow::MainWindow(const MainWindowCalls& windowsCalls)
    : calls_(windowsCalls), scans_(calls_.scan, calls_.postScanResult)
{
}

MainWindow::~MainWindow()
{
    if (window_ != nullptr && IsWindow(window_)) {
        DestroyWindow(window_);
    }
    scans_.wait();
    if (classesRegistered_) {
        UnregisterClassW(kMainClass, instance_);
        LoadGraphs::unregisterClass(instance_);
    }
}

int MainWindow::scaled(int size96) const
{
    return scaledAt(size96, windowDpi_);
}

std::optional<ReportPage> MainWindow::currentPage() const
{
    if (!currentSnapshot_) {
        return std::nullopt;
    }
    return buildReportPage(*currentSnapshot_, live_.liveMemory, live_.liveLoad, scanTakenAt_, live_.liveTakenAt);
}

void MainWindow::readScreenDpi()
{
    const WindowDc screen(nullptr);
    if (screen.get() != nullptr) {
        const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
        if (dpi > 0) {
            systemDpi_ = dpi;
        }
    }
    setWindowDpi(systemDpi_);
}

void MainWindow::setWindowDpi(int dpi)
{
    windowDpi_ = dpi;
    graphs_.setDpi(dpi);  // the panel paints with it
}

void MainWindow::readBaseFont()
{
    static_assert(sizeof(NONCLIENTMETRICSW) == kNonClientMetricsSize);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (calls_.systemParameters(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
        baseFont_ = metrics.lfMessageFont;
        return;
    }
    baseFont_ = LOGFONTW{};
    baseFont_.lfHeight = -MulDiv(9, systemDpi_, 72);
    baseFont_.lfWeight = FW_NORMAL;
    baseFont_.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(baseFont_.lfFaceName, L"Segoe UI", LF_FACESIZE);
}

bool MainWindow::highContrastOn() const
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof(contrast);
    return calls_.systemParameters(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

bool MainWindow::registerClasses()
{
    const HINSTANCE instance = instance_;
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

    const bool mainRegistered = RegisterClassExW(&mainClass) != 0;
    const bool panelRegistered = mainRegistered && LoadGraphs::registerClass(instance);
    if (mainRegistered && !panelRegistered) {
        UnregisterClassW(kMainClass, instance);
    }
    classesRegistered_ = panelRegistered;
    return panelRegistered;
}

void MainWindow::toggleAlwaysOnTop()
{
    alwaysOnTop_ = !alwaysOnTop_;
    SetWindowPos(window_, alwaysOnTop_ ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    updateMenuState();
}

void MainWindow::openWebPage()
{
    const auto result = reinterpret_cast<INT_PTR>(
        calls_.shellExecute(window_, L"open", kWebPageAddress, nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        showMessage(calls_.messageBox, window_,
                    std::wstring(L"The page could not be opened.\r\n\r\n") + kWebPageAddress, MB_ICONERROR);
    }
}

CommandSite MainWindow::commandSite()
{
    return CommandSite{window_, calls_.messageBox, [this](const std::wstring& text) { status_.set(1, text); }};
}

void MainWindow::saveAsCsv()
{
    const std::optional<ReportPage> page = currentPage();
    ::saveAsCsv(commandSite(), calls_.saveDialog, page ? &*page : nullptr);
}

void MainWindow::copySelectedRows()
{
    ::copySelectedRows(commandSite(), report_.handle(), report_.shownRows());
}

void MainWindow::powerAction(UINT flags, const wchar_t* confirmation, bool needsPrivilege)
{
    ::powerAction(calls_.power, calls_.messageBox, window_, flags, confirmation, needsPrivilege);
}

bool MainWindow::createChildWindows()
{
    const HWND panel = graphs_.create(window_, instance_);
    report_.attach(createChild(window_, instance_, WC_LISTVIEWW, WS_EX_CLIENTEDGE,
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, IDC_REPORT_LIST));
    status_.attach(createChild(window_, instance_, STATUSCLASSNAMEW, 0, WS_CHILD | WS_VISIBLE, 0));
    if (panel == nullptr || report_.handle() == nullptr || status_.handle() == nullptr) {
        return false;
    }
    report_.prepare(scaled(kItemColumnWidth96), scaled(kValueColumnWidth96));
    createUiFont();
    return true;
}

void MainWindow::createUiFont()
{
    LOGFONTW font = baseFont_;
    font.lfHeight = MulDiv(baseFont_.lfHeight, windowDpi_, systemDpi_);
    UniqueHFont created(CreateFontIndirectW(&font));
    if (!created) {
        return;  // the controls keep the font they have
    }
    for (const HWND control : {graphs_.handle(), report_.handle(), status_.handle()}) {
        if (control != nullptr) {
            SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(created.get()), TRUE);
        }
    }
    // Only now may the previous font go: every control has its successor.
    uiFont_ = std::move(created);
}

void MainWindow::layoutWindow()
{
    RECT client{};
    GetClientRect(window_, &client);
    layoutChildren(graphs_.handle(), report_, status_, SIZE{client.right, client.bottom}, windowDpi_,
                   scrollBarWidth(calls_.dpi, windowDpi_));
}

void MainWindow::startScan()
{
    DWORD error = 0;
    switch (scans_.start(window_, error)) {
    case ScanCoordinator::Start::AlreadyRunning:
        return;
    case ScanCoordinator::Start::Failed:
        status_.set(1, L"The scan could not be started: " + windowsErrorMessage(error));
        return;
    case ScanCoordinator::Start::Started:
        status_.set(1, L"Scanning...");
        updateMenuState();
        return;
    }
}

void MainWindow::onScanDone(WPARAM wParam, LPARAM lParam)
{
    std::unique_ptr<ScanSnapshot> result;
    if (scans_.take(wParam, lParam, result)) {
        installScanResult(std::move(result));
    }
}

void MainWindow::checkForLostScan()
{
    if (scans_.lost(window_)) {
        installScanResult(nullptr);
    }
}

void MainWindow::installScanResult(std::unique_ptr<ScanSnapshot> snapshot)
{
    if (closePending_) {
        snapshot.reset();
        DestroyWindow(window_);
        return;
    }

    if (!snapshot) {
        status_.set(1, L"The scan could not be completed.");
        if (!currentSnapshot_) {
            status_.set(0, L"Nothing has been read from this machine yet.");
        }
    } else {
        currentSnapshot_ = std::move(snapshot);
        scanTakenAt_ = localTimestampText();
        report_.fill(*currentPage());
        report_.updateLive(live_.liveMemory, live_.liveLoad);
        showCompleteness();
        status_.set(1, L"Scanned at " + scanTakenAt_);
    }
    updateMenuState();
}

void MainWindow::showCompleteness()
{
    if (currentSnapshot_) {
        status_.set(0, completenessSummary(mergeTally(currentSnapshot_->tally, live_.liveMemory, live_.liveLoad)));
    }
}

LRESULT MainWindow::onCreate()
{
    if (!createChildWindows()) {
        return -1;
    }
    status_.set(0, L"Reading this machine...");
    status_.set(1, L"");
    return 0;
}

void MainWindow::onDestroy()
{
    KillTimer(window_, IDT_SAMPLE);
    KillTimer(window_, IDT_SCAN_WATCH);
    scans_.wait();
    currentSnapshot_.reset();
    PostQuitMessage(0);
}

void MainWindow::onClose()
{
    if (!scans_.running()) {
        DestroyWindow(window_);
        return;
    }
    closePending_ = true;
    KillTimer(window_, IDT_SAMPLE);
    ShowWindow(window_, SW_HIDE);
    status_.set(1, L"Finishing the scan before closing...");
    SetTimer(window_, IDT_SCAN_WATCH, kScanWatchMilliseconds, nullptr);
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
        startScan();
        return true;
    case IDM_COPY_ROWS:
        copySelectedRows();
        return true;
    case IDM_SAVE_CSV:
        saveAsCsv();
        return true;
    case IDM_EXIT:
        PostMessageW(window_, WM_CLOSE, 0, 0);
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
    takeLiveSamples(live_, calls_.sampleProcessorTimes);
    report_.updateLive(live_.liveMemory, live_.liveLoad);
    graphs_.update(live_);
    showCompleteness();
}

void MainWindow::onTimer(WPARAM id)
{
    if (id == IDT_SAMPLE) {
        onTick();
        checkForLostScan();
    } else if (id == IDT_SCAN_WATCH) {
        checkForLostScan();
    }
}

void MainWindow::onDpiChanged(WPARAM wParam, LPARAM lParam)
{
    const int dpi = LOWORD(wParam);
    applyDpi(dpi != 0 ? dpi : 96, reinterpret_cast<const RECT*>(lParam));
}

// Common controls learn of a new colour scheme only from their parent.
void MainWindow::onSysColorChange(WPARAM wParam, LPARAM lParam)
{
    for (const HWND control : {report_.handle(), status_.handle()}) {
        if (control != nullptr) {
            SendMessageW(control, WM_SYSCOLORCHANGE, wParam, lParam);
        }
    }
    graphs_.setHighContrast(highContrastOn());
    // The panel paints with the scheme's colours.
    if (graphs_.handle() != nullptr) {
        InvalidateRect(graphs_.handle(), nullptr, FALSE);
    }
}

void MainWindow::onSettingChange(WPARAM wParam)
{
    if (wParam == SPI_SETHIGHCONTRAST) {
        graphs_.setHighContrast(highContrastOn());
    } else if (wParam == SPI_SETNONCLIENTMETRICS) {
        // "Make text bigger" or a new message font: applied as a new DPI is.
        readBaseFont();
        applyDpi(windowDpi_, nullptr);
    }
}

void MainWindow::applyDpi(int dpi, const RECT* bounds)
{
    setWindowDpi(dpi);
    createUiFont();
    if (bounds != nullptr) {
        SetWindowPos(window_, nullptr, bounds->left, bounds->top, bounds->right - bounds->left,
                     bounds->bottom - bounds->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    layoutWindow();
    InvalidateRect(graphs_.handle(), nullptr, TRUE);
}

// A per-monitor aware window is made at the DPI of the monitor it lands on,
// and WM_DPICHANGED comes only when that DPI changes later: a monitor (or a
// scale changed since sign-in) unlike the system DPI is noticed here or not
// until the window moves to another monitor.
void MainWindow::adoptCreatedWindowDpi()
{
    const int dpi = createdWindowDpi();
    const int made = windowDpi_;
    if (dpi <= 0 || dpi == made) {
        return;
    }
    RECT bounds{};
    GetWindowRect(window_, &bounds);
    bounds.right = bounds.left + MulDiv(bounds.right - bounds.left, dpi, made);
    bounds.bottom = bounds.top + MulDiv(bounds.bottom - bounds.top, dpi, made);
    applyDpi(dpi, &bounds);
}

int MainWindow::createdWindowDpi() const
{
    if (calls_.dpi.getDpiForWindow != nullptr) {
        return static_cast<int>(calls_.dpi.getDpiForWindow(window_));
    }
    // Windows 8.1 and Windows 10 before 1607 make the window per-monitor
    // aware too (the manifest's dpiAware) but tell its DPI only through its
    // monitor.
    if (calls_.dpi.getDpiForMonitor == nullptr) {
        return 0;
    }
    const HMONITOR monitor = calls_.dpi.monitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (monitor == nullptr || FAILED(calls_.dpi.getDpiForMonitor(monitor, kMonitorEffectiveDpi, &dpiX, &dpiY))) {
        return 0;
    }
    return static_cast<int>(dpiX);
}

// 940 by 680 at 150 % is taller than a 1920 by 1080 screen's work area at
// that scale, and the status bar would open under the taskbar.
void MainWindow::fitToWorkArea()
{
    const HMONITOR monitor = calls_.dpi.monitorFromWindow(window_, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor == nullptr || !calls_.dpi.getMonitorInfo(monitor, &info)) {
        return;
    }
    RECT bounds{};
    if (!GetWindowRect(window_, &bounds)) {
        return;
    }
    const RECT fitted = fittedInto(bounds, info.rcWork, SIZE{scaled(kMinimumWidth96), scaled(kMinimumHeight96)});
    if (!EqualRect(&fitted, &bounds)) {
        SetWindowPos(window_, nullptr, fitted.left, fitted.top, fitted.right - fitted.left,
                     fitted.bottom - fitted.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool MainWindow::start(HINSTANCE instance, int showCommand, int& exitCode)
{
    exitCode = 0;
    instance_ = instance;

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
    calls_.initCommonControls(&controls);

    readScreenDpi();
    readBaseFont();
    graphs_.setHighContrast(highContrastOn());

    if (!registerClasses()) {
        showMessage(calls_.messageBox, nullptr, L"The window could not be registered.", MB_ICONERROR);
        exitCode = 1;
        return false;
    }

    const HMENU menu = buildMenu();
    // Children clipped: the background is not painted under them on every resize.
    const HWND window =
        CreateWindowExW(0, kMainClass, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                        scaled(kWindowWidth96), scaled(kWindowHeight96), nullptr, menu, instance, this);
    if (window == nullptr) {
        // A window that failed in WM_CREATE has taken its menu with it.
        if (menu != nullptr && IsMenu(menu)) {
            DestroyMenu(menu);
        }
        // That window's WM_DESTROY also posted WM_QUIT, which would end the
        // message box below before anyone could read it.
        MSG quit{};
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        showMessage(calls_.messageBox, nullptr, L"The window could not be created.", MB_ICONERROR);
        exitCode = 1;
        return false;
    }

    adoptCreatedWindowDpi();
    fitToWorkArea();

    ACCEL keys[] = {{FVIRTKEY, VK_F5, IDM_REFRESH}, {FVIRTKEY | FCONTROL, 'C', IDM_COPY_ROWS}};
    accelerators_.reset(CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys))));

    ShowWindow(window, showCommand);
    UpdateWindow(window);

    takeFirstSamples(live_, calls_.sampleProcessorTimes);
    graphs_.update(live_);
    startScan();
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
    if (accelerators_ && window_ != nullptr && TranslateAcceleratorW(window_, accelerators_.get(), &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void MainWindow::updateMenuState()
{
    const HMENU menu = GetMenu(window_);
    if (menu == nullptr) {
        return;
    }
    EnableMenuItem(menu, IDM_REFRESH, MF_BYCOMMAND | (scans_.running() ? MF_GRAYED : MF_ENABLED));
    CheckMenuItem(menu, IDM_ALWAYS_ON_TOP, MF_BYCOMMAND | (alwaysOnTop_ ? MF_CHECKED : MF_UNCHECKED));
    DrawMenuBar(window_);
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    MainWindow* self = windowObject(window);
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        // The object outlives its window; from here nothing reaches it.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND window = window_;
    switch (message) {
    case WM_CREATE:
        return onCreate();
    case WM_DESTROY:
        onDestroy();
        return 0;
    case WM_SIZE:
        layoutWindow();
        return 0;
    case WM_SETFOCUS:
        if (report_.handle() != nullptr) {
            SetFocus(report_.handle());
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
        onScanDone(wParam, lParam);
        return 0;
    case WM_SYSCOLORCHANGE:
        onSysColorChange(wParam, lParam);
        return 0;
    case WM_SETTINGCHANGE:
        onSettingChange(wParam);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
