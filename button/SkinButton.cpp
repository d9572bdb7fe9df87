#include "button/SkinButton.h"

#include "button/button_layout.h"
#include "button/button_state.h"
#include "draw/MyMemDC.h"
#include "skinstore/Global.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

vm::Point ToPoint(POINT p) { return vm::Point{p.x, p.y}; }

}  // namespace

// ---------------------------------------------------------------- the mask

HBITMAP MakeTransparencyMask(HBITMAP hSource, int cx, int cy, COLORREF clrTransparent) {
    HBITMAP hMask = ::CreateBitmap(cx, cy, 1, 1, nullptr);
    if (!hMask) return nullptr;

    HDC hdcSource = ::CreateCompatibleDC(nullptr);
    HDC hdcMask = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOldSource = hdcSource ? ::SelectObject(hdcSource, hSource) : nullptr;
    HGDIOBJ hOldMask = hdcMask ? ::SelectObject(hdcMask, hMask) : nullptr;
    // A source that cannot be selected (already in another DC, say) would give
    // a mask copied from the DC's placeholder bitmap: a wrong mask reported as
    // made. Refuse instead, leaving the source untouched.
    if (!hOldSource || !hOldMask) {
        if (hOldSource) ::SelectObject(hdcSource, hOldSource);
        if (hOldMask) ::SelectObject(hdcMask, hOldMask);
        if (hdcSource) ::DeleteDC(hdcSource);
        if (hdcMask) ::DeleteDC(hdcMask);
        ::DeleteObject(hMask);
        return nullptr;
    }

    // Colour to monochrome: pixels of the background colour become 1.
    const COLORREF clrOldBk = ::SetBkColor(hdcSource, clrTransparent);
    ::BitBlt(hdcMask, 0, 0, cx, cy, hdcSource, 0, 0, SRCCOPY);
    // Monochrome to colour: 1 becomes the background colour (black), 0 the
    // text colour (white); ANDed in, only the transparent pixels turn black.
    ::SetTextColor(hdcSource, kWhite);
    ::SetBkColor(hdcSource, kBlack);
    ::BitBlt(hdcSource, 0, 0, cx, cy, hdcMask, 0, 0, SRCAND);
    ::SetBkColor(hdcSource, clrOldBk);

    ::SelectObject(hdcSource, hOldSource);
    ::SelectObject(hdcMask, hOldMask);
    ::DeleteDC(hdcSource);
    ::DeleteDC(hdcMask);
    return hMask;
}

// ---------------------------------------------------------------- model

CSkinButton::CSkinButton()
    : m_ptBitmapMargin{0, 0},
      m_ptIconMargin{0, 0},
      m_ptPressedShift{1, 1},
      m_bPressed(FALSE),
      m_bFocused(FALSE),
      m_bDisabled(FALSE),
      m_bDefault(FALSE),
      m_clrPressedBk(0),
      m_clrPressedFg(0),
      m_clrNormalBk(0),
      m_clrNormalFg(0),
      m_clrFocusBk(0),
      m_iconEntry{},
      m_bitmapEntry{} {
    // The skin colours are set before any button is built.
    ResetColours();
}

CSkinButton::~CSkinButton() {
    ClearBitmapEntry();
    m_iconEntry = ButtonIconEntry{};
}

void CSkinButton::ResetColours() {
    m_clrPressedBk = g_skin.m_clrBackground;
    m_clrNormalBk = g_skin.m_clrBackground;
    m_clrFocusBk = g_skin.m_clrBackground;
    m_clrPressedFg = ::GetSysColor(COLOR_BTNTEXT);
    m_clrNormalFg = ::GetSysColor(COLOR_BTNTEXT);
}

void CSkinButton::ClearBitmapEntry() {
    if (m_bitmapEntry.hbmMask) ::DeleteObject(m_bitmapEntry.hbmMask);
    m_bitmapEntry = ButtonBitmapEntry{};
}

