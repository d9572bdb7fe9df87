// Frame painting read back as pixels: each piece where the layout puts it,
// the caption buttons, the title, the client area left alone, the trace lines
// and no GDI object left behind.
#include "frame_fixture.h"

#include <cwchar>
#include <string>
#include <vector>

namespace frametest {
namespace {

using FramePaint = SkinnedWindow;

struct PixelCase {
    int x, y;
    int slot;  // expected slot colour, or -1 for the sentinel
    const char* what;
};

constexpr COLORREF kSentinel = RGB(1, 2, 3);

TEST_F(FramePaint, EachPieceAndButtonWhereTheLayoutPutsIt) {
    // Pre-fill the whole window so that what the paint leaves alone shows.
    {
        HDC dc = GetWindowDC(hwnd);
        HBRUSH b = CreateSolidBrush(kSentinel);
        RECT all{0, 0, kWidth, kHeight};
        FillRect(dc, &all, b);
        DeleteObject(b);
        ReleaseDC(hwnd, dc);
    }
    dlg->DrawSkinFrame();
    const WindowImage img = CaptureWindow(hwnd);
    ASSERT_EQ(img.width, kWidth);
    ASSERT_EQ(img.height, kHeight);

    // Fixture: caption_left 10x32, caption_center 2x30, caption_right 12x31,
    // frame_left 3x2, frame_leftbottom 6x4, frame_bottom 2x4, frame_right 5x2,
    // frame_rightbottom 4x6, buttons 20x18. Window 300x200.
    const PixelCase cases[] = {
        {5, 10, SKIN_CAPTION_LEFT, "caption left"},
        {1, 31, SKIN_CAPTION_LEFT, "caption left is 32 high, below the 30-high middle"},
        {10, 5, SKIN_CAPTION_CENTER, "caption middle starts at caption_left's width"},
        {150, 29, SKIN_CAPTION_CENTER, "caption middle, last row"},
        {287, 25, SKIN_CAPTION_CENTER, "caption middle ends at W - caption_right's width"},
        {288, 25, SKIN_CAPTION_RIGHT, "caption right"},
        {299, 30, SKIN_CAPTION_RIGHT, "caption right is 31 high"},
        {1, 32, SKIN_FRAME_LEFT, "left edge starts below caption_left"},
        {1, 195, SKIN_FRAME_LEFT, "left edge ends at the bottom edge's height"},
        {1, 196, SKIN_FRAME_LEFTBOTTOM, "bottom-left corner"},
        {5, 199, SKIN_FRAME_LEFTBOTTOM, "bottom-left corner is 6 wide"},
        {6, 197, SKIN_FRAME_BOTTOM, "bottom edge starts at the corner's width"},
        {150, 199, SKIN_FRAME_BOTTOM, "bottom edge"},
        {292, 198, SKIN_FRAME_BOTTOM, "bottom edge before the right corner"},
        {295, 31, SKIN_FRAME_RIGHT, "right edge starts below caption_right"},
        {299, 193, SKIN_FRAME_RIGHT, "right edge ends at the corner's height"},
        {295, 199, SKIN_FRAME_BOTTOM, "bottom edge is W less the side edges long"},
        {296, 199, SKIN_FRAME_RIGHTBOTTOM, "bottom-right corner is 4 wide"},
        {296, 194, SKIN_FRAME_RIGHTBOTTOM, "bottom-right corner is 6 high"},
        {270, 0, SKIN_BOX_EXIT, "close button at W - 30"},
        {289, 17, SKIN_BOX_EXIT, "close button over caption_right"},
        {290, 9, SKIN_CAPTION_RIGHT, "10 pixels right of the close button"},
        {270, 18, SKIN_CAPTION_CENTER, "below the buttons"},
        {250, 9, SKIN_BOX_MAXIMIZE, "middle button"},
        {230, 9, SKIN_BOX_MINIMIZE, "left button"},
        {229, 9, SKIN_CAPTION_CENTER, "left of the buttons"},
        // The client rectangle (3, 30) - (295, 196) is not copied to.
        {3, 30, -1, "client top-left"},
        {294, 195, -1, "client bottom-right"},
        {150, 100, -1, "client middle"},
        {5, 31, -1, "client, over caption_left's lower rows"},
    };
    for (const PixelCase& c : cases) {
        const COLORREF expected = c.slot < 0 ? kSentinel : SlotColour(c.slot);
        EXPECT_EQ(img.at(c.x, c.y), expected) << c.what << " at " << c.x << "," << c.y;
    }
    // The right edge stops at the bottom-right corner's height, not the
    // bottom edge's: below it, left of the narrower corner, nothing is drawn.
    EXPECT_NE(img.at(295, 194), SlotColour(SKIN_FRAME_RIGHT));
    EXPECT_EQ(img.at(295, 193), SlotColour(SKIN_FRAME_RIGHT));
}

TEST_F(FramePaint, MaximisedButtonsMoveDownAndShowRestore) {
    ShowWindow(hwnd, SW_MAXIMIZE);
    PumpMessages(50);
    ASSERT_TRUE(IsZoomed(hwnd));
    dlg->DrawSkinFrame();
    RECT wr{};
    GetWindowRect(hwnd, &wr);
    const int W = wr.right - wr.left;
    const int x1 = W - 20 - 10;
    EXPECT_EQ(PixelAt(x1 + 5, 4), SlotColour(SKIN_BOX_EXIT));
    EXPECT_EQ(PixelAt(x1 + 5, 21), SlotColour(SKIN_BOX_EXIT));
    EXPECT_EQ(PixelAt(x1 + 5, 22), SlotColour(SKIN_CAPTION_CENTER));
    EXPECT_EQ(PixelAt(x1 - 20 + 5, 10), SlotColour(SKIN_BOX_RESTORE));
    EXPECT_EQ(PixelAt(x1 - 40 + 5, 10), SlotColour(SKIN_BOX_MINIMIZE));
}

TEST_F(FramePaint, WithoutCaptionStyleNothingIsPainted) {
    SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) & ~WS_CAPTION);
    HDC dc = GetWindowDC(hwnd);
    SetPixel(dc, 150, 10, kSentinel);
    ReleaseDC(hwnd, dc);
    dlg->DrawSkinFrame();
    SendMessageW(hwnd, WM_NCPAINT, 1, 0);
    EXPECT_EQ(PixelAt(150, 10), kSentinel);
}

