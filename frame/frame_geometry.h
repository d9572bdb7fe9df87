// Geometry of the skinned frame as plain functions: the non-client insets,
// the window region's shape, the painted layout and the caption-button zones.
// The Win32 class gathers the inputs (window rectangle, skin sizes, system
// metrics) and draws or hit-tests with what these return.
#pragma once

#include "fw/geometry.h"

#include <array>
#include <cstdint>

namespace vm::frame {

// True while the frame is ours to handle: either bit of WS_CAPTION is set.
bool HasCaptionStyle(std::uint32_t style);

// The window's show state as the frame sees it. A minimised window is
// treated as minimised even if it also reports itself zoomed.
enum class WindowState { Normal, Maximised, Minimised };
WindowState ToWindowState(bool iconic, bool zoomed);

// The sizes of the skin's pieces (zero where a bitmap was not loaded).
struct SkinSizes {
    Size captionLeft;
    Size captionCenter;
    Size captionRight;
    Size frameLeft;
    Size frameLeftBottom;
    Size frameBottom;
    Size frameRight;
    Size frameRightBottom;
    Size box;  // every caption button; box_exit's size
};

// The system caption and frame metrics that the default non-client
// computation removes from the window rectangle.
struct NcMetrics {
    int cyCaption = 0;  // SM_CYCAPTION
    int cyFrame = 0;    // SM_CYFRAME
    int cxFrame = 0;    // SM_CXFRAME
};

// The proposed window rectangle of WM_NCCALCSIZE, moved so that the default
// computation leaves a client area inset by exactly the skin's sizes.
Rect AdjustNcCalcRect(Rect proposed, const SkinSizes& skin, const NcMetrics& metrics);

// The window region as data, in window coordinates, right/bottom exclusive:
// the outer rectangle less, at each top corner, the part of the corner square
// that lies outside the ellipse inscribed in the ellipse box.
struct RegionShape {
    Rect outer;
    Rect leftSquare;
    Rect leftEllipse;
    Rect rightSquare;
    Rect rightEllipse;
};
RegionShape ComputeRegionShape(Size window, unsigned sizeType);

// One frame piece: where it goes, what part of its bitmap, and whether it is
// scaled (StretchBlt) or copied one to one from the bitmap's (0, 0).
struct FramePiece {
    Rect dest;
    Rect src;
    bool stretch = false;
};

// Pieces in drawing order.
enum PieceIndex {
    kPieceCaptionLeft,
    kPieceCaptionCenter,
    kPieceCaptionRight,
    kPieceFrameLeft,
    kPieceFrameLeftBottom,
    kPieceFrameBottom,
    kPieceFrameRight,
    kPieceFrameRightBottom,
    kPieceCount
};

// Which of the four caption-button image members a position shows.
enum class BoxImage { Minimize, Maximize, Restore, Exit };

struct CaptionButtonPlace {
    Rect rect;       // window coordinates
    BoxImage image;  // the member whose bitmap is drawn there
};

// Caption buttons, as drawn right to left.
enum ButtonIndex { kButtonClose, kButtonMiddle, kButtonLeft, kButtonCount };

struct FrameLayout {
    std::array<FramePiece, kPieceCount> pieces;
    Rect icon;                   // caption icon square
    std::array<CaptionButtonPlace, kButtonCount> buttons;
    Rect client;                 // inner rectangle the frame paint leaves alone
    bool excludeClient = false;  // false when minimised: the whole image is copied
    int titleX = 0;              // left of the title text
    int avail = 0;               // width the title must stay below (normal state)
};
FrameLayout ComputeFrameLayout(Size window, const SkinSizes& skin, WindowState state);

// A piece or button whose rectangle is empty or inverted draws nothing; a
// negative extent would otherwise mirror the bitmap over its neighbours.
bool IsDrawable(const Rect& r);

// Caption-button hit zones in screen coordinates, from the window rectangle
// and the caption-button size.
enum class CaptionZone { None, Close, Middle, Left };
struct CaptionZones {
    Rect close;
    Rect middle;
    Rect left;
};
CaptionZones ComputeCaptionZones(Rect windowRect, Size box);
CaptionZone HitCaptionZone(const CaptionZones& zones, Point screenPoint);

// The top of a text of the given height centred in an extent; signed, so a
// text taller than the extent starts above it rather than far below.
int CenteredTop(int extent, int textHeight);

}  // namespace vm::frame