void CSkinButton::Repaint() {
    // Before attachment there is no window; InvalidateRect with a null window
    // would repaint every window on the desktop.
    if (m_hWnd) InvalidateRect(nullptr, TRUE);
}

void CSkinButton::PreSubclassWindow() {
    const vm::AttachStyle attach = vm::AttachStyleFor(GetStyle());
    if (attach.isDefault) m_bDefault = TRUE;
    // From now on Windows asks the parent to draw the button (WM_DRAWITEM).
    ModifyStyle(attach.remove, attach.add, SWP_FRAMECHANGED);
    CButton::PreSubclassWindow();
}

BOOL CSkinButton::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == BM_SETSTYLE) {
        *pResult = OnBmSetStyle(wParam, lParam);
        return TRUE;
    }
    return CButton::OnWndMsg(message, wParam, lParam, pResult);
}

// BM_SETSTYLE: the dialog manager moves the default look between push buttons.
LRESULT CSkinButton::OnBmSetStyle(WPARAM wParam, LPARAM lParam) {
    m_bDefault = vm::DefaultAfterSetStyle(wParam, m_bDefault != FALSE) ? TRUE : FALSE;
    // Keep the window owner-drawn whatever type was asked for.
    return DefWindowProc(BM_SETSTYLE, vm::OwnerDrawSetStyleParam(wParam), lParam);
}

// WM_GETDLGCODE: an owner-drawn button answers like a push button, so the
// dialog manager's Enter and default-button handling include it.
UINT CSkinButton::OnGetDlgCode() {
    return vm::DialogCodeFor(static_cast<UINT>(Default()), m_bDefault != FALSE);
}

void CSkinButton::OnSysColorChange() {
    CButton::OnSysColorChange();
    ResetColours();
    Repaint();
}

// Reflected WM_CTLCOLOR*: the button paints its whole face itself.
HBRUSH CSkinButton::CtlColor(CDC*, UINT) { return static_cast<HBRUSH>(::GetStockObject(NULL_BRUSH)); }

BOOL CSkinButton::PreTranslateMessage(MSG* pMsg) {
    // A quick second click is a second press, not a double-click.
    if (pMsg->message == WM_LBUTTONDBLCLK) pMsg->message = WM_LBUTTONDOWN;
    return CButton::PreTranslateMessage(pMsg);
}

int CSkinButton::SetSkinIcon(HICON hIcon) {
    if (hIcon == m_iconEntry.hIcon) return 0;
    m_ptIconMargin = POINT{5, 0};
    m_iconEntry = ButtonIconEntry{};
    if (hIcon) {
        m_iconEntry.hIcon = hIcon;
        ICONINFO info{};
        if (!::GetIconInfo(hIcon, &info)) {
            m_iconEntry = ButtonIconEntry{};
            return 1;
        }
        // An icon's hot spot is its centre.
        m_iconEntry.cx = 2 * info.xHotspot;
        m_iconEntry.cy = 2 * info.yHotspot;
        if (info.hbmMask) ::DeleteObject(info.hbmMask);
        if (info.hbmColor) ::DeleteObject(info.hbmColor);
    }
    Repaint();
    return 0;
}

int CSkinButton::SetSkinBitmap(HBITMAP hBitmap, COLORREF clrTransparent) {
    if (hBitmap == m_bitmapEntry.hbmImage && clrTransparent == m_bitmapEntry.clrTransparent) return 0;
    m_ptBitmapMargin = POINT{0, 0};
    ClearBitmapEntry();
    if (hBitmap) {
        m_bitmapEntry.hbmImage = hBitmap;
        m_bitmapEntry.clrTransparent = clrTransparent;
        // GetObjectW succeeds on any GDI object; a brush or a font would fill
        // the header with its own record, so ask for a bitmap first.
        BITMAP bm{};
        if (::GetObjectType(hBitmap) != OBJ_BITMAP || ::GetObjectW(hBitmap, sizeof(bm), &bm) != sizeof(bm)) {
            m_bitmapEntry = ButtonBitmapEntry{};
            return 1;
        }
        m_bitmapEntry.cx = bm.bmWidth;
        m_bitmapEntry.cy = bm.bmHeight;
        m_bitmapEntry.hbmMask = MakeTransparencyMask(hBitmap, bm.bmWidth, bm.bmHeight, clrTransparent);
        if (!m_bitmapEntry.hbmMask) {
            m_bitmapEntry = ButtonBitmapEntry{};
            return 2;
        }
    }
    Repaint();
    return 0;
}

