#include <gtest/gtest.h>

#include "button/button_layout.h"

namespace {

using vm::Point;
using vm::Rect;
using vm::Size;

struct LayoutRow {
    const char* name;
    Rect item;
    bool hasCaption;
    bool pressed;
    Size image;
    Point margin;
    Point pressedShift;
    Point expectedImageTopLeft;
    Rect expectedCaption;  // the caption rectangle after placement, starting from the item rectangle
};

class LayoutImageTest : public ::testing::TestWithParam<LayoutRow> {};

TEST_P(LayoutImageTest, PlacesImageAndMovesCaption) {
    const LayoutRow& row = GetParam();
    Rect caption = row.item;
    const Rect image =
        vm::LayoutImage(row.item, caption, row.hasCaption, row.pressed, row.image, row.margin, row.pressedShift);
    EXPECT_EQ(row.expectedImageTopLeft, (Point{image.left, image.top}));
    // Only left and top are placed; right and bottom follow the item (plus the shift).
    const Point shift = row.pressed ? row.pressedShift : Point{};
    EXPECT_EQ(row.item.right + shift.x, image.right);
    EXPECT_EQ(row.item.bottom + shift.y, image.bottom);
    EXPECT_EQ(row.expectedCaption, caption);
}

// The Connect button's worked geometry uses a 120 x 30 button bitmap.
INSTANTIATE_TEST_SUITE_P(
    Rows, LayoutImageTest,
    ::testing::Values(
        LayoutRow{"IconWithCaption", {0, 0, 120, 30}, true, false, {16, 16}, {5, 0}, {1, 1}, {5, 7}, {21, 0, 120, 30}},
        LayoutRow{"IconWithCaptionPressed", {0, 0, 120, 30}, true, true, {16, 16}, {5, 0}, {1, 1}, {6, 8},
                  {21, 0, 120, 30}},
        LayoutRow{"BitmapWithCaption", {0, 0, 120, 30}, true, false, {120, 30}, {0, 0}, {1, 1}, {0, 0},
                  {120, 0, 120, 30}},
        LayoutRow{"BitmapWithCaptionPressed", {0, 0, 120, 30}, true, true, {120, 30}, {0, 0}, {1, 1}, {1, 1},
                  {120, 0, 120, 30}},
        LayoutRow{"IconNoCaptionCentredBothWays", {0, 0, 120, 30}, false, false, {16, 16}, {5, 0}, {1, 1},
                  {52, 7}, {0, 0, 120, 30}},
        LayoutRow{"IconNoCaptionPressed", {0, 0, 120, 30}, false, true, {16, 16}, {5, 0}, {1, 1}, {53, 8},
                  {0, 0, 120, 30}},
        LayoutRow{"OddRemainderTruncates", {0, 0, 121, 31}, false, false, {16, 16}, {0, 0}, {1, 1}, {52, 7},
                  {0, 0, 121, 31}},
        // (10 - 13) / 2 is -1, not the floor -2.
        LayoutRow{"LargerThanButtonTruncatesTowardZero", {0, 0, 10, 10}, false, false, {13, 13}, {0, 0}, {1, 1},
                  {-1, -1}, {0, 0, 10, 10}},
        LayoutRow{"LargerThanButtonWithCaption", {0, 0, 10, 10}, true, false, {13, 15}, {2, 0}, {1, 1}, {2, -2},
                  {15, 0, 10, 10}},
        LayoutRow{"MarginYIsNotUsed", {0, 0, 120, 30}, true, false, {16, 16}, {5, 9}, {1, 1}, {5, 7},
                  {21, 0, 120, 30}},
        LayoutRow{"ItemAwayFromOrigin", {10, 20, 130, 50}, true, false, {16, 16}, {5, 0}, {1, 1}, {15, 27},
                  {31, 20, 130, 50}},
        LayoutRow{"PressedShiftIsTheGivenOne", {0, 0, 120, 30}, true, true, {16, 16}, {5, 0}, {2, 3}, {7, 10},
                  {21, 0, 120, 30}}),
    [](const ::testing::TestParamInfo<LayoutRow>& info) { return std::string(info.param.name); });

TEST(LayoutImageTest, CaptionMovesFromWhereItStands) {
    // The caption is moved, not recomputed from the item: a second placement
    // on the same caption adds its own margin and width.
    const Rect item{0, 0, 120, 30};
    Rect caption = item;
    vm::LayoutImage(item, caption, true, false, {40, 30}, {0, 0}, {1, 1});
    vm::LayoutImage(item, caption, true, false, {16, 16}, {5, 0}, {1, 1});
    EXPECT_EQ((Rect{61, 0, 120, 30}), caption);
}

struct TextRow {
    const char* name;
    Rect area;
    Rect measured;  // as DT_CALCRECT leaves it: from the area's top-left
    Rect expected;
};

class CaptionTextTest : public ::testing::TestWithParam<TextRow> {};

TEST_P(CaptionTextTest, CentresInArea) {
    const TextRow& row = GetParam();
    EXPECT_EQ(row.expected, vm::CentreText(row.area, row.measured));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CaptionTextTest,
    ::testing::Values(
        // 99 x 30 area, 30 x 13 text: moves by (34, 8).
        TextRow{"RightOfIcon", {21, 0, 120, 30}, {21, 0, 51, 13}, {55, 8, 85, 21}},
        // The pressed caption area of the worked Connect button.
        TextRow{"RightOfIconPressed", {22, 1, 121, 31}, {22, 1, 52, 14}, {56, 9, 86, 22}},
        // Text 3 wider and 5 taller than the area: (-3) / 2 = -1 and (-5) / 2 = -2.
        TextRow{"OverflowTruncatesTowardZero", {0, 0, 10, 10}, {0, 0, 13, 15}, {-1, -2, 12, 13}},
        TextRow{"ExactFitStays", {4, 4, 20, 12}, {4, 4, 20, 12}, {4, 4, 20, 12}},
        TextRow{"OddRemainderTruncates", {0, 0, 100, 30}, {0, 0, 31, 13}, {34, 8, 65, 21}}),
    [](const ::testing::TestParamInfo<TextRow>& info) { return std::string(info.param.name); });

}  // namespace
