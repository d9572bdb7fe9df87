#include <gtest/gtest.h>

#include "draw/MyMemDC.h"
#include "tests/win/draw/dib_surface.h"
#include "wintest_util.h"

namespace {

constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

// The memory DC's bitmap size, as GDI reports it.
SIZE SelectedBitmapSize(HDC dc) {
    BITMAP bm{};
    GetObjectW(GetCurrentObject(dc, OBJ_BITMAP), sizeof(bm), &bm);
    return SIZE{bm.bmWidth, bm.bmHeight};
}

TEST(MyMemDCTest, BuffersClipBoxAndCopiesAtDestruction) {
    DibSurface target(100, 30, kGrey);
    IntersectClipRect(target.dc(), 10, 5, 90, 25);
    CDC* pTarget = CDC::FromHandle(target.dc());
    {
        CMyMemDC mem(pTarget);
        ASSERT_NE(nullptr, mem.GetSafeHdc());
        EXPECT_NE(target.dc(), mem.GetSafeHdc());
        const SIZE size = SelectedBitmapSize(mem);
        EXPECT_EQ(80, size.cx);
        EXPECT_EQ(20, size.cy);
        POINT org{};
        GetWindowOrgEx(mem, &org);
        EXPECT_EQ(10, org.x);
        EXPECT_EQ(5, org.y);

        RECT all{0, 0, 100, 30};
        mem.FillSolidRect(&all, kBlue);
        SetPixel(mem, 10, 5, kRed);
        SetPixel(mem, 89, 24, kGreen);
        // The box's corners are the bitmap's first and last pixels; one
        // pixel further is outside the buffer.
        EXPECT_EQ(kRed, GetPixel(mem, 10, 5));
        EXPECT_EQ(kGreen, GetPixel(mem, 89, 24));
        EXPECT_EQ(CLR_INVALID, GetPixel(mem, 9, 5));
        EXPECT_EQ(CLR_INVALID, GetPixel(mem, 90, 24));
        // Nothing reaches the target before the end.
        EXPECT_EQ(kGrey, target.At(10, 5));
        EXPECT_EQ(kGrey, target.At(50, 15));
    }
    EXPECT_EQ(kRed, target.At(10, 5));
    EXPECT_EQ(kGreen, target.At(89, 24));
    EXPECT_EQ(kBlue, target.At(50, 15));
    EXPECT_EQ(kBlue, target.At(11, 5));
    for (POINT p : {POINT{9, 5}, POINT{10, 4}, POINT{90, 24}, POINT{89, 25}, POINT{0, 0}, POINT{99, 29}}) {
        EXPECT_EQ(kGrey, target.At(p.x, p.y)) << p.x << "," << p.y;
    }
}

TEST(MyMemDCTest, NotClippedTargetGetsWholePicture) {
    DibSurface target(40, 20, kGrey);
    {
        CMyMemDC mem(CDC::FromHandle(target.dc()));
        EXPECT_EQ(40, SelectedBitmapSize(mem).cx);
        EXPECT_EQ(20, SelectedBitmapSize(mem).cy);
        RECT all{0, 0, 40, 20};
        mem.FillSolidRect(&all, kBlue);
    }
    const std::vector<COLORREF> pixels = target.Pixels();
    EXPECT_EQ(std::vector<COLORREF>(pixels.size(), kBlue), pixels);
}

TEST(MyMemDCTest, EmptyClipBoxChangesNothing) {
    DibSurface target(50, 20, kGrey);
    IntersectClipRect(target.dc(), 0, 0, 0, 0);
    RECT box{1, 1, 1, 1};
    ASSERT_EQ(NULLREGION, GetClipBox(target.dc(), &box));
    const int before = CountLiveGdiObjects();
    {
        CMyMemDC mem(CDC::FromHandle(target.dc()));
        RECT all{0, 0, 50, 20};
        mem.FillSolidRect(&all, kBlue);
        SetPixel(mem, 0, 0, kRed);
    }
    EXPECT_EQ(before, CountLiveGdiObjects());
    const std::vector<COLORREF> pixels = target.Pixels();
    EXPECT_EQ(std::vector<COLORREF>(pixels.size(), kGrey), pixels);
}

TEST(MyMemDCTest, FreesItsDCAndBitmapAndLeavesTargetsOwn) {
    DibSurface target(30, 30, kGrey);
    const int before = CountLiveGdiObjects();
    HDC memHandle = nullptr;
    HGDIOBJ offscreen = nullptr;
    {
        CMyMemDC mem(CDC::FromHandle(target.dc()));
        memHandle = mem.GetSafeHdc();
        offscreen = GetCurrentObject(mem, OBJ_BITMAP);
        EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(memHandle));
        EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(offscreen));
    }
    EXPECT_EQ(0u, GetObjectType(memHandle));
    EXPECT_EQ(0u, GetObjectType(offscreen));
    EXPECT_EQ(before, CountLiveGdiObjects());
    // The target keeps its own DC and bitmap.
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(target.dc()));
    EXPECT_EQ(static_cast<HGDIOBJ>(target.bitmap()), GetCurrentObject(target.dc(), OBJ_BITMAP));
}

TEST(MyMemDCTest, PrintingTargetIsDrawnDirectly) {
    DibSurface surface(20, 10, kGrey);
    CDC printer;
    printer.Attach(surface.dc());
    printer.m_bPrinting = TRUE;
    const int before = CountLiveGdiObjects();
    {
        CMyMemDC mem(&printer);
        EXPECT_EQ(surface.dc(), mem.GetSafeHdc());
        EXPECT_EQ(surface.dc(), mem.m_hAttribDC);
        EXPECT_TRUE(mem.IsPrinting());
        SetPixel(mem, 3, 4, kRed);
        EXPECT_EQ(kRed, surface.At(3, 4));
    }
    EXPECT_EQ(before, CountLiveGdiObjects());
    EXPECT_EQ(static_cast<DWORD>(OBJ_MEMDC), GetObjectType(surface.dc()));
    EXPECT_EQ(kRed, surface.At(3, 4));
    EXPECT_EQ(kGrey, surface.At(0, 0));
    printer.Detach();  // the surface deletes its own DC
}

}  // namespace
