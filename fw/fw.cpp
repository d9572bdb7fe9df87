#include "fw/fw.h"

#include <winsock2.h>

#include <unordered_map>

namespace {

// One UI thread: plain maps, no locks. Heap-allocated and never freed, so
// that no static destructor can run before a window object's destructor.
std::unordered_map<HWND, CWnd*>& PermanentMap() {
    static auto* map = new std::unordered_map<HWND, CWnd*>();
    return *map;
}

std::unordered_map<HWND, std::unique_ptr<CWnd>>& TemporaryMap() {
    static auto* map = new std::unordered_map<HWND, std::unique_ptr<CWnd>>();
    return *map;
}

// The object that the next window created on this thread belongs to.
CWnd* g_pWndInit = nullptr;
HHOOK g_hCreateHook = nullptr;

CWinApp* g_pApp = nullptr;
FwQuitState g_quitState;

CString ModuleBaseName() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (n < path.size()) { path.resize(n); break; }
        path.resize(path.size() * 2);
    }
    size_t slash = path.find_last_of(L"\\/");
    std::wstring base = slash == std::wstring::npos ? path : path.substr(slash + 1);
    size_t dot = base.rfind(L'.');
    if (dot != std::wstring::npos) base.resize(dot);
    return CString(base);
}

}  // namespace

// ---------------------------------------------------------------- CWnd

LRESULT CALLBACK FwCreateHook(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND && g_pWndInit) {
        CWnd* wnd = g_pWndInit;
        g_pWndInit = nullptr;
        // Subclass before WM_NCCREATE, so that the object sees WM_NCCALCSIZE
        // and WM_CREATE of its own window.
        HWND h = reinterpret_cast<HWND>(wp);
        auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FwWndProc)));
        wnd->Attach(h, previous);
    }
    return CallNextHookEx(g_hCreateHook, code, wp, lp);
}

LRESULT CALLBACK FwWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    CWnd* wnd = CWnd::FromHandlePermanent(h);
    if (!wnd) return DefWindowProcW(h, msg, wp, lp);
    CWnd::CurrentMsg saved = wnd->m_current;
    wnd->m_current = {msg, wp, lp};
    LRESULT r = wnd->WindowProc(msg, wp, lp);
    wnd->m_current = saved;
    if (msg == WM_NCDESTROY) {
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    return r;
}

CWnd::~CWnd() {
    if (m_hWnd && !m_bTemporary) UnsubclassWindow();
}

void CWnd::Attach(HWND h, WNDPROC previous) {
    m_hWnd = h;
    m_pfnSuper = previous;
    PermanentMap()[h] = this;
    TemporaryMap().erase(h);
}

void CWnd::Detach() {
    if (!m_hWnd) return;
    if (m_pfnSuper && IsWindow(m_hWnd) &&
        reinterpret_cast<WNDPROC>(GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == FwWndProc) {
        SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    auto it = PermanentMap().find(m_hWnd);
    if (it != PermanentMap().end() && it->second == this) PermanentMap().erase(it);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND h) {
    if (!h) return nullptr;
    auto it = PermanentMap().find(h);
    return it == PermanentMap().end() ? nullptr : it->second;
}

CWnd* CWnd::FromHandle(HWND h) {
    if (!h) return nullptr;
    if (CWnd* w = FromHandlePermanent(h)) return w;
    auto& temps = TemporaryMap();
    auto it = temps.find(h);
    if (it != temps.end()) return it->second.get();
    // Borrowed wrappers only hold a handle; forget those of dead windows
    // now and then so the map stays small.
    if (temps.size() >= 64) {
        for (auto t = temps.begin(); t != temps.end();) t = IsWindow(t->first) ? std::next(t) : temps.erase(t);
    }
    auto wnd = std::make_unique<CWnd>();
    wnd->m_hWnd = h;
    wnd->m_bTemporary = true;
    CWnd* raw = wnd.get();
    temps.emplace(h, std::move(wnd));
    return raw;
}

BOOL CWnd::SubclassWindow(HWND h) {
    if (m_hWnd || !h || FromHandlePermanent(h)) return FALSE;
    m_hWnd = h;
    PermanentMap()[h] = this;
    TemporaryMap().erase(h);
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FwWndProc)));
    return m_pfnSuper != nullptr;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    return parent ? SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id))) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    HWND h = m_hWnd;
    Detach();
    return h;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = 0;
    if (!OnWndMsg(msg, wp, lp, &r)) r = DefWindowProc(msg, wp, lp);
    return r;
}

