#include "frame/SkinDialog.h"

#include "frame/frame_buttons.h"
#include "frame/frame_constants.h"
#include "frame/frame_geometry.h"
#include "frame/frame_title.h"
#include "skinstore/Global.h"
#include "skinstore/skin_names.h"

using namespace vm::frame;

// The plain code spells these out; they must agree with the platform.
static_assert(kWmNcMouseMove == WM_NCMOUSEMOVE && kWmNcLButtonDown == WM_NCLBUTTONDOWN &&
              kWmNcLButtonUp == WM_NCLBUTTONUP && kWmLButtonUp == WM_LBUTTONUP && kWmNcMouseLeave == WM_NCMOUSELEAVE);
static_assert(kWmKeyDown == WM_KEYDOWN && kWmSysKeyDown == WM_SYSKEYDOWN && kWmSysDeadChar == WM_SYSDEADCHAR);
static_assert(kVkF4 == VK_F4 && kVkEscape == VK_ESCAPE && kVkReturn == VK_RETURN);
static_assert(kWsCaption == WS_CAPTION && kSizeMaximized == SIZE_MAXIMIZED);
static_assert(kScSize == SC_SIZE && kScMove == SC_MOVE && kScMinimize == SC_MINIMIZE && kScMaximize == SC_MAXIMIZE &&
              kScClose == SC_CLOSE && kScRestore == SC_RESTORE);
static_assert(kSwMinimize == SW_MINIMIZE && kSwRestore == SW_RESTORE);
static_assert(kHtLeft == HTLEFT && kHtBottomRight == HTBOTTOMRIGHT && kHtTopLeft == HTTOPLEFT);

namespace {

const SkinBitmap& Slot(int id) { return g_skin.m_bitmaps[id]; }

SIZE SlotSize(int id) { return SIZE{Slot(id).bm.bmWidth, Slot(id).bm.bmHeight}; }

vm::Size ToSize(const SIZE& s) { return vm::Size{static_cast<int>(s.cx), static_cast<int>(s.cy)}; }

// The skin's sizes as the store holds them now.
SkinSizes StoreSizes() {
    SkinSizes k;
    k.captionLeft = ToSize(SlotSize(SKIN_CAPTION_LEFT));
    k.captionCenter = ToSize(SlotSize(SKIN_CAPTION_CENTER));
    k.captionRight = ToSize(SlotSize(SKIN_CAPTION_RIGHT));
    k.frameLeft = ToSize(SlotSize(SKIN_FRAME_LEFT));
    k.frameLeftBottom = ToSize(SlotSize(SKIN_FRAME_LEFTBOTTOM));
    k.frameBottom = ToSize(SlotSize(SKIN_FRAME_BOTTOM));
    k.frameRight = ToSize(SlotSize(SKIN_FRAME_RIGHT));
    k.frameRightBottom = ToSize(SlotSize(SKIN_FRAME_RIGHTBOTTOM));
    k.box = ToSize(SlotSize(SKIN_BOX_EXIT));
    return k;
}

std::u16string ToU16(const CString& s) { return s.ToU16(); }
CString FromU16(const std::u16string& s) { return CString::FromU16(s); }

int TextWidth(HDC dc, const std::u16string& s) {
    SIZE sz{};
    ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(s.c_str()), static_cast<int>(s.size()), &sz);
    return sz.cx;
}

SIZE TextExtent(HDC dc, const std::u16string& s) {
    SIZE sz{};
    ::GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(s.c_str()), static_cast<int>(s.size()), &sz);
    return sz;
}

// Keeps the first bitmap a memory DC held, whatever is selected into it
// later, and puts it back before the DC goes.
class CSourceSelection {
public:
    explicit CSourceSelection(CDC& dc) : m_dc(dc) {}
    ~CSourceSelection() { Restore(); }
    CSourceSelection(const CSourceSelection&) = delete;
    CSourceSelection& operator=(const CSourceSelection&) = delete;

    // A null handle leaves the previous bitmap in place.
    void Select(HBITMAP bmp) {
        if (!bmp) return;
        HGDIOBJ previous = m_dc.SelectObject(bmp);
        if (!m_original) m_original = previous;
    }
    void Restore() {
        if (m_original) m_dc.SelectObject(m_original);
        m_original = nullptr;
    }

private:
    CDC& m_dc;
    HGDIOBJ m_original = nullptr;
};

}  // namespace

