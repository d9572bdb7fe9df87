// Plain Win32 helpers for the Windows tests: waiting for windows, pumping
// messages, counting GDI objects, writing image fixtures, reading pixels and
// running helper programs. Nothing here depends on the framework layer.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Polls FindWindowW(NULL, title) every 50 ms, pumping this thread's messages
// meanwhile (a window made by another thread may need them). Returns the
// window, or nullptr once timeoutMs has passed.
HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs);

// Processes this thread's messages for about `ms` milliseconds. Returns early
// when WM_QUIT arrives and posts it again, so that the caller still sees it.
void PumpMessages(DWORD ms);

// Pumps messages until `done()` is true (checked after every batch) or the
// time is up. Returns the last value of `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// Number of live GDI objects of this process, stock objects included. Wine's
// GetGuiResources returns 0, so under Wine this probes the handle table: a
// handle whose high word is 0 matches the entry of that index whatever its
// generation, so GetObjectType over every index counts the live entries.
// Compare two readings taken on one thread with nothing else drawing.
int CountLiveGdiObjects();

// 24-bit BMP files (bottom-up rows padded to 4 bytes, as LoadImageW expects).
// `pixels` is row-major from the top-left, w * h entries.
bool WriteSolidBmp(const std::wstring& path, int w, int h, COLORREF c);
bool WriteBmp(const std::wstring& path, int w, int h, const std::vector<COLORREF>& pixels);

// An .ico with one opaque 32-bit entry per size, each filled with `c`.
bool WriteIco(const std::wstring& path, const std::vector<int>& sizes, COLORREF c);
inline bool WriteIco(const std::wstring& path, COLORREF c) { return WriteIco(path, {16, 24, 32}, c); }

// A new, empty folder under GetTempPathW (no trailing backslash); empty on
// failure. RemoveTree deletes a folder and everything in it.
std::wstring MakeTempDir();
bool RemoveTree(const std::wstring& dir);

COLORREF PixelOf(HDC dc, int x, int y);

// The whole window, non-client area included, copied through its window DC
// (works for other processes' windows too, where PrintWindow gives a blank).
struct WindowImage {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // row-major from the top-left
    bool empty() const { return pixels.empty(); }
    COLORREF at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
WindowImage CaptureWindow(HWND hwnd);

// A top-down DIB section (row 0 at the top) of bitCount bits a pixel, its
// pixels readable at *bits without going through GDI; null on failure.
HBITMAP CreateTopDownDib(int w, int h, WORD bitCount, void** bits, HDC dc = nullptr);

// The build's bin/ folder as a Windows path, no trailing backslash: from
// VOLMARK_BIN (a Unix path under Wine is converted), else the folder of the
// running test program.
std::wstring BinDir();

// Starts a program with CreateProcessW and waits for it, bounded. The
// destructor kills a program that is still running.
class ProcessRunner {
public:
    ProcessRunner() = default;
    ~ProcessRunner();
    ProcessRunner(const ProcessRunner&) = delete;
    ProcessRunner& operator=(const ProcessRunner&) = delete;

    // `args` are quoted so that the program's CommandLineToArgvW sees them
    // unchanged. An empty `workDir` keeps the current directory.
    bool Start(const std::wstring& exe, const std::vector<std::wstring>& args = {},
               const std::wstring& workDir = L"");
    // True once the program has ended within timeoutMs; then *exitCode holds
    // its exit code.
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    void Kill();
    bool Running() const;
    DWORD Pid() const { return m_pid; }
    HANDLE Handle() const { return m_process; }

    static std::wstring QuoteArg(const std::wstring& arg);

private:
    HANDLE m_process = nullptr;
    DWORD m_pid = 0;
};

// Runs a program to its end: its exit code, or -1 when it could not start or
// did not end within timeoutMs (it is killed then).
long RunProcess(const std::wstring& exe, const std::vector<std::wstring>& args, DWORD timeoutMs);
