// A skinned dialog on a fixture skin of solid-colour bitmaps, each slot its
// own colour and the frame pieces of distinct sizes, so that a piece drawn in
// the wrong place or from the wrong slot shows as a wrong pixel.
#pragma once

#include "frame/SkinDialog.h"
#include "skinstore/Global.h"

#include <gtest/gtest.h>

#include "wintest_util.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace frametest {

struct FixturePiece {
    int id;
    int w;
    int h;
};

// Sizes chosen so that every row of the layout differs from its neighbour.
inline const std::vector<FixturePiece>& FixtureSizes() {
    static const std::vector<FixturePiece> sizes = {
        {SKIN_CAPTION_LEFT, 10, 32},     {SKIN_CAPTION_CENTER, 2, 30},       {SKIN_CAPTION_RIGHT, 12, 31},
        {SKIN_FRAME_LEFT, 3, 2},         {SKIN_FRAME_LEFTBOTTOM, 6, 4},      {SKIN_FRAME_BOTTOM, 2, 4},
        {SKIN_FRAME_RIGHTBOTTOM, 4, 6},  {SKIN_FRAME_RIGHT, 5, 2},           {SKIN_BOX_MINIMIZE, 20, 18},
        {SKIN_BOX_MAXIMIZE, 20, 18},     {SKIN_BOX_RESTORE, 20, 18},         {SKIN_BOX_EXIT, 20, 18},
        {SKIN_BOX_MINIMIZE_ON, 20, 18},  {SKIN_BOX_MAXIMIZE_ON, 20, 18},     {SKIN_BOX_RESTORE_ON, 20, 18},
        {SKIN_BOX_EXIT_ON, 20, 18},      {SKIN_BOX_MINIMIZE_OVER, 20, 18},   {SKIN_BOX_MAXIMIZE_OVER, 20, 18},
        {SKIN_BOX_RESTORE_OVER, 20, 18}, {SKIN_BOX_EXIT_OVER, 20, 18},       {SKIN_BTN_BASE, 40, 16},
    };
    return sizes;
}

// Every slot a colour of its own, none equal to the background or text.
inline COLORREF SlotColour(int id) { return RGB(20 + 11 * id, 200 - 7 * id, 40 + 9 * (id % 5)); }

constexpr COLORREF kBackground = RGB(250, 250, 236);
constexpr COLORREF kTextActive = RGB(255, 255, 255);
constexpr COLORREF kTextInactive = RGB(100, 100, 100);
constexpr COLORREF kSkinIconColour = RGB(0, 0, 200);
constexpr COLORREF kLogoIconColour = RGB(0, 200, 0);

// A top-down 32-bit DIB section filled with one colour.
inline HBITMAP SolidBitmap(int w, int h, COLORREF c) {
    void* bits = nullptr;
    HBITMAP bmp = CreateTopDownDib(w, h, 32, &bits);
    if (!bmp) return nullptr;
    auto* px = static_cast<uint32_t*>(bits);
    const uint32_t v = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    for (int i = 0; i < w * h; ++i) px[i] = v;
    GdiFlush();
    return bmp;
}

// An opaque square icon of one colour.
inline HICON SolidIcon(int size, COLORREF c) {
    ICONINFO ii{};
    ii.fIcon = TRUE;
    ii.hbmColor = SolidBitmap(size, size, c);
    ii.hbmMask = CreateBitmap(size, size, 1, 1, nullptr);  // all 0: opaque
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, ii.hbmMask);
    PatBlt(dc, 0, 0, size, size, BLACKNESS);
    SelectObject(dc, old);
    DeleteDC(dc);
    HICON icon = CreateIconIndirect(&ii);
    DeleteObject(ii.hbmColor);
    DeleteObject(ii.hbmMask);
    return icon;
}

inline void PutSlot(int id, HBITMAP bmp) {
    SkinBitmap& s = g_skin.m_bitmaps[id];
    if (s.hBitmap) DeleteObject(s.hBitmap);
    s.hBitmap = bmp;
    s.bm = BITMAP{};
    if (bmp) GetObjectW(bmp, sizeof s.bm, &s.bm);
}

// Fills the store as start-up would, from made-up images.
inline void InstallFixtureSkin() {
    g_skin.ReleaseSkinBitmaps();
    g_skin.ReleaseSkinIcons();
    for (const FixturePiece& p : FixtureSizes()) PutSlot(p.id, SolidBitmap(p.w, p.h, SlotColour(p.id)));
    g_skin.m_icons[SKIN_ICON_SKIN][SKIN_ICON_24] = SolidIcon(24, kSkinIconColour);
    g_skin.m_icons[SKIN_ICON_LOGO][SKIN_ICON_24] = SolidIcon(24, kLogoIconColour);
    g_skin.m_icons[SKIN_ICON_LOGO][SKIN_ICON_16] = SolidIcon(16, kLogoIconColour);
    g_skin.m_clrTransparent = RGB(255, 0, 255);
    g_skin.m_clrBackground = kBackground;
    g_skin.m_clrCaptionTextActive = kTextActive;
    g_skin.m_clrCaptionTextInactive = kTextInactive;
}