CSkinDialog::CSkinDialog() : CSkinDialog(kTemplateId) {}

CSkinDialog::CSkinDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {
    // Start-up sets the skin colours before any dialog is built.
    m_brBackground.CreateSolidBrush(g_skin.m_clrBackground);
}

CSkinDialog::~CSkinDialog() {
    // Whatever m_rgnWindow names was handed to the window: not ours to delete.
    m_rgnWindow.Detach();
    m_brBackground.DeleteObject();
}

bool CSkinDialog::HasCaption() const {
    return HasCaptionStyle(static_cast<std::uint32_t>(::GetWindowLongW(m_hWnd, GWL_STYLE)));
}

// ---------------------------------------------------------------- set-up and metrics

int CSkinDialog::OnCreate(LPCREATESTRUCT) {
    if (static_cast<int>(Default()) == -1) return -1;

    m_clrCaptionText = g_skin.m_clrCaptionTextActive;
    m_sizeCaptionLeft = SlotSize(SKIN_CAPTION_LEFT);
    m_sizeCaptionCenter = SlotSize(SKIN_CAPTION_CENTER);
    m_sizeCaptionRight = SlotSize(SKIN_CAPTION_RIGHT);
    m_sizeFrameLeft = SlotSize(SKIN_FRAME_LEFT);
    m_sizeFrameLeftBottom = SlotSize(SKIN_FRAME_LEFTBOTTOM);
    m_sizeFrameBottom = SlotSize(SKIN_FRAME_BOTTOM);
    m_sizeFrameRight = SlotSize(SKIN_FRAME_RIGHT);
    m_sizeFrameRightBottom = SlotSize(SKIN_FRAME_RIGHTBOTTOM);
    m_sizeBox = SlotSize(SKIN_BOX_EXIT);

    m_hbmCaptionLeft = Slot(SKIN_CAPTION_LEFT).hBitmap;
    m_hbmCaptionCenter = Slot(SKIN_CAPTION_CENTER).hBitmap;
    m_hbmCaptionRight = Slot(SKIN_CAPTION_RIGHT).hBitmap;
    m_hbmFrameLeft = Slot(SKIN_FRAME_LEFT).hBitmap;
    m_hbmFrameLeftBottom = Slot(SKIN_FRAME_LEFTBOTTOM).hBitmap;
    m_hbmFrameBottom = Slot(SKIN_FRAME_BOTTOM).hBitmap;
    m_hbmFrameRight = Slot(SKIN_FRAME_RIGHT).hBitmap;
    m_hbmFrameRightBottom = Slot(SKIN_FRAME_RIGHTBOTTOM).hBitmap;
    ResetBoxImages();
    m_hCaptionIcon = g_skin.m_icons[SKIN_ICON_SKIN][SKIN_ICON_24];
    return 0;
}

void CSkinDialog::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* params) {
    // Without calcValidRects lParam is a single RECT, which is where rgrc[0]
    // lies anyway; only that rectangle is touched.
    if (params && HasCaption()) {
        NcMetrics m;
        m.cyCaption = ::GetSystemMetrics(SM_CYCAPTION);
        m.cyFrame = ::GetSystemMetrics(SM_CYFRAME);
        m.cxFrame = ::GetSystemMetrics(SM_CXFRAME);
        RECT& r = params->rgrc[0];
        r = ToRECT(AdjustNcCalcRect(FromRECT(r), StoreSizes(), m));
    }
    Default();
}

void CSkinDialog::OnSize(UINT type, int, int) {
    Default();
    if (!HasCaption()) return;
    BuildWindowRegion(type);
}

void CSkinDialog::BuildWindowRegion(UINT sizeType) {
    RECT wr{};
    GetWindowRect(&wr);
    const RegionShape shape = ComputeRegionShape(vm::Size{wr.right - wr.left, wr.bottom - wr.top}, sizeType);

    CRgn region;
    region.CreateRectRgn(shape.outer.left, shape.outer.top, shape.outer.right, shape.outer.bottom);
    const vm::Rect* corners[][2] = {{&shape.leftSquare, &shape.leftEllipse}, {&shape.rightSquare, &shape.rightEllipse}};
    for (const auto& corner : corners) {
        // What of the corner square lies outside the ellipse is cut away.
        CRgn square;
        CRgn ellipse;
        square.CreateRectRgn(corner[0]->left, corner[0]->top, corner[0]->right, corner[0]->bottom);
        ellipse.CreateEllipticRgn(corner[1]->left, corner[1]->top, corner[1]->right, corner[1]->bottom);
        square.CombineRgn(&square, &ellipse, RGN_DIFF);
        region.CombineRgn(&region, &square, RGN_DIFF);
    }

    // The previous region is the window system's already; it deletes it
    // when the new one is set.
    m_rgnWindow.Detach();
    HRGN handle = static_cast<HRGN>(region.Detach());
    if (handle && SetWindowRgn(handle, TRUE)) {
        m_rgnWindow.m_hObject = handle;
    } else if (handle) {
        ::DeleteObject(handle);
    }
}

