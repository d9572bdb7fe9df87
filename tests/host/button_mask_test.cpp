#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "button/button_mask.h"

namespace {

constexpr std::uint32_t kMagenta = 0xFF00FF;
constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlack = 0x000000;

struct MaskRow {
    const char* name;
    int cx, cy;
    std::vector<std::uint32_t> pixels;
    std::uint32_t transparent;
    std::vector<std::uint8_t> expectedMask;
    std::vector<std::uint32_t> expectedPixels;
};

class MaskRuleTest : public ::testing::TestWithParam<MaskRow> {};

TEST_P(MaskRuleTest, MasksAndBlackensExactlyTheTransparentPixels) {
    const MaskRow& row = GetParam();
    std::vector<std::uint32_t> pixels = row.pixels;
    EXPECT_EQ(row.expectedMask, vm::ApplyTransparencyRule(pixels, row.cx, row.cy, row.transparent));
    EXPECT_EQ(row.expectedPixels, pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, MaskRuleTest,
    ::testing::Values(
        MaskRow{"MagentaRedMagenta", 3, 1, {kMagenta, kRed, kMagenta}, kMagenta, {1, 0, 1}, {kBlack, kRed, kBlack}},
        MaskRow{"TwoRows", 2, 2, {kRed, kMagenta, kMagenta, kGreen}, kMagenta, {0, 1, 1, 0},
                {kRed, kBlack, kBlack, kGreen}},
        MaskRow{"NearColourIsNotTransparent", 2, 1, {0xFE00FF, kMagenta}, kMagenta, {0, 1}, {0xFE00FF, kBlack}},
        MaskRow{"NoneTransparent", 2, 1, {kRed, kGreen}, kMagenta, {0, 0}, {kRed, kGreen}},
        MaskRow{"BlackTransparentStaysBlack", 2, 1, {kBlack, kRed}, kBlack, {1, 0}, {kBlack, kRed}},
        MaskRow{"TopByteIgnored", 2, 1, {0xAAFF00FF, kRed}, kMagenta, {1, 0}, {kBlack, kRed}},
        // Only the cx * cy area counts; pixels past it are left alone.
        MaskRow{"LongerBufferKeepsTail", 1, 1, {kMagenta, kMagenta}, kMagenta, {1}, {kBlack, kMagenta}},
        MaskRow{"ShortBufferTouchesNothing", 2, 2, {kMagenta, kMagenta, kMagenta}, kMagenta, {},
                {kMagenta, kMagenta, kMagenta}},
        MaskRow{"ZeroWidth", 0, 3, {kMagenta}, kMagenta, {}, {kMagenta}},
        MaskRow{"NegativeHeight", 1, -1, {kMagenta}, kMagenta, {}, {kMagenta}}),
    [](const ::testing::TestParamInfo<MaskRow>& info) { return std::string(info.param.name); });

TEST(MaskRuleTest, SecondColourKeepsEarlierBlackening) {
    std::vector<std::uint32_t> pixels{kMagenta, kRed, kMagenta};
    vm::ApplyTransparencyRule(pixels, 3, 1, kMagenta);
    const std::vector<std::uint8_t> mask = vm::ApplyTransparencyRule(pixels, 3, 1, kRed);
    EXPECT_EQ((std::vector<std::uint8_t>{0, 1, 0}), mask);
    EXPECT_EQ((std::vector<std::uint32_t>{kBlack, kBlack, kBlack}), pixels);
}

}  // namespace