// ---------------------------------------------------------------- drawing

void CSkinButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
    CDC* pDC = CDC::FromHandle(lpDrawItemStruct->hDC);
    // Face, images and caption reach the screen in one copy, when memDC ends.
    CMyMemDC memDC(pDC);

    HGDIOBJ hFont = reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT, 0, 0));
    HGDIOBJ hOldFont = hFont ? memDC.SelectObject(hFont) : nullptr;

    const UINT state = lpDrawItemStruct->itemState;
    m_bPressed = (state & ODS_SELECTED) ? TRUE : FALSE;
    m_bFocused = (state & ODS_FOCUS) ? TRUE : FALSE;
    m_bDisabled = (state & ODS_DISABLED) ? TRUE : FALSE;

    const RECT rcItem = lpDrawItemStruct->rcItem;
    RECT rcFace = rcItem;
    memDC.SetBkMode(TRANSPARENT);
    // Covers the whole button, so nothing of the off-screen bitmap's initial
    // content shows.
    PaintFace(&memDC, &rcFace);

    CString strText;
    GetWindowText(strText);
    const BOOL bHasCaption = strText.IsEmpty() ? FALSE : TRUE;

    RECT rcCaption = rcItem;
    if (m_bitmapEntry.hbmImage) {
        // The mask is copied in with SRCAND: its 1 bits take the background
        // colour (white: keep the face), its 0 bits the text colour (black).
        memDC.SetBkColor(kWhite);
        memDC.SetTextColor(kBlack);
        DrawSkinBitmap(&memDC, bHasCaption, &rcItem, &rcCaption, m_bPressed, m_bDisabled);
    }
    if (m_iconEntry.hIcon) {
        // With both images the icon alone decides where the caption goes.
        rcCaption = rcItem;
        DrawSkinIcon(&memDC, bHasCaption, &rcItem, &rcCaption, m_bPressed, m_bDisabled);
    }
    if (bHasCaption) DrawCaption(&memDC, strText, rcCaption);

    if (hOldFont) memDC.SelectObject(hOldFont);
    // No focus rectangle and no default frame: the skin shows neither.
}

int CSkinButton::PaintFace(CDC* pDC, RECT* pRect) {
    const vm::ButtonColours colours{m_clrPressedBk, m_clrPressedFg, m_clrNormalBk, m_clrNormalFg, m_clrFocusBk};
    const vm::ButtonLook look = vm::LookForState(m_bPressed != FALSE, m_bFocused != FALSE, m_bDisabled != FALSE,
                                                 colours, ToPoint(m_ptPressedShift));
    CBrush brush(look.face);
    ::FillRect(*pDC, pRect, brush);
    return 0;
}

void CSkinButton::LayoutImage(const RECT* prcItem, RECT* prcImage, RECT* prcCaption, BOOL bHasCaption,
                              BOOL bPressed, int cx, int cy, POINT ptMargin) const {
    vm::Rect caption = FromRECT(*prcCaption);
    const vm::Rect image = vm::LayoutImage(FromRECT(*prcItem), caption, bHasCaption != FALSE, bPressed != FALSE,
                                           vm::Size{cx, cy}, ToPoint(ptMargin), ToPoint(m_ptPressedShift));
    *prcImage = ToRECT(image);
    *prcCaption = ToRECT(caption);
}

