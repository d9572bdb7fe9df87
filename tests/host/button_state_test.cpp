#include <gtest/gtest.h>

#include <cstdint>

#include "button/button_state.h"

namespace vm {
// Readable failure output for the look table (found by argument lookup).
void PrintTo(const ButtonLook& l, std::ostream* os) {
    *os << "{face " << l.face << ", text " << l.text << ", image (" << l.imageShift.x << "," << l.imageShift.y
        << "), text (" << l.textShift.x << "," << l.textShift.y << "), etched " << l.etched << "}";
}
}  // namespace vm

namespace {

using vm::ButtonLook;
using vm::Point;

// Five distinct colours, so that a swapped member shows.
constexpr vm::ButtonColours kColours{0x000001, 0x000002, 0x000003, 0x000004, 0x000005};
constexpr std::uint32_t kPressedBk = 0x000001, kPressedFg = 0x000002, kNormalBk = 0x000003,
                        kNormalFg = 0x000004, kFocusBk = 0x000005;

struct LookRow {
    const char* name;
    bool pressed, focused, disabled;
    ButtonLook expected;
};

class LookTest : public ::testing::TestWithParam<LookRow> {};

TEST_P(LookTest, FollowsStateTable) {
    const LookRow& row = GetParam();
    EXPECT_EQ(row.expected, vm::LookForState(row.pressed, row.focused, row.disabled, kColours, Point{2, 3}));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LookTest,
    ::testing::Values(
        LookRow{"Neither", false, false, false, {kNormalBk, kNormalFg, {0, 0}, {0, 0}, false}},
        LookRow{"FocusedKeepsNormalText", false, true, false, {kFocusBk, kNormalFg, {0, 0}, {0, 0}, false}},
        // Images move by the button's pressed shift, the text always by (1, 1).
        LookRow{"Pressed", true, false, false, {kPressedBk, kPressedFg, {2, 3}, {1, 1}, false}},
        LookRow{"PressedWinsOverFocused", true, true, false, {kPressedBk, kPressedFg, {2, 3}, {1, 1}, false}},
        LookRow{"DisabledOnlyEtches", false, false, true, {kNormalBk, kNormalFg, {0, 0}, {0, 0}, true}},
        LookRow{"DisabledFocused", false, true, true, {kFocusBk, kNormalFg, {0, 0}, {0, 0}, true}},
        LookRow{"DisabledPressed", true, false, true, {kPressedBk, kPressedFg, {2, 3}, {1, 1}, true}}),
    [](const ::testing::TestParamInfo<LookRow>& info) { return std::string(info.param.name); });

struct AttachRow {
    std::uint32_t style;
    bool isDefault;
};

class AttachTest : public ::testing::TestWithParam<AttachRow> {};

TEST_P(AttachTest, DefaultOnlyForDefPushType) {
    const vm::AttachStyle a = vm::AttachStyleFor(GetParam().style);
    EXPECT_EQ(GetParam().isDefault, a.isDefault);
    // Whatever the type was, the low five bits become owner-drawn.
    const std::uint32_t after = (GetParam().style & ~a.remove) | a.add;
    EXPECT_EQ(0x0Bu, after & 0x1F);
    EXPECT_EQ(GetParam().style & ~0x1Fu, after & ~0x1Fu);
}

INSTANTIATE_TEST_SUITE_P(Rows, AttachTest,
                         ::testing::Values(AttachRow{0x50010001, true},   // the Connect button in the template
                                           AttachRow{0x50010000, false},  // plain push button
                                           AttachRow{0x5001000B, false},  // already owner-drawn
                                           AttachRow{0x50010021, true},   // BS_LEFTTEXT is outside the type
                                           AttachRow{0x50010011, false},  // 0x11 is not type 1
                                           AttachRow{0x50010002, false}));

struct SetStyleRow {
    std::uintptr_t wParam;
    bool before;
    bool after;
    std::uintptr_t passedOn;
};

class SetStyleTest : public ::testing::TestWithParam<SetStyleRow> {};

TEST_P(SetStyleTest, MovesDefaultAndKeepsOwnerDraw) {
    const SetStyleRow& row = GetParam();
    EXPECT_EQ(row.after, vm::DefaultAfterSetStyle(row.wParam, row.before));
    EXPECT_EQ(row.passedOn, vm::OwnerDrawSetStyleParam(row.wParam));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SetStyleTest,
    ::testing::Values(SetStyleRow{0x0001, false, true, 0x000B},  // BS_DEFPUSHBUTTON
                      SetStyleRow{0x0000, true, false, 0x000B},  // BS_PUSHBUTTON
                      SetStyleRow{0x0002, true, true, 0x000B},   // check box: unchanged
                      SetStyleRow{0x0002, false, false, 0x000B},
                      SetStyleRow{0x000B, true, true, 0x000B},
                      SetStyleRow{0x4001, false, true, 0x400B},  // BS_NOTIFY kept, type replaced
                      SetStyleRow{0x001F, true, true, 0x000B},
                      SetStyleRow{(std::uintptr_t{1} << 31) | 0x20, false, false, (std::uintptr_t{1} << 31) | 0x2B}));

TEST(DialogCodeTest, AddsPushButtonRole) {
    EXPECT_EQ(0x2010u, vm::DialogCodeFor(0x2000, true));
    EXPECT_EQ(0x2020u, vm::DialogCodeFor(0x2000, false));
    EXPECT_EQ(0x0010u, vm::DialogCodeFor(0, true));
}

}  // namespace
