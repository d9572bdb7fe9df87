// The framework layer: a thin, MFC-shaped class library over raw Win32.
//
// Dispatch: every window of ours is subclassed with one window procedure
// that calls CWnd::WindowProc -> OnWndMsg, whose switch calls virtual
// handlers with the MFC names. A handler that does not finish a message calls
// Default(), which hands the message being dispatched to the window's previous
// procedure (for dialogs: the dialog class procedure, DefDlgProc). Messages
// without a named handler reach OnWndMsg, which derived classes override for
// extra messages (0x0313, BM_SETSTYLE ...).
//
// Reflection: a parent receiving WM_CTLCOLOR*, WM_DRAWITEM or a control's
// WM_COMMAND first offers it to the child's own object (OnChildNotify), so a
// control class can paint and colour itself.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "fw/fwstring.h"
#include "fw/geometry.h"

inline RECT ToRECT(const vm::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
inline vm::Rect FromRECT(const RECT& r) { return vm::Rect{r.left, r.top, r.right, r.bottom}; }

class CDC;
class CWnd;

// ---------------------------------------------------------------- GDI objects

// Owning wrapper: move-only, deletes its object on destruction.
class CGdiObject {
public:
    CGdiObject() = default;
    virtual ~CGdiObject() { DeleteObject(); }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    CGdiObject(CGdiObject&& o) noexcept : m_hObject(o.Detach()) {}
    CGdiObject& operator=(CGdiObject&& o) noexcept {
        if (this != &o) { DeleteObject(); m_hObject = o.Detach(); }
        return *this;
    }

    HGDIOBJ GetSafeHandle() const { return m_hObject; }
    BOOL Attach(HGDIOBJ h) { DeleteObject(); m_hObject = h; return h != nullptr; }
    HGDIOBJ Detach() { HGDIOBJ h = m_hObject; m_hObject = nullptr; return h; }
    BOOL DeleteObject() {
        if (!m_hObject) return FALSE;
        BOOL ok = ::DeleteObject(m_hObject);
        m_hObject = nullptr;
        return ok;
    }

    HGDIOBJ m_hObject = nullptr;
};

class CBitmap : public CGdiObject {
public:
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }
    BOOL CreateCompatibleBitmap(CDC* dc, int w, int h);
    BOOL CreateBitmap(int w, int h, UINT planes, UINT bpp, const void* bits) {
        return Attach(::CreateBitmap(w, h, planes, bpp, bits));
    }
};

class CBrush : public CGdiObject {
public:
    CBrush() = default;
    explicit CBrush(COLORREF c) { CreateSolidBrush(c); }
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }
    BOOL CreateSolidBrush(COLORREF c) { return Attach(::CreateSolidBrush(c)); }
};

class CRgn : public CGdiObject {
public:
    operator HRGN() const { return static_cast<HRGN>(m_hObject); }
    BOOL CreateRectRgn(int l, int t, int r, int b) { return Attach(::CreateRectRgn(l, t, r, b)); }
    BOOL CreateEllipticRgn(int l, int t, int r, int b) { return Attach(::CreateEllipticRgn(l, t, r, b)); }
    int CombineRgn(const CRgn* a, const CRgn* b, int mode) {
        return ::CombineRgn(*this, a ? HRGN(*a) : nullptr, b ? HRGN(*b) : nullptr, mode);
    }
};

// ---------------------------------------------------------------- device contexts

class CDC {
public:
    CDC() = default;
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    // A borrowed wrapper for a DC we do not own. The object lives until
    // the next FromHandle on the same thread, so use it within one message.
    static CDC* FromHandle(HDC hdc);

    operator HDC() const { return m_hDC; }
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL IsPrinting() const { return m_bPrinting; }