// Collects the debugger-output lines of this thread until Stop(). Wine
// hands the handler the narrow (ANSI) copy of a wide line only; Windows may
// hand the wide one.
class TraceCapture {
public:
    TraceCapture() {
        s_self = this;
        m_handler = AddVectoredExceptionHandler(1, &TraceCapture::Handler);
    }
    ~TraceCapture() { Stop(); }
    // Also stops catching the test framework's own debugger output.
    std::vector<std::wstring> Stop() {
        if (m_handler) RemoveVectoredExceptionHandler(m_handler);
        m_handler = nullptr;
        s_self = nullptr;
        return m_lines;
    }
    // What a wide line looks like once captured.
    std::wstring AsCaptured(const std::wstring& s) const {
        if (m_wide || s.empty()) return s;
        int n = WideCharToMultiByte(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
        std::string a(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, s.c_str(), static_cast<int>(s.size()), &a[0], n, nullptr, nullptr);
        return std::wstring(a.begin(), a.end());
    }

private:
    static LONG CALLBACK Handler(EXCEPTION_POINTERS* ep) {
        const EXCEPTION_RECORD* r = ep->ExceptionRecord;
        TraceCapture* self = s_self;
        if (!self || r->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
        if (r->ExceptionCode == 0x4001000A /* DBG_PRINTEXCEPTION_WIDE_C */) {
            self->m_lines.emplace_back(reinterpret_cast<const wchar_t*>(r->ExceptionInformation[1]));
            self->m_wide = true;
            return EXCEPTION_CONTINUE_EXECUTION;
        }
        if (r->ExceptionCode == 0x40010006 /* DBG_PRINTEXCEPTION_C */) {
            if (!self->m_wide) {
                const char* a = reinterpret_cast<const char*>(r->ExceptionInformation[1]);
                self->m_lines.emplace_back(a, a + strlen(a));
            }
            return EXCEPTION_CONTINUE_EXECUTION;
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    static inline TraceCapture* s_self = nullptr;
    std::vector<std::wstring> m_lines;
    bool m_wide = false;
    PVOID m_handler = nullptr;
};

struct TraceLine {
    std::wstring candidate;
    int width = -1;
    int full = -1;
};

// "%s, %04d - %04d\n" read back; width -1 when the line does not match.
TraceLine ParseTrace(const std::wstring& line) {
    TraceLine t;
    const size_t dash = line.rfind(L" - ");
    const size_t comma = line.rfind(L", ", dash);
    if (dash == std::wstring::npos || comma == std::wstring::npos || line.empty() || line.back() != L'\n') return t;
    const std::wstring a = line.substr(comma + 2, dash - comma - 2);
    const std::wstring b = line.substr(dash + 3, line.size() - dash - 4);
    if (a.size() < 4 || b.size() < 4) return t;
    t.candidate = line.substr(0, comma);
    t.width = std::stoi(a);
    t.full = std::stoi(b);
    return t;
}

int TextWidthInDialogFont(HWND hwnd, const std::wstring& s) {
    HDC dc = GetWindowDC(hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    SIZE sz{};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &sz);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return sz.cx;
}

// Columns of the caption band (rows 0 to 29, left of the buttons) that hold
// anything but the caption's own colour.
std::vector<int> InkColumns(const WindowImage& img) {
    std::vector<int> cols;
    for (int x = 10; x < 230; ++x) {
        for (int y = 0; y < 30; ++y) {
            if (img.at(x, y) != SlotColour(SKIN_CAPTION_CENTER)) {
                cols.push_back(x);
                break;
            }
        }
    }
    return cols;
}

TEST_F(FramePaint, ShortTitleIsDrawnWholeFrom42WithoutTrace) {
    // No caption icon, so that only the title marks the caption.
    dlg->m_hCaptionIcon = nullptr;
    SetWindowTextW(hwnd, L"Kelvask");
    TraceCapture trace;
    dlg->DrawSkinFrame();
    EXPECT_TRUE(trace.Stop().empty());
    const std::vector<int> ink = InkColumns(CaptureWindow(hwnd));
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.front(), 42);
    EXPECT_LT(ink.back(), 42 + TextWidthInDialogFont(hwnd, L"Kelvask") + 1);
}

TEST_F(FramePaint, LongTitleIsShortenedBelowAvailWithOneTraceLinePerCandidate) {
    dlg->m_hCaptionIcon = nullptr;
    const std::wstring title = L"Kelvask network drive mapping for the storage host";
    SetWindowTextW(hwnd, title.c_str());
    const int full = TextWidthInDialogFont(hwnd, title);
    const int avail = 178;
    ASSERT_GE(full, avail) << "the fixture title must be too wide";

    TraceCapture trace;
    dlg->DrawSkinFrame();
    const std::vector<std::wstring> lines = trace.Stop();
    ASSERT_FALSE(lines.empty()) << "no debugger output was seen";
    std::vector<TraceLine> parsed;
    for (const std::wstring& l : lines) parsed.push_back(ParseTrace(l));
    // From the whole title with "..." down, one unit a pass; every line
    // carries the whole title's width; only the last fits.
    for (size_t i = 0; i < parsed.size(); ++i) {
        ASSERT_GE(parsed[i].width, 0) << "line " << i << " malformed";
        EXPECT_EQ(parsed[i].candidate, trace.AsCaptured(title.substr(0, title.size() - i) + L"...")) << i;
        EXPECT_EQ(parsed[i].full, full) << i;
        EXPECT_EQ(parsed[i].width, TextWidthInDialogFont(hwnd, parsed[i].candidate)) << i;
        if (i + 1 < parsed.size()) {
            EXPECT_GE(parsed[i].width, avail) << i;
        } else {
            EXPECT_LT(parsed[i].width, avail);
        }
    }
    const std::wstring line0 = lines.front();
    wchar_t expected[32];
    swprintf(expected, 32, L", %04d - %04d\n", parsed[0].width, full);
    EXPECT_EQ(line0.substr(line0.size() - wcslen(expected)), expected);

    const std::vector<int> ink = InkColumns(CaptureWindow(hwnd));
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.front(), 42);
    EXPECT_LT(ink.back(), 42 + avail);  // ends more than 10 pixels before the buttons
}

TEST_F(FramePaint, HangulLeadByteCutsTwoUnits) {
    // U+B098 has the low byte 0x98, a code-page 949 lead byte: after the first
    // candidate every cut lands on it and takes one unit more.
    const std::wstring title(24, L'\uB098');
    SetWindowTextW(hwnd, title.c_str());
    TraceCapture trace;
    dlg->DrawSkinFrame();
    const std::vector<std::wstring> lines = trace.Stop();
    ASSERT_GE(lines.size(), 2u);
    for (size_t i = 0; i < lines.size(); ++i) {
        const TraceLine t = ParseTrace(lines[i]);
        const size_t units = i == 0 ? title.size() : title.size() - 2 * i;
        EXPECT_EQ(t.candidate, trace.AsCaptured(title.substr(0, units) + L"...")) << i;
    }
}

TEST_F(FramePaint, TenThousandDrawsLeaveNoGdiObjectBehind) {
    SetWindowTextW(hwnd, L"Kelvask");
    dlg->DrawSkinFrame();  // anything created once, on first use, is made now
    const int before = CountLiveGdiObjects();
    for (int i = 0; i < 10000; ++i) dlg->DrawSkinFrame();
    EXPECT_EQ(CountLiveGdiObjects(), before);

    // The shortening path selects and measures too.
    SetWindowTextW(hwnd, L"Kelvask network drive mapping for the storage host");
    dlg->DrawSkinFrame();
    const int beforeLong = CountLiveGdiObjects();
    for (int i = 0; i < 200; ++i) dlg->DrawSkinFrame();
    EXPECT_EQ(CountLiveGdiObjects(), beforeLong);
}

}  // namespace
}  // namespace frametest
