#include <gtest/gtest.h>

#include "draw/offscreen_area.h"

namespace {

struct AreaRow {
    vm::Rect clip;
    vm::Size bitmap;
    vm::Point origin;
};

class OffscreenAreaTest : public ::testing::TestWithParam<AreaRow> {};

TEST_P(OffscreenAreaTest, BuffersTheClipBox) {
    const vm::OffscreenArea a = vm::OffscreenAreaFor(GetParam().clip);
    EXPECT_EQ(GetParam().bitmap, a.bitmap);
    EXPECT_EQ(GetParam().origin, a.origin);
}

INSTANTIATE_TEST_SUITE_P(Rows, OffscreenAreaTest,
                         ::testing::Values(AreaRow{{10, 5, 90, 25}, {80, 20}, {10, 5}},
                                           AreaRow{{-5, -3, 5, 7}, {10, 10}, {-5, -3}},
                                           AreaRow{{10, 5, 10, 5}, {0, 0}, {10, 5}},
                                           AreaRow{{10, 5, 90, 5}, {80, 0}, {10, 5}},
                                           AreaRow{{50, 50, 40, 40}, {0, 0}, {50, 50}}));

}  // namespace
