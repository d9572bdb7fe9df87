// The skin store against the real image loaders: which slots fill from a
// folder, what a missing or corrupt file leaves, that each load replaces the
// last one without leaking, and that the executable's folder is read whole.
#include "skinstore/Global.h"

#include <gtest/gtest.h>

#include "wintest_util.h"

#include <cstring>
#include <string>
#include <vector>

namespace {

// Distinct sizes and colours per slot, so that a slot filled from the wrong
// file shows at once.
int WidthOf(int id) { return 3 + id; }
int HeightOf(int id) { return 2 + 2 * id; }
COLORREF ColourOf(int id) { return RGB(10 * id, 250 - 10 * id, 0x80); }

std::wstring Str(const CString& s) { return s.str(); }

bool HeaderIsZero(const BITMAP& bm) {
    const BITMAP zero{};
    return std::memcmp(&bm, &zero, sizeof(BITMAP)) == 0;
}

// Width of an icon's image, or 0 when the handle is not a live icon.
int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

// First stored pixel of a 24-bit DIB section, as a COLORREF.
COLORREF FirstPixel(const BITMAP& bm) {
    const auto* p = static_cast<const BYTE*>(bm.bmBits);
    return p ? RGB(p[2], p[1], p[0]) : CLR_INVALID;
}

std::vector<uint8_t> ReadBytes(const std::wstring& path) {
    std::vector<uint8_t> data;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return data;
    data.resize(GetFileSize(f, nullptr));
    DWORD n = 0;
    if (!data.empty() && !ReadFile(f, data.data(), static_cast<DWORD>(data.size()), &n, nullptr)) n = 0;
    data.resize(n);
    CloseHandle(f);
    return data;
}

bool WriteBytes(const std::wstring& path, const std::vector<uint8_t>& data) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    const bool ok = (data.empty() || WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &n, nullptr)) &&
                    n == data.size();
    return CloseHandle(f) && ok;
}

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A folder holding "skin" with the files a test asks for.
class SkinFolder : public testing::Test {
protected:
    void SetUp() override {
        m_root = MakeTempDir();
        ASSERT_FALSE(m_root.empty());
        ASSERT_TRUE(CreateDirectoryW((m_root + L"\\skin").c_str(), nullptr));
    }
    void TearDown() override { RemoveTree(m_root); }

    std::wstring PathOf(const CString& name) const { return m_root + L"\\" + Str(name); }
    std::wstring BitmapPath(int id) const { return PathOf(GetSkinBitmapFileName(static_cast<SkinBitmapId>(id))); }
    std::wstring IconPath(int id) const { return PathOf(GetSkinIconFileName(static_cast<SkinIconId>(id))); }

    void WriteBitmap(int id) { ASSERT_TRUE(WriteSolidBmp(BitmapPath(id), WidthOf(id), HeightOf(id), ColourOf(id))); }
    void WriteIcon(int id) { ASSERT_TRUE(WriteIco(IconPath(id), ColourOf(id))); }
    void WriteAll() {
        for (int id = 0; id < SKIN_BITMAP_COUNT; ++id) WriteBitmap(id);
        for (int id = 0; id < SKIN_ICON_COUNT; ++id) WriteIcon(id);
    }
    CString Root() const { return CString(m_root); }

    std::wstring m_root;
};

void ExpectEmptyBitmap(const CGlobal& store, int id) {
    EXPECT_EQ(store.m_bitmaps[id].hBitmap, nullptr) << "bitmap " << id;
    EXPECT_TRUE(HeaderIsZero(store.m_bitmaps[id].bm)) << "bitmap " << id;
}

void ExpectLoadedBitmap(const CGlobal& store, int id) {
    const SkinBitmap& slot = store.m_bitmaps[id];
    ASSERT_NE(slot.hBitmap, nullptr) << "bitmap " << id;
    EXPECT_EQ(slot.bm.bmWidth, WidthOf(id)) << "bitmap " << id;
    EXPECT_EQ(slot.bm.bmHeight, HeightOf(id)) << "bitmap " << id;
    // Kept as the file's own 24-bit pixels, not converted to the display's format.
    EXPECT_EQ(slot.bm.bmBitsPixel, 24) << "bitmap " << id;
    EXPECT_EQ(FirstPixel(slot.bm), ColourOf(id)) << "bitmap " << id;
}

