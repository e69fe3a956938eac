#include "common/paint_buffer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "common/unique_resource.h"

TEST(PaintBuffer, DrawsOffScreenUntilPresentedAndFallsBackToTheTarget)
{
    // The target: a memory DC holding a bitmap whose pixels can be read back.
    const UniqueHdc target(CreateCompatibleDC(nullptr));
    ASSERT_TRUE(target);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 8;
    info.bmiHeader.biHeight = -8;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const UniqueHBitmap picture(CreateDIBSection(target.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(picture);
    const SelectGuard selected(target.get(), picture.get());
    const RECT whole{0, 0, 8, 8};
    FillRect(target.get(), &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    HDC memoryDc = nullptr;
    HGDIOBJ bitmap = nullptr;
    {
        const PaintBuffer buffer(target.get(), 8, 8);
        ASSERT_TRUE(buffer.buffered());
        memoryDc = buffer.dc();
        EXPECT_NE(memoryDc, target.get());
        bitmap = GetCurrentObject(memoryDc, OBJ_BITMAP);
        FillRect(memoryDc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EXPECT_EQ(GetPixel(target.get(), 7, 7), RGB(255, 255, 255)) << "shown before it was presented";
        buffer.present();
        EXPECT_EQ(GetPixel(target.get(), 0, 0), RGB(0, 0, 0));
        EXPECT_EQ(GetPixel(target.get(), 7, 7), RGB(0, 0, 0));
    }
    EXPECT_EQ(GetObjectType(memoryDc), 0u) << "the memory DC was not deleted";
    EXPECT_EQ(GetObjectType(bitmap), 0u) << "the bitmap was not deleted";

    // No memory DC can be made for a handle that is no DC: the paint goes
    // straight to the target.
    const auto notADc = reinterpret_cast<HDC>(static_cast<uintptr_t>(0x5A5A0));
    const PaintBuffer direct(notADc, 8, 8);
    EXPECT_FALSE(direct.buffered());
    EXPECT_EQ(direct.dc(), notADc);
}