int CSkinButton::DrawSkinIcon(CDC* pDC, BOOL bHasCaption, const RECT* prcItem, RECT* prcCaption, BOOL bPressed,
                              BOOL) {
    RECT rcImage{};
    LayoutImage(prcItem, &rcImage, prcCaption, bHasCaption, bPressed, static_cast<int>(m_iconEntry.cx),
                static_cast<int>(m_iconEntry.cy), m_ptIconMargin);
    // Drawn at its own size, top-left at the placed corner, unchanged when
    // the button is disabled.
    ::DrawStateW(*pDC, nullptr, nullptr, reinterpret_cast<LPARAM>(m_iconEntry.hIcon), 0, rcImage.left,
                 rcImage.top, rcImage.right - rcImage.left, rcImage.bottom - rcImage.top, DST_ICON);
    return 0;
}

int CSkinButton::DrawSkinBitmap(CDC* pDC, BOOL bHasCaption, const RECT* prcItem, RECT* prcCaption, BOOL bPressed,
                                BOOL) {
    RECT rcImage{};
    LayoutImage(prcItem, &rcImage, prcCaption, bHasCaption, bPressed, m_bitmapEntry.cx, m_bitmapEntry.cy,
                m_ptBitmapMargin);

    HDC hdcImage = ::CreateCompatibleDC(*pDC);
    HDC hdcMask = ::CreateCompatibleDC(nullptr);
    HGDIOBJ hOldImage = ::SelectObject(hdcImage, m_bitmapEntry.hbmImage);
    HGDIOBJ hOldMask = ::SelectObject(hdcMask, m_bitmapEntry.hbmMask);
    // Clear the opaque pixels through the mask, then OR the bitmap in: its
    // transparent pixels were blackened, so the face shows through there.
    ::BitBlt(*pDC, rcImage.left, rcImage.top, m_bitmapEntry.cx, m_bitmapEntry.cy, hdcMask, 0, 0, SRCAND);
    ::BitBlt(*pDC, rcImage.left, rcImage.top, m_bitmapEntry.cx, m_bitmapEntry.cy, hdcImage, 0, 0, SRCPAINT);
    if (hOldImage) ::SelectObject(hdcImage, hOldImage);
    if (hOldMask) ::SelectObject(hdcMask, hOldMask);
    if (hdcImage) ::DeleteDC(hdcImage);
    if (hdcMask) ::DeleteDC(hdcMask);
    return 0;
}

void CSkinButton::DrawCaption(CDC* pDC, const CString& strText, const RECT& rcCaption) {
    const vm::ButtonColours colours{m_clrPressedBk, m_clrPressedFg, m_clrNormalBk, m_clrNormalFg, m_clrFocusBk};
    const vm::ButtonLook look = vm::LookForState(m_bPressed != FALSE, m_bFocused != FALSE, m_bDisabled != FALSE,
                                                 colours, ToPoint(m_ptPressedShift));
    const vm::Rect area = FromRECT(rcCaption).Offset(look.textShift.x, look.textShift.y);

    RECT rcMeasured = ToRECT(area);
    pDC->DrawText(strText, &rcMeasured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    RECT rcText = ToRECT(vm::CentreText(area, FromRECT(rcMeasured)));

    pDC->SetBkMode(TRANSPARENT);
    if (look.etched) {
        ::OffsetRect(&rcText, 1, 1);
        pDC->SetTextColor(::GetSysColor(COLOR_BTNHIGHLIGHT));
        pDC->DrawText(strText, &rcText, DT_WORDBREAK | DT_CENTER);
        ::OffsetRect(&rcText, -1, -1);
        pDC->SetTextColor(::GetSysColor(COLOR_BTNSHADOW));
        pDC->DrawText(strText, &rcText, DT_WORDBREAK | DT_CENTER);
    } else {
        pDC->SetTextColor(look.text);
        pDC->DrawText(strText, &rcText, DT_WORDBREAK | DT_CENTER);
    }
}