TEST(SkinStore, StartsEmptyWithColoursZero) {
    CGlobal store;
    for (int id = 0; id < SKIN_BITMAP_COUNT; ++id) ExpectEmptyBitmap(store, id);
    for (auto& sizes : store.m_icons)
        for (HICON icon : sizes) EXPECT_EQ(icon, nullptr);
    EXPECT_EQ(store.m_clrTransparent, 0u);
    EXPECT_EQ(store.m_clrBackground, 0u);
    EXPECT_EQ(store.m_clrCaptionTextActive, 0u);
    EXPECT_EQ(store.m_clrCaptionTextInactive, 0u);
}

TEST_F(SkinFolder, LoadsExactlyThePresentFilesAtTheirOwnSizes) {
    for (int id = 0; id < SKIN_BITMAP_COUNT; id += 2) WriteBitmap(id);
    for (int id : {0, 2, 4}) WriteIcon(id);
    CGlobal store;
    store.LoadSkinBitmapsFrom(Root());
    store.LoadSkinIconsFrom(Root());
    for (int id = 0; id < SKIN_BITMAP_COUNT; ++id) {
        if (id % 2 == 0)
            ExpectLoadedBitmap(store, id);
        else
            ExpectEmptyBitmap(store, id);
    }
    for (int id = 0; id < SKIN_ICON_COUNT; ++id)
        for (int column = 0; column < SKIN_ICON_SIZE_COUNT; ++column) {
            const int expected = id % 2 == 0 ? vm::SkinIconPixels(static_cast<SkinIconSize>(column)) : 0;
            EXPECT_EQ(IconWidth(store.m_icons[id][column]), expected) << "icon " << id << " column " << column;
        }
}

TEST_F(SkinFolder, WithoutASkinFolderEverySlotIsEmpty) {
    RemoveDirectoryW((m_root + L"\\skin").c_str());
    CGlobal store;
    store.LoadSkinBitmapsFrom(Root());
    store.LoadSkinIconsFrom(Root());
    for (int id = 0; id < SKIN_BITMAP_COUNT; ++id) ExpectEmptyBitmap(store, id);
    for (auto& sizes : store.m_icons)
        for (HICON icon : sizes) EXPECT_EQ(icon, nullptr);
}

TEST_F(SkinFolder, LoadingAgainLeavesOneLiveSetAndReleaseFreesIt) {
    WriteAll();
    const int before = CountLiveGdiObjects();
    CGlobal store;
    store.LoadSkinBitmapsFrom(Root());
    const int oneSet = CountLiveGdiObjects();
    EXPECT_EQ(oneSet - before, SKIN_BITMAP_COUNT);
    HBITMAP first[SKIN_BITMAP_COUNT];
    for (int id = 0; id < SKIN_BITMAP_COUNT; ++id) first[id] = store.m_bitmaps[id].hBitmap;

    store.LoadSkinBitmapsFrom(Root());
    EXPECT_EQ(CountLiveGdiObjects(), oneSet);
    for (int id = 0; id < SKIN_BITMAP_COUNT; ++id) {
        ExpectLoadedBitmap(store, id);
        if (first[id] != store.m_bitmaps[id].hBitmap) {
            EXPECT_EQ(GetObjectType(first[id]), 0u) << "first load of bitmap " << id << " still alive";
        }
    }

    // Icons hold bitmaps of their own: their count must come back as well.
    const int bitmapsOnly = CountLiveGdiObjects();
    store.LoadSkinIconsFrom(Root());
    const int withIcons = CountLiveGdiObjects();
    HICON firstIcon = store.m_icons[SKIN_ICON_CONNECT][SKIN_ICON_16];
    store.LoadSkinIconsFrom(Root());
    EXPECT_EQ(CountLiveGdiObjects(), withIcons);
    if (firstIcon != store.m_icons[SKIN_ICON_CONNECT][SKIN_ICON_16]) {
        EXPECT_EQ(IconWidth(firstIcon), 0) << "first load of an icon still alive";
    }

    store.ReleaseSkinIcons();
    EXPECT_EQ(CountLiveGdiObjects(), bitmapsOnly);
    for (auto& sizes : store.m_icons)
        for (HICON icon : sizes) EXPECT_EQ(icon, nullptr);
    store.ReleaseSkinBitmaps();
    EXPECT_EQ(CountLiveGdiObjects(), before);
    for (int id = 0; id < SKIN_BITMAP_COUNT; ++id) ExpectEmptyBitmap(store, id);
}

