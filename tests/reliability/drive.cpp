// volmark-drive: plays the user's part for scripts that run Volmark under
// Wine: picks a drive letter, presses Connect, reads the box that follows
// and closes it.
//
//   volmark-drive connect <letter> [timeout-ms]
//
// Prints "box: <text>" (UTF-8). Exit status: 0 a box was shown and closed,
// 1 bad arguments, 2 no window titled "Kelvask", 3 the letter is not in the
// drive list, 4 no box appeared.
#include <windows.h>

#include <string>

namespace {

constexpr DWORD kPollMs = 20;

void Say(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], n, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    utf8 += "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

struct BoxSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchBox(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<BoxSearch*>(lp);
    wchar_t cls[16];
    if (!GetClassNameW(h, cls, 16) || lstrcmpW(cls, L"#32770") != 0) return TRUE;
    if (GetWindow(h, GW_OWNER) != s->owner || !IsWindowVisible(h)) return TRUE;
    s->found = h;
    return FALSE;
}

std::wstring TextOf(HWND h) {
    wchar_t buf[512] = {};
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &n)) return L"";
    return std::wstring(buf, n < 512 ? n : 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3 || lstrcmpW(argv[1], L"connect") != 0 || !argv[2][0] || argv[2][1]) {
        Say(L"usage: volmark-drive connect <letter> [timeout-ms]");
        return 1;
    }
    const DWORD timeout = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 15000;
    const ULONGLONG deadline = GetTickCount64() + timeout;

    HWND dlg = nullptr;
    while (!(dlg = FindWindowW(nullptr, L"Kelvask"))) {
        if (GetTickCount64() >= deadline) {
            Say(L"volmark-drive: no window titled \"Kelvask\"");
            return 2;
        }
        Sleep(kPollMs);
    }
    HWND combo = GetDlgItem(dlg, 1000);
    HWND connect = GetDlgItem(dlg, IDOK);
    const wchar_t local[] = {argv[2][0], L':', 0};
    const LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(local));
    if (!combo || !connect || index == CB_ERR) {
        Say(std::wstring(L"volmark-drive: ") + local + L" is not in the drive list");
        return 3;
    }
    // CB_SETCURSEL sends no notification: the dialog is told as a real
    // selection would tell it.
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(1000, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    // Posted: the handler shows a modal box, and a send would wait for it.
    PostMessageW(connect, BM_CLICK, 0, 0);

    BoxSearch s{dlg, nullptr};
    for (;;) {
        s.found = nullptr;
        EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&s));
        if (s.found) break;
        if (GetTickCount64() >= deadline) {
            Say(L"volmark-drive: no box after Connect");
            return 4;
        }
        Sleep(kPollMs);
    }
    Say(L"box: " + TextOf(GetDlgItem(s.found, 0xFFFF)));
    PostMessageW(s.found, WM_COMMAND, IDOK, 0);
    return 0;
}
