#include "dialog/VolmarkDlg.h"

#include <cstring>

#include "app/resource.h"
#include "dialog/connect_logic.h"
#include "dialog/connection_request.h"
#include "dialog/network_win.h"
#include "skinstore/Global.h"

namespace {

// The label's text background: a fixed white, whatever the skin says.
constexpr COLORREF kLabelBackground = 0xFFFFFF;
// Where the Connect button sits: this far from the client area's right and
// bottom edges.
constexpr int kButtonRightGap = 5;
constexpr int kButtonBottomGap = 2;

std::u16string U16(const CString& s) { return s.ToU16(); }

// Writes a secret into a string without leaving a copy behind in a
// temporary; the old value is overwritten first.
void AssignSecret(CString& target, std::u16string_view value) {
    target.SecureEmpty();
    if (value.empty()) return;
    const int n = static_cast<int>(value.size());
    wchar_t* buffer = target.GetBuffer(n);
    std::memcpy(buffer, value.data(), value.size() * sizeof(wchar_t));
    target.ReleaseBuffer(n);
}

void Wipe(std::u16string& s) {
    if (!s.empty()) SecureZeroMemory(&s[0], s.size() * sizeof(char16_t));
    s.clear();
}

}  // namespace

CVolmarkDlg::CVolmarkDlg()
    : CSkinDialog(),
      m_hIcon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_bInitDone(FALSE) {}

CVolmarkDlg::~CVolmarkDlg() { m_strPassword.SecureEmpty(); }

void CVolmarkDlg::DoDataExchange(CDataExchange* pDX) {
    CSkinDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_DRIVE_COMBO, m_comboDrive);
    DDX_Control(pDX, IDOK, m_btnConnect);
}

BOOL CVolmarkDlg::OnInitDialog() {
    CSkinDialog::OnInitDialog();

    if (!m_bInitDone) {
        m_bInitDone = TRUE;
        m_btnConnect.SetSkinBitmap(g_skin.m_bitmaps[SKIN_BTN_BASE].hBitmap, g_skin.m_clrTransparent);
        m_btnConnect.SetSkinIcon(g_skin.m_icons[SKIN_ICON_CONNECT][SKIN_ICON_16]);
        m_btnConnect.InvalidateRect(nullptr, TRUE);
        PlaceConnectButton();
    }

    // A second initialisation lists the letters free now, not those of the
    // first one as well.
    m_comboDrive.SendMessage(CB_RESETCONTENT);
    for (const std::u16string& letter : vm::FreeDriveLetters(::GetLogicalDrives())) {
        m_comboDrive.AddString(CString::FromU16(letter));
    }

    if (CWnd* connect = GetDlgItem(IDOK)) connect->EnableWindow(FALSE);
    return TRUE;
}

void CVolmarkDlg::PlaceConnectButton() {
    CWnd* button = GetDlgItem(IDOK);
    if (!button) return;
    const SkinBitmap& base = g_skin.m_bitmaps[SKIN_BTN_BASE];
    // Without its bitmap the button would shrink to nothing and could not be
    // clicked: it keeps the template's place and size then.
    if (base.hBitmap && base.bm.bmWidth > 0 && base.bm.bmHeight > 0) {
        RECT client{};
        GetClientRect(&client);
        const int w = base.bm.bmWidth;
        const int h = base.bm.bmHeight;
        button->MoveWindow(client.right - w - kButtonRightGap, client.bottom - h - kButtonBottomGap, w, h, TRUE);
    }
    button->InvalidateRect(nullptr, TRUE);
}

BOOL CVolmarkDlg::OnCmdMsg(UINT id, int code) {
    // Ahead of the base's IDOK entry: Connect never ends the dialog.
    if (id == IDOK && code == BN_CLICKED) {
        OnConnect();
        return TRUE;
    }
    if (id == IDC_DRIVE_COMBO && code == CBN_SELCHANGE) {
        OnSelChangeDrive();
        return TRUE;
    }
    return CSkinDialog::OnCmdMsg(id, code);
}

void CVolmarkDlg::OnSelChangeDrive() {
    if (CWnd* connect = GetDlgItem(IDOK)) connect->EnableWindow(TRUE);
}

void CVolmarkDlg::OnConnect() {
    vm::ConnectInput input;
    const int index = m_comboDrive.GetCurSel();
    CString local;
    input.hasSelection = index != CB_ERR && m_comboDrive.GetLBText(index, local) && !local.IsEmpty();
    input.localName = U16(local);
    input.host = U16(m_strHost);
    input.user = U16(m_strUser);
    input.password = U16(m_strPassword);

    CWin32ConnectPlatform platform;
    std::u16string drive = U16(m_strDrive);
    if (vm::RunConnect(input, platform, drive) == vm::ConnectOutcome::Mapped) {
        m_strDrive = CString::FromU16(drive);
    }
    Wipe(input.password);
}

void CVolmarkDlg::OnPaint() { CSkinDialog::OnPaint(); }

HCURSOR CVolmarkDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

HBRUSH CVolmarkDlg::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor) {
    HBRUSH hbr = CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
    if (pWnd && pWnd->IsKindOf<CButton>()) hbr = static_cast<HBRUSH>(m_brBackground);
    if (pWnd && pDC && pWnd->GetDlgCtrlID() == IDC_STATIC_LABEL) pDC->SetBkColor(kLabelBackground);
    return hbr;
}

BOOL CVolmarkDlg::OnCopyData(CWnd* /*pWnd*/, COPYDATASTRUCT* pCopyDataStruct) {
    if (pCopyDataStruct) {
        char16_t buffer[vm::kRequestBufferUnits];
        std::size_t length = 0;
        if (vm::CopyConnectionRequest(pCopyDataStruct->dwData, pCopyDataStruct->cbData, pCopyDataStruct->lpData,
                                      buffer, &length) == vm::RequestCopy::Copied) {
            CString text(reinterpret_cast<const wchar_t*>(buffer), static_cast<int>(length));
            ParseConnectionRequest(this, text);
            text.SecureEmpty();
        }
        SecureZeroMemory(buffer, sizeof(buffer));
    }
    return static_cast<BOOL>(Default());
}

void ParseConnectionRequest(CVolmarkDlg* pDlg, CString strText) {
    if (!pDlg) {
        strText.SecureEmpty();
        return;
    }
    const std::u16string_view text(reinterpret_cast<const char16_t*>(strText.GetString()),
                                   static_cast<size_t>(strText.GetLength()));
    const vm::RequestFields fields = vm::SplitConnectionRequest(text);
    pDlg->m_strUser = CString(reinterpret_cast<const wchar_t*>(fields.user.data()),
                              static_cast<int>(fields.user.size()));
    AssignSecret(pDlg->m_strPassword, fields.password);
    pDlg->m_strHost = CString(reinterpret_cast<const wchar_t*>(fields.host.data()),
                              static_cast<int>(fields.host.size()));
    strText.SecureEmpty();
}
