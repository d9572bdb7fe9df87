// The skin store: loads the skin's bitmaps and icons once, holds their
// handles and sizes for the life of the program, and holds the four skin
// colours. Readers borrow handles; only the store frees them.
#pragma once

#include "fw/fw.h"
#include "skinstore/skin_names.h"

// One bitmap slot. A null handle always comes with an all-zero header, so a
// missing image reads as 0 x 0.
struct SkinBitmap {
    HBITMAP hBitmap;
    BITMAP bm;
};

class CGlobal {
public:
    CGlobal();
    virtual ~CGlobal();
    // The store owns its handles: a copy would free them twice.
    CGlobal(const CGlobal&) = delete;
    CGlobal& operator=(const CGlobal&) = delete;

    // Empty the slots of their kind, then load them from the skin folder
    // beside the executable. A file that is missing or unreadable leaves its
    // slot empty; nothing is reported.
    void LoadSkinBitmaps();
    void LoadSkinIcons();
    // The same from another folder (the one that holds "skin").
    void LoadSkinBitmapsFrom(const CString& folder);
    void LoadSkinIconsFrom(const CString& folder);

    void ReleaseSkinBitmaps();
    void ReleaseSkinIcons();

    SkinBitmap m_bitmaps[SKIN_BITMAP_COUNT];
    HICON m_icons[SKIN_ICON_COUNT][SKIN_ICON_SIZE_COUNT];
    COLORREF m_clrTransparent;
    COLORREF m_clrBackground;
    COLORREF m_clrCaptionTextActive;
    COLORREF m_clrCaptionTextInactive;
};

// The folder of the running executable, without a trailing backslash.
CString GetModuleDirectory();
// "skin\<file>" of a slot; empty for an id outside the table.
CString GetSkinBitmapFileName(SkinBitmapId id);
CString GetSkinIconFileName(SkinIconId id);

// The program's one store; defined by the program's start-up module.
extern CGlobal g_skin;
