#include <gtest/gtest.h>

#include <cstdint>

#include "button/button_mask.h"
#include "tests/win/button/button_fixture.h"

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class SkinButtonModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedBackground = g_skin.m_clrBackground;
        g_skin.m_clrBackground = RGB(12, 34, 56);
    }
    void TearDown() override { g_skin.m_clrBackground = m_savedBackground; }

    // An attached push button, its repaint requests cleared.
    HWND Attach(TestButton& button, DWORD style = BS_DEFPUSHBUTTON) {
        HWND h = m_parent.AddButton(L"Go", style, 80, 24);
        EXPECT_TRUE(button.SubclassWindow(h));
        PumpMessages(0);
        ValidateRect(h, nullptr);
        return h;
    }

    TestParent m_parent;
    COLORREF m_savedBackground = 0;
};

TEST_F(SkinButtonModelTest, ConstructionTakesSkinAndSystemColours) {
    TestButton button;
    for (COLORREF face : {button.m_clrPressedBk, button.m_clrNormalBk, button.m_clrFocusBk}) {
        EXPECT_EQ(RGB(12, 34, 56), face);
    }
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), button.m_clrPressedFg);
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), button.m_clrNormalFg);
    EXPECT_EQ(1, button.m_ptPressedShift.x);
    EXPECT_EQ(1, button.m_ptPressedShift.y);
    EXPECT_FALSE(button.m_bDefault);
    EXPECT_EQ(nullptr, button.m_iconEntry.hIcon);
    EXPECT_EQ(nullptr, button.m_bitmapEntry.hbmImage);
}

TEST_F(SkinButtonModelTest, SettersBeforeAttachmentRepaintNothing) {
    // No window yet: a repaint request must not reach the whole desktop.
    ValidateRect(m_parent.hwnd(), nullptr);
    TestButton button;
    HICON icon = MakeSolidIcon(16, kRed);
    EXPECT_EQ(0, button.SetSkinIcon(icon));
    EXPECT_EQ(16u, button.m_iconEntry.cx);
    EXPECT_FALSE(HasPendingRepaint(m_parent.hwnd()));
    EXPECT_EQ(0, button.SetSkinIcon(nullptr));
    DestroyIcon(icon);
}

struct AttachRow {
    const char* name;
    DWORD type;
    BOOL isDefault;
};
void PrintTo(const AttachRow& r, std::ostream* os) { *os << r.name; }


class AttachTest : public SkinButtonModelTest, public ::testing::WithParamInterface<AttachRow> {};

TEST_P(AttachTest, BecomesOwnerDrawnAndKeepsDefaultRole) {
    const DWORD extra = WS_TABSTOP | BS_NOTIFY;
    HWND h = m_parent.AddButton(L"Go", GetParam().type | extra, 80, 24);
    const DWORD before = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
    TestButton button;
    ASSERT_TRUE(button.SubclassWindow(h));
    EXPECT_EQ(GetParam().isDefault, button.m_bDefault);
    const DWORD after = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
    EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), after & 0x1F);
    EXPECT_EQ(before & ~0x1Fu, after & ~0x1Fu);
}

INSTANTIATE_TEST_SUITE_P(Rows, AttachTest,
                         ::testing::Values(AttachRow{"DefPushButton", BS_DEFPUSHBUTTON, TRUE},
                                           AttachRow{"PushButton", BS_PUSHBUTTON, FALSE},
                                           AttachRow{"CheckBox", BS_CHECKBOX, FALSE}),
                         [](const ::testing::TestParamInfo<AttachRow>& info) { return std::string(info.param.name); });

