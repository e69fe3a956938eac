#include "app/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

#include "app/app_state.h"
#include "app/child_windows.h"
#include "app/message_box.h"
#include "app/power_actions.h"
#include "app/report_view.h"
#include "app/scan_coordination.h"
#include "export/save_copy_commands.h"
#include "load/graph_panel.h"
#include "load/load_sampler.h"

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

void readScreenDpi()
{
    ShellState& state = shell();
    const WindowDc screen(nullptr);
    if (screen.get() != nullptr) {
        const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSX);
        if (dpi > 0) {
            state.systemDpi = dpi;
        }
    }
    state.windowDpi = state.systemDpi;
}

void readBaseFont()
{
    static_assert(sizeof(NONCLIENTMETRICSW) == kNonClientMetricsSize);
    ShellState& state = shell();
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
        state.baseFont = metrics.lfMessageFont;
        return;
    }
    state.baseFont = LOGFONTW{};
    state.baseFont.lfHeight = -MulDiv(9, state.systemDpi, 72);
    state.baseFont.lfWeight = FW_NORMAL;
    state.baseFont.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(state.baseFont.lfFaceName, L"Segoe UI", LF_FACESIZE);
}

bool registerClasses(HINSTANCE instance)
{
    WNDCLASSEXW mainClass{};
    mainClass.cbSize = sizeof(mainClass);
    mainClass.style = CS_HREDRAW | CS_VREDRAW;
    mainClass.lpfnWndProc = mainWindowProc;
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

    return RegisterClassExW(&mainClass) != 0 && RegisterClassExW(&panelClass) != 0;
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

void toggleAlwaysOnTop(HWND window)
{
    ShellState& state = shell();
    state.alwaysOnTop = !state.alwaysOnTop;
    SetWindowPos(window, state.alwaysOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    updateMenuState(window);
}

void openWebPage(HWND window)
{
    const auto result = reinterpret_cast<INT_PTR>(
        shellExecuteFunction()(window, L"open", kWebPageAddress, nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) {
        showMessage(window, std::wstring(L"The page could not be opened.\r\n\r\n") + kWebPageAddress,
                    MB_ICONERROR);
    }
}

LRESULT onCreate(HWND window)
{
    shell().mainWindow = window;
    if (!createChildWindows(window)) {
        return -1;
    }
    setStatusText(0, L"Reading this machine...");
    setStatusText(1, L"");
    return 0;
}

void onDestroy(HWND window)
{
    KillTimer(window, IDT_SAMPLE);
    KillTimer(window, IDT_SCAN_WATCH);
    waitForScanThread();
    scanState().currentSnapshot.reset();
    PostQuitMessage(0);
}

void onClose(HWND window)
{
    ScanState& scan = scanState();
    if (!scan.scanThread) {
        DestroyWindow(window);
        return;
    }
    scan.closePending = true;
    KillTimer(window, IDT_SAMPLE);
    ShowWindow(window, SW_HIDE);
    setStatusText(1, L"Finishing the scan before closing...");
    SetTimer(window, IDT_SCAN_WATCH, kScanWatchMilliseconds, nullptr);
}

void onGetMinMaxInfo(LPARAM lParam)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
    info->ptMinTrackSize.x = scaled(kMinimumWidth96);
    info->ptMinTrackSize.y = scaled(kMinimumHeight96);
}

bool onCommand(HWND window, WORD id)
{
    switch (id) {
    case IDM_REFRESH:
        startScan(window);
        return true;
    case IDM_COPY_ROWS:
        copySelectedRows(window);
        return true;
    case IDM_SAVE_CSV:
        saveAsCsv(window);
        return true;
    case IDM_EXIT:
        PostMessageW(window, WM_CLOSE, 0, 0);
        return true;
    case IDM_ALWAYS_ON_TOP:
        toggleAlwaysOnTop(window);
        return true;
    case IDM_LOG_OFF:
        powerAction(window, EWX_LOGOFF,
                    L"Log off now?\r\n\r\nAnything not saved in your open programs will be lost.", false);
        return true;
    case IDM_RESTART:
        powerAction(window, EWX_REBOOT,
                    L"Restart this computer now?\r\n\r\nAnything not saved in your open programs will be lost.",
                    true);
        return true;
    case IDM_SHUT_DOWN:
        // Shutdown alone would halt without switching the machine off.
        powerAction(window, EWX_SHUTDOWN | EWX_POWEROFF,
                    L"Shut this computer down now?\r\n\r\nAnything not saved in your open programs will be lost.",
                    true);
        return true;
    case IDM_WEB_PAGE:
        openWebPage(window);
        return true;
    default:
        return false;
    }
}

void onTimer(HWND window, WPARAM id)
{
    if (id == IDT_SAMPLE) {
        timerTick();
        checkForLostScan(window);
    } else if (id == IDT_SCAN_WATCH) {
        checkForLostScan(window);
    }
}

void onDpiChanged(HWND window, WPARAM wParam, LPARAM lParam)
{
    ShellState& state = shell();
    const int dpi = LOWORD(wParam);
    state.windowDpi = dpi != 0 ? dpi : 96;
    createUiFont();
    if (lParam != 0) {
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                     suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    layoutWindow(window);
    InvalidateRect(state.panelWindow, nullptr, TRUE);
}

}  // namespace

ShellExecuteFunction& shellExecuteFunction()
{
    static ShellExecuteFunction function = ShellExecuteW;
    return function;
}

bool startKorvane(HINSTANCE instance, int showCommand, int& exitCode)
{
    ShellState& state = shell();
    exitCode = 0;
    state.instance = instance;

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    readScreenDpi();
    readBaseFont();
    initGraphs();

    if (!registerClasses(instance)) {
        showMessage(nullptr, L"The window could not be registered.", MB_ICONERROR);
        exitCode = 1;
        return false;
    }

    const HMENU menu = buildMenu();
    const HWND window = CreateWindowExW(0, kMainClass, kCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                        scaled(kWindowWidth96), scaled(kWindowHeight96), nullptr, menu, instance,
                                        nullptr);
    if (window == nullptr) {
        // A window that failed in WM_CREATE has taken its menu with it.
        if (menu != nullptr && IsMenu(menu)) {
            DestroyMenu(menu);
        }
        // That window's WM_DESTROY also posted WM_QUIT, which would end the
        // message box below before anyone could read it.
        MSG quit{};
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
        showMessage(nullptr, L"The window could not be created.", MB_ICONERROR);
        exitCode = 1;
        return false;
    }

    ACCEL keys[] = {
        {FVIRTKEY, VK_F5, IDM_REFRESH},
        {FVIRTKEY | FCONTROL, 'C', IDM_COPY_ROWS},
    };
    state.accelerators.reset(CreateAcceleratorTableW(keys, 2));

    ShowWindow(window, showCommand);
    UpdateWindow(window);

    takeFirstSamples();
    updateGraphs();
    startScan(window);
    SetTimer(window, IDT_SAMPLE, kSampleMilliseconds, nullptr);
    return true;
}

int runMessageLoop()
{
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        dispatchWindowMessage(message);
    }
    return static_cast<int>(message.wParam);
}

void dispatchWindowMessage(MSG& message)
{
    const ShellState& state = shell();
    if (state.accelerators && TranslateAcceleratorW(state.mainWindow, state.accelerators.get(), &message)) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void finishKorvane()
{
    const HINSTANCE instance = shell().instance;
    if (shell().mainWindow != nullptr && IsWindow(shell().mainWindow)) {
        DestroyWindow(shell().mainWindow);
    }
    waitForScanThread();
    scanState() = ScanState{};
    reportView() = ReportViewState{};
    liveState() = LiveState{};
    graphState() = GraphState{};
    shell() = ShellState{};  // releases the accelerators and the font
    UnregisterClassW(kMainClass, instance);
    UnregisterClassW(kPanelClass, instance);
}

void updateMenuState(HWND mainWindow)
{
    const HMENU menu = GetMenu(mainWindow);
    if (menu == nullptr) {
        return;
    }
    EnableMenuItem(menu, IDM_REFRESH, MF_BYCOMMAND | (scanState().scanThread ? MF_GRAYED : MF_ENABLED));
    CheckMenuItem(menu, IDM_ALWAYS_ON_TOP, MF_BYCOMMAND | (shell().alwaysOnTop ? MF_CHECKED : MF_UNCHECKED));
    DrawMenuBar(mainWindow);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return onCreate(window);
    case WM_DESTROY:
        onDestroy(window);
        return 0;
    case WM_SIZE:
        layoutWindow(window);
        return 0;
    case WM_SETFOCUS:
        if (shell().reportList != nullptr) {
            SetFocus(shell().reportList);
        }
        return 0;
    case WM_CLOSE:
        onClose(window);
        return 0;
    case WM_GETMINMAXINFO:
        onGetMinMaxInfo(lParam);
        return 0;
    case WM_COMMAND:
        if (onCommand(window, LOWORD(wParam))) {
            return 0;
        }
        break;
    case WM_TIMER:
        onTimer(window, wParam);
        return 0;
    case WM_DPICHANGED:
        onDpiChanged(window, wParam, lParam);
        return 0;
    case WM_SCAN_DONE:
        onScanDone(window, wParam, lParam);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
