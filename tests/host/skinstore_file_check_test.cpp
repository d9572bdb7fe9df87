// The check that keeps damaged skin files away from the platform's loaders:
// whole files of every layout pass, files whose headers promise more than
// they hold fail.
#include "skinstore/skin_file_check.h"
#include "tools/skingen/skingen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

bool BmpOk(const Bytes& b) {
    return vm::BmpFileIsWhole(b.size(), [&](uint64_t at, void* out, size_t n) {
        if (at > b.size() || n > b.size() - at) return false;
        std::memcpy(out, b.data() + at, n);
        return true;
    });
}

bool IcoOk(const Bytes& b) {
    return vm::IcoFileIsWhole(b.size(), [&](uint64_t at, void* out, size_t n) {
        if (at > b.size() || n > b.size() - at) return false;
        std::memcpy(out, b.data() + at, n);
        return true;
    });
}

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}

// A .bmp with a 40-byte (or larger) info header, `colours` table entries and
// `pixelBytes` of pixel data right after them.
Bytes Bmp(int w, int h, int bits, uint32_t compression, uint32_t colours, size_t pixelBytes,
          uint32_t headerSize = 40, size_t extra = 0) {
    const size_t offBits = 14 + headerSize + extra + 4 * colours;
    Bytes b(offBits + pixelBytes, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, static_cast<uint32_t>(b.size()));
    Put32(b, 10, static_cast<uint32_t>(offBits));
    Put32(b, 14, headerSize);
    Put32(b, 18, static_cast<uint32_t>(w));
    Put32(b, 22, static_cast<uint32_t>(h));
    Put16(b, 26, 1);
    Put16(b, 28, static_cast<uint32_t>(bits));
    Put32(b, 30, compression);
    Put32(b, 34, compression == 1 || compression == 2 ? static_cast<uint32_t>(pixelBytes) : 0);
    Put32(b, 46, colours);
    return b;
}

size_t Rows(int w, int h, int bits) { return ((static_cast<size_t>(w) * bits + 31) / 32) * 4 * static_cast<size_t>(h < 0 ? -h : h); }

Bytes CoreBmp(int w, int h, int bits) {
    const size_t colours = bits <= 8 ? (1u << bits) : 0;
    const size_t offBits = 14 + 12 + 3 * colours;
    Bytes b(offBits + Rows(w, h, bits), 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 10, static_cast<uint32_t>(offBits));
    Put32(b, 14, 12);
    Put16(b, 18, static_cast<uint32_t>(w));
    Put16(b, 20, static_cast<uint32_t>(h));
    Put16(b, 22, 1);
    Put16(b, 24, static_cast<uint32_t>(bits));
    return b;
}

Bytes GeneratedBmp() { return skingen::EncodeBmp(skingen::Image(80, 24, 0xFFFF00FFu)); }

template <class F>
Bytes Changed(Bytes b, F change) {
    change(b);
    return b;
}