void CSkinDialog::OnGetMinMaxInfo(MINMAXINFO* mmi) {
    if (mmi) mmi->ptMinTrackSize = POINT{kMinTrackWidth, kMinTrackHeight};
    Default();
}

void CSkinDialog::OnActivate(UINT state, CWnd*, BOOL) {
    m_bActive = state != WA_INACTIVE;
    if (!HasCaption()) {
        Default();
        return;
    }
    m_hCaptionIcon = g_skin.m_icons[SKIN_ICON_LOGO][SKIN_ICON_24];
    m_clrCaptionText = m_bActive ? g_skin.m_clrCaptionTextActive : g_skin.m_clrCaptionTextInactive;
    DrawSkinFrame();
}

BOOL CSkinDialog::OnNcActivate(BOOL) {
    if (!HasCaption()) return static_cast<BOOL>(Default());
    DrawSkinFrame();
    return TRUE;
}

void CSkinDialog::OnNcPaint() {
    // The system frame is never painted: without a caption style nothing is.
    if (HasCaption()) DrawSkinFrame();
}

HBRUSH CSkinDialog::OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) {
    HBRUSH brush = CDialog::OnCtlColor(dc, wnd, ctlColor);
    if (wnd && wnd->IsKindOf<CButton>()) return static_cast<HBRUSH>(m_brBackground);
    return brush;
}

void CSkinDialog::OnPaint() {
    CPaintDC dc(this);
    RECT rc{};
    GetClientRect(&rc);
    dc.FillSolidRect(&rc, g_skin.m_clrBackground);
}

LRESULT CSkinDialog::OnEnterSizeMove(WPARAM, LPARAM) {
    // A move started from the caption loses the pointer's leave notice.
    if (!m_bOnSizingBorder) m_bTrackingLeave = FALSE;
    return 0;
}

LRESULT CSkinDialog::OnExitSizeMove(WPARAM, LPARAM) {
    m_bTrackingLeave = FALSE;
    return 0;
}

void CSkinDialog::OnDestroy() {
    CDialog::OnDestroy();
    m_brBackground.DeleteObject();
}

BOOL CSkinDialog::OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == kWmTaskbarSystemMenu) {
        *result = OnTaskbarSystemMenu(wp, lp);
        return TRUE;
    }
    return CDialog::OnWndMsg(msg, wp, lp, result);
}

// ---------------------------------------------------------------- painting

