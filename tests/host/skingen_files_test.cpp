// The generated skin: the files the store asks for exist, parse as the
// loaders expect, and their sizes and pixels fit the frame's and the
// button's layout.
#include "skinstore/skin_names.h"
#include "tools/skingen/skingen.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

using skingen::Image;
using skingen::Metrics;

uint32_t U16(const std::vector<uint8_t>& b, size_t at) { return b[at] | (b[at + 1] << 8); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | (U16(b, at + 2) << 16); }
int32_t S32(const std::vector<uint8_t>& b, size_t at) { return static_cast<int32_t>(U32(b, at)); }

// Reads a 24-bit bottom-up BI_RGB file back into top-down pixels; fails the
// test on anything the bitmap loader would not take.
Image ParseBmp(const std::vector<uint8_t>& b, const std::string& what) {
    Image img;
    EXPECT_GE(b.size(), 54u) << what;
    if (b.size() < 54) return img;
    EXPECT_EQ(b[0], 'B') << what;
    EXPECT_EQ(b[1], 'M') << what;
    EXPECT_EQ(U32(b, 2), b.size()) << what;
    EXPECT_EQ(U32(b, 10), 54u) << what;
    EXPECT_EQ(U32(b, 14), 40u) << what;
    const int w = S32(b, 18), h = S32(b, 22);
    EXPECT_GT(w, 0) << what;
    EXPECT_GT(h, 0) << what << ": rows must be stored bottom-up";
    EXPECT_EQ(U16(b, 26), 1u) << what;
    EXPECT_EQ(U16(b, 28), 24u) << what;
    EXPECT_EQ(U32(b, 30), 0u) << what << ": BI_RGB";
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    EXPECT_EQ(b.size(), 54 + stride * h) << what;
    if (w <= 0 || h <= 0 || b.size() != 54 + stride * h) return img;
    img = Image(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const size_t at = 54 + stride * (h - 1 - y) + 3 * x;
            img.At(x, y) = 0xFF000000u | (b[at + 2] << 16) | (b[at + 1] << 8) | b[at];
        }
    return img;
}

struct IcoEntry {
    int width = 0;
    int height = 0;
    int bits = 0;
    Image image;           // top-down, alpha kept
    std::vector<bool> and_;  // true: transparent in the AND mask
};

