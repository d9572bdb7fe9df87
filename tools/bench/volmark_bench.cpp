// Figures under Wine, each beside its floor measured in the same run:
// start-up and working set against a plain Win32 dialog on the same
// template, DrawSkinFrame against one window-sized off-screen copy, and the
// Connect button's DrawItem against one button-sized copy.
#include <windows.h>
#include <commctrl.h>

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
    // Where a button paint's time goes, piece by piece, on the same DC.
    double memdc = 0;
    {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0));
        HDC dc = GetDC(button);
        HICON icon = g_skin.m_icons[SkinIconId(2)][0];
        HBITMAP face = g_skin.m_bitmaps[SkinBitmapId(20)].hBitmap;
        memdc = PerCallUs([&] {
            HDC m = CreateCompatibleDC(dc);
            HBITMAP b = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
            HGDIOBJ o = SelectObject(m, b);
            BitBlt(dc, 0, 0, rc.right, rc.bottom, m, 0, 0, SRCCOPY);
            SelectObject(m, o);
            DeleteObject(b);
            DeleteDC(m);
        }, calls);
        double fill = PerCallUs([&] {
            HBRUSH br = CreateSolidBrush(0xFFFFFF);
            FillRect(dc, &rc, br);
            DeleteObject(br);
        }, calls);
        double masked = PerCallUs([&] {
            HDC a = CreateCompatibleDC(dc);
            HDC b = CreateCompatibleDC(nullptr);
            HGDIOBJ oa = SelectObject(a, face);
            BitBlt(dc, 0, 0, rc.right, rc.bottom, a, 0, 0, SRCPAINT);
            SelectObject(a, oa);
            DeleteDC(a);
            DeleteDC(b);
        }, calls);
        double iconUs = PerCallUs([&] { DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(icon), 0, 5, 4, 16, 16, DST_ICON); }, calls);
        HGDIOBJ of = SelectObject(dc, font);
        const wchar_t* caption = L"\uC5F0\uACB0";
        double text = PerCallUs([&] {
            RECT t = rc;
            DrawTextW(dc, caption, -1, &t, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
            DrawTextW(dc, caption, -1, &t, DT_WORDBREAK | DT_CENTER);
        }, calls);
        SelectObject(dc, of);
        ReleaseDC(button, dc);
        std::printf("  button paint pieces: memory DC + bitmap + copy %.1f us, brush fill %.1f us, "
                    "bitmap blit with 2 DCs %.1f us, DrawStateW icon %.1f us, DrawTextW measure+draw %.1f us\n",
                    memdc, fill, masked, iconUs, text);
    }
    std::printf("Connect button DrawItem %ldx%ld: %.1f us/call, floor (one button-sized BitBlt) %.1f us/call, "
                "ratio %.2f; against one off-screen pass (memory DC + bitmap + copy, what every flicker-free "
                "paint needs) ratio %.2f\n",
                rc.right, rc.bottom, draw, blit, blit > 0 ? draw / blit : 0.0, memdc > 0 ? draw / memdc : 0.0);
    dlg.DestroyWindow();
}

}  // namespace

// In a fresh process: what each start-up step costs the first time.
void StartupParts() {
    double t0 = NowUs();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    double t1 = NowUs();
    bool sockets = AfxSocketInit() != FALSE;
    double t2 = NowUs();
    g_skin.LoadSkinBitmaps();
    double t3 = NowUs();
    g_skin.LoadSkinIcons();
    double t4 = NowUs();
    g_skin.m_clrTransparent = vm::kSkinColours.transparent;
    g_skin.m_clrBackground = vm::kSkinColours.background;
    g_skin.m_clrCaptionTextActive = vm::kSkinColours.captionTextActive;
    g_skin.m_clrCaptionTextInactive = vm::kSkinColours.captionTextInactive;
    double t5 = 0;
    {
        CVolmarkDlg dlg;
        dlg.Create();
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        t5 = NowUs();
        dlg.DestroyWindow();
    }
    std::printf("  start-up pieces (fresh process): common controls %.1f ms, sockets %.1f ms (%s), "
                "21 bitmaps %.1f ms, 5 icons x 3 sizes %.1f ms, dialog created and painted %.1f ms\n",
                (t1 - t0) / 1000, (t2 - t1) / 1000, sockets ? "ok" : "failed", (t3 - t2) / 1000, (t4 - t3) / 1000,
                (t5 - t4) / 1000);
}

void StartupPartsInChildren() {
    wchar_t self[MAX_PATH * 4];
    GetModuleFileNameW(nullptr, self, MAX_PATH * 4);
    for (int i = 0; i < 3; ++i) {
        std::fflush(stdout);
        STARTUPINFOW si{sizeof(si)};
        PROCESS_INFORMATION pi{};
        std::wstring cmd = L"\"" + std::wstring(self) + L"\" --startup-parts";
        if (!CreateProcessW(self, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return;
        WaitForSingleObject(pi.hProcess, 30000);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && std::wstring(argv[1]) == L"--startup-parts") {
        StartupParts();
        return 0;
    }
    StartupFigures();
    StartupPartsInChildren();
    PaintFigures();
    return 0;
}