LRESULT CWnd::Default() {
    m_lastDefault = DefWindowProc(m_current.msg, m_current.wp, m_current.lp);
    return m_lastDefault;
}

LRESULT CWnd::DefWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (m_pfnSuper) return CallWindowProcW(m_pfnSuper, m_hWnd, msg, wp, lp);
    return ::DefWindowProcW(m_hWnd, msg, wp, lp);
}

BOOL CWnd::ReflectMsg(HWND child, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    CWnd* wnd = FromHandlePermanent(child);
    return wnd ? wnd->OnChildNotify(msg, wp, lp, result) : FALSE;
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

BOOL CWnd::OnCmdMsg(UINT, int) { return FALSE; }

BOOL CWnd::OnCommand(WPARAM wp, LPARAM lp) {
    HWND control = reinterpret_cast<HWND>(lp);
    if (control && control != m_hWnd) {
        LRESULT r = 0;
        if (ReflectMsg(control, WM_COMMAND, wp, lp, &r)) return TRUE;
    }
    return OnCmdMsg(LOWORD(wp), HIWORD(wp));
}

BOOL CWnd::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    // Handlers without a result of their own answer what their Default() gave.
    m_lastDefault = 0;
    switch (msg) {
    case WM_COMMAND:
        if (!OnCommand(wp, lp)) return FALSE;
        *result = 0;
        return TRUE;
    case WM_CREATE:
        *result = OnCreate(reinterpret_cast<LPCREATESTRUCT>(lp));
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        break;
    case WM_SIZE:
        OnSize(static_cast<UINT>(wp), static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        break;
    case WM_NCPAINT:
        OnNcPaint();
        break;
    case WM_NCACTIVATE:
        *result = OnNcActivate(static_cast<BOOL>(wp));
        return TRUE;
    case WM_NCCALCSIZE:
        OnNcCalcSize(static_cast<BOOL>(wp), reinterpret_cast<NCCALCSIZE_PARAMS*>(lp));
        break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        *result = reinterpret_cast<LRESULT>(OnCtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wp)),
                                                       FromHandle(reinterpret_cast<HWND>(lp)),
                                                       msg - WM_CTLCOLORMSGBOX));
        return TRUE;
    case WM_DRAWITEM: {
        auto* dis = reinterpret_cast<LPDRAWITEMSTRUCT>(lp);
        if (dis && dis->CtlType != ODT_MENU && ReflectMsg(dis->hwndItem, msg, wp, lp, result)) {
            *result = TRUE;
            return TRUE;
        }
        return FALSE;
    }
    case WM_GETMINMAXINFO:
        OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lp));
        break;
    case WM_SETCURSOR:
        *result = OnSetCursor(FromHandle(reinterpret_cast<HWND>(wp)), LOWORD(lp), HIWORD(lp));
        return TRUE;
    case WM_ENTERSIZEMOVE:
        *result = OnEnterSizeMove(wp, lp);
        return TRUE;
    case WM_EXITSIZEMOVE:
        *result = OnExitSizeMove(wp, lp);
        return TRUE;
    case WM_ACTIVATE:
        OnActivate(LOWORD(wp), FromHandle(reinterpret_cast<HWND>(lp)), HIWORD(wp));
        break;
    case WM_PAINT:
        OnPaint();
        break;
    case WM_QUERYDRAGICON:
        *result = reinterpret_cast<LRESULT>(OnQueryDragIcon());
        return TRUE;
    case WM_COPYDATA:
        *result = OnCopyData(FromHandle(reinterpret_cast<HWND>(wp)), reinterpret_cast<COPYDATASTRUCT*>(lp));
        return TRUE;
    case WM_SYSCOLORCHANGE:
        OnSysColorChange();
        break;
    case WM_GETDLGCODE:
        *result = OnGetDlgCode();
        return TRUE;
    default:
        return FALSE;
    }
    *result = m_lastDefault;
    return TRUE;
}

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnNcPaint() { Default(); }
BOOL CWnd::OnNcActivate(BOOL) { return static_cast<BOOL>(Default()); }
void CWnd::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*) { Default(); }
void CWnd::OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
LRESULT CWnd::OnEnterSizeMove(WPARAM, LPARAM) { return Default(); }
LRESULT CWnd::OnExitSizeMove(WPARAM, LPARAM) { return Default(); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnPaint() { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
BOOL CWnd::OnCopyData(CWnd*, COPYDATASTRUCT*) { return static_cast<BOOL>(Default()); }
void CWnd::OnSysColorChange() { Default(); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }

HBRUSH CWnd::OnCtlColor(CDC*, CWnd* wnd, UINT) {
    // The control may answer for itself (reflection); otherwise the default.
    LRESULT r = 0;
    if (wnd && wnd->m_hWnd != m_hWnd && ReflectMsg(wnd->m_hWnd, m_current.msg, m_current.wp, m_current.lp, &r)) {
        return reinterpret_cast<HBRUSH>(r);
    }
    return reinterpret_cast<HBRUSH>(Default());
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    DWORD style = GetStyle();
    DWORD changed = (style & ~remove) | add;
    if (changed == style) return FALSE;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(changed));
    if (swpFlags) {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    }
    return TRUE;
}

void CWnd::GetWindowText(CString& out) const {
    int n = ::GetWindowTextLengthW(m_hWnd);
    if (n <= 0) { out.Empty(); return; }
    wchar_t* buf = out.GetBuffer(n + 1);
    int got = ::GetWindowTextW(m_hWnd, buf, n + 1);
    out.ReleaseBuffer(got < 0 ? 0 : got);
}

CWnd* CWnd::GetTopLevelParent() const {
    return FromHandle(::GetAncestor(m_hWnd, GA_ROOT));
}

void CWnd::ActivateTopParent() {
    HWND foreground = ::GetForegroundWindow();
    if (foreground == m_hWnd || (foreground && ::IsChild(foreground, m_hWnd))) return;
    HWND top = ::GetAncestor(m_hWnd, GA_ROOTOWNER);
    ::SetForegroundWindow(top ? top : m_hWnd);
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

// ---------------------------------------------------------------- controls

BOOL CButton::OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    switch (msg) {
    case WM_DRAWITEM:
        DrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lp));
        *result = TRUE;
        return TRUE;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        if (HBRUSH brush = CtlColor(CDC::FromHandle(reinterpret_cast<HDC>(wp)), msg - WM_CTLCOLORMSGBOX)) {
            *result = reinterpret_cast<LRESULT>(brush);
            return TRUE;
        }
        return FALSE;
    default:
        return CWnd::OnChildNotify(msg, wp, lp, result);
    }
}