// The program's own dialog template: its Connect button (IDOK) attached
// through the dialog's data exchange, as the drive-mapping dialog does it.
class ConnectDialog : public CDialog {
public:
    ConnectDialog() : CDialog(102) {}
    void DoDataExchange(CDataExchange* dx) override { DDX_Control(dx, IDOK, m_btnConnect); }
    void OnOK() override {}
    BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override {
        if (msg == WM_APP) sawMarker = true;
        return CDialog::OnWndMsg(msg, wp, lp, result);
    }
    // Runs the dialog's own loop, which offers each message to the objects
    // from its window up, until the marker posted behind the others arrives.
    bool PumpUntilMarker() {
        sawMarker = false;
        ::PostMessageW(m_hWnd, WM_APP, 0, 0);
        for (int i = 0; i < 1000 && !sawMarker; ++i) {
            if (!PumpMessage()) return false;
        }
        return sawMarker;
    }
    TestButton m_btnConnect;
    bool sawMarker = false;
};

TEST_F(SkinButtonModelTest, ConnectButtonOfTemplate) {
    ConnectDialog dlg;
    ASSERT_TRUE(dlg.Create());
    TestButton& button = dlg.m_btnConnect;
    ASSERT_NE(nullptr, button.m_hWnd);
    EXPECT_TRUE(button.m_bDefault);
    EXPECT_EQ(0x5001000Bu, static_cast<DWORD>(GetWindowLongW(button.m_hWnd, GWL_STYLE)) & 0xFFFF00FFu);
    dlg.DestroyWindow();
}

TEST_F(SkinButtonModelTest, DoubleClickReachesButtonAsPress) {
    ConnectDialog dlg;
    ASSERT_TRUE(dlg.Create());
    TestButton& button = dlg.m_btnConnect;
    ASSERT_TRUE(dlg.PumpUntilMarker());
    button.mouseMessages.clear();
    PostMessageW(button.m_hWnd, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    ASSERT_TRUE(dlg.PumpUntilMarker());
    EXPECT_EQ(std::vector<UINT>{WM_LBUTTONDOWN}, button.mouseMessages);
    ReleaseCapture();
    SendMessageW(button.m_hWnd, BM_SETSTATE, FALSE, 0);
    dlg.DestroyWindow();
}

// Sits between the button class and our object, recording what BM_SETSTYLE
// the object passes on to the control.
WNDPROC g_buttonClassProc = nullptr;
std::vector<WPARAM> g_passedSetStyle;
LRESULT CALLBACK RecordingProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == BM_SETSTYLE) g_passedSetStyle.push_back(wp);
    return CallWindowProcW(g_buttonClassProc, h, msg, wp, lp);
}

TEST_F(SkinButtonModelTest, SetStylePassesOnOwnerDrawType) {
    HWND h = m_parent.AddButton(L"Go", BS_DEFPUSHBUTTON, 80, 24);
    g_buttonClassProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingProc)));
    TestButton button;
    ASSERT_TRUE(button.SubclassWindow(h));
    g_passedSetStyle.clear();
    const WPARAM asked[] = {BS_PUSHBUTTON, BS_DEFPUSHBUTTON, BS_CHECKBOX, BS_PUSHBUTTON | BS_NOTIFY, 0x1F};
    for (WPARAM wp : asked) SendMessageW(h, BM_SETSTYLE, wp, TRUE);
    EXPECT_EQ((std::vector<WPARAM>{0x0B, 0x0B, 0x0B, 0x0B | BS_NOTIFY, 0x0B}), g_passedSetStyle);
    button.UnsubclassWindow();
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_buttonClassProc));
}

