#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <utility>

#include "tests/win/button/button_fixture.h"

namespace {

constexpr COLORREF kFace = RGB(10, 200, 30);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kIconBlue = RGB(0, 0, 255);
constexpr COLORREF kUntouched = RGB(77, 77, 77);  // the target before a paint
constexpr int kBmpW = 120;
constexpr int kBmpH = 30;

// The fixture bitmap: a 2 x 2 magenta square in each corner, every other
// pixel a colour of its own position (blue 100: never black, never the icon).
COLORREF FixturePixel(int x, int y) {
    const bool cornerX = x < 2 || x >= kBmpW - 2;
    const bool cornerY = y < 2 || y >= kBmpH - 2;
    if (cornerX && cornerY) return kMagenta;
    return RGB(x * 2, y * 8, 100);
}

using PixelSet = std::set<std::pair<int, int>>;

PixelSet PixelsOf(const DibSurface& s, COLORREF c) {
    PixelSet out;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.At(x, y) == c) out.insert({x, y});
    return out;
}

RECT BoundsOf(const PixelSet& px) {
    RECT r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (auto [x, y] : px) {
        r.left = std::min<LONG>(r.left, x);
        r.top = std::min<LONG>(r.top, y);
        r.right = std::max<LONG>(r.right, x + 1);
        r.bottom = std::max<LONG>(r.bottom, y + 1);
    }
    return px.empty() ? RECT{0, 0, 0, 0} : r;
}

PixelSet Shifted(const PixelSet& px, int dx, int dy) {
    PixelSet out;
    for (auto [x, y] : px) out.insert({x + dx, y + dy});
    return out;
}

class SkinButtonDrawTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = MakeTempDir();
        std::vector<COLORREF> pixels;
        for (int y = 0; y < kBmpH; ++y)
            for (int x = 0; x < kBmpW; ++x) pixels.push_back(FixturePixel(x, y));
        s_bmpPath = s_dir + L"\\btn_base.bmp";
        WriteBmp(s_bmpPath, kBmpW, kBmpH, pixels);
    }
    static void TearDownTestSuite() { RemoveTree(s_dir); }

    void SetUp() override {
        m_savedBackground = g_skin.m_clrBackground;
        g_skin.m_clrBackground = kFace;  // read when the button is built
        m_font = MakeCrispFont(14);
    }
    void TearDown() override {
        m_button.reset();
        if (m_bitmap) DeleteObject(m_bitmap);
        if (m_icon) DestroyIcon(m_icon);
        DeleteObject(m_font);
        g_skin.m_clrBackground = m_savedBackground;
    }

    // A w x h button with the caption, attached, with the crisp font.
    TestButton& MakeButton(const wchar_t* caption, int w, int h) {
        m_w = w;
        m_h = h;
        m_button = std::make_unique<TestButton>();
        HWND hwnd = m_parent.AddButton(caption, BS_DEFPUSHBUTTON, w, h);
        EXPECT_TRUE(m_button->SubclassWindow(hwnd));
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
        return *m_button;
    }
    void GiveBitmap() {
        // Loaded as the skin store loads it.
        m_bitmap = static_cast<HBITMAP>(LoadImageW(nullptr, s_bmpPath.c_str(), IMAGE_BITMAP, 0, 0, 0x2050));
        ASSERT_NE(nullptr, m_bitmap);
        ASSERT_EQ(0, m_button->SetSkinBitmap(m_bitmap, kMagenta));
    }
    void GiveIcon() {
        m_icon = MakeSolidIcon(16, kIconBlue);
        ASSERT_EQ(0, m_button->SetSkinIcon(m_icon));
    }
    // One direct paint into a fresh surface of the button's size.
    std::unique_ptr<DibSurface> Paint(UINT state) {
        auto target = std::make_unique<DibSurface>(m_w, m_h, kUntouched);
        DRAWITEMSTRUCT dis = DrawRequest(m_button->m_hWnd, target->dc(), state, m_w, m_h);
        m_button->DrawItem(&dis);
        return target;
    }
    // Where the caption text may land: the layout's caption rectangle,
    // moved when pressed, with the measured text block centred in it.
    RECT ExpectedTextBlock(const wchar_t* text, RECT caption, bool pressed) {
        if (pressed) OffsetRect(&caption, 1, 1);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, m_font);
        RECT measured = caption;
        DrawTextW(dc, text, -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
        SelectObject(dc, old);
        DeleteDC(dc);
        const int dx = ((caption.right - caption.left) - (measured.right - measured.left)) / 2;
        const int dy = ((caption.bottom - caption.top) - (measured.bottom - measured.top)) / 2;
        OffsetRect(&measured, dx, dy);
        return measured;
    }

    static std::wstring s_dir;
    static std::wstring s_bmpPath;
    TestParent m_parent;
    std::unique_ptr<TestButton> m_button;
    HBITMAP m_bitmap = nullptr;
    HICON m_icon = nullptr;
    HFONT m_font = nullptr;
    int m_w = 0, m_h = 0;
    COLORREF m_savedBackground = 0;
};
std::wstring SkinButtonDrawTest::s_dir;
std::wstring SkinButtonDrawTest::s_bmpPath;

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

