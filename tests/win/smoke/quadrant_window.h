// A top-level popup painted in four solid quadrants, so that a capture shows
// at once whether its origin, size and orientation are right.
#pragma once

#include <windows.h>

#include <string>

class QuadrantWindow {
public:
    static constexpr COLORREF kTopLeft = RGB(220, 20, 20);
    static constexpr COLORREF kTopRight = RGB(20, 200, 40);
    static constexpr COLORREF kBottomLeft = RGB(30, 40, 230);
    static constexpr COLORREF kBottomRight = RGB(240, 220, 10);

    QuadrantWindow(const wchar_t* title, int x, int y, int w, int h) {
        static const wchar_t* cls = RegisterOnce();
        m_hwnd = CreateWindowExW(WS_EX_TOOLWINDOW, cls, title, WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr,
                                 nullptr, GetModuleHandleW(nullptr), this);
        if (m_hwnd) UpdateWindow(m_hwnd);
    }
    ~QuadrantWindow() {
        if (m_hwnd && IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
    }
    QuadrantWindow(const QuadrantWindow&) = delete;
    QuadrantWindow& operator=(const QuadrantWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    bool closeSeen() const { return m_closeSeen; }

    // The colour the window paints at client point (x, y) of a w x h window.
    static COLORREF Expected(int x, int y, int w, int h) {
        bool right = x >= w / 2, bottom = y >= h / 2;
        return bottom ? (right ? kBottomRight : kBottomLeft) : (right ? kTopRight : kTopLeft);
    }

private:
    static const wchar_t* RegisterOnce() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &QuadrantWindow::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VolmarkQuadrantWindow";
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        RegisterClassW(&wc);
        return wc.lpszClassName;
    }

    static void Fill(HDC dc, int l, int t, int r, int b, COLORREF c) {
        RECT rc{l, t, r, b};
        HBRUSH br = CreateSolidBrush(c);
        FillRect(dc, &rc, br);
        DeleteObject(br);
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        }
        auto* self = reinterpret_cast<QuadrantWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT rc;
            GetClientRect(hwnd, &rc);
            int mx = rc.right / 2, my = rc.bottom / 2;
            Fill(dc, 0, 0, mx, my, kTopLeft);
            Fill(dc, mx, 0, rc.right, my, kTopRight);
            Fill(dc, 0, my, mx, rc.bottom, kBottomLeft);
            Fill(dc, mx, my, rc.right, rc.bottom, kBottomRight);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_CLOSE:
            if (self) self->m_closeSeen = true;
            DestroyWindow(hwnd);
            return 0;
        case WM_NCDESTROY:
            if (self) self->m_hwnd = nullptr;
            break;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }

    HWND m_hwnd = nullptr;
    bool m_closeSeen = false;
};
