// Plain geometry shared by the portable logic of every folder. No Windows
// header here: the Win32 side converts at its boundary (fw/fw.h: ToRECT,
// FromRECT).
#pragma once

namespace vm {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point& a, const Point& b) { return a.x == b.x && a.y == b.y; }
    friend bool operator!=(const Point& a, const Point& b) { return !(a == b); }
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size& a, const Size& b) { return a.cx == b.cx && a.cy == b.cy; }
    friend bool operator!=(const Size& a, const Size& b) { return !(a == b); }
};

// Right and bottom exclusive, as a Win32 RECT.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    static Rect FromXYWH(int x, int y, int w, int h) { return Rect{x, y, x + w, y + h}; }
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
    Rect Offset(int dx, int dy) const { return Rect{left + dx, top + dy, right + dx, bottom + dy}; }
    friend bool operator==(const Rect& a, const Rect& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    }
    friend bool operator!=(const Rect& a, const Rect& b) { return !(a == b); }
};

}  // namespace vm