    BOOL Attach(HDC hdc) { m_hDC = m_hAttribDC = hdc; return hdc != nullptr; }
    HDC Detach() { HDC h = m_hDC; m_hDC = m_hAttribDC = nullptr; return h; }
    BOOL CreateCompatibleDC(CDC* ref) { return Attach(::CreateCompatibleDC(ref ? ref->m_hDC : nullptr)); }
    BOOL DeleteDC() {
        if (!m_hDC) return FALSE;
        BOOL ok = ::DeleteDC(Detach());
        return ok;
    }

    HGDIOBJ SelectObject(HGDIOBJ h) { return ::SelectObject(m_hDC, h); }
    COLORREF SetBkColor(COLORREF c) { return ::SetBkColor(m_hDC, c); }
    COLORREF SetTextColor(COLORREF c) { return ::SetTextColor(m_hDC, c); }
    int SetBkMode(int m) { return ::SetBkMode(m_hDC, m); }
    UINT SetTextAlign(UINT a) { return ::SetTextAlign(m_hDC, a); }
    int GetClipBox(LPRECT r) const { return ::GetClipBox(m_hDC, r); }
    POINT SetWindowOrg(int x, int y) { POINT old{}; ::SetWindowOrgEx(m_hDC, x, y, &old); return old; }
    int ExcludeClipRect(int l, int t, int r, int b) { return ::ExcludeClipRect(m_hDC, l, t, r, b); }
    BOOL BitBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, DWORD rop) {
        return ::BitBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, rop);
    }
    BOOL StretchBlt(int x, int y, int w, int h, CDC* src, int sx, int sy, int sw, int sh, DWORD rop) {
        return ::StretchBlt(m_hDC, x, y, w, h, src ? src->m_hDC : nullptr, sx, sy, sw, sh, rop);
    }
    void FillSolidRect(const RECT* r, COLORREF c) {
        COLORREF old = ::SetBkColor(m_hDC, c);
        ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
        ::SetBkColor(m_hDC, old);
    }
    BOOL TextOut(int x, int y, const CString& s) { return ::TextOutW(m_hDC, x, y, s, s.GetLength()); }
    SIZE GetTextExtent(const CString& s) const {
        SIZE sz{};
        ::GetTextExtentPoint32W(m_hDC, s, s.GetLength(), &sz);
        return sz;
    }
    int DrawText(const CString& s, LPRECT r, UINT fmt) { return ::DrawTextW(m_hDC, s, -1, r, fmt); }

    HDC m_hDC = nullptr;
    HDC m_hAttribDC = nullptr;
    BOOL m_bPrinting = FALSE;
};

class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* wnd);
    ~CPaintDC() override;
    PAINTSTRUCT m_ps{};
private:
    HWND m_hWnd;
};

class CWindowDC : public CDC {
public:
    explicit CWindowDC(CWnd* wnd);
    ~CWindowDC() override;
private:
    HWND m_hWnd;
};

class CClientDC : public CDC {
public:
    explicit CClientDC(CWnd* wnd);
    ~CClientDC() override;
private:
    HWND m_hWnd;
};

// Selects an object into a DC for one scope and puts the previous one back.
class CSelectGuard {
public:
    CSelectGuard(HDC dc, HGDIOBJ obj) : m_dc(dc), m_old(obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~CSelectGuard() { if (m_old) ::SelectObject(m_dc, m_old); }
    CSelectGuard(const CSelectGuard&) = delete;
    CSelectGuard& operator=(const CSelectGuard&) = delete;
private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// ---------------------------------------------------------------- windows

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // Our own object for a window, or a borrowed wrapper (valid until the
    // window is destroyed) for any other; NULL for a NULL handle.
    static CWnd* FromHandle(HWND h);
    // Only objects that subclassed the window; NULL otherwise.
    static CWnd* FromHandlePermanent(HWND h);

    operator HWND() const { return m_hWnd; }

    template <class T> bool IsKindOf() const { return dynamic_cast<const T*>(this) != nullptr; }

    // Attach our window procedure to an existing window.
    BOOL SubclassWindow(HWND h);
    BOOL SubclassDlgItem(UINT id, CWnd* parent);
    HWND UnsubclassWindow();

    // Overridables.
    virtual void PreSubclassWindow() {}
    virtual BOOL PreTranslateMessage(MSG* msg);
    virtual LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp);
    virtual BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    virtual BOOL OnCommand(WPARAM wp, LPARAM lp);
    // WM_COMMAND routing by id and notification code (the message map's
    // ON_COMMAND / ON_BN_CLICKED / ON_CBN_SELCHANGE entries). TRUE = handled.
    virtual BOOL OnCmdMsg(UINT id, int code);
    // A message reflected from the parent (WM_CTLCOLOR*, WM_DRAWITEM,
    // WM_COMMAND). TRUE = handled, *result is the answer.
    virtual BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    virtual void PostNcDestroy() {}

