// Fixtures of the skin button tests: a test subclass that exposes the
// button's state, a parent window of our own (so that WM_DRAWITEM and
// WM_CTLCOLOR* are reflected to the button), child buttons, solid icons and
// a skin-like bitmap file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "button/SkinButton.h"
#include "skinstore/Global.h"
#include "tests/win/draw/dib_surface.h"
#include "wintest_util.h"

class TestButton : public CSkinButton {
public:
    using CSkinButton::m_bDefault;
    using CSkinButton::m_bDisabled;
    using CSkinButton::m_bFocused;
    using CSkinButton::m_bitmapEntry;
    using CSkinButton::m_bPressed;
    using CSkinButton::m_clrFocusBk;
    using CSkinButton::m_clrNormalBk;
    using CSkinButton::m_clrNormalFg;
    using CSkinButton::m_clrPressedBk;
    using CSkinButton::m_clrPressedFg;
    using CSkinButton::m_iconEntry;
    using CSkinButton::m_ptBitmapMargin;
    using CSkinButton::m_ptIconMargin;
    using CSkinButton::m_ptPressedShift;

    void DrawItem(LPDRAWITEMSTRUCT dis) override {
        ++drawCount;
        CSkinButton::DrawItem(dis);
    }
    BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
        if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) mouseMessages.push_back(msg);
        return CSkinButton::OnWndMsg(msg, wp, lp, result);
    }

    int drawCount = 0;
    std::vector<UINT> mouseMessages;
};

// A visible top-level window of our own class, subclassed by a CWnd so that
// the framework reflects its children's notifications.
class TestParent {
public:
    TestParent() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VolmarkButtonTestParent";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassW(&wc);  // fails harmlessly when already registered
        HWND h = CreateWindowExW(0, wc.lpszClassName, L"button test", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        m_wnd.SubclassWindow(h);
    }
    ~TestParent() {
        HWND h = m_wnd.m_hWnd;
        m_wnd.UnsubclassWindow();
        DestroyWindow(h);
    }
    TestParent(const TestParent&) = delete;
    TestParent& operator=(const TestParent&) = delete;

    HWND hwnd() const { return m_wnd.m_hWnd; }

    // A child button of the given style and text, not yet attached.
    HWND AddButton(const wchar_t* text, DWORD style, int w, int h, int id = 1) {
        return CreateWindowExW(0, L"Button", text, WS_CHILD | WS_VISIBLE | style, 10, 10, w, h, hwnd(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                               nullptr);
    }

private:
    CWnd m_wnd;
};

// A 16 x 16 or other square icon of one colour, opaque everywhere.
inline HICON MakeSolidIcon(int size, COLORREF colour) {
    HDC screen = GetDC(nullptr);
    HBITMAP image = CreateCompatibleBitmap(screen, size, size);
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, image);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{0, 0, size, size};
    FillRect(mem, &all, brush);
    DeleteObject(brush);
    SelectObject(mem, old);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    std::vector<BYTE> zeros(static_cast<size_t>((size + 15) / 16 * 2) * size, 0);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, zeros.data());
    ICONINFO info{TRUE, 0, 0, mask, image};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(image);
    return icon;
}

// An update region on the window: something asked for a repaint.
inline bool HasPendingRepaint(HWND h) { return GetUpdateRect(h, nullptr, FALSE) != FALSE; }

// A font without antialiasing, so that every text pixel has the text colour.
inline HFONT MakeCrispFont(int height) {
    return CreateFontW(-height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

inline DRAWITEMSTRUCT DrawRequest(HWND button, HDC dc, UINT state, int w, int h) {
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = static_cast<UINT>(GetDlgCtrlID(button));
    dis.itemAction = ODA_DRAWENTIRE;
    dis.itemState = state;
    dis.hwndItem = button;
    dis.hDC = dc;
    dis.rcItem = RECT{0, 0, w, h};
    return dis;
}