std::vector<IcoEntry> ParseIco(const std::vector<uint8_t>& b, const std::string& what) {
    std::vector<IcoEntry> out;
    EXPECT_GE(b.size(), 6u) << what;
    if (b.size() < 6) return out;
    EXPECT_EQ(U16(b, 0), 0u) << what;
    EXPECT_EQ(U16(b, 2), 1u) << what << ": type icon";
    const size_t count = U16(b, 4);
    EXPECT_GE(b.size(), 6 + 16 * count) << what;
    if (b.size() < 6 + 16 * count) return out;
    for (size_t i = 0; i < count; ++i) {
        const size_t d = 6 + 16 * i;
        IcoEntry e;
        e.width = b[d] ? b[d] : 256;
        e.height = b[d + 1] ? b[d + 1] : 256;
        e.bits = static_cast<int>(U16(b, d + 6));
        const size_t size = U32(b, d + 8), at = U32(b, d + 12);
        EXPECT_LE(at + size, b.size()) << what << " entry " << i;
        if (at + size > b.size() || size < 40) return out;
        EXPECT_EQ(U32(b, at), 40u) << what;
        EXPECT_EQ(S32(b, at + 4), e.width) << what;
        EXPECT_EQ(S32(b, at + 8), 2 * e.height) << what << ": colour and mask rows";
        EXPECT_EQ(U16(b, at + 14), 32u) << what;
        const size_t maskStride = ((e.width + 31) / 32) * 4;
        const size_t need = 40 + static_cast<size_t>(e.width) * e.height * 4 + maskStride * e.height;
        EXPECT_EQ(size, need) << what << " entry " << i;
        if (size != need) return out;
        e.image = Image(e.width, e.height);
        e.and_.assign(static_cast<size_t>(e.width) * e.height, false);
        const size_t colour = at + 40, mask = colour + static_cast<size_t>(e.width) * e.height * 4;
        for (int y = 0; y < e.height; ++y)
            for (int x = 0; x < e.width; ++x) {
                const int row = e.height - 1 - y;
                e.image.At(x, y) = U32(b, colour + (static_cast<size_t>(row) * e.width + x) * 4);
                e.and_[static_cast<size_t>(y) * e.width + x] =
                    (b[mask + row * maskStride + x / 8] >> (7 - x % 8)) & 1;
            }
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The base name of a store slot's file, "skin\caption_left.bmp" -> "caption_left.bmp".
std::string BaseName(const std::u16string& storeName) {
    std::string s;
    for (char16_t c : storeName.substr(storeName.rfind(u'\\') + 1)) s += static_cast<char>(c);
    return s;
}

class GeneratedSkin : public testing::Test {
protected:
    static void SetUpTestSuite() {
        char tmpl[] = "/tmp/skingen_test_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        std::string error;
        ASSERT_TRUE(skingen::WriteSkinFiles(dir_.string(), error)) << error;
        for (const auto& entry : std::filesystem::directory_iterator(dir_))
            files_[entry.path().filename().string()] = ReadAll(entry.path());
        for (int i = 0; i < SKIN_BITMAP_COUNT; ++i) {
            const std::string name = BaseName(vm::SkinBitmapFileName(static_cast<SkinBitmapId>(i)));
            bitmaps_.push_back(ParseBmp(files_[name], name));
        }
    }
    static void TearDownTestSuite() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }

    static const Image& Bitmap(SkinBitmapId id) { return bitmaps_[static_cast<size_t>(id)]; }

    static std::filesystem::path dir_;
    static std::map<std::string, std::vector<uint8_t>> files_;
    static std::vector<Image> bitmaps_;
};

std::filesystem::path GeneratedSkin::dir_;
std::map<std::string, std::vector<uint8_t>> GeneratedSkin::files_;
std::vector<Image> GeneratedSkin::bitmaps_;

TEST_F(GeneratedSkin, WritesExactlyTheFilesTheStoreLoads) {
    std::map<std::string, std::vector<uint8_t>> expected;
    for (int i = 0; i < SKIN_BITMAP_COUNT; ++i)
        EXPECT_EQ(files_.count(BaseName(vm::SkinBitmapFileName(static_cast<SkinBitmapId>(i)))), 1u) << "bitmap " << i;
    for (int i = 0; i < SKIN_ICON_COUNT; ++i)
        EXPECT_EQ(files_.count(BaseName(vm::SkinIconFileName(static_cast<SkinIconId>(i)))), 1u) << "icon " << i;
    EXPECT_EQ(files_.size(), static_cast<size_t>(SKIN_BITMAP_COUNT + SKIN_ICON_COUNT));
}

TEST_F(GeneratedSkin, BitmapFilesDecodeToTheRenderedPixels) {
    const auto rendered = skingen::RenderSkinBitmaps();
    ASSERT_EQ(rendered.size(), static_cast<size_t>(SKIN_BITMAP_COUNT));
    for (int i = 0; i < SKIN_BITMAP_COUNT; ++i) {
        const Image& got = Bitmap(static_cast<SkinBitmapId>(i));
        const Image& want = rendered[static_cast<size_t>(i)].image;
        ASSERT_EQ(got.width, want.width) << rendered[static_cast<size_t>(i)].fileName;
        ASSERT_EQ(got.height, want.height) << rendered[static_cast<size_t>(i)].fileName;
        for (size_t p = 0; p < want.pixels.size(); ++p)
            ASSERT_EQ(got.pixels[p], want.pixels[p] | 0xFF000000u) << rendered[static_cast<size_t>(i)].fileName << " pixel " << p;
    }
}

// Pieces that the frame stretches must be one pixel along the stretch, and
// pieces that meet must agree in size.
TEST_F(GeneratedSkin, PieceSizesFitTheFrameLayout) {
    const Image& left = Bitmap(SKIN_CAPTION_LEFT);
    const Image& center = Bitmap(SKIN_CAPTION_CENTER);
    const Image& right = Bitmap(SKIN_CAPTION_RIGHT);
    EXPECT_EQ(center.width, 1);
    EXPECT_EQ(left.height, center.height);
    EXPECT_EQ(right.height, center.height);
    // The caption icon is drawn 24 x 24 at (15, 5).
    EXPECT_GE(center.height, 5 + 24);
    EXPECT_EQ(Bitmap(SKIN_FRAME_LEFT).height, 1);
    EXPECT_EQ(Bitmap(SKIN_FRAME_RIGHT).height, 1);
    EXPECT_EQ(Bitmap(SKIN_FRAME_BOTTOM).width, 1);
    const int edge = Bitmap(SKIN_FRAME_LEFT).width;
    EXPECT_EQ(Bitmap(SKIN_FRAME_RIGHT).width, edge);
    EXPECT_EQ(Bitmap(SKIN_FRAME_BOTTOM).height, edge);
    for (SkinBitmapId corner : {SKIN_FRAME_LEFTBOTTOM, SKIN_FRAME_RIGHTBOTTOM}) {
        EXPECT_EQ(Bitmap(corner).width, edge) << corner;
        EXPECT_EQ(Bitmap(corner).height, edge) << corner;
    }
    // Buttons end 10 px from the right edge: the right end must not reach under them.
    EXPECT_LE(right.width, 10);

    const Image& exit = Bitmap(SKIN_BOX_EXIT);
    for (int id = SKIN_BOX_MINIMIZE; id <= SKIN_BOX_EXIT_OVER; ++id) {
        EXPECT_EQ(Bitmap(static_cast<SkinBitmapId>(id)).width, exit.width) << id;
        EXPECT_EQ(Bitmap(static_cast<SkinBitmapId>(id)).height, exit.height) << id;
    }
    // The buttons answer the mouse from 4 px below the top; that zone stays in the caption.
    EXPECT_LE(exit.height + 4, center.height);
    EXPECT_EQ(Bitmap(SKIN_BTN_BASE).width, Metrics::kButtonWidth);
    EXPECT_EQ(Bitmap(SKIN_BTN_BASE).height, Metrics::kButtonHeight);
}

// Everything drawn over or beside the caption's middle must match it where
// they meet, or the caption shows seams.
TEST_F(GeneratedSkin, CaptionPiecesAndButtonsMeetWithoutSeams) {
    const Image& center = Bitmap(SKIN_CAPTION_CENTER);
    const Image& left = Bitmap(SKIN_CAPTION_LEFT);
    const Image& right = Bitmap(SKIN_CAPTION_RIGHT);
    for (int y = 0; y < center.height; ++y) {
        EXPECT_EQ(left.At(left.width - 1, y), center.At(0, y)) << "caption_left row " << y;
        EXPECT_EQ(right.At(0, y), center.At(0, y)) << "caption_right row " << y;
    }
    // Normal buttons are the caption plus a glyph; every state keeps the
    // rows above its face and its outer columns equal to the caption.
    for (int id = SKIN_BOX_MINIMIZE; id <= SKIN_BOX_EXIT_OVER; ++id) {
        const Image& box = Bitmap(static_cast<SkinBitmapId>(id));
        for (int y = 0; y < box.height; ++y) {
            EXPECT_EQ(box.At(0, y), center.At(0, y)) << "box " << id << " row " << y;
            EXPECT_EQ(box.At(box.width - 1, y), center.At(0, y)) << "box " << id << " row " << y;
            if (y >= 4) continue;
            for (int x = 0; x < box.width; ++x) ASSERT_EQ(box.At(x, y), center.At(0, y)) << "box " << id;
        }
    }
    // The left edge continues caption_left's outer columns below the caption.
    const Image& frameLeft = Bitmap(SKIN_FRAME_LEFT);
    for (int x = 0; x + 1 < frameLeft.width; ++x)
        EXPECT_EQ(frameLeft.At(x, 0), left.At(x, left.height - 1)) << "column " << x;
}

TEST_F(GeneratedSkin, EveryButtonStateLooksDifferent) {
    const SkinBitmapId normal[] = {SKIN_BOX_MINIMIZE, SKIN_BOX_MAXIMIZE, SKIN_BOX_RESTORE, SKIN_BOX_EXIT};
    for (SkinBitmapId n : normal) {
        const Image& base = Bitmap(n);
        const Image& on = Bitmap(static_cast<SkinBitmapId>(n + 4));
        const Image& over = Bitmap(static_cast<SkinBitmapId>(n + 8));
        EXPECT_NE(base.pixels, on.pixels) << n;
        EXPECT_NE(base.pixels, over.pixels) << n;
        EXPECT_NE(on.pixels, over.pixels) << n;
        for (SkinBitmapId m : normal)
            if (m != n) {
                EXPECT_NE(base.pixels, Bitmap(m).pixels) << n << " vs " << m;
            }
    }
}

// Magenta is the button's transparent key: it must fill the corners outside
// the rounded face and appear nowhere else.
TEST_F(GeneratedSkin, ButtonFaceIsTransparentExactlyInItsCorners) {
    const Image& btn = Bitmap(SKIN_BTN_BASE);
    const uint32_t key = Metrics::kTransparent;
    const int w = btn.width, h = btn.height, r = Metrics::kButtonRadius;
    for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
        EXPECT_EQ(btn.At(x, y), key) << x << "," << y;
    int keyed = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const uint32_t p = btn.At(x, y);
            const bool inCornerSquare = (x < r || x >= w - r) && (y < r || y >= h - r);
            if (p == key) {
                ++keyed;
                EXPECT_TRUE(inCornerSquare) << "magenta at " << x << "," << y;
                // The four corners are mirror images.
                EXPECT_EQ(btn.At(w - 1 - x, y), key) << x << "," << y;
                EXPECT_EQ(btn.At(x, h - 1 - y), key) << x << "," << y;
                continue;
            }
            // An edge pixel blended towards the key would show pink on the face.
            const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
            EXPECT_LT(std::min(red, blue) - green, 0x30) << "pinkish pixel at " << x << "," << y;
        }
    EXPECT_GE(keyed, 4);
    EXPECT_LE(keyed, 4 * r * r);
}

