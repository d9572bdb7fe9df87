#include "skinstore/skin_file_check.h"

#include <cstring>

namespace vm {
namespace {

// Beyond any skin image; keeps every size computation far from overflow.
constexpr int64_t kMaxSide = 32768;

uint32_t U16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) { return U16(p) | (U16(p + 2) << 16); }
int32_t S32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

uint64_t RowBytes(int64_t width, uint32_t bitsPerPixel) {
    return ((static_cast<uint64_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

// An info header at `at` whose header, colour table and pixels must all end
// by `limit`. Pixels follow the colour table, unless `pixelsAt` is given (a
// .bmp file names their offset). In an icon the height counts the colour
// rows and then as many mask rows.
bool DibIsWhole(const ReadAt& read, uint64_t at, uint64_t limit, bool icon, const uint64_t* pixelsAt) {
    uint8_t h[40] = {};
    if (at + 4 > limit || !read(at, h, 4)) return false;
    const uint32_t headerSize = U32(h);
    int64_t width = 0, height = 0;
    uint32_t planes = 0, bits = 0, compression = 0, imageSize = 0, used = 0;
    uint64_t entryBytes = 3;  // colour table entry: RGBTRIPLE in a core header
    if (headerSize == 12) {
        if (at + 12 > limit || !read(at, h, 12)) return false;
        width = U16(h + 4);
        height = U16(h + 6);
        planes = U16(h + 8);
        bits = U16(h + 10);
    } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 || headerSize == 124) {
        if (at + headerSize > limit || !read(at, h, 40)) return false;
        width = S32(h + 4);
        height = S32(h + 8);
        planes = U16(h + 12);
        bits = U16(h + 14);
        compression = U32(h + 16);
        imageSize = U32(h + 20);
        used = U32(h + 32);
        entryBytes = 4;
    } else {
        return false;
    }
    if (planes != 1 || width <= 0 || width > kMaxSide || height == 0) return false;
    if (icon && height < 2) return false;  // icons are bottom-up, colour and mask rows
    const int64_t rows = icon ? height / 2 : (height < 0 ? -height : height);
    if (rows > kMaxSide) return false;

    uint64_t masks = 0;
    uint64_t pixelBytes = 0;
    switch (compression) {
        case 0:  // BI_RGB
            if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
            pixelBytes = RowBytes(width, bits) * static_cast<uint64_t>(rows);
            break;
        case 3:  // BI_BITFIELDS: three colour masks after a plain info header
            if (bits != 16 && bits != 32) return false;
            if (headerSize == 40) masks = 12;
            pixelBytes = RowBytes(width, bits) * static_cast<uint64_t>(rows);
            break;
        case 1:  // BI_RLE8
        case 2:  // BI_RLE4
            if (icon || height < 0 || bits != (compression == 1 ? 8u : 4u) || imageSize == 0) return false;
            pixelBytes = imageSize;
            break;
        default:
            return false;
    }
    if (icon) pixelBytes += RowBytes(width, 1) * static_cast<uint64_t>(rows);

    const uint64_t tableColours = bits <= 8 ? (1u << bits) : 0;
    if (used > 256 || (bits <= 8 && used > tableColours)) return false;
    const uint64_t colours = used ? used : tableColours;
    const uint64_t headersEnd = at + headerSize + masks + colours * entryBytes;
    if (headersEnd > limit) return false;
    const uint64_t pixels = pixelsAt ? *pixelsAt : headersEnd;
    return pixels >= headersEnd && pixels <= limit && pixelBytes <= limit - pixels;
}

}  // namespace

bool BmpFileIsWhole(uint64_t fileSize, const ReadAt& read) {
    uint8_t f[14];
    if (fileSize < sizeof(f) || !read(0, f, sizeof(f))) return false;
    if (f[0] != 'B' || f[1] != 'M') return false;
    const uint64_t pixelsAt = U32(f + 10);
    return DibIsWhole(read, sizeof(f), fileSize, false, &pixelsAt);
}

bool IcoFileIsWhole(uint64_t fileSize, const ReadAt& read) {
    uint8_t dir[6];
    if (fileSize < sizeof(dir) || !read(0, dir, sizeof(dir))) return false;
    const uint32_t count = U16(dir + 4);
    if (U16(dir) != 0 || U16(dir + 2) != 1 || count == 0) return false;
    const uint64_t entriesEnd = 6 + 16ull * count;
    if (entriesEnd > fileSize) return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t e[16];
        if (!read(6 + 16ull * i, e, sizeof(e))) return false;
        const uint64_t bytes = U32(e + 8), at = U32(e + 12);
        if (at < entriesEnd || bytes < 8 || at > fileSize || bytes > fileSize - at) return false;
        static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        uint8_t sig[8];
        if (!read(at, sig, sizeof(sig))) return false;
        if (std::memcmp(sig, kPng, sizeof(kPng)) == 0) continue;
        if (!DibIsWhole(read, at, at + bytes, true, nullptr)) return false;
    }
    return true;
}

}  // namespace vm
