// The skin generator: draws the 21 bitmaps and 5 icons of the skin folder and
// encodes them as .bmp / .ico files. Plain C++, no Windows header, so it also
// runs on the build machine of the cross build.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skingen {

// Pixels are 0xAARRGGBB, row 0 at the top. Bitmaps ignore alpha.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;

    Image() = default;
    Image(int w, int h, uint32_t fill = 0xFF000000u)
        : width(w), height(h), pixels(static_cast<size_t>(w) * static_cast<size_t>(h), fill) {}
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

struct NamedBitmap {
    std::string fileName;  // base name with extension, e.g. "caption_left.bmp"
    Image image;
};

struct NamedIcon {
    std::string fileName;
    std::vector<Image> images;  // one per size of IconSizes(), in that order
};

// The caption, frame and button metrics the pictures are drawn to.
struct Metrics {
    static constexpr int kCaptionHeight = 30;
    static constexpr int kCaptionEndWidth = 10;  // caption_left / caption_right
    static constexpr int kFrameWidth = 4;        // left, right and bottom edges
    static constexpr int kBoxWidth = 26;         // every caption button
    static constexpr int kBoxHeight = 26;
    static constexpr int kButtonWidth = 80;      // btn_base
    static constexpr int kButtonHeight = 24;
    static constexpr int kButtonRadius = 4;
    static constexpr uint32_t kTransparent = 0xFFFF00FFu;  // magenta key of btn_base
};

const std::vector<int>& IconSizes();  // 16, 24, 32

// In the skin store's slot order: 21 bitmaps, 5 icons.
std::vector<NamedBitmap> RenderSkinBitmaps();
std::vector<NamedIcon> RenderSkinIcons();

// 24-bit bottom-up BI_RGB .bmp.
std::vector<uint8_t> EncodeBmp(const Image& image);
// .ico with one 32-bit BGRA entry (colour plus AND mask) per image.
std::vector<uint8_t> EncodeIco(const std::vector<Image>& images);

// Writes all 26 files into folder, which must exist. On failure returns
// false with a message naming the file.
bool WriteSkinFiles(const std::string& folder, std::string& error);

// A mock window of the given size composed from the pieces the way the skinned
// frame lays them out (no title text), for looking at the skin as a whole.
Image RenderPreview(int width, int height);
// Binary PPM (P6) of an image, alpha dropped.
std::vector<uint8_t> EncodePpm(const Image& image);

}  // namespace skingen
