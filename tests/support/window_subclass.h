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

// Counts the messages of one kind that a window receives while it lives.
class MessageCounter {
public:
    MessageCounter(HWND window, UINT message) noexcept
        : message_(message),
          subclass_(window, countMessage, reinterpret_cast<UINT_PTR>(this), reinterpret_cast<DWORD_PTR>(this))
    {
    }
    MessageCounter(const MessageCounter&) = delete;
    MessageCounter& operator=(const MessageCounter&) = delete;

    [[nodiscard]] bool installed() const noexcept { return subclass_.installed(); }
    [[nodiscard]] int count() const noexcept { return count_; }
    void reset() noexcept { count_ = 0; }

private:
    static LRESULT CALLBACK countMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR self)
    {
        auto* counter = reinterpret_cast<MessageCounter*>(self);
        counter->count_ += message == counter->message_ ? 1 : 0;
        return DefSubclassProc(window, message, wParam, lParam);
    }

    UINT message_;
    int count_ = 0;
    WindowSubclass subclass_;  // last: removed before the count goes
};
