#pragma once

#include <windows.h>

#include <commctrl.h>

// A window subclass for the length of a scope, so that a failed assertion
// never leaves it installed for the next test. installed() says whether
// SetWindowSubclass took it.
class WindowSubclass {
public:
    WindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data = 0) noexcept
        : window_(window), procedure_(procedure), id_(id),
          installed_(SetWindowSubclass(window, procedure, id, data) != FALSE)
    {
    }
    ~WindowSubclass()
    {
        if (installed_) {
            RemoveWindowSubclass(window_, procedure_, id_);
        }
    }
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    [[nodiscard]] bool installed() const noexcept { return installed_; }

private:
    HWND window_;
    SUBCLASSPROC procedure_;
    UINT_PTR id_;
    bool installed_;
};