TEST_F(SkinButtonModelTest, DialogCodeAndSetStyleFollowDefaultRole) {
    // What the control answers as a plain owner-drawn button.
    HWND plain = m_parent.AddButton(L"x", BS_OWNERDRAW, 20, 20, 2);
    const UINT base = static_cast<UINT>(SendMessageW(plain, WM_GETDLGCODE, 0, 0));
    ASSERT_EQ(0u, base & 0x30u);

    TestButton button;
    HWND h = Attach(button, BS_DEFPUSHBUTTON);
    EXPECT_EQ(base | 0x10u, static_cast<UINT>(SendMessageW(h, WM_GETDLGCODE, 0, 0)));

    struct Step {
        WPARAM wParam;
        BOOL isDefault;
        UINT roleBit;
    };
    const Step steps[] = {
        {BS_PUSHBUTTON, FALSE, 0x20},     // the dialog manager takes the default away
        {BS_CHECKBOX, FALSE, 0x20},       // another type changes nothing
        {BS_DEFPUSHBUTTON, TRUE, 0x10},   // and gives it back
        {BS_CHECKBOX, TRUE, 0x10},
    };
    for (const Step& s : steps) {
        SendMessageW(h, BM_SETSTYLE, s.wParam, FALSE);
        EXPECT_EQ(s.isDefault, button.m_bDefault) << s.wParam;
        EXPECT_EQ(base | s.roleBit, static_cast<UINT>(SendMessageW(h, WM_GETDLGCODE, 0, 0))) << s.wParam;
        const DWORD style = static_cast<DWORD>(GetWindowLongW(h, GWL_STYLE));
        EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), style & 0x1F) << s.wParam;
    }
}

TEST_F(SkinButtonModelTest, ReflectedControlColourIsHollowBrush) {
    TestButton button;
    HWND h = Attach(button);
    HDC dc = GetDC(h);
    const LRESULT answer = SendMessageW(m_parent.hwnd(), WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                        reinterpret_cast<LPARAM>(h));
    ReleaseDC(h, dc);
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH)), answer);
}

TEST_F(SkinButtonModelTest, SysColorChangeRereadsColoursAndRepaints) {
    TestButton button;
    HWND h = Attach(button);
    const COLORREF savedText = GetSysColor(COLOR_BTNTEXT);
    const int element = COLOR_BTNTEXT;
    const COLORREF newText = RGB(1, 2, 3);
    ASSERT_TRUE(SetSysColors(1, &element, &newText));
    g_skin.m_clrBackground = RGB(200, 100, 50);
    ValidateRect(h, nullptr);
    SendMessageW(h, WM_SYSCOLORCHANGE, 0, 0);
    // Checked before the colour is put back: that repaints every window.
    EXPECT_TRUE(HasPendingRepaint(h));
    const COLORREF seenText = GetSysColor(COLOR_BTNTEXT);
    SetSysColors(1, &element, &savedText);

    EXPECT_EQ(seenText, button.m_clrPressedFg);
    EXPECT_EQ(seenText, button.m_clrNormalFg);
    EXPECT_EQ(newText, seenText);
    for (COLORREF face : {button.m_clrPressedBk, button.m_clrNormalBk, button.m_clrFocusBk}) {
        EXPECT_EQ(RGB(200, 100, 50), face);
    }
}

// ---------------------------------------------------------------- SetSkinBitmap