    // Default processing of the message being dispatched.
    LRESULT Default();
    // The previous window procedure with any message.
    LRESULT DefWindowProc(UINT msg, WPARAM wp, LPARAM lp);

    // Handlers, named as in MFC. Each default calls Default().
    virtual int OnCreate(LPCREATESTRUCT cs);
    virtual void OnDestroy();
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnNcPaint();
    virtual BOOL OnNcActivate(BOOL active);
    virtual void OnNcCalcSize(BOOL calcValidRects, NCCALCSIZE_PARAMS* params);
    virtual HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor);
    virtual void OnGetMinMaxInfo(MINMAXINFO* mmi);
    virtual BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message);
    virtual LRESULT OnEnterSizeMove(WPARAM wp, LPARAM lp);
    virtual LRESULT OnExitSizeMove(WPARAM wp, LPARAM lp);
    virtual void OnActivate(UINT state, CWnd* other, BOOL minimized);
    virtual void OnPaint();
    virtual HCURSOR OnQueryDragIcon();
    virtual BOOL OnCopyData(CWnd* from, COPYDATASTRUCT* cds);
    virtual void OnSysColorChange();
    virtual UINT OnGetDlgCode();

    // Thin wrappers.
    LRESULT SendMessage(UINT m, WPARAM w = 0, LPARAM l = 0) const { return ::SendMessageW(m_hWnd, m, w, l); }
    BOOL PostMessage(UINT m, WPARAM w = 0, LPARAM l = 0) const { return ::PostMessageW(m_hWnd, m, w, l); }
    CWnd* GetDlgItem(int id) const { return FromHandle(::GetDlgItem(m_hWnd, id)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    BOOL EnableWindow(BOOL enable = TRUE) { return ::EnableWindow(m_hWnd, enable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    void MoveWindow(int x, int y, int w, int h, BOOL repaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, repaint); }
    BOOL ShowWindow(int cmd) { return ::ShowWindow(m_hWnd, cmd); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
    void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
    void InvalidateRect(const RECT* r, BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, r, erase); }
    void Invalidate(BOOL erase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, erase); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    BOOL IsZoomed() const { return ::IsZoomed(m_hWnd); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
    BOOL ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    void GetWindowText(CString& out) const;
    void SetWindowText(const wchar_t* s) { ::SetWindowTextW(m_hWnd, s); }
    HMENU GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
    BOOL SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
    int SetWindowRgn(HRGN rgn, BOOL redraw) { return ::SetWindowRgn(m_hWnd, rgn, redraw); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* GetTopLevelParent() const;
    void ActivateTopParent();
    BOOL DestroyWindow();

    HWND m_hWnd = nullptr;

protected:
    // Answer for WM_CTLCOLOR* etc. given by the child, when it handles a
    // reflected message; FALSE when the child does not.
    static BOOL ReflectMsg(HWND child, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

private:
    friend LRESULT CALLBACK FwWndProc(HWND, UINT, WPARAM, LPARAM);
    friend LRESULT CALLBACK FwCreateHook(int, WPARAM, LPARAM);
    friend class CDialog;
    void Attach(HWND h, WNDPROC previous);
    void Detach();

    WNDPROC m_pfnSuper = nullptr;
    bool m_bTemporary = false;
    // The message being dispatched, for Default(); saved around nested dispatch.
    struct CurrentMsg { UINT msg; WPARAM wp; LPARAM lp; } m_current{};
    // Result of the last Default() call, answered for handlers without a result.
    LRESULT m_lastDefault = 0;
};

LRESULT CALLBACK FwWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK FwCreateHook(int code, WPARAM wp, LPARAM lp);

class CButton : public CWnd {
public:
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}
    // Reflected WM_CTLCOLOR; NULL means not handled.
    virtual HBRUSH CtlColor(CDC*, UINT) { return nullptr; }
    BOOL OnChildNotify(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;
};

class CComboBox : public CWnd {
public:
    int AddString(const wchar_t* s) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s))); }
    int DeleteString(UINT i) { return static_cast<int>(SendMessage(CB_DELETESTRING, i)); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int i) { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(i))); }
    // FALSE (and out emptied) when the index names no item.
    BOOL GetLBText(int index, CString& out) const;
};

