// A long session's painting in a few seconds: the real skin, the real
// dialog, 10,000 frame paints, 10,000 Connect button paints and 1,000 resizes
// (each one rebuilds the window region). Every pass must give back what it
// made, so the number of live GDI objects of the process ends where it began.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "dialog/VolmarkDlg.h"
#include "reliability_util.h"
#include "skinstore/Global.h"
#include "wintest_util.h"

namespace {

constexpr int kFramePaints = 10000;
constexpr int kButtonPaints = 10000;
constexpr int kResizes = 1000;

class GdiSoak : public ::testing::Test {
protected:
    void SetUp() override {
        const CString bin(BinDir().c_str());
        g_skin.LoadSkinBitmapsFrom(bin);
        g_skin.LoadSkinIconsFrom(bin);
        g_skin.m_clrTransparent = RGB(0xFF, 0, 0xFF);
        g_skin.m_clrBackground = RGB(0xFF, 0xFF, 0xFF);
        g_skin.m_clrCaptionTextActive = RGB(0xFF, 0xFF, 0xFF);
        g_skin.m_clrCaptionTextInactive = RGB(0x64, 0x64, 0x64);
        ASSERT_NE(g_skin.m_bitmaps[SKIN_BTN_BASE].hBitmap, nullptr) << "no skin in bin\\skin";
        ASSERT_NE(g_skin.m_bitmaps[SKIN_CAPTION_CENTER].hBitmap, nullptr);
    }
    void TearDown() override {
        if (m_dlg && m_dlg->m_hWnd) m_dlg->DestroyWindow();
        m_dlg.reset();
        g_skin.ReleaseSkinBitmaps();
        g_skin.ReleaseSkinIcons();
    }

    std::unique_ptr<CVolmarkDlg> m_dlg;
};

// What the dialog's owner-drawn button is asked to draw, in turn.
DRAWITEMSTRUCT ItemFor(HWND button, HDC dc, int i) {
    static const UINT kStates[] = {0, ODS_FOCUS, ODS_SELECTED | ODS_FOCUS, ODS_DISABLED, ODS_DEFAULT};
    static const UINT kActions[] = {ODA_DRAWENTIRE, ODA_SELECT, ODA_FOCUS};
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = IDOK;
    dis.itemAction = kActions[i % 3];
    dis.itemState = kStates[i % 5];
    dis.hwndItem = button;
    dis.hDC = dc;
    GetClientRect(button, &dis.rcItem);
    return dis;
}

TEST_F(GdiSoak, PaintsAndResizesLeaveTheLiveGdiObjectCountUnchanged) {
    m_dlg = std::make_unique<CVolmarkDlg>();
    ASSERT_TRUE(m_dlg->Create());
    const HWND hwnd = m_dlg->m_hWnd;
    const HWND button = GetDlgItem(hwnd, IDOK);
    ASSERT_NE(button, nullptr);
    PumpMessages(200);

    // The button really draws when the dialog gets WM_DRAWITEM: into a
    // bitmap filled with a colour no state uses.
    RECT rc{};
    GetClientRect(button, &rc);
    ASSERT_GT(rc.right, 4);
    ASSERT_GT(rc.bottom, 4);
    {
        HDC screen = GetDC(button);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, rc.right, rc.bottom);
        HGDIOBJ old = SelectObject(mem, bmp);
        HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
        FillRect(mem, &rc, probe);
        DRAWITEMSTRUCT dis = ItemFor(button, mem, 0);
        SendMessageW(hwnd, WM_DRAWITEM, IDOK, reinterpret_cast<LPARAM>(&dis));
        EXPECT_NE(GetPixel(mem, rc.right / 2, rc.bottom / 2), RGB(1, 2, 3)) << "WM_DRAWITEM drew nothing";
        SelectObject(mem, old);
        DeleteObject(probe);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(button, screen);
    }

    // The button's own DC stays taken for the whole soak, so that it counts
    // the same in every reading.
    HDC buttonDc = GetDC(button);
    PumpMessages(50);
    const int before = CountLiveGdiObjects();
    ASSERT_GT(before, 0);

    const double t0 = NowMs();
    for (int i = 0; i < kFramePaints; ++i) m_dlg->DrawSkinFrame();
    const double t1 = NowMs();
    const int afterFrames = CountLiveGdiObjects();

    for (int i = 0; i < kButtonPaints; ++i) {
        DRAWITEMSTRUCT dis = ItemFor(button, buttonDc, i);
        SendMessageW(hwnd, WM_DRAWITEM, IDOK, reinterpret_cast<LPARAM>(&dis));
    }
    const double t2 = NowMs();
    const int afterButtons = CountLiveGdiObjects();

    RECT window{};
    GetWindowRect(hwnd, &window);
    const int w0 = window.right - window.left, h0 = window.bottom - window.top;
    int w = w0, h = h0;
    for (int i = 0; i < kResizes; ++i) {
        w = w0 + (i % 7) * 13;
        h = h0 + (i % 5) * 11;
        SetWindowPos(hwnd, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        UpdateWindow(hwnd);
    }
    PumpMessages(100);
    const double t3 = NowMs();
    const int afterResizes = CountLiveGdiObjects();

    // The last resize left a region of the window's new size (one pixel
    // wider and higher, as the region code wants it).
    HRGN probe = CreateRectRgn(0, 0, 0, 0);
    RECT box{};
    ASSERT_NE(GetWindowRgn(hwnd, probe), ERROR);
    GetRgnBox(probe, &box);
    DeleteObject(probe);
    EXPECT_GE(box.right - box.left, w);
    EXPECT_LE(box.right - box.left, w + 1);
    EXPECT_GE(box.bottom - box.top, h - 1);
    ReleaseDC(button, buttonDc);

    EXPECT_EQ(afterFrames, before) << "frame paints";
    EXPECT_EQ(afterButtons, before) << "button paints";
    EXPECT_EQ(afterResizes, before) << "resizes";
    char timing[160];
    std::snprintf(timing, sizeof(timing), " (%.1f us a frame paint, %.1f us a button paint, %.2f ms a resize)",
                  1000.0 * (t1 - t0) / kFramePaints, 1000.0 * (t2 - t1) / kButtonPaints, (t3 - t2) / kResizes);
    RecordFigure("gdi soak", std::to_string(kFramePaints) + " frame paints, " + std::to_string(kButtonPaints) +
                                 " button paints, " + std::to_string(kResizes) + " resizes: live GDI objects " +
                                 std::to_string(before) + " before, " + std::to_string(afterFrames) + " / " +
                                 std::to_string(afterButtons) + " / " + std::to_string(afterResizes) + " after" +
                                 timing);
}

}  // namespace