inline void ClearSkin() {
    g_skin.ReleaseSkinBitmaps();
    g_skin.ReleaseSkinIcons();
    g_skin.m_clrTransparent = g_skin.m_clrBackground = 0;
    g_skin.m_clrCaptionTextActive = g_skin.m_clrCaptionTextInactive = 0;
}

// The dialog with its protected parts opened up, counting the dialog-manager
// outcomes (OK, Cancel) instead of ending, and noting what it receives.
class CProbeDialog : public CSkinDialog {
public:
    using CSkinDialog::EnableSystemMenuItems;
    using CSkinDialog::m_bActive;
    using CSkinDialog::m_bOnSizingBorder;
    using CSkinDialog::m_bTrackingLeave;
    using CSkinDialog::m_brBackground;
    using CSkinDialog::m_clrCaptionText;
    using CSkinDialog::m_hbmBoxExit;
    using CSkinDialog::m_hbmBoxMaximize;
    using CSkinDialog::m_hbmBoxMinimize;
    using CSkinDialog::m_hbmBoxRestore;
    using CSkinDialog::m_hCaptionIcon;
    using CSkinDialog::m_nPressedButton;
    using CSkinDialog::m_sizeBox;
    using CSkinDialog::m_sizeCaptionCenter;

    BOOL OnInitDialog() override {
        // After WM_CREATE, before the dialog is shown and activated.
        iconAtInit = m_hCaptionIcon;
        return CSkinDialog::OnInitDialog();
    }
    void OnOK() override { ++oks; }
    void OnCancel() override { ++cancels; }
    BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
        received.emplace_back(msg, wp);
        return CSkinDialog::OnWndMsg(msg, wp, lp, result);
    }
    bool Received(UINT msg, WPARAM wp) const {
        for (const auto& r : received) {
            if (r.first == msg && r.second == wp) return true;
        }
        return false;
    }
    // The dialog's own filter, without the frame's.
    BOOL PlainDialogFilter(MSG* msg) { return CDialog::PreTranslateMessage(msg); }

    HICON iconAtInit = nullptr;
    int oks = 0;
    int cancels = 0;
    std::vector<std::pair<UINT, WPARAM>> received;
};

// Window position used by the tests: 300 x 200 at (100, 100).
constexpr int kLeft = 100;
constexpr int kTop = 100;
constexpr int kWidth = 300;
constexpr int kHeight = 200;

class SkinnedWindow : public ::testing::Test {
protected:
    void SetUp() override {
        InstallFixtureSkin();
        dlg = std::make_unique<CProbeDialog>();
        ASSERT_TRUE(dlg->Create());
        hwnd = dlg->m_hWnd;
        SetWindowPos(hwnd, nullptr, kLeft, kTop, kWidth, kHeight, SWP_NOZORDER);
        SetWindowTextW(hwnd, L"");
        PumpMessages(50);
    }
    void TearDown() override {
        if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
        PumpMessages(20);
        dlg.reset();
        ClearSkin();
    }

    // Runs the thread's messages through the dialog's filter first, as the
    // modal loop does.
    void PumpThroughFilter(DWORD ms) {
        const DWORD end = GetTickCount() + ms;
        MSG m;
        do {
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (!dlg->PreTranslateMessage(&m)) {
                    TranslateMessage(&m);
                    DispatchMessageW(&m);
                }
            }
            Sleep(5);
        } while (static_cast<LONG>(end - GetTickCount()) > 0);
    }

    // A mouse message as the queue would deliver it, the pointer at (x, y) on screen.
    MSG MouseMsg(UINT message, int x, int y, WPARAM wp = HTCAPTION) const {
        MSG m{};
        m.hwnd = hwnd;
        m.message = message;
        m.wParam = wp;
        m.lParam = MAKELPARAM(x, y);
        m.time = GetTickCount();
        m.pt = POINT{x, y};
        return m;
    }

    COLORREF PixelAt(int x, int y) const {
        HDC dc = GetWindowDC(hwnd);
        COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return c;
    }

    int CountPosted(UINT message) {
        int n = 0;
        MSG m;
        while (PeekMessageW(&m, hwnd, message, message, PM_REMOVE)) ++n;
        return n;
    }

    std::unique_ptr<CProbeDialog> dlg;
    HWND hwnd = nullptr;
};

}  // namespace frametest