void CSkinDialog::DrawSkinFrame() {
    if (!HasCaption()) return;

    RECT wr{};
    GetWindowRect(&wr);
    const int W = wr.right - wr.left;
    const int H = wr.bottom - wr.top;
    const bool minimised = IsIconic() != FALSE;
    const WindowState state = ToWindowState(minimised, IsZoomed() != FALSE);

    SkinSizes k;
    k.captionLeft = ToSize(m_sizeCaptionLeft);
    k.captionCenter = ToSize(m_sizeCaptionCenter);
    k.captionRight = ToSize(m_sizeCaptionRight);
    k.frameLeft = ToSize(m_sizeFrameLeft);
    k.frameLeftBottom = ToSize(m_sizeFrameLeftBottom);
    k.frameBottom = ToSize(m_sizeFrameBottom);
    k.frameRight = ToSize(m_sizeFrameRight);
    k.frameRightBottom = ToSize(m_sizeFrameRightBottom);
    k.box = ToSize(m_sizeBox);
    const FrameLayout L = ComputeFrameLayout(vm::Size{W, H}, k, state);

    CWindowDC windowDC(this);
    CDC composition;
    composition.CreateCompatibleDC(&windowDC);
    CBitmap image;
    image.CreateCompatibleBitmap(&windowDC, W, H);
    HGDIOBJ previousImage = composition.SelectObject(image);

    {
        CDC source;
        source.CreateCompatibleDC(&windowDC);
        CSourceSelection selection(source);

        const HBITMAP pieces[kPieceCount] = {m_hbmCaptionLeft,  m_hbmCaptionCenter,   m_hbmCaptionRight,
                                             m_hbmFrameLeft,    m_hbmFrameLeftBottom, m_hbmFrameBottom,
                                             m_hbmFrameRight,   m_hbmFrameRightBottom};
        for (int i = 0; i < kPieceCount; ++i) {
            selection.Select(pieces[i]);
            const FramePiece& p = L.pieces[i];
            if (!IsDrawable(p.dest)) continue;
            if (p.stretch) {
                composition.StretchBlt(p.dest.left, p.dest.top, p.dest.Width(), p.dest.Height(), &source, 0, 0,
                                       p.src.Width(), p.src.Height(), SRCCOPY);
            } else {
                composition.BitBlt(p.dest.left, p.dest.top, p.dest.Width(), p.dest.Height(), &source, 0, 0,
                                   SRCCOPY);
            }
        }

        if (m_hCaptionIcon) {
            ::DrawIconEx(composition, L.icon.left, L.icon.top, m_hCaptionIcon, L.icon.Width(), L.icon.Height(), 0,
                         nullptr, DI_NORMAL);
        }

        for (const CaptionButtonPlace& b : L.buttons) {
            HBITMAP bmp = nullptr;
            switch (b.image) {
            case BoxImage::Minimize: bmp = m_hbmBoxMinimize; break;
            case BoxImage::Maximize: bmp = m_hbmBoxMaximize; break;
            case BoxImage::Restore: bmp = m_hbmBoxRestore; break;
            case BoxImage::Exit: bmp = m_hbmBoxExit; break;
            }
            // A missing image leaves the previous button's bitmap selected,
            // and that is what shows at this position.
            selection.Select(bmp);
            if (!IsDrawable(b.rect)) continue;
            composition.BitBlt(b.rect.left, b.rect.top, b.rect.Width(), b.rect.Height(), &source, 0, 0, SRCCOPY);
        }
        selection.Restore();
    }

    composition.SetBkMode(TRANSPARENT);
    HFONT font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
    HGDIOBJ previousFont = font ? composition.SelectObject(font) : nullptr;
    composition.SetTextColor(m_clrCaptionText);
    composition.SetTextAlign(0);

    DrawTitle(composition, windowDC, minimised, H, L.avail);

    if (L.excludeClient) windowDC.ExcludeClipRect(L.client.left, L.client.top, L.client.right, L.client.bottom);
    windowDC.BitBlt(0, 0, W, H, &composition, 0, 0, SRCCOPY);

    if (previousFont) composition.SelectObject(previousFont);
    composition.SelectObject(previousImage);
    composition.DeleteDC();
    image.DeleteObject();
}

void CSkinDialog::DrawTitle(CDC& composition, CDC& window, bool minimised, int height, int availWidth) {
    CString text;
    GetWindowText(text);

    if (minimised) {
        const std::u16string title = MinimisedTitle(ToU16(text));
        // Measured with the window DC's own font, as the caption of an icon is.
        const SIZE extent = TextExtent(window, title);
        composition.TextOut(30, CenteredTop(height, extent.cy), FromU16(title));
        return;
    }

    int capH = 0;
    BITMAP bm{};
    if (m_hbmCaptionCenter && ::GetObjectW(m_hbmCaptionCenter, sizeof bm, &bm) == sizeof bm) capH = bm.bmHeight;

    HDC dc = composition;
    const TitleFit fit = FitTitle(
        ToU16(text), availWidth, [dc](const std::u16string& s) { return TextWidth(dc, s); },
        [](std::uint8_t b) { return ::IsDBCSLeadByteEx(949, b) != FALSE; });
    for (const std::u16string& line : fit.trace) ::OutputDebugStringW(reinterpret_cast<const wchar_t*>(line.c_str()));
    if (fit.text.empty()) return;
    const SIZE extent = TextExtent(dc, fit.text);
    composition.TextOut(42, CenteredTop(capH, extent.cy), FromU16(fit.text));
}

// ---------------------------------------------------------------- caption buttons

