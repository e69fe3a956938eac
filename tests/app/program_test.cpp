#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::wstring besideThisProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    folder.resize(folder.find_last_of(L"\\/") + 1);
    return folder + name;
}

struct FoundWindow {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK findMainWindow(HWND window, LPARAM parameter)
{
    auto* found = reinterpret_cast<FoundWindow*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (owner == found->processId && std::wstring(className) == L"KORVANE_MAIN") {
        found->window = window;
        return FALSE;
    }
    return TRUE;
}

// Starts korvane.exe, waits for its window, lets it run for `runMs`, closes it
// the way the user does and returns its exit code (or -1).
int runAndClose(DWORD runMs, double& secondsToWindow)
{
    const std::wstring program = besideThisProgram(L"korvane.exe");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        ADD_FAILURE() << "korvane.exe could not be started: error " << GetLastError();
        return -1;
    }
    CloseHandle(process.hThread);

    const ULONGLONG started = GetTickCount64();
    FoundWindow found{process.dwProcessId, nullptr};
    while (found.window == nullptr && GetTickCount64() - started < 60000) {
        EnumWindows(findMainWindow, reinterpret_cast<LPARAM>(&found));
        if (found.window == nullptr && WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) {
            break;  // ended without a window
        }
    }
    secondsToWindow = static_cast<double>(GetTickCount64() - started) / 1000.0;
    int exitCode = -1;
    if (found.window == nullptr) {
        ADD_FAILURE() << "korvane.exe showed no window";
        TerminateProcess(process.hProcess, 99);
    } else {
        Sleep(runMs);
        PostMessageW(found.window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
            ADD_FAILURE() << "korvane.exe did not end after WM_CLOSE";
            TerminateProcess(process.hProcess, 98);
        } else {
            DWORD code = 0;
            GetExitCodeProcess(process.hProcess, &code);
            exitCode = static_cast<int>(code);
        }
    }
    CloseHandle(process.hProcess);
    return exitCode;
}

}  // namespace

TEST(Program, ClosedAtOnceOrAfterItsScanItExitsWithZero)
{
    double secondsToWindow = 0.0;
    // At once: the first scan is most likely still running.
    EXPECT_EQ(runAndClose(0, secondsToWindow), 0);
    std::printf("korvane.exe showed its window after %.2f s\n", secondsToWindow);
    // After the scan and a few ticks.
    EXPECT_EQ(runAndClose(2500, secondsToWindow), 0);
}
