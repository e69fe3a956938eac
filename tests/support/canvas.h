#pragma once

#include <windows.h>

#include <cstdint>

#include "common/unique_resource.h"

// A 32-bit top-down DIB section in a memory DC, read back pixel by pixel.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        if (dc_) {
            bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        }
        bits_ = static_cast<const uint32_t*>(bits);
        if (bitmap_) {
            previous_ = SelectObject(dc_.get(), bitmap_.get());
        }
    }
    ~Canvas()
    {
        if (previous_ != nullptr) {
            SelectObject(dc_.get(), previous_);
        }
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    [[nodiscard]] bool ready() const { return bits_ != nullptr && previous_ != nullptr; }
    [[nodiscard]] HDC dc() const { return dc_.get(); }
    [[nodiscard]] int width() const { return width_; }
    [[nodiscard]] int height() const { return height_; }

    [[nodiscard]] COLORREF pixel(int x, int y) const
    {
        GdiFlush();
        const uint32_t value = bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
        return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }

    // Pixels of `colour` in [left, right) x [top, bottom).
    [[nodiscard]] int count(COLORREF colour, int left, int top, int right, int bottom) const
    {
        int found = 0;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                found += pixel(x, y) == colour ? 1 : 0;
            }
        }
        return found;
    }
    [[nodiscard]] int count(COLORREF colour) const { return count(colour, 0, 0, width_, height_); }

private:
    int width_;
    int height_;
    UniqueHdc dc_;
    UniqueHBitmap bitmap_;
    const uint32_t* bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// What a window shows, copied into a canvas of its client area's size.
inline bool copyWindow(HWND window, Canvas& canvas)
{
    const WindowDc dc(window);
    return dc.get() != nullptr && canvas.ready() &&
           BitBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), dc.get(), 0, 0, SRCCOPY) != FALSE;
}
