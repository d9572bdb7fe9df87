// The shared Windows test helpers, checked against what Windows (Wine) itself
// reads back: a helper that lies here would make every other test lie.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

#include "quadrant_window.h"
#include "wintest_util.h"

namespace {

// Holds a temporary folder for one test.
class TempDirTest : public testing::Test {
protected:
    void SetUp() override {
        m_dir = MakeTempDir();
        ASSERT_FALSE(m_dir.empty());
    }
    void TearDown() override { RemoveTree(m_dir); }
    std::wstring Path(const wchar_t* name) const { return m_dir + L"\\" + name; }
    std::wstring m_dir;
};

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<uint8_t> ReadWholeFile(const std::wstring& path) {
    std::vector<uint8_t> data;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return data;
    DWORD size = GetFileSize(f, nullptr), n = 0;
    data.resize(size);
    if (!ReadFile(f, data.data(), size, &n, nullptr) || n != size) data.clear();
    CloseHandle(f);
    return data;
}

// Reads every pixel of a bitmap through a memory DC.
std::vector<COLORREF> PixelsOf(HBITMAP bmp, int w, int h) {
    std::vector<COLORREF> px;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) px.push_back(PixelOf(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
    return px;
}

// ---------------------------------------------------------------- GDI probe

TEST(GdiProbe, CountsTenBrushesAndTheirDeletion) {
    const int before = CountLiveGdiObjects();
    ASSERT_GT(before, 0) << "stock objects at least must be seen";
    HBRUSH brushes[10];
    for (int i = 0; i < 10; ++i) {
        brushes[i] = CreateSolidBrush(RGB(i, 2 * i, 3 * i));
        ASSERT_NE(brushes[i], nullptr);
    }
    EXPECT_EQ(CountLiveGdiObjects(), before + 10);
    for (HBRUSH b : brushes) DeleteObject(b);
    EXPECT_EQ(CountLiveGdiObjects(), before);
}

struct GdiKind {
    const char* name;
    std::function<HGDIOBJ()> create;
    std::function<void(HGDIOBJ)> destroy;
};

class GdiProbeKinds : public testing::TestWithParam<GdiKind> {};

TEST_P(GdiProbeKinds, SeesOneObjectComeAndGo) {
    const GdiKind& kind = GetParam();
    const int before = CountLiveGdiObjects();
    HGDIOBJ obj = kind.create();
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(CountLiveGdiObjects(), before + 1);
    kind.destroy(obj);
    EXPECT_EQ(CountLiveGdiObjects(), before);
}

void DeleteGdi(HGDIOBJ o) { DeleteObject(o); }

INSTANTIATE_TEST_SUITE_P(
    Kinds, GdiProbeKinds,
    testing::Values(
        GdiKind{"pen", [] { return HGDIOBJ(CreatePen(PS_SOLID, 1, RGB(1, 2, 3))); }, DeleteGdi},
        GdiKind{"bitmap", [] { return HGDIOBJ(CreateBitmap(8, 8, 1, 32, nullptr)); }, DeleteGdi},
        GdiKind{"region", [] { return HGDIOBJ(CreateRectRgn(0, 0, 10, 10)); }, DeleteGdi},
        GdiKind{"elliptic_region", [] { return HGDIOBJ(CreateEllipticRgn(0, 0, 9, 9)); }, DeleteGdi},
        GdiKind{"font",
                [] {
                    return HGDIOBJ(CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                               L"Tahoma"));
                },
                DeleteGdi},
        GdiKind{"memory_dc", [] { return HGDIOBJ(CreateCompatibleDC(nullptr)); },
                [](HGDIOBJ o) { DeleteDC(static_cast<HDC>(o)); }}),
    [](const testing::TestParamInfo<GdiKind>& info) { return std::string(info.param.name); });

TEST(GdiProbe, LeavesLastErrorAlone) {
    SetLastError(12345);
    CountLiveGdiObjects();
    EXPECT_EQ(GetLastError(), 12345u);
}

// -------------------------------------------------------------- BMP writers

struct BmpSize {
    int w, h;
};

class SolidBmp : public TempDirTest, public testing::WithParamInterface<BmpSize> {};

// Odd widths make rows need padding; LoadImageW must still see every pixel.
TEST_P(SolidBmp, LoadsAsA24BitSectionOfItsSizeAndColour) {
    const auto [w, h] = GetParam();
    const COLORREF colour = RGB(12, 150, 230);
    const std::wstring path = Path(L"solid.bmp");
    ASSERT_TRUE(WriteSolidBmp(path, w, h, colour));

    auto bmp = static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(bmp, nullptr);
    DIBSECTION ds{};
    ASSERT_EQ(GetObjectW(bmp, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
    EXPECT_EQ(ds.dsBm.bmWidth, w);
    EXPECT_EQ(ds.dsBm.bmHeight, h);
    EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
    for (COLORREF c : PixelsOf(bmp, w, h)) ASSERT_EQ(c, colour);
    DeleteObject(bmp);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SolidBmp,
                         testing::Values(BmpSize{1, 1}, BmpSize{3, 2}, BmpSize{5, 7}, BmpSize{64, 4},
                                         BmpSize{2, 33}),
                         [](const testing::TestParamInfo<BmpSize>& info) {
                             return std::to_string(info.param.w) + "x" + std::to_string(info.param.h);
                         });

using BmpWriter = TempDirTest;

TEST_F(BmpWriter, EveryPixelKeepsItsPlace) {
    const int w = 5, h = 3;
    std::vector<COLORREF> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels.push_back(RGB(40 * x + 1, 80 * y + 2, 10 * (x + y) + 3));
    const std::wstring path = Path(L"grid.bmp");
    ASSERT_TRUE(WriteBmp(path, w, h, pixels));
    auto bmp = static_cast<HBITMAP>(
        LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(PixelsOf(bmp, w, h), pixels);
    DeleteObject(bmp);
}

TEST_F(BmpWriter, RefusesWhatItCannotWrite) {
    EXPECT_FALSE(WriteBmp(Path(L"short.bmp"), 2, 2, {RGB(1, 1, 1)}));
    EXPECT_FALSE(WriteSolidBmp(Path(L"zero.bmp"), 0, 4, RGB(1, 1, 1)));
    EXPECT_FALSE(WriteSolidBmp(Path(L"neg.bmp"), 4, -1, RGB(1, 1, 1)));
    EXPECT_FALSE(WriteSolidBmp(Path(L"missing\\dir.bmp"), 4, 4, RGB(1, 1, 1)));
    EXPECT_FALSE(FileExists(Path(L"short.bmp")));
    EXPECT_FALSE(FileExists(Path(L"zero.bmp")));
}

// -------------------------------------------------------------- ICO writer

using IcoWriter = TempDirTest;

TEST_F(IcoWriter, EachEntryIsAnIconOfItsOwnSize) {
    const std::wstring path = Path(L"three.ico");
    ASSERT_TRUE(WriteIco(path, {16, 24, 32}, RGB(0, 128, 255)));
    std::vector<uint8_t> file = ReadWholeFile(path);
    ASSERT_GE(file.size(), 6u + 3u * 16u);
    ASSERT_EQ(file[2] | (file[3] << 8), 1);  // type: icon
    ASSERT_EQ(file[4] | (file[5] << 8), 3);  // entries
    const int sizes[] = {16, 24, 32};
    for (int i = 0; i < 3; ++i) {
        const uint8_t* e = &file[6 + 16 * i];
        EXPECT_EQ(e[0], sizes[i]);
        EXPECT_EQ(e[1], sizes[i]);
        uint32_t bytes, offset;
        memcpy(&bytes, e + 8, 4);
        memcpy(&offset, e + 12, 4);
        ASSERT_LE(static_cast<size_t>(offset) + bytes, file.size());
        HICON icon = CreateIconFromResourceEx(&file[offset], bytes, TRUE, 0x00030000, 0, 0, 0);
        ASSERT_NE(icon, nullptr) << "entry " << i;
        ICONINFO ii{};
        ASSERT_TRUE(GetIconInfo(icon, &ii));
        BITMAP bm{};
        GetObjectW(ii.hbmColor, sizeof(bm), &bm);
        EXPECT_EQ(bm.bmWidth, sizes[i]);
        EXPECT_EQ(bm.bmHeight, sizes[i]);
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
        DestroyIcon(icon);
    }
}

// Drawn over white, an opaque icon must cover every pixel with its colour.
TEST_F(IcoWriter, LoadedIconDrawsOpaqueInItsColour) {
    const COLORREF colour = RGB(0, 128, 255);
    const std::wstring path = Path(L"solid.ico");
    ASSERT_TRUE(WriteIco(path, colour));
    for (int s : {16, 24, 32}) {
        SCOPED_TRACE(s);
        auto icon = static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, s, s, LR_LOADFROMFILE));
        ASSERT_NE(icon, nullptr);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP canvas = CreateCompatibleBitmap(screen, s, s);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, canvas);
        RECT rc{0, 0, s, s};
        FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ASSERT_TRUE(DrawIconEx(dc, 0, 0, icon, s, s, 0, nullptr, DI_NORMAL));
        for (int y = 0; y < s; ++y)
            for (int x = 0; x < s; ++x) ASSERT_EQ(PixelOf(dc, x, y), colour) << x << "," << y;
        SelectObject(dc, old);
        DeleteObject(canvas);
        DeleteDC(dc);
        DestroyIcon(icon);
    }
}

TEST_F(IcoWriter, RefusesEmptyOrImpossibleSizes) {
    EXPECT_FALSE(WriteIco(Path(L"none.ico"), {}, RGB(1, 2, 3)));
    EXPECT_FALSE(WriteIco(Path(L"zero.ico"), {16, 0}, RGB(1, 2, 3)));
    EXPECT_FALSE(WriteIco(Path(L"huge.ico"), {512}, RGB(1, 2, 3)));
    EXPECT_FALSE(FileExists(Path(L"zero.ico")));
}

// ------------------------------------------------------------ temp folders

TEST(TempDir, EachCallGivesANewEmptyFolderThatRemoveTreeClears) {
    std::wstring a = MakeTempDir(), b = MakeTempDir();
    ASSERT_FALSE(a.empty());
    ASSERT_FALSE(b.empty());
    EXPECT_NE(a, b);
    ASSERT_TRUE(CreateDirectoryW((a + L"\\sub").c_str(), nullptr));
    ASSERT_TRUE(WriteSolidBmp(a + L"\\sub\\x.bmp", 2, 2, RGB(0, 0, 0)));
    ASSERT_TRUE(WriteSolidBmp(a + L"\\y.bmp", 2, 2, RGB(0, 0, 0)));
    EXPECT_TRUE(RemoveTree(a));
    EXPECT_FALSE(FileExists(a));
    EXPECT_TRUE(FileExists(b));
    EXPECT_TRUE(RemoveTree(b));
}

// ------------------------------------------------- windows and messages

TEST(WaitForWindow, FindsAWindowByItsKoreanTitle) {
    QuadrantWindow win(L"켈바스크 창 찾기", 10, 10, 40, 30);
    ASSERT_NE(win.hwnd(), nullptr);
    EXPECT_EQ(WaitForWindow(L"켈바스크 창 찾기", 2000), win.hwnd());
}

TEST(WaitForWindow, GivesNullWhenNoWindowAppears) {
    EXPECT_EQ(WaitForWindow(L"Volmark no such window", 150), nullptr);
}

TEST(WaitForWindow, SeesAWindowThatAnotherThreadOpensLater) {
    std::atomic<DWORD> threadId{0};
    std::thread opener([&] {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // make this thread's queue
        threadId = GetCurrentThreadId();
        Sleep(300);
        QuadrantWindow win(L"Volmark late window", 20, 20, 40, 30);
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    });
    HWND found = WaitForWindow(L"Volmark late window", 10000);
    EXPECT_NE(found, nullptr);
    while (threadId == 0) Sleep(1);
    PostThreadMessageW(threadId, WM_QUIT, 0, 0);
    opener.join();
}

LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_APP) {
        ++*reinterpret_cast<int*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

class MessageWindow : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSW wc{};
        wc.lpfnWndProc = CountingProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VolmarkCountingWindow";
        RegisterClassW(&wc);
        m_hwnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(m_hwnd, nullptr);
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&m_count));
    }
    void TearDown() override { DestroyWindow(m_hwnd); }
    HWND m_hwnd = nullptr;
    int m_count = 0;
};

