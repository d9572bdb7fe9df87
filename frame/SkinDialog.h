// CSkinDialog: a dialog whose caption and frame are drawn from the skin
// store. It makes room for the skin's caption and edges, rounds the two top
// corners with a window region, paints the whole non-client area off screen
// in one pass, and runs its own caption buttons.
#pragma once

#include "fw/fw.h"

class CSkinDialog : public CDialog {
public:
    // The drive-mapping dialog's template.
    static constexpr UINT kTemplateId = 102;

    CSkinDialog();
    ~CSkinDialog() override;

    // Frame mouse logic and key filter, ahead of every message of the dialog
    // and its controls. TRUE = swallowed.
    BOOL PreTranslateMessage(MSG* msg) override;
    // Window-menu commands are passed on to the window as system commands.
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

    // Paints caption, edges, icon, title and caption buttons in one copy.
    void DrawSkinFrame();
    // Puts the normal bitmap back into all four caption-button images.
    void ResetBoxImages();

protected:
    // For dialogs built on another template.
    explicit CSkinDialog(UINT templateId, CWnd* parent = nullptr);

    // int OnCreate(LPCREATESTRUCT): copies sizes and images from the skin store.
    int OnCreate(LPCREATESTRUCT cs) override;
    // void OnDestroy(): the background brush goes with the window.
    void OnDestroy() override;
    // void OnSize(UINT type, int cx, int cy): rebuilds the window region.
    void OnSize(UINT type, int cx, int cy) override;
    // void OnNcPaint(): the skin replaces the system frame entirely.
    void OnNcPaint() override;
    // BOOL OnNcActivate(BOOL active): repaints instead of the system caption.
    BOOL OnNcActivate(BOOL active) override;
    // void OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS*): makes room for the skin.
    void OnNcCalcSize(BOOL calcValidRects, NCCALCSIZE_PARAMS* params) override;
    // HBRUSH OnCtlColor(CDC*, CWnd*, UINT): buttons sit on the skin background.
    HBRUSH OnCtlColor(CDC* dc, CWnd* wnd, UINT ctlColor) override;
    // void OnGetMinMaxInfo(MINMAXINFO*): the smallest tracking size.
    void OnGetMinMaxInfo(MINMAXINFO* mmi) override;
    // BOOL OnSetCursor(CWnd*, UINT hitTest, UINT message): keeps the cursor while a button is held.
    BOOL OnSetCursor(CWnd* wnd, UINT hitTest, UINT message) override;
    // LRESULT OnEnterSizeMove(WPARAM, LPARAM) / OnExitSizeMove: renew the leave notice.
    LRESULT OnEnterSizeMove(WPARAM wp, LPARAM lp) override;
    LRESULT OnExitSizeMove(WPARAM wp, LPARAM lp) override;
    // void OnActivate(UINT state, CWnd* other, BOOL minimized): caption colour and icon.
    void OnActivate(UINT state, CWnd* other, BOOL minimized) override;
    // void OnPaint(): fills the client area with the skin background.
    void OnPaint() override;
    // LRESULT OnTaskbarSystemMenu(WPARAM, LPARAM): the taskbar's window menu (0x0313).
    LRESULT OnTaskbarSystemMenu(WPARAM wp, LPARAM lp);

    BOOL OnWndMsg(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) override;

    // Enables and grays the window menu's items by the window's state.
    void EnableSystemMenuItems(HMENU menu);

    CRgn m_rgnWindow;  // the region last handed to the window; the window system owns it
    CBrush m_brBackground;
    int m_nPressedButton = 0;  // 0 none, 1 the left button, 4 close
    BOOL m_bTrackingLeave = FALSE;
    BOOL m_bOnSizingBorder = FALSE;
    BOOL m_bActive = FALSE;
    COLORREF m_clrCaptionText = 0;
    SIZE m_sizeCaptionLeft{0, 0};
    SIZE m_sizeCaptionCenter{0, 0};
    SIZE m_sizeCaptionRight{0, 0};
    SIZE m_sizeFrameLeft{0, 0};
    SIZE m_sizeFrameLeftBottom{0, 0};
    SIZE m_sizeFrameBottom{0, 0};
    SIZE m_sizeFrameRight{0, 0};
    SIZE m_sizeFrameRightBottom{0, 0};
    SIZE m_sizeBox{0, 0};
    // Borrowed from the skin store, which keeps them for the whole run.
    HBITMAP m_hbmCaptionLeft = nullptr;
    HBITMAP m_hbmCaptionCenter = nullptr;
    HBITMAP m_hbmCaptionRight = nullptr;
    HBITMAP m_hbmFrameLeft = nullptr;
    HBITMAP m_hbmFrameLeftBottom = nullptr;
    HBITMAP m_hbmFrameBottom = nullptr;
    HBITMAP m_hbmFrameRight = nullptr;
    HBITMAP m_hbmFrameRightBottom = nullptr;
    // The image each caption button shows now: normal, "_over" or "_on".
    HBITMAP m_hbmBoxMinimize = nullptr;
    HBITMAP m_hbmBoxMaximize = nullptr;
    HBITMAP m_hbmBoxRestore = nullptr;
    HBITMAP m_hbmBoxExit = nullptr;
    HICON m_hCaptionIcon = nullptr;

private:
    bool HasCaption() const;
    void BuildWindowRegion(UINT sizeType);
    void DrawTitle(CDC& composition, CDC& window, bool minimised, int height, int availWidth);
};