BOOL CComboBox::GetLBText(int index, CString& out) const {
    out.Empty();
    if (index < 0) return FALSE;
    LRESULT n = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (n == CB_ERR) return FALSE;
    wchar_t* buf = out.GetBuffer(static_cast<int>(n) + 1);
    LRESULT got = SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf));
    out.ReleaseBuffer(got == CB_ERR ? 0 : static_cast<int>(got));
    return got != CB_ERR;
}

// ---------------------------------------------------------------- dialogs

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd || !dx || !dx->m_pDlgWnd) return;
    HWND h = ::GetDlgItem(dx->m_pDlgWnd->m_hWnd, id);
    if (h) control.SubclassWindow(h);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

INT_PTR CALLBACK CDialog::DialogProc(HWND h, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        if (auto* dlg = dynamic_cast<CDialog*>(FromHandlePermanent(h))) return dlg->OnInitDialog();
        return TRUE;
    }
    return FALSE;
}

BOOL CDialog::CreateIndirect(HWND parent) {
    HINSTANCE inst = AfxGetResourceHandle();
    HRSRC res = FindResourceW(inst, MAKEINTRESOURCEW(m_nIDTemplate), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    if (!res) return FALSE;
    auto* tmpl = static_cast<LPCDLGTEMPLATEW>(LockResource(LoadResource(inst, res)));
    if (!tmpl) return FALSE;
    g_pWndInit = this;
    g_hCreateHook = SetWindowsHookExW(WH_CBT, FwCreateHook, nullptr, GetCurrentThreadId());
    HWND h = CreateDialogIndirectParamW(inst, tmpl, parent, DialogProc, 0);
    UnhookWindowsHookEx(g_hCreateHook);
    g_hCreateHook = nullptr;
    g_pWndInit = nullptr;
    return h != nullptr && m_hWnd == h;
}

BOOL CDialog::Create(HWND parent) {
    m_bContinueModal = false;
    return CreateIndirect(parent);
}

BOOL CDialog::PumpMessage() {
    MSG msg;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
        g_quitState.quitSeen = true;
        g_quitState.quitCode = msg.wParam;
        // Leave the request pending for any loop around this one.
        PostQuitMessage(static_cast<int>(msg.wParam));
        return FALSE;
    }
    if (got == -1) return FALSE;

    // Offer the message to each of our objects from its window up to the
    // dialog; a message for any other window goes to the dialog last.
    bool inside = false;
    for (HWND h = msg.hwnd; h; h = ::GetParent(h)) {
        if (CWnd* w = FromHandlePermanent(h)) {
            if (w->PreTranslateMessage(&msg)) return TRUE;
        }
        if (h == m_hWnd) { inside = true; break; }
    }
    if (!inside && PreTranslateMessage(&msg)) return TRUE;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return TRUE;
}