void CSkinDialog::ResetBoxImages() {
    m_hbmBoxMinimize = Slot(SKIN_BOX_MINIMIZE).hBitmap;
    m_hbmBoxMaximize = Slot(SKIN_BOX_MAXIMIZE).hBitmap;
    m_hbmBoxRestore = Slot(SKIN_BOX_RESTORE).hBitmap;
    m_hbmBoxExit = Slot(SKIN_BOX_EXIT).hBitmap;
}

BOOL CSkinDialog::PreTranslateMessage(MSG* msg) {
    if (IsSwallowedKey(msg->message, msg->wParam)) return TRUE;

    const auto kind = ClassifyFrameMouse(msg->message);
    if (!kind || !HasCaption()) return CDialog::PreTranslateMessage(msg);

    RECT wr{};
    GetWindowRect(&wr);
    const CaptionZones zones = ComputeCaptionZones(FromRECT(wr), ToSize(SlotSize(SKIN_BOX_EXIT)));
    // The message's own pointer position: lParam is client-relative for
    // WM_LBUTTONUP and screen-relative for the non-client messages.
    const CaptionZone zone = HitCaptionZone(zones, vm::Point{msg->pt.x, msg->pt.y});
    const WindowState state = ToWindowState(IsIconic() != FALSE, IsZoomed() != FALSE);

    const CaptionButtonStep step =
        StepCaptionButtons(CaptionButtonState{m_nPressedButton, m_bTrackingLeave != FALSE}, *kind, zone, state);

    m_bTrackingLeave = step.state.trackingLeave ? TRUE : FALSE;
    if (step.requestLeaveNotice) {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof tme;
        tme.dwFlags = TME_LEAVE | TME_NONCLIENT;
        tme.hwndTrack = m_hWnd;
        tme.dwHoverTime = 0;
        ::TrackMouseEvent(&tme);
    }
    if (step.releaseCapture) ::ReleaseCapture();
    if (step.setCapture) SetCapture();
    if (step.resetImages) ResetBoxImages();
    if (step.setImage) {
        HBITMAP bmp = Slot(BoxImageSlot(step.setImage->which, step.setImage->variant)).hBitmap;
        switch (step.setImage->which) {
        case BoxImage::Minimize: m_hbmBoxMinimize = bmp; break;
        case BoxImage::Maximize: m_hbmBoxMaximize = bmp; break;
        case BoxImage::Restore: m_hbmBoxRestore = bmp; break;
        case BoxImage::Exit: m_hbmBoxExit = bmp; break;
        }
    }
    if (step.postClose) PostMessage(WM_CLOSE, 0, 0);
    if (step.showWindow != 0) ShowWindow(step.showWindow);
    m_nPressedButton = step.state.pressed;
    if (step.redraw) DrawSkinFrame();

    if (step.swallow) return TRUE;
    return CDialog::PreTranslateMessage(msg);
}

BOOL CSkinDialog::OnSetCursor(CWnd*, UINT hitTest, UINT) {
    m_bOnSizingBorder = IsSizingBorder(hitTest) ? TRUE : FALSE;
    // While a caption button is held the cursor stays as it is.
    if (m_nPressedButton != 0) return TRUE;
    return static_cast<BOOL>(Default());
}

void CSkinDialog::EnableSystemMenuItems(HMENU menu) {
    if (!menu) return;
    const WindowState state = ToWindowState(IsIconic() != FALSE, IsZoomed() != FALSE);
    for (const MenuItemEnable& item : WindowMenuEnables(state)) {
        ::EnableMenuItem(menu, item.id, MF_BYCOMMAND | (item.enabled ? MF_ENABLED : MF_GRAYED));
    }
}

LRESULT CSkinDialog::OnTaskbarSystemMenu(WPARAM, LPARAM) {
    HMENU menu = GetSystemMenu(FALSE);
    EnableSystemMenuItems(menu);
    DrawSkinFrame();
    if (!menu) return 0;
    POINT pt{};
    ::GetCursorPos(&pt);
    SetForegroundWindow();
    // The owner gets the chosen item as WM_COMMAND once the menu has closed.
    ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, m_hWnd, nullptr);
    return 0;
}

BOOL CSkinDialog::OnCommand(WPARAM wp, LPARAM lp) {
    // Posted, so that the command runs after the menu's own loop has ended.
    if (IsForwardedSysCommand(LOWORD(wp))) PostMessage(WM_SYSCOMMAND, wp, lp);
    return CDialog::OnCommand(wp, lp);
}