TEST_F(GeneratedSkin, IconFilesHold16And24And32PixelImagesWithAlpha) {
    for (int i = 0; i < SKIN_ICON_COUNT; ++i) {
        const std::string name = BaseName(vm::SkinIconFileName(static_cast<SkinIconId>(i)));
        const std::vector<IcoEntry> entries = ParseIco(files_[name], name);
        ASSERT_EQ(entries.size(), 3u) << name;
        for (int column = 0; column < SKIN_ICON_SIZE_COUNT; ++column) {
            const IcoEntry& e = entries[static_cast<size_t>(column)];
            const int n = vm::SkinIconPixels(static_cast<SkinIconSize>(column));
            EXPECT_EQ(e.width, n) << name;
            EXPECT_EQ(e.height, n) << name;
            EXPECT_EQ(e.bits, 32) << name;
            int clear = 0, solid = 0;
            for (int y = 0; y < n; ++y)
                for (int x = 0; x < n; ++x) {
                    const uint32_t alpha = e.image.At(x, y) >> 24;
                    clear += alpha == 0;
                    solid += alpha == 255;
                    // The AND mask marks exactly the fully clear pixels.
                    EXPECT_EQ(e.and_[static_cast<size_t>(y) * n + x], alpha == 0) << name << " " << n << " at " << x << "," << y;
                }
            EXPECT_GT(clear, 0) << name << " " << n;
            EXPECT_GT(solid, n * n / 4) << name << " " << n;
        }
    }
}

TEST(SkinGenerator, RenderingIsDeterministic) {
    const auto a = skingen::RenderSkinBitmaps();
    const auto b = skingen::RenderSkinBitmaps();
    for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].image.pixels, b[i].image.pixels) << a[i].fileName;
    const auto ia = skingen::RenderSkinIcons();
    const auto ib = skingen::RenderSkinIcons();
    for (size_t i = 0; i < ia.size(); ++i) EXPECT_EQ(skingen::EncodeIco(ia[i].images), skingen::EncodeIco(ib[i].images));
}

TEST(SkinGenerator, WritingIntoAMissingFolderFailsNamingTheFile) {
    std::string error;
    EXPECT_FALSE(skingen::WriteSkinFiles("/nonexistent/skingen/folder", error));
    EXPECT_NE(error.find("/nonexistent/skingen/folder/"), std::string::npos) << error;
}

}  // namespace
