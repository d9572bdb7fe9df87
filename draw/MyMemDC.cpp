#include "draw/MyMemDC.h"

#include "draw/offscreen_area.h"

CMyMemDC::CMyMemDC(CDC* pDC)
    : CDC(), m_pPrevBitmap(nullptr), m_pTargetDC(pDC), m_rcArea{0, 0, 0, 0}, m_bOffscreen(!pDC->IsPrinting()) {
    if (m_bOffscreen) {
        // Only what the target can show is buffered: its clip box.
        pDC->GetClipBox(&m_rcArea);
        const vm::OffscreenArea area = vm::OffscreenAreaFor(FromRECT(m_rcArea));
        CreateCompatibleDC(pDC);
        m_bmpOffscreen.CreateCompatibleBitmap(pDC, area.bitmap.cx, area.bitmap.cy);
        m_pPrevBitmap = SelectObject(m_bmpOffscreen.GetSafeHandle());
        // The clip box's top-left corner is the bitmap's first pixel.
        SetWindowOrg(area.origin.x, area.origin.y);
    } else {
        m_bPrinting = pDC->m_bPrinting;
        m_hDC = pDC->m_hDC;
        m_hAttribDC = pDC->m_hAttribDC;
    }
}

CMyMemDC::~CMyMemDC() {
    if (m_bOffscreen) {
        const vm::OffscreenArea area = vm::OffscreenAreaFor(FromRECT(m_rcArea));
        m_pTargetDC->BitBlt(area.origin.x, area.origin.y, area.bitmap.cx, area.bitmap.cy, this, area.origin.x,
                            area.origin.y, SRCCOPY);
        // Deselect our bitmap so that it is not selected when it is deleted
        // (members go first, then the base deletes the memory DC).
        if (m_pPrevBitmap) SelectObject(m_pPrevBitmap);
    } else {
        // Borrowed from the target: the base must not delete it.
        m_hDC = nullptr;
        m_hAttribDC = nullptr;
    }
}
