// Figures under Wine, each beside its floor measured in the same run:
// start-up and working set against a plain Win32 dialog on the same
// template, DrawSkinFrame against one window-sized off-screen copy, and the
// Connect button's DrawItem against one button-sized copy.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/startup.h"
#include "dialog/VolmarkDlg.h"
#include "skinstore/Global.h"
#include "startup_bench.h"

CGlobal g_skin;

namespace {

double NowUs() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1e6 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median over rounds of the time per call of fn.
double PerCallUs(const std::function<void()>& fn, int calls, int rounds = 7) {
    std::vector<double> perCall;
    for (int r = 0; r < rounds; ++r) {
        double t0 = NowUs();
        for (int i = 0; i < calls; ++i) fn();
        perCall.push_back((NowUs() - t0) / calls);
    }
    return Median(perCall);
}

std::wstring BinDir() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L'\\'));
}

void StartupFigures() {
    std::wstring volmark = BinDir() + L"\\Volmark.exe";
    std::wstring floor = BinDir() + L"\\mindlg.exe";
    std::vector<double> tv, tf, wv, wf, pv, pf;
    MeasureStartup(volmark);  // warm the file cache and the prefix
    MeasureStartup(floor);
    for (int i = 0; i < 9; ++i) {
        StartupSample a = MeasureStartup(volmark);
        StartupSample b = MeasureStartup(floor);
        if (!a.ok || !b.ok) continue;
        tv.push_back(a.msToIdle);
        tf.push_back(b.msToIdle);
        wv.push_back(a.workingSetKiB);
        wf.push_back(b.workingSetKiB);
        pv.push_back(a.privateKiB);
        pf.push_back(b.privateKiB);
    }
    double mv = Median(tv), mf = Median(tf);
    std::printf("startup to first painted dialog (median of %zu): Volmark %.1f ms, plain dialog %.1f ms, "
                "ratio %.3f, skin+framework cost %.1f%%\n",
                tv.size(), mv, mf, mf > 0 ? mv / mf : 0.0, mf > 0 ? 100.0 * (mv - mf) / mf : 0.0);
    std::printf("working set after start-up: Volmark %.0f KiB, plain dialog %.0f KiB (private %.0f / %.0f KiB)\n",
                Median(wv), Median(wf), Median(pv), Median(pf));
}

// One W x H off-screen composition copied to the window: the least any
// flicker-free full-frame paint must do.
void FloorFrameCopy(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC dc = GetWindowDC(wnd);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(wnd, dc);
}

class BenchDialog : public CVolmarkDlg {
public:
    using CVolmarkDlg::m_btnConnect;
};

void PaintFigures() {
    g_skin.LoadSkinBitmaps();
    g_skin.LoadSkinIcons();
    g_skin.m_clrTransparent = vm::kSkinColours.transparent;
    g_skin.m_clrBackground = vm::kSkinColours.background;
    g_skin.m_clrCaptionTextActive = vm::kSkinColours.captionTextActive;
    g_skin.m_clrCaptionTextInactive = vm::kSkinColours.captionTextInactive;

    BenchDialog dlg;
    if (!dlg.Create()) {
        std::printf("could not create the dialog\n");
        return;
    }
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);

    RECT own;
    GetWindowRect(dlg.m_hWnd, &own);
    const int calls = 300;
    auto frameAt = [&](const char* label) {
        RECT r;
        GetWindowRect(dlg.m_hWnd, &r);
        double skin = PerCallUs([&] { dlg.DrawSkinFrame(); }, calls);
        double floor = PerCallUs([&] { FloorFrameCopy(dlg.m_hWnd); }, calls);
        std::printf("DrawSkinFrame at %s %ldx%ld: %.1f us/call, floor (one W x H compatible bitmap + BitBlt) "
                    "%.1f us/call, ratio %.2f\n",
                    label, r.right - r.left, r.bottom - r.top, skin, floor, floor > 0 ? skin / floor : 0.0);
    };
    frameAt("the dialog's own size");
    SetWindowPos(dlg.m_hWnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    frameAt("300x200");

    HWND button = dlg.m_btnConnect.m_hWnd;
    RECT rc;
    GetClientRect(button, &rc);
    HDC bdc = GetDC(button);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_BUTTON;
    dis.CtlID = IDOK;
    dis.hwndItem = button;
    dis.hDC = bdc;
    dis.rcItem = rc;
    double draw = PerCallUs([&] { dlg.m_btnConnect.DrawItem(&dis); }, calls);
    HDC mem = CreateCompatibleDC(bdc);
    HBITMAP bmp = CreateCompatibleBitmap(bdc, rc.right, rc.bottom);
    HGDIOBJ old = SelectObject(mem, bmp);
    double blit = PerCallUs([&] { BitBlt(bdc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY); }, calls);
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(button, bdc);
    std::printf("Connect button DrawItem %ldx%ld: %.1f us/call, floor (one button-sized BitBlt) %.1f us/call, "
                "ratio %.2f\n",
                rc.right, rc.bottom, draw, blit, blit > 0 ? draw / blit : 0.0);
    dlg.DestroyWindow();
}

}  // namespace

int wmain() {
    StartupFigures();
    PaintFigures();
    return 0;
}