TEST_F(SkinFolder, DestroyingTheStoreFreesEveryImage) {
    WriteAll();
    const int before = CountLiveGdiObjects();
    HBITMAP bitmap = nullptr;
    HICON icon = nullptr;
    {
        CGlobal store;
        store.LoadSkinBitmapsFrom(Root());
        store.LoadSkinIconsFrom(Root());
        bitmap = store.m_bitmaps[SKIN_BTN_BASE].hBitmap;
        icon = store.m_icons[SKIN_ICON_LOGO][SKIN_ICON_24];
        ASSERT_NE(bitmap, nullptr);
        ASSERT_EQ(IconWidth(icon), 24);
        EXPECT_GT(CountLiveGdiObjects(), before);
    }
    EXPECT_EQ(CountLiveGdiObjects(), before);
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_EQ(IconWidth(icon), 0);
}

// A damaged file in one slot: that slot stays empty, the others load.
struct Damage {
    const char* what;
    void (*apply)(std::vector<uint8_t>& file);
};

class DamagedBitmap : public SkinFolder, public testing::WithParamInterface<Damage> {};

TEST_P(DamagedBitmap, LeavesItsSlotEmpty) {
    WriteAll();
    std::vector<uint8_t> file = ReadBytes(BitmapPath(SKIN_BTN_BASE));
    ASSERT_GT(file.size(), 54u);
    GetParam().apply(file);
    ASSERT_TRUE(WriteBytes(BitmapPath(SKIN_BTN_BASE), file));
    CGlobal store;
    store.LoadSkinBitmapsFrom(Root());
    ExpectEmptyBitmap(store, SKIN_BTN_BASE);
    for (int id = 0; id < SKIN_BTN_BASE; ++id) ExpectLoadedBitmap(store, id);
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedBitmap,
    testing::Values(Damage{"zero bytes", [](std::vector<uint8_t>& f) { f.clear(); }},
                    Damage{"wrong magic", [](std::vector<uint8_t>& f) { f[0] = 'X'; f[1] = 'Y'; }},
                    Damage{"file header only", [](std::vector<uint8_t>& f) { f.resize(14); }},
                    Damage{"headers only", [](std::vector<uint8_t>& f) { f.resize(54); }},
                    Damage{"half the pixels", [](std::vector<uint8_t>& f) { f.resize(54 + (f.size() - 54) / 2); }},
                    Damage{"height far beyond the data", [](std::vector<uint8_t>& f) { Put32(f, 22, 1000000); }},
                    Damage{"pixels offset past the end", [](std::vector<uint8_t>& f) { Put32(f, 10, 0x7FFFFFF0u); }},
                    Damage{"zero width", [](std::vector<uint8_t>& f) { Put32(f, 18, 0); }},
                    Damage{"7 bits per pixel", [](std::vector<uint8_t>& f) { f[28] = 7; }}),
    [](const testing::TestParamInfo<Damage>& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c) name += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

class DamagedIcon : public SkinFolder, public testing::WithParamInterface<Damage> {};

TEST_P(DamagedIcon, LeavesItsHandlesEmpty) {
    WriteAll();
    std::vector<uint8_t> file = ReadBytes(IconPath(SKIN_ICON_CONNECT));
    ASSERT_GT(file.size(), 6u + 3 * 16);
    GetParam().apply(file);
    ASSERT_TRUE(WriteBytes(IconPath(SKIN_ICON_CONNECT), file));
    CGlobal store;
    store.LoadSkinIconsFrom(Root());
    for (int column = 0; column < SKIN_ICON_SIZE_COUNT; ++column)
        EXPECT_EQ(IconWidth(store.m_icons[SKIN_ICON_CONNECT][column]), 0) << "column " << column;
    for (int column = 0; column < SKIN_ICON_SIZE_COUNT; ++column)
        EXPECT_EQ(IconWidth(store.m_icons[SKIN_ICON_LOGO][column]),
                  vm::SkinIconPixels(static_cast<SkinIconSize>(column)));
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedIcon,
    testing::Values(Damage{"zero bytes", [](std::vector<uint8_t>& f) { f.clear(); }},
                    Damage{"not an icon", [](std::vector<uint8_t>& f) { f[2] = 7; }},
                    Damage{"directory cut", [](std::vector<uint8_t>& f) { f.resize(10); }},
                    Damage{"images cut", [](std::vector<uint8_t>& f) { f.resize(6 + 3 * 16 + 20); }},
                    Damage{"images offset past the end", [](std::vector<uint8_t>& f) {
                               for (int i = 0; i < 3; ++i) Put32(f, 6 + 16 * i + 12, 0x7FFFFFF0u);
                           }}),
    [](const testing::TestParamInfo<Damage>& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c) name += isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST(SkinStore, FileNamesOfTheTablesAndEmptyOutsideThem) {
    EXPECT_EQ(Str(GetSkinBitmapFileName(SKIN_BOX_EXIT)), L"skin\\box_exit.bmp");
    EXPECT_EQ(Str(GetSkinIconFileName(SKIN_ICON_LOGO)), L"skin\\orlaway_logo.ico");
    EXPECT_TRUE(GetSkinBitmapFileName(static_cast<SkinBitmapId>(21)).IsEmpty());
    EXPECT_TRUE(GetSkinBitmapFileName(static_cast<SkinBitmapId>(-1)).IsEmpty());
    EXPECT_TRUE(GetSkinIconFileName(static_cast<SkinIconId>(5)).IsEmpty());
}

// GetModuleDirectory names the folder that holds this very program.
TEST(SkinStore, ModuleDirectoryHoldsTheRunningProgram) {
    const std::wstring dir = Str(GetModuleDirectory());
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), L'\\');
    std::vector<wchar_t> full(4096);
    const DWORD n = GetModuleFileNameW(nullptr, full.data(), static_cast<DWORD>(full.size()));
    ASSERT_GT(n, dir.size());
    EXPECT_EQ(std::wstring(full.data(), n).substr(0, dir.size() + 1), dir + L"\\");
    EXPECT_EQ(std::wstring(full.data(), n).find(L'\\', dir.size() + 1), std::wstring::npos);
}

