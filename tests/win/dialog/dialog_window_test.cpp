// CVolmarkDlg in this process, on a fixture skin whose btn_base bitmap has
// a size of its own and whose background is not white, so that placement and
// colours show.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dialog/VolmarkDlg.h"
#include "dialog_test_util.h"
#include "skinstore/Global.h"
#include "wintest_util.h"

namespace {

constexpr int kBaseWidth = 61;
constexpr int kBaseHeight = 23;
constexpr COLORREF kBackground = RGB(0xC0, 0xFF, 0xC0);

class VolmarkDlgTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = MakeTempDir();
        ASSERT_FALSE(m_dir.empty());
        ASSERT_TRUE(CreateDirectoryW((m_dir + L"\\skin").c_str(), nullptr));
        ASSERT_TRUE(WriteSolidBmp(m_dir + L"\\skin\\btn_base.bmp", kBaseWidth, kBaseHeight, RGB(0, 0, 200)));
        g_skin.LoadSkinBitmapsFrom(CString(m_dir.c_str()));
        g_skin.LoadSkinIconsFrom(CString(m_dir.c_str()));
        g_skin.m_clrTransparent = RGB(0xFF, 0, 0xFF);
        g_skin.m_clrBackground = kBackground;
        g_skin.m_clrCaptionTextActive = RGB(0xFF, 0xFF, 0xFF);
        g_skin.m_clrCaptionTextInactive = RGB(0x64, 0x64, 0x64);
    }

    void TearDown() override {
        if (m_dlg && m_dlg->m_hWnd) m_dlg->DestroyWindow();
        m_dlg.reset();
        g_skin.ReleaseSkinBitmaps();
        g_skin.ReleaseSkinIcons();
        RemoveTree(m_dir);
    }

    void Open() {
        m_dlg = std::make_unique<CVolmarkDlg>();
        ASSERT_TRUE(m_dlg->Create());
        m_hwnd = m_dlg->m_hWnd;
        m_button = GetDlgItem(m_hwnd, IDOK);
        m_combo = GetDlgItem(m_hwnd, 1000);
        m_label = GetDlgItem(m_hwnd, -1);
        ASSERT_NE(m_button, nullptr);
        ASSERT_NE(m_combo, nullptr);
    }

    RECT ButtonInClient() const {
        RECT r{};
        GetWindowRect(m_button, &r);
        MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    LRESULT CopyData(ULONG_PTR type, const std::wstring& payload, DWORD cbData) {
        // A block of exactly cbData bytes (at least one), as a sender would pass.
        std::vector<unsigned char> block(cbData ? cbData : 1, 0xAB);
        memcpy(block.data(), payload.data(), std::min<size_t>(cbData, payload.size() * sizeof(wchar_t)));
        COPYDATASTRUCT cds{type, cbData, cbData ? block.data() : nullptr};
        return SendMessageW(m_hwnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
    }

    std::wstring m_dir;
    std::unique_ptr<CVolmarkDlg> m_dlg;
    HWND m_hwnd = nullptr, m_button = nullptr, m_combo = nullptr, m_label = nullptr;
};

TEST_F(VolmarkDlgTest, ConnectButtonTakesTheBitmapSizeAtTheBottomRight) {
    Open();
    RECT client{};
    GetClientRect(m_hwnd, &client);
    const RECT r = ButtonInClient();
    EXPECT_EQ(r.right - r.left, kBaseWidth);
    EXPECT_EQ(r.bottom - r.top, kBaseHeight);
    EXPECT_EQ(client.right - r.right, 5);
    EXPECT_EQ(client.bottom - r.bottom, 2);
}

TEST_F(VolmarkDlgTest, WithoutTheBitmapTheButtonKeepsTheTemplatePlace) {
    g_skin.ReleaseSkinBitmaps();
    Open();
    // The dialog manager converts position and size each on its own.
    RECT origin{74, 51, 50, 14};
    MapDialogRect(m_hwnd, &origin);
    const RECT expected{origin.left, origin.top, origin.left + origin.right, origin.top + origin.bottom};
    const RECT r = ButtonInClient();
    EXPECT_EQ(r.left, expected.left);
    EXPECT_EQ(r.top, expected.top);
    EXPECT_EQ(r.right, expected.right);
    EXPECT_EQ(r.bottom, expected.bottom);
    EXPECT_GT(r.right - r.left, 0);
}

TEST_F(VolmarkDlgTest, ListsTheFreeLettersAndEnablesConnectOnSelection) {
    Open();
    EXPECT_EQ(ComboItems(m_combo), ExpectedFreeLetters());
    EXPECT_EQ(SendMessageW(m_combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_FALSE(IsWindowEnabled(m_button));
    SendMessageW(m_combo, CB_SETCURSEL, 0, 0);
    SendMessageW(m_hwnd, WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE), reinterpret_cast<LPARAM>(m_combo));
    EXPECT_TRUE(IsWindowEnabled(m_button));
}

TEST_F(VolmarkDlgTest, SecondInitialisationListsEachLetterOnceAndKeepsTheButton) {
    Open();
    const RECT before = ButtonInClient();
    SendMessageW(m_hwnd, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(ComboItems(m_combo), ExpectedFreeLetters());
    const RECT after = ButtonInClient();
    EXPECT_TRUE(EqualRect(&before, &after));
    EXPECT_FALSE(IsWindowEnabled(m_button));
}

struct CopyStep {
    const char* what;
    ULONG_PTR type;
    std::wstring payload;  // NULs inside allowed
    int cbData;            // -1: 2 x (characters + 1)
    std::wstring user, password, host;
};

TEST_F(VolmarkDlgTest, RequestsReplaceTheValuesAndOthersLeaveThem) {
    Open();
    // Applied in order to one dialog: each row's values are what the members
    // hold after it.
    const std::wstring k511(511, L'u');
    const CopyStep steps[] = {
        {"request", 1004, L"kim#pa55#fileserver", -1, L"kim", L"pa55", L"fileserver"},
        {"other type", 1005, L"lee#x#y", -1, L"kim", L"pa55", L"fileserver"},
        {"second request replaces all", 1004, L"lee", -1, L"lee", L"", L""},
        {"no terminator counted", 1004, L"kim#pa55#fileserver", 38, L"kim", L"pa55", L"fileserve"},
        {"odd count", 1004, L"kim#pa55#fileserver", 41, L"kim", L"pa55", L"fileserver"},
        {"empty password shifts", 1004, L"kim##fileserver", -1, L"kim", L"fileserver", L""},
        {"embedded NUL", 1004, std::wstring(L"a#b\0#c", 6), 14, L"a", L"b", L""},
        {"511 units", 1004, k511, -1, k511, L"", L""},
        {"over 511 is cut", 1004, std::wstring(509, L'v') + L"#pw#host", -1, std::wstring(509, L'v'), L"p", L""},
        {"zero type", 0, L"a#b#c", -1, std::wstring(509, L'v'), L"p", L""},
        {"count of two", 1004, L"a#b#c", 2, L"", L"", L""},
        {"refill", 1004, L"kim#pa55#fileserver", -1, L"kim", L"pa55", L"fileserver"},
        {"count of zero", 1004, L"", 0, L"", L"", L""},
    };
    for (const CopyStep& s : steps) {
        const DWORD cb = s.cbData < 0 ? static_cast<DWORD>((s.payload.size() + 1) * sizeof(wchar_t))
                                      : static_cast<DWORD>(s.cbData);
        std::wstring withNul = s.payload + L'\0';
        // The answer is the default processing's, whatever the message held.
        EXPECT_EQ(CopyData(s.type, withNul, cb), 0) << s.what;
        EXPECT_EQ(m_dlg->m_strUser.str(), s.user) << s.what;
        EXPECT_EQ(m_dlg->m_strPassword.str(), s.password) << s.what;
        EXPECT_EQ(m_dlg->m_strHost.str(), s.host) << s.what;
    }
}

TEST_F(VolmarkDlgTest, LabelGetsAWhiteTextBackgroundAndTheButtonTheSkinBrush) {
    Open();
    ASSERT_NE(m_label, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    SetBkColor(dc, RGB(1, 2, 3));
    SendMessageW(m_hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_label));
    EXPECT_EQ(GetBkColor(dc), RGB(0xFF, 0xFF, 0xFF));

    SetBkColor(dc, RGB(1, 2, 3));
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(m_hwnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(m_button)));
    LOGBRUSH lb{};
    ASSERT_EQ(GetObjectW(brush, sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
    EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(lb.lbColor, kBackground);
    EXPECT_NE(GetBkColor(dc), RGB(0xFF, 0xFF, 0xFF));  // only the label gets the white
    DeleteDC(dc);
}

TEST_F(VolmarkDlgTest, ClientAreaIsTheSkinBackgroundAndTheDragIconIsTheProgramIcon) {
    Open();
    UpdateWindow(m_hwnd);
    PumpMessages(100);
    const WindowImage img = CaptureWindow(m_hwnd);
    ASSERT_FALSE(img.empty());
    RECT wr{};
    GetWindowRect(m_hwnd, &wr);
    POINT origin{0, 0};
    ClientToScreen(m_hwnd, &origin);
    // A client pixel that no control covers: the left edge, half-way down.
    RECT client{};
    GetClientRect(m_hwnd, &client);
    EXPECT_EQ(img.at(origin.x - wr.left + 2, origin.y - wr.top + client.bottom / 2), kBackground);

    const LRESULT icon = SendMessageW(m_hwnd, WM_QUERYDRAGICON, 0, 0);
    EXPECT_NE(icon, 0);
    EXPECT_EQ(reinterpret_cast<HICON>(icon), m_dlg->m_hIcon);
}

}  // namespace
