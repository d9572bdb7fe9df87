// A device context that buffers one drawing pass off screen and copies the
// finished picture to its target when it is destroyed, so the target never
// shows a half-drawn state. Draw on it in the target's coordinates.
#pragma once

#include "fw/fw.h"

class CMyMemDC : public CDC {
public:
    // pDC: the target, a live device context (not tested for null). A
    // printing target is drawn on directly and nothing is copied.
    explicit CMyMemDC(CDC* pDC);
    ~CMyMemDC() override;

private:
    CBitmap m_bmpOffscreen;
    // The bitmap the memory DC held before ours; the framework layer has no
    // borrowed bitmap wrapper, so it is kept as the handle SelectObject gave.
    HGDIOBJ m_pPrevBitmap;
    CDC* m_pTargetDC;
    RECT m_rcArea;  // the target's clip box, in its logical coordinates
    BOOL m_bOffscreen;
};
