#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/unique_resource.h"
#include "support/remote_memory.h"

// How long a driver waits for a scan: one takes seconds, so a result that
// never lands fails well inside ctest's limit instead of using it up.
inline constexpr DWORD kScanWaitMs = 30000;

// One line of the report as Korvane's list shows it.
struct ShownRow {
    std::wstring item;
    std::wstring value;
    bool operator==(const ShownRow&) const = default;
};

// Drives a running korvane.exe from another process, as a user at the
// keyboard or an accessibility tool would. The list view's and the status
// bar's text messages carry pointers that Windows does not carry across
// processes, so they point into a buffer lent in Korvane's own memory.
class OutsideDriver {
public:
    OutsideDriver() = default;
    OutsideDriver(const OutsideDriver&) = delete;
    OutsideDriver& operator=(const OutsideDriver&) = delete;
    // A program this driver started and did not close is ended.
    ~OutsideDriver();

    // Starts the program and waits for its window.
    [[nodiscard]] bool start(const std::wstring& program, DWORD timeoutMs, std::wstring& error);
    // Takes hold of a Korvane that is already running, waiting for its window.
    [[nodiscard]] bool attach(DWORD timeoutMs, std::wstring& error);

    [[nodiscard]] std::wstring statusText(int part);
    [[nodiscard]] std::vector<ShownRow> rows();

    // Waits until status part 1 reads "Scanned at " with a time later than
    // that of `previous` (any time when it is empty); returns the text, or
    // nothing when the time ran out or the program ended.
    [[nodiscard]] std::wstring waitForScan(const std::wstring& previous, DWORD timeoutMs);

    // Leaves exactly these rows selected.
    [[nodiscard]] bool selectRows(const std::vector<int>& indices);

    // Brings the window to the front and types the key (with Ctrl held), so
    // it arrives through Korvane's message loop and accelerators.
    [[nodiscard]] bool pressKey(WORD virtualKey, bool withControl);

    // File > Save as CSV, then types the path into the Save As dialog and
    // presses Save; true once the status bar reports the save.
    [[nodiscard]] bool saveAs(const std::wstring& path, DWORD timeoutMs, std::wstring& error);

    // Closes the window as the user does; the exit code, or -1.
    [[nodiscard]] int close(DWORD timeoutMs);

    [[nodiscard]] HWND mainWindow() const { return main_; }

private:
    [[nodiscard]] bool takeWindow(DWORD processId, DWORD timeoutMs, std::wstring& error);
    [[nodiscard]] bool send(HWND window, UINT message, WPARAM wParam, const void* local, size_t localBytes,
                            LRESULT& result);
    [[nodiscard]] std::wstring lentText(size_t units);
    [[nodiscard]] bool running() const;

    UniqueHandle process_;  // declared before the memory lent in it
    RemoteMemory lent_;
    bool started_ = false;
    DWORD processId_ = 0;
    HWND main_ = nullptr;
    HWND list_ = nullptr;
    HWND status_ = nullptr;
};
