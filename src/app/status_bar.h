#pragma once

#include <windows.h>

#include <array>
#include <string>

// The status bar and the two texts it shows: part 0 how complete the page
// is, part 1 what the last scan or command did. The texts are remembered, as
// resetting the parts on a new layout clears them.
class StatusBar {
public:
    // The bar the main window made for it.
    void attach(HWND bar) { bar_ = bar; }
    [[nodiscard]] HWND handle() const { return bar_; }
    // Remembers and shows the text of part 0 or 1; any other part is ignored.
    void set(int part, const std::wstring& text);
    // Lets the bar take its place along the bottom of a client area `width`
    // wide, splits it into its two parts at `dpi` and shows the texts again.
    // Returns the bar's height.
    int place(int width, int dpi);

private:
    HWND bar_ = nullptr;
    std::array<std::wstring, 2> text_;
};