// The skin that the build writes beside the program loads in every slot.
TEST(SkinStore, TheBuildsSkinLoadsCompletely) {
    CGlobal store;
    store.LoadSkinBitmaps();
    store.LoadSkinIcons();
    for (int id = 0; id < SKIN_BITMAP_COUNT; ++id) {
        ASSERT_NE(store.m_bitmaps[id].hBitmap, nullptr)
            << Str(GetModuleDirectory()) << "\\" << Str(GetSkinBitmapFileName(static_cast<SkinBitmapId>(id)))
            << " did not load; is the skin target built?";
        EXPECT_EQ(store.m_bitmaps[id].bm.bmBitsPixel, 24) << id;
    }
    const BITMAP& exit = store.m_bitmaps[SKIN_BOX_EXIT].bm;
    for (int id = SKIN_BOX_MINIMIZE; id <= SKIN_BOX_EXIT_OVER; ++id) {
        EXPECT_EQ(store.m_bitmaps[id].bm.bmWidth, exit.bmWidth) << id;
        EXPECT_EQ(store.m_bitmaps[id].bm.bmHeight, exit.bmHeight) << id;
    }
    // The button's mask step needs the exact key colour in its top-left
    // pixel; the first stored row of a bottom-up DIB is the bottom one, whose
    // first pixel is a corner as well.
    EXPECT_EQ(FirstPixel(store.m_bitmaps[SKIN_BTN_BASE].bm), RGB(0xFF, 0x00, 0xFF));
    for (int id = 0; id < SKIN_ICON_COUNT; ++id)
        for (int column = 0; column < SKIN_ICON_SIZE_COUNT; ++column)
            EXPECT_EQ(IconWidth(store.m_icons[id][column]), vm::SkinIconPixels(static_cast<SkinIconSize>(column)))
                << "icon " << id << " column " << column;
}

// Wine cannot start a program from a path longer than MAX_PATH, so the
// growing buffer meets the real call here through a tiny first buffer.
TEST(SkinStore, ModulePathIsReadWholeThroughAGrowingBuffer) {
    std::vector<wchar_t> full(4096);
    const DWORD n = GetModuleFileNameW(nullptr, full.data(), static_cast<DWORD>(full.size()));
    ASSERT_GT(n, 16u);
    // A cut result reports the whole buffer: the sign the loop grows on.
    wchar_t small[8];
    EXPECT_EQ(GetModuleFileNameW(nullptr, small, 8), 8u);

    std::vector<uint32_t> sizes;
    const std::u16string path = vm::ReadWholePath(
        [&](char16_t* buffer, uint32_t size) {
            sizes.push_back(size);
            return static_cast<uint32_t>(GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(buffer), size));
        },
        8);
    EXPECT_EQ(CString::FromU16(path).str(), std::wstring(full.data(), n));
    EXPECT_GT(sizes.size(), 1u);
}

}  // namespace
