#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <string>

#include "app/identifiers.h"
#include "app/child_windows.h"
#include "app/power_actions.h"
#include "app/report_view.h"
#include "app/scan_coordination.h"
#include "app/status_bar.h"
#include "common/message_box.h"
#include "common/unique_resource.h"
#include "export/save_copy_commands.h"
#include "load/graph_panel.h"
#include "load/load_sampler.h"
#include "scan/scan_machine.h"

// The product's web page; a release puts the real host here.
inline constexpr wchar_t kWebPageAddress[] = L"https://korvane.example/SOFTWARE/Korvane.html";

// The call Help > "Korvane on the Web" opens the page with.
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

// The Windows calls the main window makes that tests must replace: a real
// scan is slow, a real message box, Save As dialog or browser waits for a
// user, ExitWindowsEx must never run from a test, a test screen has only the
// system DPI and one monitor, its colour scheme and text size stay as they
// are, and the start-up's order is seen through its first call. The real
// ones unless given others.
struct MainWindowCalls {
    decltype(&InitCommonControlsEx) initCommonControls = InitCommonControlsEx;
    ScanFunction scan = scanMachine;
    ScanResultPoster postScanResult = PostMessageW;
    ProcessorTimesSampler sampleProcessorTimes = ::sampleProcessorTimes;
    MessageBoxFunction messageBox = MessageBoxW;
    ShellExecuteFunction shellExecute = ShellExecuteW;
    PowerCalls power = windowsPowerCalls();
    SaveDialogCalls saveDialog;
    DpiCalls dpi;
    // The message font and the high-contrast state.
    decltype(&SystemParametersInfoW) systemParameters = SystemParametersInfoW;
};

// Korvane's main window and everything the window thread keeps for it: the
// shell's own state (handles, DPI, fonts, accelerators, the close that waits
// for a scan, the current snapshot and the live samples) and one object per
// subsystem, which it alone knows all of. Made by wWinMain (or a test) and
// kept until the message loop has ended; the window reaches it through
// GWLP_USERDATA.
class MainWindow {
public:
    explicit MainWindow(const MainWindowCalls& windowsCalls = MainWindowCalls{});
    // Destroys the window if it is still open, waits for a running scan and
    // unregisters the two window classes.
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Start-up up to the message loop: classes, menu, window, first samples,
    // first scan and the timer. False with the exit code when the window
    // could not be made (the user has been told).
    [[nodiscard]] bool start(HINSTANCE instance, int showCommand, int& exitCode);
    // The message loop; returns the exit code carried by WM_QUIT.
    [[nodiscard]] int runMessageLoop();
    // What the loop does with one message: the accelerators first, for every
    // window of the thread, then the usual translation and dispatch.
    void dispatchMessage(MSG& message);

    [[nodiscard]] HWND handle() const { return window_; }
    [[nodiscard]] bool scanRunning() const { return scans_.running(); }
    // The page as it stands now: the current snapshot with the latest live
    // samples, what Save as CSV writes. None while nothing has been read.
    [[nodiscard]] std::optional<ReportPage> currentPage() const;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // A size given at 96 DPI, at the window's DPI now.
    [[nodiscard]] int scaled(int size96) const;
    void readScreenDpi();
    // The window's DPI, for the layout and for the panel's painting.
    void setWindowDpi(int dpi);
    void readBaseFont();
    // Whether a high-contrast scheme is on now.
    [[nodiscard]] bool highContrastOn() const;
    [[nodiscard]] bool registerClasses();
    [[nodiscard]] bool createChildWindows();
    // A new UI font for the window's DPI, handed to the panel, the list and
    // the status bar.
    void createUiFont();
    void layoutWindow();
    // Greys Refresh while a scan runs and checks Always on Top.
    void updateMenuState();
    void startScan();
    // Takes ownership of the snapshot (null when the scan made none).
    void installScanResult(std::unique_ptr<ScanSnapshot> snapshot);
    // A scan whose result was lost counts as a scan that made none.
    void checkForLostScan();
    // The completeness sentence of the current page in status part 0.
    void showCompleteness();
    LRESULT onCreate();
    void onDestroy();
    void onClose();
    void onGetMinMaxInfo(LPARAM lParam) const;
    [[nodiscard]] bool onCommand(WORD id);
    void onTimer(WPARAM id);
    void onTick();
    void onDpiChanged(WPARAM wParam, LPARAM lParam);
    void onScanDone(WPARAM wParam, LPARAM lParam);
    void onSysColorChange(WPARAM wParam, LPARAM lParam);
    void onSettingChange(WPARAM wParam);
    // What a DPI change does: font, layout and the panel at the new DPI, and
    // the window moved to `bounds` when there are any.
    void applyDpi(int dpi, const RECT* bounds);
    // The DPI Windows made the window at, if it is not the system DPI.
    void adoptCreatedWindowDpi();
    // The DPI of the new window as Windows tells it, 0 when it cannot.
    [[nodiscard]] int createdWindowDpi() const;
    // Shrinks and moves the window into its monitor's work area if it
    // reaches beyond it, never below the smallest size.
    void fitToWorkArea();
    void toggleAlwaysOnTop();
    void openWebPage();
    void saveAsCsv();
    void copySelectedRows();
    void powerAction(UINT flags, const wchar_t* confirmation, bool needsPrivilege);
    [[nodiscard]] CommandSite commandSite();

    MainWindowCalls calls_;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    int systemDpi_ = 96;
    int windowDpi_ = 96;
    LOGFONTW baseFont_{};
    UniqueHFont uiFont_;
    UniqueHAccel accelerators_;
    bool alwaysOnTop_ = false;
    // The user closed the window while a scan ran; it waits hidden for the result.
    bool closePending_ = false;
    std::unique_ptr<ScanSnapshot> currentSnapshot_;
    std::wstring scanTakenAt_;
    LiveState live_;
    ScanCoordinator scans_;
    ReportView report_;
    StatusBar status_;
    LoadGraphs graphs_;
    bool classesRegistered_ = false;
};
