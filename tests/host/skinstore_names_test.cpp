// The skin store's plain rules: slot file names, icon sizes, the folder of a
// path and reading a path that does not fit the first buffer.
#include "skinstore/skin_names.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <string>
#include <vector>

namespace {

using vm::FolderOfPath;
using vm::ReadWholePath;

bool EndsWith(const std::u16string& s, const std::u16string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(SkinNames, EverySlotNamesItsOwnFileInTheSkinFolder) {
    std::set<std::u16string> seen;
    for (int i = 0; i < SKIN_BITMAP_COUNT; ++i) {
        const std::u16string name = vm::SkinBitmapFileName(static_cast<SkinBitmapId>(i));
        EXPECT_EQ(name.rfind(u"skin\\", 0), 0u) << "bitmap " << i;
        EXPECT_TRUE(EndsWith(name, u".bmp")) << "bitmap " << i;
        EXPECT_TRUE(seen.insert(name).second) << "bitmap " << i << " repeats a name";
    }
    for (int i = 0; i < SKIN_ICON_COUNT; ++i) {
        const std::u16string name = vm::SkinIconFileName(static_cast<SkinIconId>(i));
        EXPECT_EQ(name.rfind(u"skin\\", 0), 0u) << "icon " << i;
        EXPECT_TRUE(EndsWith(name, u".ico")) << "icon " << i;
        EXPECT_TRUE(seen.insert(name).second) << "icon " << i << " repeats a name";
    }
}

// The slots other classes read by number.
TEST(SkinNames, SlotsReadByTheFrameAndTheButtonHoldTheirFiles) {
    EXPECT_EQ(vm::SkinBitmapFileName(SKIN_CAPTION_LEFT), u"skin\\caption_left.bmp");
    EXPECT_EQ(vm::SkinBitmapFileName(SKIN_CAPTION_CENTER), u"skin\\caption_center.bmp");
    EXPECT_EQ(vm::SkinBitmapFileName(SKIN_FRAME_LEFTBOTTOM), u"skin\\frame_leftbottom.bmp");
    EXPECT_EQ(vm::SkinBitmapFileName(SKIN_FRAME_RIGHTBOTTOM), u"skin\\frame_rightbottom.bmp");
    EXPECT_EQ(vm::SkinBitmapFileName(SKIN_FRAME_RIGHT), u"skin\\frame_right.bmp");
    EXPECT_EQ(vm::SkinBitmapFileName(SKIN_BOX_EXIT), u"skin\\box_exit.bmp");
    EXPECT_EQ(vm::SkinBitmapFileName(SKIN_BOX_MINIMIZE_ON), u"skin\\box_minimize_on.bmp");
    EXPECT_EQ(vm::SkinBitmapFileName(SKIN_BOX_MINIMIZE_OVER), u"skin\\box_minimize_over.bmp");
    EXPECT_EQ(vm::SkinBitmapFileName(SKIN_BOX_EXIT_OVER), u"skin\\box_exit_over.bmp");
    EXPECT_EQ(vm::SkinBitmapFileName(SKIN_BTN_BASE), u"skin\\btn_base.bmp");
    EXPECT_EQ(vm::SkinIconFileName(SKIN_ICON_SKIN), u"skin\\skin.ico");
    EXPECT_EQ(vm::SkinIconFileName(SKIN_ICON_CONNECT), u"skin\\connect.ico");
    EXPECT_EQ(vm::SkinIconFileName(SKIN_ICON_LOGO), u"skin\\orlaway_logo.ico");
}

TEST(SkinNames, IdsOutsideTheTablesGiveEmptyNames) {
    for (int id : {-1, int{SKIN_BITMAP_COUNT}, 22, 1000, INT_MIN, INT_MAX})
        EXPECT_EQ(vm::SkinBitmapFileName(static_cast<SkinBitmapId>(id)), u"") << id;
    for (int id : {-1, int{SKIN_ICON_COUNT}, 6, INT_MIN, INT_MAX})
        EXPECT_EQ(vm::SkinIconFileName(static_cast<SkinIconId>(id)), u"") << id;
}

TEST(SkinNames, IconColumnsAre16And24And32Pixels) {
    EXPECT_EQ(vm::SkinIconPixels(SKIN_ICON_16), 16);
    EXPECT_EQ(vm::SkinIconPixels(SKIN_ICON_24), 24);
    EXPECT_EQ(vm::SkinIconPixels(SKIN_ICON_32), 32);
    EXPECT_EQ(vm::SkinIconPixels(static_cast<SkinIconSize>(-1)), 0);
    EXPECT_EQ(vm::SkinIconPixels(SKIN_ICON_SIZE_COUNT), 0);
}

struct FolderCase {
    std::u16string path;
    std::u16string folder;
};

class FolderOfPathTest : public testing::TestWithParam<FolderCase> {};

TEST_P(FolderOfPathTest, CutsAtTheLastBackslash) { EXPECT_EQ(FolderOfPath(GetParam().path), GetParam().folder); }

INSTANTIATE_TEST_SUITE_P(
    Paths, FolderOfPathTest,
    testing::Values(FolderCase{u"C:\\Program Files\\Volmark\\Volmark.exe", u"C:\\Program Files\\Volmark"},
                    FolderCase{u"C:\\Volmark.exe", u"C:"},
                    FolderCase{u"\\\\host\\share\\bin\\Volmark.exe", u"\\\\host\\share\\bin"},
                    FolderCase{u"Volmark.exe", u"Volmark.exe"},  // no backslash: the whole path
                    FolderCase{u"C:/tools/Volmark.exe", u"C:/tools/Volmark.exe"},  // only backslashes count
                    FolderCase{u"\\Volmark.exe", u""},
                    FolderCase{u"C:\\dir\\", u"C:\\dir"},
                    FolderCase{u"", u""},
                    FolderCase{u"D:\\\uBCFC\uB9C8\uD06C\\\uC2E4\uD589.exe", u"D:\\\uBCFC\uB9C8\uD06C"}));

// Behaves as GetModuleFileNameW for a module whose path is `path`: a cut
// result returns the buffer size, NUL-terminated at size - 1 (newer systems)
// or not terminated at all (older ones).
struct FakeModulePath {
    std::u16string path;
    bool terminatesCutResult = true;
    std::vector<uint32_t> sizesAsked;

    uint32_t operator()(char16_t* buffer, uint32_t size) {
        sizesAsked.push_back(size);
        if (path.size() < size) {
            path.copy(buffer, path.size());
            buffer[path.size()] = u'\0';
            return static_cast<uint32_t>(path.size());
        }
        path.copy(buffer, size);
        if (terminatesCutResult) buffer[size - 1] = u'\0';
        return size;
    }
};

std::u16string PathOfLength(size_t n) {
    std::u16string p = u"C:\\";
    while (p.size() < n) p += (p.size() % 9 == 8) ? u'\\' : u'a';
    p.resize(n);
    p.back() = u'e';
    return p;
}

class ReadWholePathTest : public testing::TestWithParam<std::tuple<size_t, bool>> {};

TEST_P(ReadWholePathTest, ReturnsThePathUncut) {
    const auto [length, terminates] = GetParam();
    FakeModulePath fake{PathOfLength(length), terminates, {}};
    const std::u16string got = ReadWholePath(std::ref(fake));
    EXPECT_EQ(got.size(), length);
    EXPECT_EQ(got, fake.path);
    ASSERT_FALSE(fake.sizesAsked.empty());
    EXPECT_EQ(fake.sizesAsked.front(), 260u);
    EXPECT_GT(fake.sizesAsked.back(), length);  // the last buffer had room for the NUL
}

INSTANTIATE_TEST_SUITE_P(Lengths, ReadWholePathTest,
                         testing::Combine(testing::Values<size_t>(1, 100, 258, 259, 260, 261, 519, 520, 521,
                                                                  5000, 32767),
                                          testing::Bool()));

TEST(ReadWholePath, FailureGivesAnEmptyPath) {
    int calls = 0;
    EXPECT_EQ(ReadWholePath([&](char16_t*, uint32_t) {
                  ++calls;
                  return 0u;
              }),
              u"");
    EXPECT_EQ(calls, 1);
}

TEST(ReadWholePath, StopsAtTheLargestBufferWhenThePathNeverFits) {
    std::vector<uint32_t> sizes;
    const std::u16string got = ReadWholePath([&](char16_t* buffer, uint32_t size) {
        sizes.push_back(size);
        std::fill(buffer, buffer + size, u'x');  // cut, and not terminated
        return size;
    });
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back(), vm::kMaxPathBuffer);
    EXPECT_LT(sizes.size(), 10u);
    EXPECT_EQ(got.size(), vm::kMaxPathBuffer);
}

TEST(ReadWholePath, TextEndsAtTheFirstNul) {
    const std::u16string got = ReadWholePath([](char16_t* buffer, uint32_t) {
        const char16_t text[] = u"C:\\a\0b\\c.exe";
        std::copy(text, text + 12, buffer);
        return 12u;
    });
    EXPECT_EQ(got, u"C:\\a");
}

}  // namespace
