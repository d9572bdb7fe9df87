#include "fw/fw.h"

#include <array>

namespace {

// Borrowed DC wrappers, reused round-robin: deep enough for the nesting of
// one message (a control-colour answer inside a paint), never growing with
// the number of distinct DCs a paint loop sees.
struct TempDCs {
    std::array<CDC, 8> slots;
    size_t next = 0;
};

TempDCs& Temps() {
    static auto* temps = new TempDCs();
    return *temps;
}

}  // namespace

CDC::~CDC() {
    if (m_hDC) ::DeleteDC(Detach());
}

CDC* CDC::FromHandle(HDC hdc) {
    if (!hdc) return nullptr;
    TempDCs& t = Temps();
    for (CDC& dc : t.slots) {
        if (dc.m_hDC == hdc) return &dc;
    }
    CDC& dc = t.slots[t.next];
    t.next = (t.next + 1) % t.slots.size();
    dc.m_hDC = dc.m_hAttribDC = hdc;
    dc.m_bPrinting = FALSE;
    return &dc;
}

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int w, int h) {
    return Attach(::CreateCompatibleBitmap(dc ? dc->m_hDC : nullptr, w, h));
}

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(wnd->m_hWnd) { Attach(::BeginPaint(m_hWnd, &m_ps)); }
CPaintDC::~CPaintDC() {
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { Attach(::GetWindowDC(m_hWnd)); }
CWindowDC::~CWindowDC() {
    ::ReleaseDC(m_hWnd, m_hDC);
    Detach();
}

CClientDC::CClientDC(CWnd* wnd) : m_hWnd(wnd ? wnd->m_hWnd : nullptr) { Attach(::GetDC(m_hWnd)); }
CClientDC::~CClientDC() {
    ::ReleaseDC(m_hWnd, m_hDC);
    Detach();
}
