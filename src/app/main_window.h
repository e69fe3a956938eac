#pragma once

#include <windows.h>

#include <shellapi.h>

#include "app/app_state.h"
#include "app/child_windows.h"
#include "app/power_actions.h"
#include "app/report_view.h"
#include "app/scan_coordination.h"
#include "common/message_box.h"
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
// user, ExitWindowsEx must never run from a test, and a test screen has only
// the system DPI. The real ones unless given others.
struct MainWindowCalls {
    ScanFunction scan = scanMachine;
    ScanResultPoster postScanResult = PostMessageW;
    ProcessorTimesSampler sampleProcessorTimes = ::sampleProcessorTimes;
    MessageBoxFunction messageBox = MessageBoxW;
    ShellExecuteFunction shellExecute = ShellExecuteW;
    PowerCalls power = windowsPowerCalls();
    SaveDialogCalls saveDialog;
    DpiCalls dpi;
};

// Korvane's main window and everything the window thread keeps for it, one
// member per subsystem. Made by wWinMain (or a test) and kept until the
// message loop has ended; the window reaches it through GWLP_USERDATA, and
// the panel reaches its graphs the same way.
class MainWindow {
public:
    explicit MainWindow(MainWindowCalls windowsCalls = MainWindowCalls{});
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

    [[nodiscard]] HWND handle() const { return shell.mainWindow; }
    // A size given at 96 DPI, at the window's DPI now.
    [[nodiscard]] int scaled(int size96) const;
    // Greys Refresh while a scan runs and checks Always on Top.
    void updateMenuState();

    MainWindowCalls calls;
    ShellState shell;
    ScanState scan;
    ReportViewState reportView;
    LiveState live;
    GraphState graphs;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void readScreenDpi();
    // The window's DPI, for the layout and for the panel's painting.
    void setWindowDpi(int dpi);
    // One more second in both graphs, and the panel repainted.
    void refreshGraphs();
    void readBaseFont();
    [[nodiscard]] bool registerClasses();
    LRESULT onCreate();
    void onDestroy();
    void onClose();
    void onGetMinMaxInfo(LPARAM lParam) const;
    [[nodiscard]] bool onCommand(WORD id);
    void onTimer(WPARAM id);
    void onTick();
    void onDpiChanged(WPARAM wParam, LPARAM lParam);
    // What a DPI change does: font, layout and the panel at the new DPI, and
    // the window moved to `bounds` when there are any.
    void applyDpi(int dpi, const RECT* bounds);
    // The DPI Windows made the window at, if it is not the system DPI.
    void adoptCreatedWindowDpi();
    void toggleAlwaysOnTop();
    void openWebPage();
    void saveAsCsv();
    void copySelectedRows();
    void powerAction(UINT flags, const wchar_t* confirmation, bool needsPrivilege);
    [[nodiscard]] CommandSite commandSite();

    bool classesRegistered_ = false;
};