TEST_F(SkinButtonModelTest, BitmapMaskAndBlackening) {
    TestButton button;
    HWND h = Attach(button);
    HBITMAP bmp = MakeDib24(3, 1, {kMagenta, kRed, kMagenta});
    ASSERT_NE(nullptr, bmp);

    EXPECT_EQ(0, button.SetSkinBitmap(bmp, kMagenta));
    EXPECT_TRUE(HasPendingRepaint(h));
    EXPECT_EQ(bmp, button.m_bitmapEntry.hbmImage);
    EXPECT_EQ(3, button.m_bitmapEntry.cx);
    EXPECT_EQ(1, button.m_bitmapEntry.cy);
    EXPECT_EQ(kMagenta, button.m_bitmapEntry.clrTransparent);
    HBITMAP mask = button.m_bitmapEntry.hbmMask;
    ASSERT_NE(nullptr, mask);
    BITMAP bm{};
    GetObjectW(mask, sizeof(bm), &bm);
    EXPECT_EQ(1, bm.bmBitsPixel);
    EXPECT_EQ((std::vector<COLORREF>{kWhite, kBlack, kWhite}), ReadBitmapPixels(mask));
    EXPECT_EQ((std::vector<COLORREF>{kBlack, kRed, kBlack}), ReadBitmapPixels(bmp));

    // The same bitmap and colour again: nothing is made or repainted.
    ValidateRect(h, nullptr);
    EXPECT_EQ(0, button.SetSkinBitmap(bmp, kMagenta));
    EXPECT_EQ(mask, button.m_bitmapEntry.hbmMask);
    EXPECT_FALSE(HasPendingRepaint(h));

    // Another colour: a new mask, the old one freed, earlier black kept.
    EXPECT_EQ(0, button.SetSkinBitmap(bmp, kRed));
    EXPECT_EQ(0u, GetObjectType(mask));
    EXPECT_EQ((std::vector<COLORREF>{kBlack, kWhite, kBlack}), ReadBitmapPixels(button.m_bitmapEntry.hbmMask));
    EXPECT_EQ((std::vector<COLORREF>{kBlack, kBlack, kBlack}), ReadBitmapPixels(bmp));

    // Null clears the entry and frees the mask.
    mask = button.m_bitmapEntry.hbmMask;
    ValidateRect(h, nullptr);
    EXPECT_EQ(0, button.SetSkinBitmap(nullptr, kMagenta));
    EXPECT_TRUE(HasPendingRepaint(h));
    EXPECT_EQ(0u, GetObjectType(mask));
    EXPECT_EQ(nullptr, button.m_bitmapEntry.hbmImage);
    EXPECT_EQ(nullptr, button.m_bitmapEntry.hbmMask);
    EXPECT_EQ(0, button.m_bitmapEntry.cx);
    DeleteObject(bmp);
}

TEST_F(SkinButtonModelTest, GdiMaskAgreesWithPixelRule) {
    // A skin-like file loaded as the store loads it: 24-bit, bottom-up.
    const int w = 37, h = 11;
    std::vector<COLORREF> pixels;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) pixels.push_back(((x * 7 + y * 3) % 5 == 0) ? kMagenta : RGB(x * 6, y * 20, 90));
    const std::wstring dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    const std::wstring path = dir + L"\\mask.bmp";
    ASSERT_TRUE(WriteBmp(path, w, h, pixels));
    auto bmp = static_cast<HBITMAP>(LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, 0x2050));
    ASSERT_NE(nullptr, bmp);

    TestButton button;
    ASSERT_EQ(0, button.SetSkinBitmap(bmp, kMagenta));
    std::vector<std::uint32_t> expected(pixels.begin(), pixels.end());
    const std::vector<std::uint8_t> bits = vm::ApplyTransparencyRule(expected, w, h, kMagenta);
    std::vector<COLORREF> expectedMask;
    for (std::uint8_t b : bits) expectedMask.push_back(b ? kWhite : kBlack);
    EXPECT_EQ(expectedMask, ReadBitmapPixels(button.m_bitmapEntry.hbmMask));
    EXPECT_EQ(std::vector<COLORREF>(expected.begin(), expected.end()), ReadBitmapPixels(bmp));

    button.SetSkinBitmap(nullptr, 0);
    DeleteObject(bmp);
    RemoveTree(dir);
}

