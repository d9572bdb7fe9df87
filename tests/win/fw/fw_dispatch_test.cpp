// The framework layer against real USER: subclassing from creation on,
// handler dispatch, reflection, command routing and the modal loop.
#include <gtest/gtest.h>

#include "app/resource.h"
#include "fw/fw.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

class ProbeButton : public CButton {
public:
    int ctlColorCalls = 0;
    int drawItemCalls = 0;
    std::vector<UINT> pretranslated;
    HBRUSH CtlColor(CDC*, UINT) override { ++ctlColorCalls; return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)); }
    void DrawItem(LPDRAWITEMSTRUCT) override { ++drawItemCalls; }
    BOOL PreTranslateMessage(MSG* m) override { pretranslated.push_back(m->message); return FALSE; }
};

class ProbeDialog : public CDialog {
public:
    ProbeDialog() : CDialog(IDD_VOLMARK_DIALOG) {}
    std::vector<std::string> seen;
    ProbeButton button;
    CComboBox combo;
    int connectClicks = 0;
    int selChanges = 0;
    std::vector<UINT> pretranslated;
    bool quitFromInit = false;
    bool endFromInit = false;
    bool keyToButtonFromInit = false;

    int OnCreate(LPCREATESTRUCT cs) override { seen.push_back("create"); return CDialog::OnCreate(cs); }
    void OnNcCalcSize(BOOL v, NCCALCSIZE_PARAMS* p) override {
        if (seen.empty() || seen.back() != "nccalcsize") seen.push_back("nccalcsize");
        CDialog::OnNcCalcSize(v, p);
    }
    void DoDataExchange(CDataExchange* dx) override {
        DDX_Control(dx, IDC_DRIVE_COMBO, combo);
        DDX_Control(dx, IDOK, button);
    }
    BOOL OnInitDialog() override {
        seen.push_back("initdialog");
        CDialog::OnInitDialog();
        if (quitFromInit) ::PostQuitMessage(18);
        if (keyToButtonFromInit) ::PostMessageW(button.m_hWnd, WM_KEYDOWN, 'A', 0);
        if (endFromInit) ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return TRUE;
    }
    BOOL OnCmdMsg(UINT id, int code) override {
        if (id == IDOK && code == BN_CLICKED) { ++connectClicks; return TRUE; }
        if (id == IDC_DRIVE_COMBO && code == CBN_SELCHANGE) { ++selChanges; return TRUE; }
        return CDialog::OnCmdMsg(id, code);
    }
    BOOL PreTranslateMessage(MSG* m) override { pretranslated.push_back(m->message); return CDialog::PreTranslateMessage(m); }
};

std::wstring TextOf(HWND h) {
    wchar_t buf[256] = {};
    GetWindowTextW(h, buf, 256);
    return buf;
}

TEST(Framework, SubclassesTheDialogBeforeItsFirstMessages) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Create());
    ASSERT_GE(dlg.seen.size(), 3u);
    EXPECT_EQ(dlg.seen.front(), "nccalcsize");
    EXPECT_NE(std::find(dlg.seen.begin(), dlg.seen.end(), "create"), dlg.seen.end());
    EXPECT_EQ(dlg.seen.back(), "initdialog");
    EXPECT_EQ(CWnd::FromHandlePermanent(dlg.m_hWnd), &dlg);
    EXPECT_EQ(dlg.button.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDOK));
    EXPECT_EQ(dlg.combo.m_hWnd, ::GetDlgItem(dlg.m_hWnd, IDC_DRIVE_COMBO));
    dlg.DestroyWindow();
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    EXPECT_EQ(dlg.button.m_hWnd, nullptr);
}

