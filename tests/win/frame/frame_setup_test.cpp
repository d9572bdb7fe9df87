// Frame set-up against real USER/GDI: the window region's pixels, the client
// insets, the minimum tracking size, activation and control colours.
#include "frame_fixture.h"

namespace frametest {
namespace {

struct RegionPoint {
    int x, y;
    bool inside;
};

// The window region's membership at a set of points, in window coordinates.
void ExpectRegion(HWND hwnd, std::initializer_list<RegionPoint> points, const char* what) {
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(hwnd, rgn), ERROR) << what;
    for (const RegionPoint& p : points) {
        EXPECT_EQ(PtInRegion(rgn, p.x, p.y) != FALSE, p.inside) << what << " at " << p.x << "," << p.y;
    }
    DeleteObject(rgn);
}

RECT RegionBox(HWND hwnd) {
    RECT box{};
    HRGN rgn = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(hwnd, rgn) != ERROR) GetRgnBox(rgn, &box);
    DeleteObject(rgn);
    return box;
}

using FrameSetup = SkinnedWindow;

TEST_F(FrameSetup, NormalRegionRoundsTopCornersAndReachesOnePixelBeyond) {
    ExpectRegion(hwnd,
                 {
                     {0, 0, false},     {1, 1, false},    {6, 0, true},      {0, 6, true},
                     {3, 3, true},      {7, 0, true},     {0, 7, true},      // outside the corner square
                     {299, 0, false},   {298, 1, false},  {293, 0, true},    {299, 7, true},
                     {296, 3, true},    {150, 0, true},   {150, 100, true},
                     {0, 199, true},    {299, 199, true},  // bottom corners stay square
                     {300, 100, true},  {301, 100, false},  // one pixel beyond the right edge, not two
                     {150, 200, true},  {150, 201, false},
                     {-1, 100, false},  {150, -1, false},
                 },
                 "normal");
}

TEST_F(FrameSetup, MaximisedShapeOnTheSameWindow) {
    // The shape follows the type WM_SIZE reports, on the window's own size.
    SendMessageW(hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(290, 160));
    ExpectRegion(hwnd,
                 {
                     {3, 100, false},   {4, 100, true},   {296, 100, true},  {297, 100, false},
                     {150, 3, false},   {150, 4, true},   {150, 196, true},  {150, 197, false},
                     {4, 4, false},     {5, 4, false},    {4, 5, false},     {7, 4, true},   {4, 7, true},
                     {296, 4, false},   {296, 6, false},  {296, 7, true},    {290, 5, true},
                     {296, 196, true},  {4, 196, true},
                 },
                 "maximised");
    // Minimised builds the normal shape again.
    SendMessageW(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
    const RECT box = RegionBox(hwnd);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.right, 301);
    EXPECT_EQ(box.bottom, 201);
}

TEST_F(FrameSetup, RealMaximiseCutsTheRegionIn) {
    ShowWindow(hwnd, SW_MAXIMIZE);
    PumpMessages(50);
    ASSERT_TRUE(IsZoomed(hwnd));
    RECT wr{};
    GetWindowRect(hwnd, &wr);
    const RECT box = RegionBox(hwnd);
    EXPECT_EQ(box.left, 4);
    EXPECT_EQ(box.top, 4);
    EXPECT_EQ(box.right, wr.right - wr.left - 3);
    EXPECT_EQ(box.bottom, wr.bottom - wr.top - 3);
}

TEST_F(FrameSetup, WithoutCaptionStyleTheRegionStays) {
    SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) & ~WS_CAPTION);
    SetWindowPos(hwnd, nullptr, 0, 0, 250, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    const RECT box = RegionBox(hwnd);
    EXPECT_EQ(box.right, 301);
    EXPECT_EQ(box.bottom, 201);
    // Only WS_BORDER or only WS_DLGFRAME still counts as a caption.
    for (LONG bit : {static_cast<LONG>(WS_BORDER), static_cast<LONG>(WS_DLGFRAME)}) {
        SetWindowLongW(hwnd, GWL_STYLE, (GetWindowLongW(hwnd, GWL_STYLE) & ~WS_CAPTION) | bit);
        SetWindowPos(hwnd, nullptr, 0, 0, 260 + bit % 7, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
        EXPECT_EQ(RegionBox(hwnd).right, 260 + bit % 7 + 1) << std::hex << bit;
    }
}

// Client rectangle relative to the window's top-left corner.
RECT ClientInWindow(HWND hwnd) {
    RECT wr{}, cr{};
    GetWindowRect(hwnd, &wr);
    GetClientRect(hwnd, &cr);
    MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&cr), 2);
    OffsetRect(&cr, -wr.left, -wr.top);
    return cr;
}

