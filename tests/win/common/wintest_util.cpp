#include "wintest_util.h"

#include <cstdint>
#include <cstring>

#include "tools/drivekit/drivekit.h"

namespace {

constexpr DWORD kPollMs = 50;

bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& data) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    bool ok = WriteFile(f, data.data(), static_cast<DWORD>(data.size()), &n, nullptr) && n == data.size();
    ok = CloseHandle(f) && ok;
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

template <typename T>
void Append(std::vector<uint8_t>& out, const T& value) {
    const auto* p = reinterpret_cast<const uint8_t*>(&value);
    out.insert(out.end(), p, p + sizeof(T));
}

ULONGLONG Deadline(DWORD ms) { return GetTickCount64() + ms; }

DWORD Remaining(ULONGLONG deadline) {
    ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

// Dispatches what is queued now. False when WM_QUIT was taken (and posted again).
bool DrainQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return true;
}

}  // namespace

void PumpMessages(DWORD ms) {
    const ULONGLONG deadline = Deadline(ms);
    for (;;) {
        if (!DrainQueue()) return;
        DWORD left = Remaining(deadline);
        if (left == 0) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const ULONGLONG deadline = Deadline(timeoutMs);
    for (;;) {
        bool quit = !DrainQueue();
        if (done()) return true;
        DWORD left = Remaining(deadline);
        if (quit || left == 0) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, left < kPollMs ? left : kPollMs, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs) {
    const ULONGLONG deadline = Deadline(timeoutMs);
    for (;;) {
        if (HWND hwnd = FindWindowW(nullptr, title)) return hwnd;
        DWORD left = Remaining(deadline);
        if (left == 0) return nullptr;
        PumpMessages(left < kPollMs ? left : kPollMs);
    }
}

int CountLiveGdiObjects() {
    // Wine's stub sets ERROR_CALL_NOT_IMPLEMENTED: keep the caller's error.
    const DWORD savedError = GetLastError();
    DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0) {  // Windows itself
        SetLastError(savedError);
        return static_cast<int>(reported);
    }
    int count = 0;
    for (ULONG_PTR i = 1; i <= 0xFFFF; ++i) {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(i)) != 0) ++count;
    }
    SetLastError(savedError);
    return count;
}

bool WriteBmp(const std::wstring& path, int w, int h, const std::vector<COLORREF>& pixels) {
    if (w <= 0 || h <= 0 || pixels.size() != static_cast<size_t>(w) * static_cast<size_t>(h)) return false;
    const DWORD stride = (static_cast<DWORD>(w) * 3u + 3u) & ~3u;
    std::vector<uint8_t> rows;
    rows.reserve(static_cast<size_t>(stride) * static_cast<size_t>(h));
    for (int y = h - 1; y >= 0; --y) {
        size_t rowStart = rows.size();
        for (int x = 0; x < w; ++x) {
            COLORREF c = pixels[static_cast<size_t>(y) * w + x];
            rows.push_back(GetBValue(c));
            rows.push_back(GetGValue(c));
            rows.push_back(GetRValue(c));
        }
        rows.resize(rowStart + stride, 0);
    }
    return drivekit::WriteBmp24(path.c_str(), w, h, rows.data(), stride);
}

bool WriteSolidBmp(const std::wstring& path, int w, int h, COLORREF c) {
    if (w <= 0 || h <= 0) return false;
    return WriteBmp(path, w, h, std::vector<COLORREF>(static_cast<size_t>(w) * h, c));
}

bool WriteIco(const std::wstring& path, const std::vector<int>& sizes, COLORREF c) {
    if (sizes.empty()) return false;
    for (int s : sizes) {
        if (s <= 0 || s > 256) return false;
    }
#pragma pack(push, 1)
    struct IconDir {
        WORD reserved, type, count;
    };
    struct IconDirEntry {
        BYTE width, height, colorCount, reserved;
        WORD planes, bitCount;
        DWORD bytesInRes, imageOffset;
    };
#pragma pack(pop)

    std::vector<std::vector<uint8_t>> images;
    for (int s : sizes) {
        std::vector<uint8_t> img;
        BITMAPINFOHEADER ih{};
        ih.biSize = sizeof(ih);
        ih.biWidth = s;
        ih.biHeight = s * 2;  // colour rows, then the AND mask rows
        ih.biPlanes = 1;
        ih.biBitCount = 32;
        ih.biCompression = BI_RGB;
        const DWORD maskStride = ((static_cast<DWORD>(s) + 31u) / 32u) * 4u;
        ih.biSizeImage = static_cast<DWORD>(s) * s * 4u + maskStride * s;
        Append(img, ih);
        for (int i = 0; i < s * s; ++i) {
            img.push_back(GetBValue(c));
            img.push_back(GetGValue(c));
            img.push_back(GetRValue(c));
            img.push_back(0xFF);  // opaque
        }
        img.resize(img.size() + maskStride * s, 0);  // mask 0: every pixel shown
        images.push_back(std::move(img));
    }

    std::vector<uint8_t> data;
    IconDir dir{0, 1, static_cast<WORD>(sizes.size())};
    Append(data, dir);
    DWORD offset = static_cast<DWORD>(sizeof(IconDir) + sizeof(IconDirEntry) * sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) {
        IconDirEntry e{};
        e.width = static_cast<BYTE>(sizes[i] == 256 ? 0 : sizes[i]);
        e.height = e.width;
        e.planes = 1;
        e.bitCount = 32;
        e.bytesInRes = static_cast<DWORD>(images[i].size());
        e.imageOffset = offset;
        offset += e.bytesInRes;
        Append(data, e);
    }
    for (const auto& img : images) data.insert(data.end(), img.begin(), img.end());
    return WriteWholeFile(path, data);
}

