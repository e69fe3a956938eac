#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/unique_resource.h"
#include "support/clipboard_opener.h"

// The text on the clipboard (CF_UNICODETEXT), read with the clipboard opened
// for `owner`; nothing when the clipboard could not be opened. A clipboard
// without text gives an empty text.
inline std::optional<std::wstring> readClipboardText(HWND owner)
{
    const ClipboardOpener clipboard(owner);
    if (!clipboard.opened()) {
        return std::nullopt;
    }
    std::wstring text;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        const GlobalLockGuard chars(data);
        if (chars.get() != nullptr) {
            text = static_cast<const wchar_t*>(chars.get());
        }
    }
    return text;
}