::testing::AssertionResult SameRect(const RECT& a, const RECT& b) {
    if (EqualRect(&a, &b)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.left << "," << a.top << "," << a.right << "," << a.bottom
                                         << ") vs (" << b.left << "," << b.top << "," << b.right << "," << b.bottom
                                         << ")";
}

// ---------------------------------------------------------------- bitmap

struct BitmapRow {
    const char* name;
    int w, h;
    UINT state;
    POINT at;  // where the bitmap's top-left pixel lands
};
void PrintTo(const BitmapRow& r, std::ostream* os) { *os << r.name; }


class BitmapPlacementTest : public SkinButtonDrawTest, public ::testing::WithParamInterface<BitmapRow> {};

TEST_P(BitmapPlacementTest, FaceThroughMaskEveryOtherPixelExact) {
    const BitmapRow& row = GetParam();
    MakeButton(L"", row.w, row.h);
    GiveBitmap();
    auto target = Paint(row.state);
    int mismatches = 0;
    for (int y = 0; y < row.h; ++y) {
        for (int x = 0; x < row.w; ++x) {
            const int bx = x - row.at.x, by = y - row.at.y;
            const bool inside = bx >= 0 && by >= 0 && bx < kBmpW && by < kBmpH;
            COLORREF expected = kFace;
            if (inside && FixturePixel(bx, by) != kMagenta) expected = FixturePixel(bx, by);
            if (target->At(x, y) != expected && ++mismatches <= 5) {
                ADD_FAILURE() << "pixel (" << x << "," << y << ") is " << std::hex << target->At(x, y)
                              << ", expected " << expected;
            }
        }
    }
    EXPECT_EQ(0, mismatches);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BitmapPlacementTest,
    ::testing::Values(BitmapRow{"Normal", kBmpW, kBmpH, 0, {0, 0}},
                      BitmapRow{"Focused", kBmpW, kBmpH, ODS_FOCUS, {0, 0}},
                      BitmapRow{"DisabledImageUnchanged", kBmpW, kBmpH, ODS_DISABLED, {0, 0}},
                      // Face in the left column and top row; the last column and row fall off.
                      BitmapRow{"PressedMovesOnePixel", kBmpW, kBmpH, ODS_SELECTED, {1, 1}},
                      BitmapRow{"PressedFocused", kBmpW, kBmpH, ODS_SELECTED | ODS_FOCUS, {1, 1}},
                      BitmapRow{"LargerButtonCentres", 140, 40, 0, {10, 5}},
                      // (101 - 120) / 2 = -9 and (21 - 30) / 2 = -4: toward zero, not down.
                      BitmapRow{"SmallerButtonTruncatesTowardZero", 101, 21, 0, {-9, -4}},
                      BitmapRow{"SmallerButtonPressed", 101, 21, ODS_SELECTED, {-8, -3}}),
    [](const ::testing::TestParamInfo<BitmapRow>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- icon

struct IconRow {
    const char* name;
    const wchar_t* caption;
    UINT state;
    bool withBitmap;
    POINT at;
};
void PrintTo(const IconRow& r, std::ostream* os) { *os << r.name; }


class IconPlacementTest : public SkinButtonDrawTest, public ::testing::WithParamInterface<IconRow> {};

TEST_P(IconPlacementTest, IconAtItsOwnSize) {
    const IconRow& row = GetParam();
    MakeButton(row.caption, kBmpW, kBmpH);
    if (row.withBitmap) GiveBitmap();
    GiveIcon();
    auto target = Paint(row.state);
    EXPECT_TRUE(SameRect(RECT{row.at.x, row.at.y, row.at.x + 16, row.at.y + 16},
                         BoundsOf(PixelsOf(*target, kIconBlue))));
    EXPECT_EQ(256u, PixelsOf(*target, kIconBlue).size());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IconPlacementTest,
    ::testing::Values(IconRow{"CaptionMargin", L"Go", 0, false, {5, (kBmpH - 16) / 2}},
                      IconRow{"CaptionMarginPressed", L"Go", ODS_SELECTED, false, {6, (kBmpH - 16) / 2 + 1}},
                      IconRow{"OverBitmap", L"Go", 0, true, {5, 7}},
                      IconRow{"DisabledUnchanged", L"Go", ODS_DISABLED, false, {5, 7}},
                      IconRow{"NoCaptionCentred", L"", 0, false, {52, 7}},
                      IconRow{"NoCaptionPressed", L"", ODS_SELECTED, true, {53, 8}}),
    [](const ::testing::TestParamInfo<IconRow>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- caption

struct CaptionRow {
    const char* name;
    bool bitmap, icon;
    RECT caption;  // the caption rectangle the layout must leave
};
void PrintTo(const CaptionRow& r, std::ostream* os) { *os << r.name; }


class CaptionPlacementTest : public SkinButtonDrawTest, public ::testing::WithParamInterface<CaptionRow> {};

TEST_P(CaptionPlacementTest, TextCentredInCaptionRectAndPressedMovesByOne) {
    const CaptionRow& row = GetParam();
    const wchar_t* text = L"Go on";
    MakeButton(text, kBmpW, kBmpH);
    if (row.bitmap) GiveBitmap();
    if (row.icon) GiveIcon();
    const COLORREF ink = GetSysColor(COLOR_BTNTEXT);

    auto normal = Paint(0);
    const PixelSet normalInk = PixelsOf(*normal, ink);
    ASSERT_FALSE(normalInk.empty());
    const RECT block = ExpectedTextBlock(text, row.caption, false);
    EXPECT_TRUE(Contains(block, BoundsOf(normalInk))) << SameRect(block, BoundsOf(normalInk)).message();

    auto pressed = Paint(ODS_SELECTED);
    EXPECT_EQ(Shifted(normalInk, 1, 1), PixelsOf(*pressed, ink));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CaptionPlacementTest,
    ::testing::Values(CaptionRow{"NoImages", false, false, {0, 0, kBmpW, kBmpH}},
                      CaptionRow{"IconMovesCaption", false, true, {21, 0, kBmpW, kBmpH}},
                      // With both images the bitmap's move of the caption is dropped.
                      CaptionRow{"IconAloneDecides", true, true, {21, 0, kBmpW, kBmpH}}),
    [](const ::testing::TestParamInfo<CaptionRow>& info) { return std::string(info.param.name); });

TEST_F(SkinButtonDrawTest, BitmapAloneMovesCaptionPastIt) {
    // A 120-wide bitmap with a caption leaves no room: the caption rectangle
    // starts at the button's right edge and no text shows.
    MakeButton(L"Go on", kBmpW + 40, kBmpH);
    GiveBitmap();
    auto target = Paint(0);
    const PixelSet ink = PixelsOf(*target, GetSysColor(COLOR_BTNTEXT));
    for (auto [x, y] : ink) EXPECT_GE(x, kBmpW) << x << "," << y;
    EXPECT_FALSE(ink.empty());
}

TEST_F(SkinButtonDrawTest, DisabledCaptionIsEtched) {
    const wchar_t* text = L"Go on";
    MakeButton(text, kBmpW, kBmpH);
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    ASSERT_NE(highlight, shadow);
    ASSERT_NE(kFace, highlight);
    ASSERT_NE(kFace, shadow);

    const PixelSet enabledInk = PixelsOf(*Paint(0), GetSysColor(COLOR_BTNTEXT));
    auto disabled = Paint(ODS_DISABLED);
    const PixelSet shadowInk = PixelsOf(*disabled, shadow);
    const PixelSet highlightInk = PixelsOf(*disabled, highlight);

    // The shadow copy sits where the enabled text sits, drawn last; the
    // highlight copy one pixel right and down shows where the shadow does not.
    EXPECT_EQ(enabledInk, shadowInk);
    PixelSet expectedHighlight;
    for (auto p : Shifted(shadowInk, 1, 1))
        if (!shadowInk.count(p)) expectedHighlight.insert(p);
    EXPECT_FALSE(expectedHighlight.empty());
    EXPECT_EQ(expectedHighlight, highlightInk);
    if (GetSysColor(COLOR_BTNTEXT) != shadow && GetSysColor(COLOR_BTNTEXT) != highlight) {
        EXPECT_TRUE(PixelsOf(*disabled, GetSysColor(COLOR_BTNTEXT)).empty());
    }
}

// ---------------------------------------------------------------- state colours

struct StateRow {
    const char* name;
    UINT state;
    COLORREF face;
    COLORREF text;
};
void PrintTo(const StateRow& r, std::ostream* os) { *os << r.name; }


constexpr COLORREF kPressedBk = RGB(200, 0, 0), kPressedFg = RGB(0, 0, 200), kNormalBk = RGB(0, 200, 0),
                   kNormalFg = RGB(200, 200, 0), kFocusBk = RGB(0, 200, 200);

class StateColourTest : public SkinButtonDrawTest, public ::testing::WithParamInterface<StateRow> {};

TEST_P(StateColourTest, FaceAndTextFollowState) {
    TestButton& button = MakeButton(L"Go on", kBmpW, kBmpH);
    button.m_clrPressedBk = kPressedBk;
    button.m_clrPressedFg = kPressedFg;
    button.m_clrNormalBk = kNormalBk;
    button.m_clrNormalFg = kNormalFg;
    button.m_clrFocusBk = kFocusBk;
    auto target = Paint(GetParam().state);
    EXPECT_EQ(GetParam().face, target->At(1, 1));
    EXPECT_EQ(GetParam().face, target->At(kBmpW - 1, kBmpH - 1));
    EXPECT_FALSE(PixelsOf(*target, GetParam().text).empty());
    EXPECT_EQ(PixelsOf(*target, GetParam().face).size() + PixelsOf(*target, GetParam().text).size(),
              static_cast<size_t>(kBmpW * kBmpH));
    EXPECT_EQ((GetParam().state & ODS_SELECTED) != 0, button.m_bPressed != FALSE);
    EXPECT_EQ((GetParam().state & ODS_FOCUS) != 0, button.m_bFocused != FALSE);
}

INSTANTIATE_TEST_SUITE_P(Rows, StateColourTest,
                         ::testing::Values(StateRow{"Neither", 0, kNormalBk, kNormalFg},
                                           StateRow{"Focused", ODS_FOCUS, kFocusBk, kNormalFg},
                                           StateRow{"Pressed", ODS_SELECTED, kPressedBk, kPressedFg},
                                           StateRow{"PressedFocused", ODS_SELECTED | ODS_FOCUS, kPressedBk,
                                                    kPressedFg},
                                           StateRow{"DefaultLooksNormal", ODS_DEFAULT, kNormalBk, kNormalFg}),
                         [](const ::testing::TestParamInfo<StateRow>& info) { return std::string(info.param.name); });

TEST_F(SkinButtonDrawTest, ButtonWithoutFontStillDrawsCaption) {
    MakeButton(L"Go", kBmpW, kBmpH);
    SendMessageW(m_button->m_hWnd, WM_SETFONT, 0, FALSE);
    ASSERT_EQ(0, SendMessageW(m_button->m_hWnd, WM_GETFONT, 0, 0));
    auto target = Paint(0);
    EXPECT_EQ(kFace, target->At(0, 0));
    EXPECT_FALSE(PixelsOf(*target, GetSysColor(COLOR_BTNTEXT)).empty());
}

// ---------------------------------------------------------------- through the parent

TEST_F(SkinButtonDrawTest, ParentReflectsDrawItemToButton) {
    MakeButton(L"", kBmpW, kBmpH);
    GiveBitmap();
    DibSurface target(kBmpW, kBmpH, kUntouched);
    DRAWITEMSTRUCT dis = DrawRequest(m_button->m_hWnd, target.dc(), ODS_SELECTED, kBmpW, kBmpH);
    const int before = m_button->drawCount;
    EXPECT_EQ(TRUE, SendMessageW(m_parent.hwnd(), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis)));
    EXPECT_EQ(before + 1, m_button->drawCount);
    EXPECT_EQ(kFace, target.At(0, 0));
    EXPECT_EQ(FixturePixel(10, 10), target.At(11, 11));
}

TEST_F(SkinButtonDrawTest, ControlAsksParentToDrawIt) {
    MakeButton(L"", kBmpW, kBmpH);
    GiveBitmap();
    // The control's own paint sends WM_DRAWITEM to the parent.
    const int before = m_button->drawCount;
    InvalidateRect(m_button->m_hWnd, nullptr, TRUE);
    UpdateWindow(m_button->m_hWnd);
    EXPECT_GT(m_button->drawCount, before);
    // And into a DC of ours, through WM_PRINTCLIENT.
    DibSurface target(kBmpW, kBmpH, kUntouched);
    SendMessageW(m_button->m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(target.dc()), PRF_CLIENT);
    EXPECT_EQ(kFace, target.At(0, 0));
    EXPECT_EQ(FixturePixel(10, 10), target.At(10, 10));
}

TEST_F(SkinButtonDrawTest, ManyPaintsLeaveGdiObjectsAsTheyWere) {
    MakeButton(L"Go on", kBmpW, kBmpH);
    GiveBitmap();
    GiveIcon();
    DibSurface target(kBmpW, kBmpH, kUntouched);
    const UINT states[] = {0, ODS_SELECTED, ODS_FOCUS, ODS_DISABLED};
    // Warm up: first use may create per-thread GDI state (fonts, brushes).
    for (UINT s : states) {
        DRAWITEMSTRUCT dis = DrawRequest(m_button->m_hWnd, target.dc(), s, kBmpW, kBmpH);
        m_button->DrawItem(&dis);
    }
    const int before = CountLiveGdiObjects();
    for (int i = 0; i < 10000; ++i) {
        DRAWITEMSTRUCT dis = DrawRequest(m_button->m_hWnd, target.dc(), states[i % 4], kBmpW, kBmpH);
        m_button->DrawItem(&dis);
    }
    EXPECT_EQ(before, CountLiveGdiObjects());
    // The target's own selections are left alone.
    EXPECT_EQ(static_cast<HGDIOBJ>(target.bitmap()), GetCurrentObject(target.dc(), OBJ_BITMAP));
}

}  // namespace
