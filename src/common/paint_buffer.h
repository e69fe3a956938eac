#pragma once

#include <windows.h>

#include "common/unique_resource.h"

// An off-screen bitmap for one paint, so that the window shows the finished
// picture instead of each step of it. Draw into dc(), then present() it onto
// the target. When no memory DC or bitmap can be made, dc() is the target
// itself: the paint is still complete, though it may flicker.
class PaintBuffer {
public:
    PaintBuffer(HDC target, int width, int height) noexcept : target_(target), width_(width), height_(height)
    {
        memoryDc_.reset(CreateCompatibleDC(target));
        if (memoryDc_) {
            bitmap_.reset(CreateCompatibleBitmap(target, width, height));
        }
        if (bitmap_) {
            previous_ = SelectObject(memoryDc_.get(), bitmap_.get());
        }
    }
    // The bitmap is selected out before it is deleted, and deleted before its DC.
    ~PaintBuffer()
    {
        if (buffered()) {
            SelectObject(memoryDc_.get(), previous_);
        }
    }
    PaintBuffer(const PaintBuffer&) = delete;
    PaintBuffer& operator=(const PaintBuffer&) = delete;

    [[nodiscard]] bool buffered() const noexcept { return previous_ != nullptr && previous_ != HGDI_ERROR; }
    [[nodiscard]] HDC dc() const noexcept { return buffered() ? memoryDc_.get() : target_; }

    // Copies the picture onto the target; nothing to do when it was drawn there.
    void present() const noexcept
    {
        if (buffered()) {
            BitBlt(target_, 0, 0, width_, height_, memoryDc_.get(), 0, 0, SRCCOPY);
        }
    }

private:
    HDC target_;
    int width_;
    int height_;
    // Members go in reverse order: the bitmap before the DC it was made for.
    UniqueHdc memoryDc_;
    UniqueHBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
};