struct Case {
    const char* what;
    Bytes file;
    bool whole;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

class BmpCheck : public testing::TestWithParam<Case> {};

TEST_P(BmpCheck, PassesExactlyTheWholeFiles) { EXPECT_EQ(BmpOk(GetParam().file), GetParam().whole) << GetParam().what; }

INSTANTIATE_TEST_SUITE_P(
    Files, BmpCheck,
    testing::Values(
        Case{"generated 24-bit", GeneratedBmp(), true},
        Case{"1 x 1 24-bit", Bmp(1, 1, 24, 0, 0, 4), true},
        Case{"8-bit with a full table", Bmp(5, 3, 8, 0, 256, Rows(5, 3, 8)), true},
        Case{"8-bit, table of 2", Bmp(5, 3, 8, 0, 2, Rows(5, 3, 8)), true},
        Case{"top-down 24-bit", Bmp(7, -4, 24, 0, 0, Rows(7, 4, 24)), true},
        Case{"core header, 4-bit", CoreBmp(9, 2, 4), true},
        Case{"bit fields, 32-bit", Bmp(3, 3, 32, 3, 0, Rows(3, 3, 32), 40, 12), true},
        Case{"RLE8", Bmp(4, 4, 8, 1, 256, 10), true},
        Case{"V5 header, 32-bit", Bmp(2, 2, 32, 0, 0, Rows(2, 2, 32), 124), true},

        Case{"empty", Bytes{}, false},
        Case{"13 bytes", Bytes(13, 'B'), false},
        Case{"wrong magic", Changed(GeneratedBmp(), [](Bytes& b) { b[0] = 'X'; }), false},
        Case{"headers only", Changed(GeneratedBmp(), [](Bytes& b) { b.resize(54); }), false},
        Case{"one byte short", Changed(GeneratedBmp(), [](Bytes& b) { b.pop_back(); }), false},
        Case{"colour table cut", Changed(Bmp(5, 3, 8, 0, 256, 0), [](Bytes& b) { b.resize(14 + 40 + 100); }), false},
        Case{"pixels start inside the table", Changed(Bmp(5, 3, 8, 0, 256, Rows(5, 3, 8)), [](Bytes& b) { Put32(b, 10, 60); }), false},
        Case{"pixels offset past the end", Changed(GeneratedBmp(), [](Bytes& b) { Put32(b, 10, 0x7FFFFFF0u); }), false},
        Case{"zero width", Changed(GeneratedBmp(), [](Bytes& b) { Put32(b, 18, 0); }), false},
        Case{"negative width", Changed(GeneratedBmp(), [](Bytes& b) { Put32(b, 18, 0xFFFFFFF0u); }), false},
        Case{"zero height", Changed(GeneratedBmp(), [](Bytes& b) { Put32(b, 22, 0); }), false},
        Case{"height far beyond the data", Changed(GeneratedBmp(), [](Bytes& b) { Put32(b, 22, 1000000); }), false},
        Case{"most negative height", Changed(GeneratedBmp(), [](Bytes& b) { Put32(b, 22, 0x80000000u); }), false},
        Case{"two planes", Changed(GeneratedBmp(), [](Bytes& b) { Put16(b, 26, 2); }), false},
        Case{"7 bits per pixel", Changed(GeneratedBmp(), [](Bytes& b) { Put16(b, 28, 7); }), false},
        Case{"JPEG inside", Changed(GeneratedBmp(), [](Bytes& b) { Put32(b, 30, 4); }), false},
        Case{"unknown header size", Changed(GeneratedBmp(), [](Bytes& b) { Put32(b, 14, 20); }), false},
        Case{"300 colours used", Bmp(5, 3, 8, 0, 300, Rows(5, 3, 8)), false},
        Case{"RLE8 of size 0", Bmp(4, 4, 8, 1, 256, 0), false},
        Case{"RLE8 longer than the file", Changed(Bmp(4, 4, 8, 1, 256, 10), [](Bytes& b) { Put32(b, 34, 11); }), false},
        Case{"bit fields without masks", Bmp(3, 3, 32, 3, 0, 0, 40, 0), false}));

Bytes GeneratedIco() {
    std::vector<skingen::Image> images;
    for (int n : {16, 24, 32}) images.emplace_back(n, n, 0x80112233u);
    return skingen::EncodeIco(images);
}

// One entry of `entryBytes` holding `payload` at its start.
Bytes SingleEntryIco(const Bytes& payload) {
    Bytes b(6 + 16, 0);
    Put16(b, 2, 1);
    Put16(b, 4, 1);
    b[6] = 16;
    b[7] = 16;
    Put32(b, 6 + 8, static_cast<uint32_t>(payload.size()));
    Put32(b, 6 + 12, 22);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

Bytes PngPayload() {
    Bytes p = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    p.resize(64, 0);
    return p;
}

class IcoCheck : public testing::TestWithParam<Case> {};

TEST_P(IcoCheck, PassesExactlyTheWholeFiles) { EXPECT_EQ(IcoOk(GetParam().file), GetParam().whole) << GetParam().what; }

// Offsets in the generated file: directory 6 bytes, entries of 16 from 6,
// the first image at 54 (16 x 16: header 40, colour 1024, mask 64).
INSTANTIATE_TEST_SUITE_P(
    Files, IcoCheck,
    testing::Values(
        Case{"generated 16, 24, 32", GeneratedIco(), true},
        Case{"one PNG image", SingleEntryIco(PngPayload()), true},

        Case{"empty", Bytes{}, false},
        Case{"5 bytes", Bytes(5, 0), false},
        Case{"reserved word set", Changed(GeneratedIco(), [](Bytes& b) { b[0] = 1; }), false},
        Case{"a cursor", Changed(GeneratedIco(), [](Bytes& b) { b[2] = 2; }), false},
        Case{"no images", Changed(GeneratedIco(), [](Bytes& b) { Put16(b, 4, 0); }), false},
        Case{"directory cut", Changed(GeneratedIco(), [](Bytes& b) { b.resize(30); }), false},
        Case{"last image cut", Changed(GeneratedIco(), [](Bytes& b) { b.pop_back(); }), false},
        Case{"image inside the directory", Changed(GeneratedIco(), [](Bytes& b) { Put32(b, 6 + 12, 20); }), false},
        Case{"image offset past the end", Changed(GeneratedIco(), [](Bytes& b) { Put32(b, 6 + 16 + 12, 0x7FFFFFF0u); }), false},
        Case{"image size past the end", Changed(GeneratedIco(), [](Bytes& b) { Put32(b, 6 + 8, 0xFFFFFFF0u); }), false},
        Case{"mask rows outside the entry", Changed(GeneratedIco(), [](Bytes& b) { Put32(b, 6 + 8, 40 + 1024 + 63); }), false},
        Case{"height counts no mask rows", Changed(GeneratedIco(), [](Bytes& b) { Put32(b, 54 + 8, 1); }), false},
        Case{"rows doubled past the entry", Changed(GeneratedIco(), [](Bytes& b) { Put32(b, 54 + 8, 64); }), false},
        Case{"run-length image", Changed(GeneratedIco(), [](Bytes& b) { Put32(b, 54 + 16, 1); }), false},
        Case{"PNG image of 4 bytes", SingleEntryIco(Bytes{0x89, 'P', 'N', 'G'}), false}));

}  // namespace