std::wstring MakeTempDir() {
    wchar_t base[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, base);
    if (n == 0 || n > MAX_PATH) return L"";
    static LONG counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring dir = std::wstring(base) + L"volmark-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                           std::to_wstring(InterlockedIncrement(&counter)) + L"-" +
                           std::to_wstring(GetTickCount64() % 100000);
        if (CreateDirectoryW(dir.c_str(), nullptr)) return dir;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return L"";
    }
    return L"";
}

bool RemoveTree(const std::wstring& dir) {
    if (dir.empty()) return false;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    bool ok = true;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            std::wstring full = dir + L"\\" + name;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ok = RemoveTree(full) && ok;
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                ok = DeleteFileW(full.c_str()) && ok;
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    return RemoveDirectoryW(dir.c_str()) && ok;
}

COLORREF PixelOf(HDC dc, int x, int y) { return GetPixel(dc, x, y); }

WindowImage CaptureWindow(HWND hwnd) {
    WindowImage img;
    RECT rc{};
    if (!hwnd || !GetWindowRect(hwnd, &rc)) return img;
    const int w = rc.right - rc.left;
    const int h = rc.bottom - rc.top;
    if (w <= 0 || h <= 0) return img;

    HDC wdc = GetWindowDC(hwnd);
    if (!wdc) return img;
    HDC mem = CreateCompatibleDC(wdc);
    void* bits = nullptr;
    HBITMAP dib = mem ? CreateTopDownDib(w, h, 32, &bits, wdc) : nullptr;
    if (dib) {
        HGDIOBJ old = SelectObject(mem, dib);
        if (BitBlt(mem, 0, 0, w, h, wdc, 0, 0, SRCCOPY)) {
            GdiFlush();
            const auto* px = static_cast<const uint32_t*>(bits);
            img.width = w;
            img.height = h;
            img.pixels.resize(static_cast<size_t>(w) * h);
            for (size_t i = 0; i < img.pixels.size(); ++i) {
                uint32_t v = px[i];  // 0x00RRGGBB in memory order B, G, R, X
                img.pixels[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
            }
        }
        SelectObject(mem, old);
        DeleteObject(dib);
    }
    if (mem) DeleteDC(mem);
    ReleaseDC(hwnd, wdc);
    return img;
}

std::wstring BinDir() {
    wchar_t buf[4096];
    DWORD n = GetEnvironmentVariableW(L"VOLMARK_BIN", buf, 4096);
    if (n > 0 && n < 4096) {
        std::wstring dir(buf, n);
        if (dir[0] == L'/') {
            // A Unix path from the build: let Wine map it, else assume Z: is /.
            using ToDos = WCHAR* (*)(const char*);
            auto toDos = reinterpret_cast<ToDos>(
                reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
            int len = WideCharToMultiByte(CP_UTF8, 0, dir.c_str(), -1, nullptr, 0, nullptr, nullptr);
            std::string unixPath(static_cast<size_t>(len > 0 ? len : 1), '\0');
            WideCharToMultiByte(CP_UTF8, 0, dir.c_str(), -1, &unixPath[0], len, nullptr, nullptr);
            WCHAR* dos = toDos ? toDos(unixPath.c_str()) : nullptr;
            if (dos) {
                dir = dos;
                HeapFree(GetProcessHeap(), 0, dos);
            } else {
                for (auto& ch : dir) {
                    if (ch == L'/') ch = L'\\';
                }
                dir = L"Z:" + dir;
            }
        }
        while (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
        return dir;
    }
    n = GetModuleFileNameW(nullptr, buf, 4096);
    std::wstring exe(buf, n < 4096 ? n : 0);
    size_t slash = exe.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : exe.substr(0, slash);
}

ProcessRunner::~ProcessRunner() {
    if (Running()) Kill();
    if (m_process) CloseHandle(m_process);
}

std::wstring ProcessRunner::QuoteArg(const std::wstring& arg) { return drivekit::QuoteArg(arg); }

bool ProcessRunner::Start(const std::wstring& exe, const std::vector<std::wstring>& args,
                          const std::wstring& workDir) {
    if (m_process) {
        if (Running()) return false;
        CloseHandle(m_process);
        m_process = nullptr;
        m_pid = 0;
    }
    return drivekit::StartProcess(exe, args, workDir, &m_process, &m_pid) == ERROR_SUCCESS;
}

bool ProcessRunner::Wait(DWORD timeoutMs, DWORD* exitCode) {
    if (!m_process) return false;
    if (WaitForSingleObject(m_process, timeoutMs) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    GetExitCodeProcess(m_process, &code);
    if (exitCode) *exitCode = code;
    return true;
}

void ProcessRunner::Kill() {
    if (!m_process) return;
    TerminateProcess(m_process, 0xDEAD);
    WaitForSingleObject(m_process, 5000);
}

bool ProcessRunner::Running() const {
    return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT;
}

long RunProcess(const std::wstring& exe, const std::vector<std::wstring>& args, DWORD timeoutMs) {
    ProcessRunner runner;
    if (!runner.Start(exe, args)) return -1;
    DWORD code = 0;
    if (!runner.Wait(timeoutMs, &code)) {
        runner.Kill();
        return -1;
    }
    return static_cast<long>(code);
}

HBITMAP CreateTopDownDib(int w, int h, WORD bitCount, void** bits, HDC dc) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = bitCount;
    bi.bmiHeader.biCompression = BI_RGB;
    return CreateDIBSection(dc, &bi, DIB_RGB_COLORS, bits, nullptr, 0);
}