TEST(Framework, TemplateCarriesTheKoreanTextsAndStyles) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Create());
    EXPECT_EQ(TextOf(dlg.m_hWnd), L"Kelvask");
    EXPECT_EQ(TextOf(::GetDlgItem(dlg.m_hWnd, IDOK)), L"\uC5F0\uACB0");
    HWND label = ::GetWindow(::GetDlgItem(dlg.m_hWnd, IDC_DRIVE_COMBO), GW_HWNDNEXT);
    EXPECT_EQ(TextOf(label), L"\uB9E4\uD551 \uB4DC\uB77C\uC774\uBE0C\uBA85 :");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(::GetDlgItem(dlg.m_hWnd, IDC_DRIVE_COMBO), GWL_STYLE)) & 0xFFFF, 0x0103u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(dlg.m_hWnd, GWL_EXSTYLE)) & WS_EX_APPWINDOW, DWORD(WS_EX_APPWINDOW));
    EXPECT_EQ(AfxLoadString(IDS_SOCKET_INIT_FAILED),
              CString(L"Windows \uC18C\uCF13\uC744 \uCD08\uAE30\uD654\uD558\uC9C0 \uBABB\uD588\uC2B5\uB2C8\uB2E4."));
    dlg.DestroyWindow();
}

TEST(Framework, ReflectsControlColourAndOwnerDrawToTheControlObject) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Create());
    HDC dc = GetDC(dlg.m_hWnd);
    LRESULT brush = SendMessageW(dlg.m_hWnd, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(dlg.button.m_hWnd));
    EXPECT_EQ(dlg.button.ctlColorCalls, 1);
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)));
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = IDOK;
    dis.hwndItem = dlg.button.m_hWnd;
    dis.hDC = dc;
    EXPECT_EQ(SendMessageW(dlg.m_hWnd, WM_DRAWITEM, IDOK, reinterpret_cast<LPARAM>(&dis)), TRUE);
    EXPECT_EQ(dlg.button.drawItemCalls, 1);
    ReleaseDC(dlg.m_hWnd, dc);
    dlg.DestroyWindow();
}

TEST(Framework, RoutesCommandsByIdAndCode) {
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Create());
    SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(dlg.button.m_hWnd));
    SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_DRIVE_COMBO, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(dlg.combo.m_hWnd));
    EXPECT_EQ(dlg.connectClicks, 1);
    EXPECT_EQ(dlg.selChanges, 1);
    dlg.DestroyWindow();
}

TEST(Framework, HelpCommandReachesTheApplicationAndNothingElseDoes) {
    struct HelpApp : CWinApp {
        int help = 0;
        BOOL OnCmdMsg(UINT id, int code) override {
            BOOL handled = CWinApp::OnCmdMsg(id, code);
            if (handled) ++help;
            return handled;
        }
    } app;
    ProbeDialog dlg;
    ASSERT_TRUE(dlg.Create());
    SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(0xE146, 0), 0);
    SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(0xE147, 0), 0);
    EXPECT_EQ(app.help, 1);
    EXPECT_TRUE(IsWindow(dlg.m_hWnd));
    dlg.DestroyWindow();
}

TEST(Framework, ModalLoopEndsOnQuitAndRecordsItsCode) {
    AfxQuitState() = FwQuitState{};
    ProbeDialog dlg;
    dlg.quitFromInit = true;
    dlg.DoModal();
    EXPECT_TRUE(AfxQuitState().quitSeen);
    EXPECT_EQ(AfxQuitState().quitCode, 18u);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
    // The loop leaves the request pending for outer loops; take it away.
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {}
    AfxQuitState() = FwQuitState{};
}

TEST(Framework, ModalLoopEndsOnCloseWithoutAQuit) {
    AfxQuitState() = FwQuitState{};
    ProbeDialog dlg;
    dlg.endFromInit = true;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_FALSE(AfxQuitState().quitSeen);
    CWinApp app;
    EXPECT_EQ(app.ExitInstance(), 0);
}

TEST(Framework, ModalLoopOffersInputToTheControlThenTheDialog) {
    AfxQuitState() = FwQuitState{};
    ProbeDialog dlg;
    dlg.keyToButtonFromInit = true;
    dlg.endFromInit = true;
    dlg.DoModal();
    ASSERT_FALSE(dlg.button.pretranslated.empty());
    EXPECT_EQ(dlg.button.pretranslated.front(), UINT(WM_KEYDOWN));
    EXPECT_NE(std::find(dlg.pretranslated.begin(), dlg.pretranslated.end(), UINT(WM_KEYDOWN)), dlg.pretranslated.end());
    // The dialog's own messages are not offered to the button.
    EXPECT_EQ(std::count(dlg.button.pretranslated.begin(), dlg.button.pretranslated.end(), UINT(WM_CLOSE)), 0);
}

}  // namespace
