#include "frame/frame_geometry.h"

#include "frame/frame_constants.h"

namespace vm::frame {

bool HasCaptionStyle(std::uint32_t style) { return (style & kWsCaption) != 0; }

WindowState ToWindowState(bool iconic, bool zoomed) {
    if (iconic) return WindowState::Minimised;
    if (zoomed) return WindowState::Maximised;
    return WindowState::Normal;
}

Rect AdjustNcCalcRect(Rect r, const SkinSizes& skin, const NcMetrics& m) {
    // The default computation takes the system caption and frame off each
    // side; shifting the proposal by the difference leaves the skin's sizes.
    // A piece that was not loaded leaves its side to the system.
    if (skin.captionCenter.cy != 0) r.top += skin.captionCenter.cy - m.cyCaption - m.cyFrame;
    if (skin.frameLeft.cx != 0) r.left += skin.frameLeft.cx - m.cxFrame;
    if (skin.frameRight.cx != 0) r.right -= skin.frameRight.cx - m.cxFrame;
    // The bottom edge is measured against the horizontal frame metric too;
    // the system reports the same thickness for both frame metrics.
    if (skin.frameBottom.cy != 0) r.bottom -= skin.frameBottom.cy - m.cxFrame;
    return r;
}

RegionShape ComputeRegionShape(Size window, unsigned sizeType) {
    const int w = window.cx;
    const int h = window.cy;
    int x0, y0, x2, y2;
    if (sizeType == kSizeMaximized) {
        // A maximised window hangs its frame over the screen edge; cut the
        // region in by the part that is off screen.
        x0 = 4;
        y0 = 4;
        x2 = w - 3;
        y2 = h - 3;
    } else {
        // One pixel beyond the window: the elliptic corners are rasterised
        // one pixel short on the right and bottom of their box.
        x0 = 0;
        y0 = 0;
        x2 = w + 1;
        y2 = h + 1;
    }
    RegionShape s;
    s.outer = Rect{x0, y0, x2, y2};
    s.leftSquare = Rect{x0, y0, 7, 7};
    s.leftEllipse = Rect{x0, y0, 14, 14};
    s.rightSquare = Rect{x2 - 7, y0, x2, 7};
    s.rightEllipse = Rect{x2 - 14, y0, x2, 14};
    return s;
}

FrameLayout ComputeFrameLayout(Size window, const SkinSizes& k, WindowState state) {
    const int W = window.cx;
    const int H = window.cy;
    const bool minimised = state == WindowState::Minimised;
    const bool maximised = state == WindowState::Maximised;

    auto copy = [](int x, int y, int w, int h) {
        return FramePiece{Rect::FromXYWH(x, y, w, h), Rect::FromXYWH(0, 0, w, h), false};
    };
    auto stretch = [](int x, int y, int w, int h, Size src) {
        return FramePiece{Rect::FromXYWH(x, y, w, h), Rect::FromXYWH(0, 0, src.cx, src.cy), true};
    };

    FrameLayout L;
    // The rows are not symmetric: the left edge stops at the bottom edge's
    // height, the right edge at the bottom-right corner's; the bottom edge
    // starts after the bottom-left corner but is as long as W less the two
    // side edges. Skins whose pieces match in size hide the difference.
    L.pieces[kPieceCaptionLeft] = copy(0, 0, k.captionLeft.cx, k.captionLeft.cy);
    L.pieces[kPieceCaptionCenter] = stretch(k.captionLeft.cx, 0, W - k.captionLeft.cx - k.captionRight.cx,
                                            k.captionCenter.cy, k.captionCenter);
    L.pieces[kPieceCaptionRight] = copy(W - k.captionRight.cx, 0, k.captionRight.cx, k.captionRight.cy);
    L.pieces[kPieceFrameLeft] = stretch(0, k.captionLeft.cy, k.frameLeft.cx,
                                        H - k.captionLeft.cy - k.frameBottom.cy, k.frameLeft);
    L.pieces[kPieceFrameLeftBottom] = copy(0, H - k.frameBottom.cy, k.frameLeftBottom.cx, k.frameLeftBottom.cy);
    L.pieces[kPieceFrameBottom] = stretch(k.frameLeftBottom.cx, H - k.frameBottom.cy,
                                          W - k.frameLeft.cx - k.frameRight.cx, k.frameBottom.cy, k.frameBottom);
    L.pieces[kPieceFrameRight] = stretch(W - k.frameRight.cx, k.captionRight.cy, k.frameRight.cx,
                                         H - k.captionRight.cy - k.frameRightBottom.cy, k.frameRight);
    L.pieces[kPieceFrameRightBottom] = copy(W - k.frameRightBottom.cx, H - k.frameRightBottom.cy,
                                            k.frameRightBottom.cx, k.frameRightBottom.cy);

    const int iconSize = minimised ? 16 : 24;
    L.icon = Rect::FromXYWH(15, 5, iconSize, iconSize);

    const int bw = k.box.cx;
    const int bh = k.box.cy;
    const int x1 = W - bw - 10;
    const int by = maximised ? 4 : 0;
    BoxImage middle = BoxImage::Maximize;
    BoxImage left = BoxImage::Minimize;
    if (minimised) {
        left = BoxImage::Restore;
    } else if (maximised) {
        middle = BoxImage::Restore;
    }
    L.buttons[kButtonClose] = CaptionButtonPlace{Rect::FromXYWH(x1, by, bw, bh), BoxImage::Exit};
    L.buttons[kButtonMiddle] = CaptionButtonPlace{Rect::FromXYWH(x1 - bw, by, bw, bh), middle};
    L.buttons[kButtonLeft] = CaptionButtonPlace{Rect::FromXYWH(x1 - 2 * bw, by, bw, bh), left};

    L.client = Rect{k.frameLeft.cx, k.captionCenter.cy, W - k.frameRight.cx, H - k.frameBottom.cy};
    L.excludeClient = !minimised;

    L.titleX = minimised ? 30 : 42;
    // The title starts at 42 and keeps more than 10 pixels from the
    // leftmost caption button.
    L.avail = (x1 - 2 * bw) - 52;
    return L;
}

bool IsDrawable(const Rect& r) { return r.Width() > 0 && r.Height() > 0; }

CaptionZones ComputeCaptionZones(Rect R, Size box) {
    const int bw = box.cx;
    // The zones sit 4 pixels below the window's top in every state, also
    // where the images are drawn at the very top.
    const int top = R.top + 4;
    const int bottom = R.top + 4 + box.cy;
    CaptionZones z;
    z.close = Rect{R.right - bw - 10, top, R.right - 10, bottom};
    z.middle = Rect{R.right - 2 * bw - 10, top, R.right - bw - 10, bottom};
    z.left = Rect{R.right - 3 * bw - 10, top, R.right - 2 * bw - 10, bottom};
    return z;
}

CaptionZone HitCaptionZone(const CaptionZones& z, Point p) {
    if (z.close.Contains(p)) return CaptionZone::Close;
    if (z.middle.Contains(p)) return CaptionZone::Middle;
    if (z.left.Contains(p)) return CaptionZone::Left;
    return CaptionZone::None;
}

int CenteredTop(int extent, int textHeight) { return (extent - textHeight) / 2; }

}  // namespace vm::frame
