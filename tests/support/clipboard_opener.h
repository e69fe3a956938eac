#pragma once

#include <windows.h>

// OpenClipboard/CloseClipboard. opened() says whether the clipboard is ours;
// when it is not, the caller reads GetLastError before anything else.
class ClipboardOpener {
public:
    explicit ClipboardOpener(HWND owner) noexcept : opened_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardOpener()
    {
        if (opened_) {
            CloseClipboard();
        }
    }
    ClipboardOpener(const ClipboardOpener&) = delete;
    ClipboardOpener& operator=(const ClipboardOpener&) = delete;
    [[nodiscard]] bool opened() const noexcept { return opened_; }

private:
    bool opened_;
};
