// CSkinButton: an owner-drawn push button with a face colour that follows its
// state, an optional skin bitmap drawn through a transparency mask, an
// optional icon and its caption. Attached to an existing dialog control by
// subclassing; it keeps the control's default-push-button role.
#pragma once

#include "fw/fw.h"

// The icon given by SetSkinIcon. Borrowed: the skin store frees it.
struct ButtonIconEntry {
    HICON hIcon;
    DWORD cx;  // twice the icon's hot-spot coordinates
    DWORD cy;
};

// The bitmap given by SetSkinBitmap. hbmImage is borrowed from the skin
// store; hbmMask belongs to the button.
struct ButtonBitmapEntry {
    HBITMAP hbmImage;
    LONG cx;
    LONG cy;
    HBITMAP hbmMask;
    COLORREF clrTransparent;
};

// A monochrome mask of hSource's cx x cy pixels: 1 where the pixel has the
// colour clrTransparent, 0 elsewhere. Blackens those pixels in hSource itself,
// so that the bitmap can be ORed over a face cleared through the mask. Null
// (and hSource untouched) when the mask cannot be made.
HBITMAP MakeTransparencyMask(HBITMAP hSource, int cx, int cy, COLORREF clrTransparent);

class CSkinButton : public CButton {
public:
    CSkinButton();
    ~CSkinButton() override;

    // 0: set, cleared or already set; 1: the icon's information cannot be read.
    int SetSkinIcon(HICON hIcon);
    // 0: set, cleared or already set; 1: the bitmap's header cannot be read;
    // 2: the mask cannot be made. A successful call blackens the bitmap's
    // transparent pixels in place.
    int SetSkinBitmap(HBITMAP hBitmap, COLORREF clrTransparent);

    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

protected:
    // Fills the rectangle with the face colour of the recorded state; 0.
    virtual int PaintFace(CDC* pDC, RECT* pRect);
    // Draw one image and move the caption rectangle's left edge past it when
    // the button has a caption. Results are not used.
    virtual int DrawSkinIcon(CDC* pDC, BOOL bHasCaption, const RECT* prcItem, RECT* prcCaption, BOOL bPressed,
                             BOOL bDisabled);
    virtual int DrawSkinBitmap(CDC* pDC, BOOL bHasCaption, const RECT* prcItem, RECT* prcCaption, BOOL bPressed,
                               BOOL bDisabled);

    // Where an image of cx x cy goes (prcImage: its left and top), shared by
    // the two image operations.
    void LayoutImage(const RECT* prcItem, RECT* prcImage, RECT* prcCaption, BOOL bHasCaption, BOOL bPressed, int cx,
                     int cy, POINT ptMargin) const;

    // Message map: WM_SYSCOLORCHANGE, WM_GETDLGCODE, the reflected
    // WM_CTLCOLOR*, BM_SETSTYLE.
    void OnSysColorChange() override;
    UINT OnGetDlgCode() override;
    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) override;
    LRESULT OnBmSetStyle(WPARAM wParam, LPARAM lParam);
    BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;

    POINT m_ptBitmapMargin;
    POINT m_ptIconMargin;
    POINT m_ptPressedShift;
    BOOL m_bPressed;
    BOOL m_bFocused;
    BOOL m_bDisabled;
    BOOL m_bDefault;
    COLORREF m_clrPressedBk;
    COLORREF m_clrPressedFg;
    COLORREF m_clrNormalBk;
    COLORREF m_clrNormalFg;
    COLORREF m_clrFocusBk;
    ButtonIconEntry m_iconEntry;
    ButtonBitmapEntry m_bitmapEntry;

private:
    void ResetColours();
    void ClearBitmapEntry();
    void Repaint();
    void DrawCaption(CDC* pDC, const CString& strText, const RECT& rcCaption);
};