// ---------------------------------------------------------------- dialogs

class CDataExchange {
public:
    CDataExchange(CWnd* dlg, BOOL save) : m_pDlgWnd(dlg), m_bSaveAndValidate(save) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Attaches a dialog control to its member object, once.
void DDX_Control(CDataExchange* dx, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);

    // Creates the dialog, runs the modal loop until EndDialog or a quit
    // request, destroys the window. Returns the EndDialog value, or -1.
    virtual INT_PTR DoModal();
    // Modeless creation, for tests and tools: the same window, no loop.
    BOOL Create(HWND parent = nullptr);

    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange*) {}
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int result);
    BOOL UpdateData(BOOL save = TRUE);

    BOOL PreTranslateMessage(MSG* msg) override;
    BOOL OnCmdMsg(UINT id, int code) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

protected:
    // One pass of the modal loop's message pump; FALSE on WM_QUIT.
    BOOL PumpMessage();
    static INT_PTR CALLBACK DialogProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

private:
    BOOL CreateIndirect(HWND parent);
    bool m_bContinueModal = false;
    int m_nModalResult = -1;
};

// ---------------------------------------------------------------- application

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();

    void SetRegistryKey(const wchar_t* key) { m_strRegistryKey = key; }
    // Commands that no window handled end here (ID_HELP goes to OnHelp).
    virtual BOOL OnCmdMsg(UINT id, int code);
    // The program carries no help content: Help is answered and does nothing.
    void OnHelp() {}

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    CString m_strAppName;      // the executable's base name, message-box title
    CString m_strRegistryKey;  // recorded only; nothing is stored under it
};

CWinApp* AfxGetApp();
HINSTANCE AfxGetResourceHandle();
HINSTANCE AfxGetInstanceHandle();
CWnd* AfxGetMainWnd();

// The exit code rule: the wParam of a quit request that ended the modal
// loop, and 0 when the loop ended any other way.
struct FwQuitState {
    bool quitSeen = false;
    WPARAM quitCode = 0;
};
FwQuitState& AfxQuitState();

// Message box owned by the main window (or the active one), titled with the
// application name; MB_ICONEXCLAMATION when no icon is asked for.
int AfxMessageBox(const wchar_t* text, UINT type = MB_OK, UINT helpId = 0);
int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
CString AfxLoadString(UINT id);

// Windows Sockets 1.1 start-up; FALSE when the layer cannot start or does not
// offer exactly 1.1.
BOOL AfxSocketInit();
void AfxEnableControlContainer();

// The program's entry: runs theApp's InitInstance and returns the exit code.
int AfxWinMain(HINSTANCE inst);
