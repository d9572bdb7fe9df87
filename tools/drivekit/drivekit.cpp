#include "tools/drivekit/drivekit.h"

#include <cwchar>

namespace drivekit {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &utf8[0], n, nullptr, nullptr);
    return utf8;
}

void WriteUtf8(DWORD stdHandle, const std::wstring& text) {
    const std::string utf8 = Utf8(text);
    if (utf8.empty()) return;
    DWORD written = 0;
    WriteFile(GetStdHandle(stdHandle), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

namespace {

struct TitleSearch {
    const wchar_t* title;
    DWORD pid;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<TitleSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    if (s->pid && pid != s->pid) return TRUE;
    if (s->visibleOnly && !IsWindowVisible(h)) return TRUE;
    wchar_t title[256];
    if (GetWindowTextW(h, title, 256) <= 0 || wcscmp(title, s->title) != 0) return TRUE;
    s->found = h;
    return FALSE;
}

struct BoxSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchOwnedBox(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<BoxSearch*>(lp);
    wchar_t cls[32];
    if (!GetClassNameW(h, cls, 32) || wcscmp(cls, L"#32770") != 0) return TRUE;
    if (GetWindow(h, GW_OWNER) != s->owner || !IsWindowVisible(h)) return TRUE;
    s->found = h;
    return FALSE;
}

}  // namespace

HWND FindWindowOfProcess(const wchar_t* title, DWORD pid, bool visibleOnly) {
    TitleSearch s{title, pid, visibleOnly, nullptr};
    EnumWindows(MatchTitle, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindOwnedBox(HWND owner) {
    BoxSearch s{owner, nullptr};
    EnumWindows(MatchOwnedBox, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buf[1024];
    DWORD_PTR n = 0;
    if (!hwnd || !SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &n))
        return L"";
    return std::wstring(buf, n < 1024 ? n : 0);
}

void SelectDriveItem(HWND dialog, HWND combo, WPARAM index) {
    SendMessageW(combo, CB_SETCURSEL, index, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kDriveListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

bool WriteBmp24(const wchar_t* path, int w, int h, const void* bits, DWORD stride) {
    const DWORD imageSize = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    fh.bfType = 0x4D42;  // "BM"
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + imageSize;
    ih.biSize = sizeof(ih);
    ih.biWidth = w;
    ih.biHeight = h;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = imageSize;

    HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    bool ok = WriteFile(f, &fh, sizeof(fh), &n, nullptr) && n == sizeof(fh) &&
              WriteFile(f, &ih, sizeof(ih), &n, nullptr) && n == sizeof(ih) &&
              WriteFile(f, bits, imageSize, &n, nullptr) && n == imageSize;
    ok = CloseHandle(f) && ok;
    if (!ok) DeleteFileW(path);
    return ok;
}

std::wstring QuoteArg(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    // The rules of CommandLineToArgvW: backslashes are literal unless they
    // precede a quote; then each pair stands for one backslash.
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t ch : arg) {
        if (ch == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(ch == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out.push_back(ch);
    }
    out.append(backslashes * 2, L'\\');  // before the closing quote
    out.push_back(L'"');
    return out;
}

DWORD StartProcess(const std::wstring& exe, const std::vector<std::wstring>& args, const std::wstring& workDir,
                   HANDLE* process, DWORD* pid) {
    std::wstring cmd = QuoteArg(exe);
    for (const auto& a : args) cmd += L" " + QuoteArg(a);
    std::vector<wchar_t> cmdBuf(cmd.begin(), cmd.end());
    cmdBuf.push_back(L'\0');

    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe.c_str(), cmdBuf.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi)) {
        return GetLastError();
    }
    CloseHandle(pi.hThread);
    *process = pi.hProcess;
    *pid = pi.dwProcessId;
    return ERROR_SUCCESS;
}

}  // namespace drivekit