TEST_F(MessageWindow, PumpDispatchesWhatWasPosted) {
    for (int i = 0; i < 3; ++i) PostMessageW(m_hwnd, WM_APP, 0, 0);
    PumpMessages(50);
    EXPECT_EQ(m_count, 3);
}

// A pump inside a test must not swallow the quit request it meets, or a test
// of a modal loop's exit code would never see it.
TEST_F(MessageWindow, PumpStopsAtQuitAndLeavesItQueued) {
    PostMessageW(m_hwnd, WM_APP, 0, 0);
    PostQuitMessage(18);
    PumpMessages(5000);
    EXPECT_EQ(m_count, 1);
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 18u);
}

TEST_F(MessageWindow, PumpUntilReportsWhetherTheConditionCameTrue) {
    EXPECT_FALSE(PumpUntil([&] { return m_count > 0; }, 100));
    PostMessageW(m_hwnd, WM_APP, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return m_count > 0; }, 5000));
}

// In-process capture of a window: origin, size and orientation must match.
TEST(CaptureWindow, ReadsTheWindowPixelsTheRightWayUp) {
    const int w = 120, h = 80;
    QuadrantWindow win(L"Volmark capture in process", 100, 100, w, h);
    ASSERT_NE(win.hwnd(), nullptr);
    PumpMessages(200);
    WindowImage img = CaptureWindow(win.hwnd());
    ASSERT_EQ(img.width, w);
    ASSERT_EQ(img.height, h);
    for (auto [x, y] : {std::pair{1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}, {w / 2 - 1, h / 2 - 1}, {w / 2, h / 2}})
        EXPECT_EQ(img.at(x, y), QuadrantWindow::Expected(x, y, w, h)) << x << "," << y;
    EXPECT_TRUE(CaptureWindow(nullptr).empty());
}

