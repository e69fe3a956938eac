#include "app/status_bar.h"

#include <commctrl.h>

#include <algorithm>

#include "common/dpi_scale.h"

namespace {

constexpr int kPart1Width96 = 210;
constexpr int kPart0Minimum96 = 120;

}  // namespace

void StatusBar::set(int part, const std::wstring& text)
{
    if (part != 0 && part != 1) {
        return;
    }
    std::wstring& kept = text_[static_cast<size_t>(part)];
    kept = text;
    if (bar_ != nullptr) {
        SendMessageW(bar_, SB_SETTEXTW, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(kept.c_str()));
    }
}

int StatusBar::place(int width, int dpi)
{
    SendMessageW(bar_, WM_SIZE, 0, 0);
    RECT bounds{};
    GetWindowRect(bar_, &bounds);

    const int parts[2] = {std::max(width - scaledAt(kPart1Width96, dpi), scaledAt(kPart0Minimum96, dpi)), -1};
    SendMessageW(bar_, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    for (WPARAM part = 0; part < 2; ++part) {
        SendMessageW(bar_, SB_SETTEXTW, part, reinterpret_cast<LPARAM>(text_[part].c_str()));
    }
    return bounds.bottom - bounds.top;
}