TEST_F(SkinButtonModelTest, NotABitmapReturnsOneAndLeavesEntryEmpty) {
    TestButton button;
    HWND h = Attach(button);
    HBITMAP good = MakeDib24(2, 1, {kMagenta, kRed});
    ASSERT_EQ(0, button.SetSkinBitmap(good, kMagenta));
    HBITMAP goodMask = button.m_bitmapEntry.hbmMask;
    button.m_ptBitmapMargin = POINT{7, 7};

    HBRUSH brush = CreateSolidBrush(kRed);
    HFONT font = MakeCrispFont(12);
    HBITMAP deleted = MakeDib24(1, 1, {kRed});
    DeleteObject(deleted);
    const HGDIOBJ notBitmaps[] = {brush, font, deleted, reinterpret_cast<HGDIOBJ>(static_cast<INT_PTR>(0x1234))};
    for (HGDIOBJ handle : notBitmaps) {
        ValidateRect(h, nullptr);
        EXPECT_EQ(1, button.SetSkinBitmap(static_cast<HBITMAP>(handle), kMagenta)) << handle;
        EXPECT_EQ(nullptr, button.m_bitmapEntry.hbmImage);
        EXPECT_EQ(nullptr, button.m_bitmapEntry.hbmMask);
        EXPECT_EQ(0, button.m_bitmapEntry.cx);
        EXPECT_EQ(0, button.m_bitmapEntry.cy);
        EXPECT_EQ(0u, button.m_bitmapEntry.clrTransparent);
        EXPECT_EQ(0, button.m_ptBitmapMargin.x);
        EXPECT_FALSE(HasPendingRepaint(h));
    }
    // The entry that was replaced gave its mask back.
    EXPECT_EQ(0u, GetObjectType(goodMask));
    DeleteObject(brush);
    DeleteObject(font);
    DeleteObject(good);
}

TEST_F(SkinButtonModelTest, MaskThatCannotBeMadeReturnsTwoAndKeepsSource) {
    TestButton button;
    HWND h = Attach(button);
    HBITMAP bmp = MakeDib24(3, 1, {kMagenta, kRed, kMagenta});
    // A bitmap can be selected into one DC only: here, the mask step's
    // source DC cannot take it.
    HDC holder = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(holder, bmp);
    ValidateRect(h, nullptr);
    EXPECT_EQ(2, button.SetSkinBitmap(bmp, kMagenta));
    EXPECT_EQ(nullptr, button.m_bitmapEntry.hbmImage);
    EXPECT_EQ(nullptr, button.m_bitmapEntry.hbmMask);
    EXPECT_FALSE(HasPendingRepaint(h));
    SelectObject(holder, old);
    DeleteDC(holder);
    EXPECT_EQ((std::vector<COLORREF>{kMagenta, kRed, kMagenta}), ReadBitmapPixels(bmp));
    DeleteObject(bmp);
}

TEST_F(SkinButtonModelTest, DestroyedButtonFreesItsMaskOnly) {
    HBITMAP bmp = MakeDib24(3, 1, {kMagenta, kRed, kMagenta});
    HICON icon = MakeSolidIcon(16, kRed);
    HBITMAP mask = nullptr;
    {
        TestButton button;
        Attach(button);
        ASSERT_EQ(0, button.SetSkinBitmap(bmp, kMagenta));
        ASSERT_EQ(0, button.SetSkinIcon(icon));
        mask = button.m_bitmapEntry.hbmMask;
        EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(mask));
    }
    EXPECT_EQ(0u, GetObjectType(mask));
    // Borrowed images stay alive.
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), GetObjectType(bmp));
    ICONINFO info{};
    EXPECT_TRUE(GetIconInfo(icon, &info));
    DeleteObject(info.hbmMask);
    DeleteObject(info.hbmColor);
    DestroyIcon(icon);
    DeleteObject(bmp);
}

// ---------------------------------------------------------------- SetSkinIcon

struct IconRow {
    const char* name;
    int size;
    bool fromFile;
};
void PrintTo(const IconRow& r, std::ostream* os) { *os << r.name; }


class IconSizeTest : public SkinButtonModelTest, public ::testing::WithParamInterface<IconRow> {};

