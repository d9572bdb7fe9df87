// volmark-wintool: drives top-level windows from scripts running beside the
// program under Wine.
//
//   volmark-wintool wait-window <title> <timeout-ms>   0 found, 2 timed out
//   volmark-wintool wait-gone <title> <timeout-ms>     0 gone, 2 still there
//   volmark-wintool close-window <title>               0 posted, 2 no window
//   volmark-wintool capture <title> <out.bmp>          0 written, 2 no window
//   volmark-wintool hold-desktop [ms]                  keeps the desktop open
//
// Any other failure (bad arguments, a GDI or file error) exits with 1.
// Output is UTF-8 written with WriteFile: Wine's wprintf drops non-ASCII text.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "tools/drivekit/drivekit.h"

namespace {

constexpr int kOk = 0;
constexpr int kError = 1;
constexpr int kNotFound = 2;
constexpr DWORD kPollMs = 50;

using drivekit::WriteUtf8;

void Out(const std::wstring& text) { WriteUtf8(STD_OUTPUT_HANDLE, text + L"\n"); }
void Err(const std::wstring& text) { WriteUtf8(STD_ERROR_HANDLE, L"volmark-wintool: " + text + L"\n"); }

std::wstring Hex(const void* p) {
    wchar_t buf[32];
    swprintf(buf, 32, L"0x%llx", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return buf;
}

bool ParseMs(const wchar_t* s, DWORD* out) {
    wchar_t* end = nullptr;
    unsigned long v = wcstoul(s, &end, 10);
    if (end == s || *end != L'\0') return false;
    *out = static_cast<DWORD>(v);
    return true;
}

// Polls until the window's presence equals `present` or the time is up.
int WaitFor(const wchar_t* title, DWORD timeoutMs, bool present) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        HWND hwnd = FindWindowW(nullptr, title);
        if ((hwnd != nullptr) == present) {
            if (present) Out(L"found " + Hex(hwnd));
            return kOk;
        }
        if (GetTickCount64() >= deadline) {
            Err(std::wstring(present ? L"no window titled \"" : L"still a window titled \"") + title +
                L"\" after " + std::to_wstring(timeoutMs) + L" ms");
            return kNotFound;
        }
        Sleep(kPollMs);
    }
}

int CloseWindowByTitle(const wchar_t* title) {
    HWND hwnd = FindWindowW(nullptr, title);
    if (!hwnd) {
        Err(std::wstring(L"no window titled \"") + title + L"\"");
        return kNotFound;
    }
    if (!PostMessageW(hwnd, WM_CLOSE, 0, 0)) {
        Err(L"PostMessage failed: " + std::to_wstring(GetLastError()));
        return kError;
    }
    return kOk;
}

// Copies the whole window, non-client area included, through its window DC:
// under Wine this works from another process, where PrintWindow gives a blank.
int Capture(const wchar_t* title, const wchar_t* outPath) {
    HWND hwnd = FindWindowW(nullptr, title);
    if (!hwnd) {
        Err(std::wstring(L"no window titled \"") + title + L"\"");
        return kNotFound;
    }
    RECT rc{};
    GetWindowRect(hwnd, &rc);
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) {
        Err(L"the window has an empty rectangle");
        return kError;
    }

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;  // bottom-up, the order a BMP file stores
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;

    int rcode = kError;
    HDC wdc = GetWindowDC(hwnd);
    HDC mem = wdc ? CreateCompatibleDC(wdc) : nullptr;
    void* bits = nullptr;
    HBITMAP dib = mem ? CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (dib) {
        HGDIOBJ old = SelectObject(mem, dib);
        if (BitBlt(mem, 0, 0, w, h, wdc, 0, 0, SRCCOPY)) {
            GdiFlush();
            const DWORD stride = ((static_cast<DWORD>(w) * 3u) + 3u) & ~3u;
            if (drivekit::WriteBmp24(outPath, w, h, bits, stride)) {
                Out(std::wstring(L"captured ") + std::to_wstring(w) + L"x" + std::to_wstring(h) + L" to " +
                    outPath);
                rcode = kOk;
            } else {
                Err(std::wstring(L"cannot write ") + outPath);
            }
        } else {
            Err(L"BitBlt failed");
        }
        SelectObject(mem, old);
        DeleteObject(dib);
    } else {
        Err(L"cannot create the capture bitmap");
    }
    if (mem) DeleteDC(mem);
    if (wdc) ReleaseDC(hwnd, wdc);
    return rcode;
}

// Wine closes a virtual desktop, and ends its explorer.exe, a second after its
// last user leaves. The test session keeps one user for its whole life, so
// that explorer is started once, by this quiet process, and never by a test
// (a process started by a test inherits the test's output pipe).
int HoldDesktop(DWORD ms) {
    GetDesktopWindow();
    Sleep(ms == 0 ? INFINITE : ms);
    return kOk;
}

int Usage() {
    Err(L"usage:\n"
        L"  volmark-wintool wait-window <title> <timeout-ms>\n"
        L"  volmark-wintool wait-gone <title> <timeout-ms>\n"
        L"  volmark-wintool close-window <title>\n"
        L"  volmark-wintool capture <title> <out.bmp>\n"
        L"  volmark-wintool hold-desktop [ms]");
    return kError;
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv || argc < 2) return Usage();
    const std::wstring cmd = argv[1];
    int rc = kError;
    DWORD ms = 0;
    if ((cmd == L"wait-window" || cmd == L"wait-gone") && argc == 4) {
        rc = ParseMs(argv[3], &ms) ? WaitFor(argv[2], ms, cmd == L"wait-window") : Usage();
    } else if (cmd == L"close-window" && argc == 3) {
        rc = CloseWindowByTitle(argv[2]);
    } else if (cmd == L"capture" && argc == 4) {
        rc = Capture(argv[2], argv[3]);
    } else if (cmd == L"hold-desktop" && argc <= 3) {
        rc = (argc == 2 || ParseMs(argv[2], &ms)) ? HoldDesktop(ms) : Usage();
    } else {
        rc = Usage();
    }
    LocalFree(argv);
    return rc;
}