// ------------------------------------------------- processes and bin folder

TEST(BinDir, HoldsThisTestProgram) {
    std::wstring dir = BinDir();
    ASSERT_FALSE(dir.empty());
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring name(self, n);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    EXPECT_TRUE(FileExists(dir + L"\\" + name)) << "bin folder without this program";
}

class QuoteArg : public testing::TestWithParam<std::wstring> {};

// Whatever the argument, the child must get it back unchanged.
TEST_P(QuoteArg, SurvivesCommandLineToArgvW) {
    std::wstring cmd = L"prog.exe " + ProcessRunner::QuoteArg(GetParam()) + L" next";
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(cmd.c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    ASSERT_EQ(argc, 3);
    EXPECT_EQ(std::wstring(argv[1]), GetParam());
    EXPECT_EQ(std::wstring(argv[2]), L"next");
    LocalFree(argv);
}

INSTANTIATE_TEST_SUITE_P(Cases, QuoteArg,
                         testing::Values(L"", L"plain", L"two words", L"quote\"inside", L"trail\\",
                                         L"trail space\\", L"\\\\host\\user", L"a\\\\\"b", L"\t",
                                         L"켈바스크 사용자#암호#호스트"));

TEST(ProcessRunner, ReportsAMissingProgram) {
    ProcessRunner runner;
    EXPECT_FALSE(runner.Start(BinDir() + L"\\no-such-program.exe"));
    EXPECT_FALSE(runner.Running());
    EXPECT_FALSE(runner.Wait(10));
    EXPECT_EQ(RunProcess(BinDir() + L"\\no-such-program.exe", {}, 1000), -1);
}

}  // namespace