TEST_P(IconSizeTest, SizeFromIconAndRepaint) {
    HICON icon = nullptr;
    std::wstring dir;
    if (GetParam().fromFile) {
        dir = MakeTempDir();
        ASSERT_FALSE(dir.empty());
        const std::wstring path = dir + L"\\connect.ico";
        ASSERT_TRUE(WriteIco(path, kRed));
        icon = static_cast<HICON>(
            LoadImageW(nullptr, path.c_str(), IMAGE_ICON, GetParam().size, GetParam().size, LR_LOADFROMFILE));
    } else {
        icon = MakeSolidIcon(GetParam().size, kRed);
    }
    ASSERT_NE(nullptr, icon);

    TestButton button;
    HWND h = Attach(button);
    EXPECT_EQ(0, button.SetSkinIcon(icon));
    EXPECT_EQ(icon, button.m_iconEntry.hIcon);
    EXPECT_EQ(static_cast<DWORD>(GetParam().size), button.m_iconEntry.cx);
    EXPECT_EQ(static_cast<DWORD>(GetParam().size), button.m_iconEntry.cy);
    EXPECT_EQ(5, button.m_ptIconMargin.x);
    EXPECT_EQ(0, button.m_ptIconMargin.y);
    EXPECT_TRUE(HasPendingRepaint(h));

    button.SetSkinIcon(nullptr);
    DestroyIcon(icon);
    if (!dir.empty()) RemoveTree(dir);
}

INSTANTIATE_TEST_SUITE_P(Rows, IconSizeTest,
                         ::testing::Values(IconRow{"Made16", 16, false}, IconRow{"Made32", 32, false},
                                           IconRow{"File16", 16, true}, IconRow{"File32", 32, true}),
                         [](const ::testing::TestParamInfo<IconRow>& info) { return std::string(info.param.name); });

TEST_F(SkinButtonModelTest, IconSameNullAndNotAnIcon) {
    TestButton button;
    HWND h = Attach(button);
    HICON icon = MakeSolidIcon(16, kRed);

    // Null with no icon held: nothing to do.
    EXPECT_EQ(0, button.SetSkinIcon(nullptr));
    EXPECT_FALSE(HasPendingRepaint(h));
    EXPECT_EQ(0, button.m_ptIconMargin.x);

    ASSERT_EQ(0, button.SetSkinIcon(icon));
    ValidateRect(h, nullptr);
    EXPECT_EQ(0, button.SetSkinIcon(icon));
    EXPECT_FALSE(HasPendingRepaint(h));

    // Null with an icon held: cleared and repainted.
    button.m_ptIconMargin = POINT{9, 9};
    EXPECT_EQ(0, button.SetSkinIcon(nullptr));
    EXPECT_TRUE(HasPendingRepaint(h));
    EXPECT_EQ(nullptr, button.m_iconEntry.hIcon);
    EXPECT_EQ(0u, button.m_iconEntry.cx);
    EXPECT_EQ(5, button.m_ptIconMargin.x);
    EXPECT_EQ(0, button.m_ptIconMargin.y);

    // A handle that is not an icon: code 1, no icon, no repaint.
    HBITMAP bmp = MakeDib24(2, 2, {kRed, kRed, kRed, kRed});
    for (HICON notIcon : {reinterpret_cast<HICON>(bmp), reinterpret_cast<HICON>(static_cast<INT_PTR>(0x4321))}) {
        ASSERT_EQ(0, button.SetSkinIcon(icon));
        ValidateRect(h, nullptr);
        EXPECT_EQ(1, button.SetSkinIcon(notIcon));
        EXPECT_EQ(nullptr, button.m_iconEntry.hIcon);
        EXPECT_EQ(0u, button.m_iconEntry.cx);
        EXPECT_EQ(0u, button.m_iconEntry.cy);
        EXPECT_EQ(5, button.m_ptIconMargin.x);
        EXPECT_FALSE(HasPendingRepaint(h));
    }
    DeleteObject(bmp);
    DestroyIcon(icon);
}

TEST_F(SkinButtonModelTest, IconInformationBitmapsAreFreed) {
    TestButton button;
    HICON a = MakeSolidIcon(16, kRed);
    HICON b = MakeSolidIcon(32, kRed);
    const int before = CountLiveGdiObjects();
    for (int i = 0; i < 200; ++i) {
        button.SetSkinIcon(a);
        button.SetSkinIcon(b);
    }
    EXPECT_EQ(before, CountLiveGdiObjects());
    button.SetSkinIcon(nullptr);
    DestroyIcon(a);
    DestroyIcon(b);
}

}  // namespace
