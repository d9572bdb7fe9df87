// Pixel fixtures for the drawing tests: a memory DC over a 32-bit top-down
// DIB section whose pixels can be read without going through GDI, and
// readers for any bitmap's pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "wintest_util.h"

class DibSurface {
public:
    DibSurface(int w, int h, COLORREF fill) : m_w(w), m_h(h) {
        void* bits = nullptr;
        m_bmp = CreateTopDownDib(w, h, 32, &bits);
        m_bits = static_cast<uint32_t*>(bits);
        m_dc = CreateCompatibleDC(nullptr);
        m_old = SelectObject(m_dc, m_bmp);
        Fill(fill);
    }
    ~DibSurface() {
        SelectObject(m_dc, m_old);
        DeleteDC(m_dc);
        DeleteObject(m_bmp);
    }
    DibSurface(const DibSurface&) = delete;
    DibSurface& operator=(const DibSurface&) = delete;

    HDC dc() const { return m_dc; }
    HBITMAP bitmap() const { return m_bmp; }
    int width() const { return m_w; }
    int height() const { return m_h; }

    // Straight from memory: unaffected by the DC's clipping or origin.
    COLORREF At(int x, int y) const {
        GdiFlush();
        const uint32_t v = m_bits[static_cast<size_t>(y) * m_w + x];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
    void Fill(COLORREF c) {
        GdiFlush();
        const uint32_t v = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        for (size_t i = 0; i < static_cast<size_t>(m_w) * m_h; ++i) m_bits[i] = v;
    }
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> out;
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x) out.push_back(At(x, y));
        return out;
    }

private:
    int m_w, m_h;
    HBITMAP m_bmp = nullptr;
    uint32_t* m_bits = nullptr;
    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

// Any bitmap's pixels, row by row from the top-left, as COLORREF; a
// monochrome bitmap reads black for 0 and white for 1. Empty on failure.
inline std::vector<COLORREF> ReadBitmapPixels(HBITMAP bmp) {
    BITMAP bm{};
    if (!GetObjectW(bmp, sizeof(bm), &bm)) return {};
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> raw(static_cast<size_t>(bm.bmWidth) * bm.bmHeight);
    HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bmp, 0, bm.bmHeight, raw.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != bm.bmHeight) return {};
    std::vector<COLORREF> out;
    for (uint32_t v : raw) out.push_back(RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF));
    return out;
}

// A 24-bit DIB section (the skin's own format) holding `pixels`, row by row
// from the top-left.
inline HBITMAP MakeDib24(int w, int h, const std::vector<COLORREF>& pixels) {
    void* bits = nullptr;
    HBITMAP bmp = CreateTopDownDib(w, h, 24, &bits);
    if (!bmp) return nullptr;
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    auto* p = static_cast<uint8_t*>(bits);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const COLORREF c = pixels[static_cast<size_t>(y) * w + x];
            uint8_t* px = p + y * stride + x * 3;
            px[0] = GetBValue(c);
            px[1] = GetGValue(c);
            px[2] = GetRValue(c);
        }
    }
    return bmp;
}
