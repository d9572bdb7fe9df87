// Frame geometry: caption style test, non-client insets, region shape,
// painted layout and caption-button zones.
#include "frame/frame_constants.h"
#include "frame/frame_geometry.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace vm {
// Readable failures for the geometry types.
void PrintTo(const Rect& r, std::ostream* os) {
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}
void PrintTo(const Point& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
}  // namespace vm

namespace {

using namespace vm;
using namespace vm::frame;

Rect XYWH(int x, int y, int w, int h) { return Rect::FromXYWH(x, y, w, h); }

// caption_left 10 x 30, caption_center 1 x 30, caption_right 10 x 30, frame
// edges 3 wide or high, corners 3 x 3, buttons 20 x 20.
SkinSizes MatchedSkin() {
    SkinSizes s;
    s.captionLeft = {10, 30};
    s.captionCenter = {1, 30};
    s.captionRight = {10, 30};
    s.frameLeft = {3, 1};
    s.frameLeftBottom = {3, 3};
    s.frameBottom = {1, 3};
    s.frameRight = {3, 1};
    s.frameRightBottom = {3, 3};
    s.box = {20, 20};
    return s;
}

// Every piece a different size, so that each row's own quirks show.
SkinSizes UnevenSkin() {
    SkinSizes s;
    s.captionLeft = {12, 31};
    s.captionCenter = {2, 30};
    s.captionRight = {9, 33};
    s.frameLeft = {3, 5};
    s.frameLeftBottom = {6, 7};
    s.frameBottom = {2, 4};
    s.frameRight = {5, 6};
    s.frameRightBottom = {8, 9};
    s.box = {20, 18};
    return s;
}

TEST(FrameCaptionStyle, EitherCaptionBitPasses) {
    struct Case {
        std::uint32_t style;
        bool expected;
    };
    const Case cases[] = {
        {0x00C00000u, true},               // WS_CAPTION
        {0x00800000u, true},               // WS_BORDER alone
        {0x00400000u, true},               // WS_DLGFRAME alone
        {0x94C800C4u, true},               // a typical dialog template's style
        {0x80000000u | 0x00080000u, false},  // WS_POPUP | WS_SYSMENU
        {0u, false},
        {0xFF3FFFFFu, false},              // everything but the two caption bits
    };
    for (const Case& c : cases) EXPECT_EQ(HasCaptionStyle(c.style), c.expected) << std::hex << c.style;
}

TEST(FrameNcCalc, EachSideMovesOnlyForALoadedPiece) {
    const NcMetrics m{18, 4, 6};  // cxFrame differs from cyFrame on purpose
    const Rect proposed{100, 50, 400, 250};
    struct Case {
        const char* name;
        SkinSizes skin;
        Rect expected;
    };
    SkinSizes captionOnly;
    captionOnly.captionCenter = {1, 30};
    SkinSizes bottomOnly;
    bottomOnly.frameBottom = {1, 4};
    SkinSizes sidesOnly;
    sidesOnly.frameLeft = {3, 1};
    sidesOnly.frameRight = {5, 1};
    SkinSizes widthsOnly;  // zero height for caption and bottom: top and bottom untouched
    widthsOnly.captionCenter = {7, 0};
    widthsOnly.frameBottom = {9, 0};
    const Case cases[] = {
        {"nothing loaded", SkinSizes{}, proposed},
        {"caption 30 high moves top by 30-18-4", captionOnly, Rect{100, 58, 400, 250}},
        // bottom -= 4 - cxFrame(6): if the vertical metric were used it would not move.
        {"bottom uses the horizontal metric", bottomOnly, Rect{100, 50, 400, 252}},
        {"left and right", sidesOnly, Rect{97, 50, 401, 250}},
        {"a zero height leaves its side", widthsOnly, proposed},
    };
    for (const Case& c : cases) EXPECT_EQ(AdjustNcCalcRect(proposed, c.skin, m), c.expected) << c.name;
}

TEST(FrameNcCalc, ClientEndsInsetByTheSkinSizes) {
    // Model the default computation: it removes the system caption and frame
    // at the top and the horizontal frame metric at the other three sides.
    const NcMetrics m{19, 4, 4};
    const SkinSizes skin = UnevenSkin();
    const Rect window{0, 0, 300, 200};
    Rect r = AdjustNcCalcRect(window, skin, m);
    r.top += m.cyCaption + m.cyFrame;
    r.left += m.cxFrame;
    r.right -= m.cxFrame;
    r.bottom -= m.cxFrame;
    EXPECT_EQ(r, (Rect{skin.frameLeft.cx, skin.captionCenter.cy, 300 - skin.frameRight.cx, 200 - skin.frameBottom.cy}));
}

TEST(FrameRegion, ShapeByWindowState) {
    struct Case {
        unsigned sizeType;
        RegionShape expected;
    };
    const RegionShape normal{Rect{0, 0, 301, 201}, Rect{0, 0, 7, 7}, Rect{0, 0, 14, 14}, Rect{294, 0, 301, 7},
                             Rect{287, 0, 301, 14}};
    const RegionShape maximised{Rect{4, 4, 297, 197}, Rect{4, 4, 7, 7}, Rect{4, 4, 14, 14}, Rect{290, 4, 297, 7},
                                Rect{283, 4, 297, 14}};
    const Case cases[] = {
        {kSizeRestored, normal},
        {kSizeMinimized, normal},
        {kSizeMaximized, maximised},
        {3, normal},  // SIZE_MAXSHOW and the like: as normal
    };
    for (const Case& c : cases) {
        const RegionShape s = ComputeRegionShape(Size{300, 200}, c.sizeType);
        EXPECT_EQ(s.outer, c.expected.outer) << c.sizeType;
        EXPECT_EQ(s.leftSquare, c.expected.leftSquare) << c.sizeType;
        EXPECT_EQ(s.leftEllipse, c.expected.leftEllipse) << c.sizeType;
        EXPECT_EQ(s.rightSquare, c.expected.rightSquare) << c.sizeType;
        EXPECT_EQ(s.rightEllipse, c.expected.rightEllipse) << c.sizeType;
    }
}

struct PieceCase {
    PieceIndex index;
    Rect dest;
    Rect src;
    bool stretch;
};

void ExpectPieces(const FrameLayout& L, std::initializer_list<PieceCase> cases) {
    for (const PieceCase& c : cases) {
        EXPECT_EQ(L.pieces[c.index].dest, c.dest) << "piece " << c.index;
        EXPECT_EQ(L.pieces[c.index].src, c.src) << "piece " << c.index;
        EXPECT_EQ(L.pieces[c.index].stretch, c.stretch) << "piece " << c.index;
    }
}

TEST(FrameLayout, MatchedSkinOn300x200) {
    const FrameLayout L = ComputeFrameLayout(Size{300, 200}, MatchedSkin(), WindowState::Normal);
    ExpectPieces(L, {
                        {kPieceCaptionLeft, XYWH(0, 0, 10, 30), XYWH(0, 0, 10, 30), false},
                        {kPieceCaptionCenter, XYWH(10, 0, 280, 30), XYWH(0, 0, 1, 30), true},
                        {kPieceCaptionRight, XYWH(290, 0, 10, 30), XYWH(0, 0, 10, 30), false},
                        {kPieceFrameLeft, XYWH(0, 30, 3, 167), XYWH(0, 0, 3, 1), true},
                        {kPieceFrameLeftBottom, XYWH(0, 197, 3, 3), XYWH(0, 0, 3, 3), false},
                        {kPieceFrameBottom, XYWH(3, 197, 294, 3), XYWH(0, 0, 1, 3), true},
                        {kPieceFrameRight, XYWH(297, 30, 3, 167), XYWH(0, 0, 3, 1), true},
                        {kPieceFrameRightBottom, XYWH(297, 197, 3, 3), XYWH(0, 0, 3, 3), false},
                    });
    EXPECT_EQ(L.client, (Rect{3, 30, 297, 197}));
    EXPECT_TRUE(L.excludeClient);
    EXPECT_EQ(L.avail, 178);
    EXPECT_EQ(L.titleX, 42);
    EXPECT_EQ(L.icon, XYWH(15, 5, 24, 24));
}

TEST(FrameLayout, UnevenSkinShowsEachRowsAsymmetry) {
    const FrameLayout L = ComputeFrameLayout(Size{300, 200}, UnevenSkin(), WindowState::Normal);
    ExpectPieces(L, {
                        // each caption end as high as its own bitmap
                        {kPieceCaptionLeft, XYWH(0, 0, 12, 31), XYWH(0, 0, 12, 31), false},
                        // the middle keeps its own height, stretched in width only
                        {kPieceCaptionCenter, XYWH(12, 0, 279, 30), XYWH(0, 0, 2, 30), true},
                        {kPieceCaptionRight, XYWH(291, 0, 9, 33), XYWH(0, 0, 9, 33), false},
                        // below caption_left, ending at the bottom edge's height
                        {kPieceFrameLeft, XYWH(0, 31, 3, 165), XYWH(0, 0, 3, 5), true},
                        // placed by the bottom edge's height, sized by its own bitmap
                        {kPieceFrameLeftBottom, XYWH(0, 196, 6, 7), XYWH(0, 0, 6, 7), false},
                        // starts after the bottom-left corner, W less the two side edges long
                        {kPieceFrameBottom, XYWH(6, 196, 292, 4), XYWH(0, 0, 2, 4), true},
                        // below caption_right, ending at the bottom-right corner's height
                        {kPieceFrameRight, XYWH(295, 33, 5, 158), XYWH(0, 0, 5, 6), true},
                        {kPieceFrameRightBottom, XYWH(292, 191, 8, 9), XYWH(0, 0, 8, 9), false},
                    });
    EXPECT_EQ(L.client, (Rect{3, 30, 295, 196}));
    EXPECT_EQ(L.avail, 178);
}

TEST(FrameLayout, CaptionButtonsByWindowState) {
    struct Case {
        WindowState state;
        int y;
        BoxImage middle;
        BoxImage left;
        bool excludeClient;
        int iconSize;
        int titleX;
    };
    const Case cases[] = {
        {WindowState::Normal, 0, BoxImage::Maximize, BoxImage::Minimize, true, 24, 42},
        {WindowState::Maximised, 4, BoxImage::Restore, BoxImage::Minimize, true, 24, 42},
        {WindowState::Minimised, 0, BoxImage::Maximize, BoxImage::Restore, false, 16, 30},
    };
    for (const Case& c : cases) {
        const FrameLayout L = ComputeFrameLayout(Size{300, 200}, MatchedSkin(), c.state);
        const int s = static_cast<int>(c.state);
        EXPECT_EQ(L.buttons[kButtonClose].rect, XYWH(270, c.y, 20, 20)) << s;
        EXPECT_EQ(L.buttons[kButtonMiddle].rect, XYWH(250, c.y, 20, 20)) << s;
        EXPECT_EQ(L.buttons[kButtonLeft].rect, XYWH(230, c.y, 20, 20)) << s;
        EXPECT_EQ(L.buttons[kButtonClose].image, BoxImage::Exit) << s;
        EXPECT_EQ(L.buttons[kButtonMiddle].image, c.middle) << s;
        EXPECT_EQ(L.buttons[kButtonLeft].image, c.left) << s;
        EXPECT_EQ(L.excludeClient, c.excludeClient) << s;
        EXPECT_EQ(L.icon, XYWH(15, 5, c.iconSize, c.iconSize)) << s;
        EXPECT_EQ(L.titleX, c.titleX) << s;
    }
}

TEST(FrameLayout, MissingPiecesDrawNothingAndSmallWindowsDoNotMirror) {
    // No skin at all: every piece is empty.
    const FrameLayout empty = ComputeFrameLayout(Size{300, 200}, SkinSizes{}, WindowState::Normal);
    for (const FramePiece& p : empty.pieces) EXPECT_FALSE(IsDrawable(p.dest));
    // A window lower than caption and bottom together (a minimised window is
    // about that small): the side edges would have a negative height.
    const FrameLayout tiny = ComputeFrameLayout(Size{160, 24}, MatchedSkin(), WindowState::Minimised);
    EXPECT_LT(tiny.pieces[kPieceFrameLeft].dest.Height(), 0);
    EXPECT_FALSE(IsDrawable(tiny.pieces[kPieceFrameLeft].dest));
    EXPECT_FALSE(IsDrawable(tiny.pieces[kPieceFrameRight].dest));
    EXPECT_TRUE(IsDrawable(tiny.pieces[kPieceCaptionCenter].dest));
}

TEST(FrameLayout, AvailCanGoNegativeOnNarrowWindows) {
    SkinSizes s = MatchedSkin();
    s.box = {30, 20};
    EXPECT_EQ(ComputeFrameLayout(Size{152, 100}, s, WindowState::Normal).avail, 0);
    EXPECT_EQ(ComputeFrameLayout(Size{140, 100}, s, WindowState::Normal).avail, -12);
}

TEST(FrameZones, WorkedExample) {
    const CaptionZones z = ComputeCaptionZones(Rect{100, 50, 400, 250}, Size{20, 18});
    EXPECT_EQ(z.close, (Rect{370, 54, 390, 72}));
    EXPECT_EQ(z.middle, (Rect{350, 54, 370, 72}));
    EXPECT_EQ(z.left, (Rect{330, 54, 350, 72}));
    struct Case {
        Point p;
        CaptionZone expected;
    };
    const Case cases[] = {
        {{370, 54}, CaptionZone::Close},  {{389, 71}, CaptionZone::Close},
        {{390, 60}, CaptionZone::None},   {{380, 72}, CaptionZone::None},
        {{380, 53}, CaptionZone::None},   {{380, 52}, CaptionZone::None},  // over the drawn image, above the zone
        {{369, 60}, CaptionZone::Middle}, {{350, 71}, CaptionZone::Middle},
        {{349, 54}, CaptionZone::Left},   {{330, 60}, CaptionZone::Left},
        {{329, 60}, CaptionZone::None},   {{200, 60}, CaptionZone::None},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitCaptionZone(z, c.p), c.expected) << c.p.x << "," << c.p.y;
    }
}