INT_PTR CDialog::DoModal() {
    HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    bool reenable = parent && ::IsWindowEnabled(parent);
    if (reenable) ::EnableWindow(parent, FALSE);

    m_nModalResult = -1;
    m_bContinueModal = true;
    if (CreateIndirect(parent)) {
        while (m_bContinueModal && m_hWnd) {
            if (!PumpMessage()) break;
        }
        m_bContinueModal = false;
        if (m_hWnd) {
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
            ::DestroyWindow(m_hWnd);
        }
    }
    if (reenable) {
        ::EnableWindow(parent, TRUE);
        ::SetActiveWindow(parent);
    }
    return m_nModalResult;
}

BOOL CDialog::UpdateData(BOOL save) {
    CDataExchange dx(this, save);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    m_bContinueModal = false;
    if (m_hWnd) ::EndDialog(m_hWnd, result);
}

BOOL CDialog::PreTranslateMessage(MSG* msg) {
    // Only input goes to the dialog manager (Tab, arrows, mnemonics).
    UINT m = msg->message;
    if ((m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST)) {
        return m_hWnd && ::IsDialogMessageW(m_hWnd, msg);
    }
    return FALSE;
}

BOOL CDialog::OnCmdMsg(UINT id, int code) {
    if (code == BN_CLICKED) {
        if (id == IDOK) { OnOK(); return TRUE; }
        if (id == IDCANCEL) { OnCancel(); return TRUE; }
    }
    // Last in the route, as for any command of the program's windows.
    CWinApp* app = AfxGetApp();
    return app ? app->OnCmdMsg(id, code) : FALSE;
}

// ---------------------------------------------------------------- application

CWinApp::CWinApp() { g_pApp = this; }
CWinApp::~CWinApp() { if (g_pApp == this) g_pApp = nullptr; }

BOOL CWinApp::OnCmdMsg(UINT id, int code) {
    constexpr UINT kIdHelp = 0xE146;
    if (id == kIdHelp && code == 0) {
        OnHelp();
        return TRUE;
    }
    return FALSE;
}

int CWinApp::ExitInstance() {
    return g_quitState.quitSeen ? static_cast<int>(g_quitState.quitCode) : 0;
}

CWinApp* AfxGetApp() { return g_pApp; }
HINSTANCE AfxGetInstanceHandle() { return GetModuleHandleW(nullptr); }
HINSTANCE AfxGetResourceHandle() { return GetModuleHandleW(nullptr); }
CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }
FwQuitState& AfxQuitState() { return g_quitState; }

CString AfxLoadString(UINT id) {
    const wchar_t* text = nullptr;
    int n = LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 && text ? CString(text, n) : CString();
}

int AfxMessageBox(const wchar_t* text, UINT type, UINT) {
    if ((type & MB_ICONMASK) == 0) type |= MB_ICONEXCLAMATION;
    HWND owner = nullptr;
    CWnd* main = AfxGetMainWnd();
    if (main && main->m_hWnd && ::IsWindow(main->m_hWnd)) {
        owner = ::GetLastActivePopup(main->m_hWnd);
    } else {
        owner = ::GetActiveWindow();
    }
    CWinApp* app = AfxGetApp();
    if (app && app->m_strAppName.IsEmpty()) app->m_strAppName = ModuleBaseName();
    CString title = app ? app->m_strAppName : ModuleBaseName();
    return ::MessageBoxW(owner, text, title, type);
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId) {
    return AfxMessageBox(AfxLoadString(stringId), type, helpId);
}

BOOL AfxSocketInit() {
    WSADATA data{};
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return FALSE;
    if (data.wVersion != MAKEWORD(1, 1)) {
        WSACleanup();
        return FALSE;
    }
    return TRUE;
}

void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE inst) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    app->m_hInstance = inst;
    app->m_strAppName = ModuleBaseName();
    app->InitInstance();  // always FALSE here: the dialog was the whole run
    return app->ExitInstance();
}