TEST_F(FrameSetup, ClientIsInsetByTheSkinSizesOnASizingFrame) {
    // A sizing frame is what the default computation takes off with exactly
    // SM_CXFRAME / SM_CYFRAME; the skin sizes are then the insets.
    SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) | WS_THICKFRAME);
    SetWindowPos(hwnd, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    const RECT c = ClientInWindow(hwnd);
    EXPECT_EQ(c.left, 3);             // frame_left's width
    EXPECT_EQ(c.top, 30);             // caption_center's height
    EXPECT_EQ(kWidth - c.right, 5);   // frame_right's width
    EXPECT_EQ(kHeight - c.bottom, 4);  // frame_bottom's height
}

TEST_F(FrameSetup, EachSideMovesByItsSkinSizeLessTheMetrics) {
    // Whatever the default computation takes off for this window's own
    // style, the skin moves each side by its size less the system metrics.
    const RECT skinned = ClientInWindow(hwnd);
    ClearSkin();
    SetWindowPos(hwnd, nullptr, 0, 0, kWidth, kHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    const RECT plain = ClientInWindow(hwnd);
    const int cyCaption = GetSystemMetrics(SM_CYCAPTION);
    const int cyFrame = GetSystemMetrics(SM_CYFRAME);
    const int cxFrame = GetSystemMetrics(SM_CXFRAME);
    EXPECT_EQ(skinned.top - plain.top, 30 - cyCaption - cyFrame);
    EXPECT_EQ(skinned.left - plain.left, 3 - cxFrame);
    EXPECT_EQ(plain.right - skinned.right, 5 - cxFrame);
    EXPECT_EQ(plain.bottom - skinned.bottom, 4 - cxFrame);
}

TEST_F(FrameSetup, MinimumTrackingSize) {
    MINMAXINFO mmi{};
    mmi.ptMinTrackSize = POINT{1, 1};
    SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 240);
    EXPECT_EQ(mmi.ptMinTrackSize.y, 100);
}

TEST_F(FrameSetup, CreationCopiesTheStoreAndActivationSwitchesColourAndIcon) {
    EXPECT_EQ(dlg->m_sizeCaptionCenter.cy, 30);
    EXPECT_EQ(dlg->m_sizeBox.cx, 20);
    EXPECT_EQ(dlg->m_hbmBoxExit, g_skin.m_bitmaps[SKIN_BOX_EXIT].hBitmap);

    SendMessageW(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(dlg->m_bActive);
    EXPECT_EQ(dlg->m_clrCaptionText, kTextInactive);
    EXPECT_EQ(dlg->m_hCaptionIcon, g_skin.m_icons[SKIN_ICON_LOGO][SKIN_ICON_24]);
    EXPECT_EQ(PixelAt(15 + 12, 5 + 12), kLogoIconColour);

    SendMessageW(hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(dlg->m_bActive);
    EXPECT_EQ(dlg->m_clrCaptionText, kTextActive);
    EXPECT_EQ(dlg->m_hCaptionIcon, g_skin.m_icons[SKIN_ICON_LOGO][SKIN_ICON_24]);
}

TEST_F(FrameSetup, CaptionIconIsSkinIconUntilTheFirstActivation) {
    EXPECT_EQ(dlg->iconAtInit, g_skin.m_icons[SKIN_ICON_SKIN][SKIN_ICON_24]);
    ASSERT_NE(dlg->iconAtInit, nullptr);
    // Showing the visible template activated it: the logo from then on.
    EXPECT_EQ(dlg->m_hCaptionIcon, g_skin.m_icons[SKIN_ICON_LOGO][SKIN_ICON_24]);
}

TEST_F(FrameSetup, ButtonsGetTheBackgroundBrushOtherControlsTheDefault) {
    CButton button;
    ASSERT_TRUE(button.SubclassDlgItem(IDOK, dlg.get()));
    HDC dc = GetDC(button.m_hWnd);
    const LRESULT forButton = SendMessageW(hwnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                           reinterpret_cast<LPARAM>(button.m_hWnd));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(forButton), static_cast<HBRUSH>(dlg->m_brBackground));
    LOGBRUSH lb{};
    ASSERT_TRUE(GetObjectW(static_cast<HBRUSH>(dlg->m_brBackground), sizeof lb, &lb));
    EXPECT_EQ(lb.lbColor, kBackground);
    ReleaseDC(button.m_hWnd, dc);

    HWND combo = GetDlgItem(hwnd, 1000);
    ASSERT_NE(combo, nullptr);
    HDC cdc = GetDC(combo);
    const LRESULT forCombo = SendMessageW(hwnd, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(cdc),
                                          reinterpret_cast<LPARAM>(combo));
    EXPECT_NE(reinterpret_cast<HBRUSH>(forCombo), static_cast<HBRUSH>(dlg->m_brBackground));
    ReleaseDC(combo, cdc);
    button.UnsubclassWindow();
}

TEST_F(FrameSetup, ClientIsFilledWithTheBackground) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    const RECT c = ClientInWindow(hwnd);
    // A point of the client area away from the controls.
    EXPECT_EQ(PixelAt(c.left + 2, c.bottom - 2), kBackground);
}

}  // namespace
}  // namespace frametest