TEST(FrameZones, LineUpWithTheDrawnButtons) {
    const Rect window{-20, 700, 620, 1180};
    const Size box{17, 15};
    SkinSizes s = MatchedSkin();
    s.box = box;
    const CaptionZones z = ComputeCaptionZones(window, box);
    const FrameLayout L = ComputeFrameLayout(Size{window.Width(), window.Height()}, s, WindowState::Normal);
    const Rect drawn[] = {L.buttons[kButtonClose].rect, L.buttons[kButtonMiddle].rect, L.buttons[kButtonLeft].rect};
    const Rect zones[] = {z.close, z.middle, z.left};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(zones[i].left, drawn[i].left + window.left) << i;
        EXPECT_EQ(zones[i].right, drawn[i].right + window.left) << i;
        EXPECT_EQ(zones[i].top, window.top + 4) << i;
        EXPECT_EQ(zones[i].Height(), box.cy) << i;
    }
}

TEST(FrameZones, NoButtonImageMeansNoZone) {
    const CaptionZones z = ComputeCaptionZones(Rect{0, 0, 300, 200}, Size{0, 0});
    for (const Point p : {Point{290, 4}, Point{289, 4}, Point{290, 3}}) {
        EXPECT_EQ(HitCaptionZone(z, p), CaptionZone::None);
    }
}

TEST(FrameText, CenteredTopIsSignedAndTruncates) {
    struct Case {
        int extent, height, expected;
    };
    const Case cases[] = {
        {30, 14, 8}, {31, 14, 8}, {30, 40, -5}, {29, 30, 0}, {24, 27, -1}, {0, 13, -6},
    };
    for (const Case& c : cases) EXPECT_EQ(CenteredTop(c.extent, c.height), c.expected) << c.extent << "/" << c.height;
}

}  // namespace
