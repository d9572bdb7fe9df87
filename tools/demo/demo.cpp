// volmark-demo: plays the drive-mapping story on a running Volmark for
// tools/run.sh, and lists or forgets the drive it mapped.
//
//   volmark-demo play <sync-folder> [letter]
//       Waits for the "Kelvask" dialog (the request must have been delivered
//       already), then: the dialog idle, the pointer over the close button,
//       the letter chosen (default: the first in the list) and the Connect
//       button held down, Connect clicked and the result box shown; the box is
//       then closed with OK. Before each of these four moments it writes
//       <sync-folder>\<n>-<name>.want holding "x y w h", the screen area to
//       take, and waits (30 s at most) for <n>-<name>.done from the script.
//   volmark-demo list <\\host\share>
//       Finds the letter mapped to the share and lists its files.
//   volmark-demo forget <\\host\share>
//       Cancels every live or remembered mapping of the share.
//
// Exit status: 0 done; 2 no dialog, no box, no such mapping or no answer
// from the script in time; 1 bad arguments or another failure.
// Output is UTF-8 written with WriteFile (Wine's wprintf drops non-ASCII text).
#include <windows.h>
#include <winnetwk.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tools/drivekit/drivekit.h"

namespace {

constexpr int kOk = 0;
constexpr int kError = 1;
constexpr int kNotFound = 2;

constexpr wchar_t kTitle[] = L"Kelvask";
constexpr DWORD kPollMs = 50;
constexpr DWORD kSettleMs = 500;  // lets the frame and the button repaint
constexpr int kShotMargin = 12;

using drivekit::WriteUtf8;

void Say(const std::wstring& text) { WriteUtf8(STD_OUTPUT_HANDLE, text + L"\n"); }
int Fail(int code, const std::wstring& text) {
    WriteUtf8(STD_ERROR_HANDLE, L"volmark-demo: " + text + L"\n");
    return code;
}

template <typename Pred>
bool WaitUntil(DWORD timeoutMs, Pred done) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (done()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
}

// ---------------------------------------------------------------- play

// The caption buttons take box_exit's size; it is read from the skin beside
// the program, as the program itself does. 26 x 26 is the default skin's.
SIZE CaptionButtonSize(HWND dialog) {
    SIZE size{26, 26};
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return size;
    wchar_t path[MAX_PATH];
    DWORD n = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, path, &n)) {
        std::wstring file(path, n);
        file = file.substr(0, file.rfind(L'\\') + 1) + L"skin\\box_exit.bmp";
        if (HANDLE bmp = LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)) {
            BITMAP bm{};
            if (GetObjectW(bmp, sizeof bm, &bm) && bm.bmWidth > 0 && bm.bmHeight > 0) size = {bm.bmWidth, bm.bmHeight};
            DeleteObject(bmp);
        }
    }
    CloseHandle(process);
    return size;
}

class Shooter {
public:
    explicit Shooter(std::wstring folder) : m_folder(std::move(folder)) {}

    // Asks the script for a picture of `area` (padded, kept on the screen)
    // and waits until it says it took it.
    bool Take(const std::wstring& name, RECT area) {
        Sleep(kSettleMs);
        const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
        area.left = area.left - kShotMargin < 0 ? 0 : area.left - kShotMargin;
        area.top = area.top - kShotMargin < 0 ? 0 : area.top - kShotMargin;
        area.right = area.right + kShotMargin > cx ? cx : area.right + kShotMargin;
        area.bottom = area.bottom + kShotMargin > cy ? cy : area.bottom + kShotMargin;
        const std::wstring base = m_folder + L"\\" + name;
        const std::wstring want = base + L".want", tmp = base + L".tmp", done = base + L".done";
        DeleteFileW(done.c_str());
        char text[64];
        const int len = wsprintfA(text, "%d %d %d %d\n", static_cast<int>(area.left), static_cast<int>(area.top),
                                  static_cast<int>(area.right - area.left), static_cast<int>(area.bottom - area.top));
        // Written whole, then renamed: the script never reads half a line.
        HANDLE f = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) return Fail(kError, L"cannot write " + tmp), false;
        DWORD written = 0;
        const bool ok = WriteFile(f, text, static_cast<DWORD>(len), &written, nullptr) && written == DWORD(len);
        CloseHandle(f);
        if (!ok || !MoveFileExW(tmp.c_str(), want.c_str(), MOVEFILE_REPLACE_EXISTING))
            return Fail(kError, L"cannot write " + want), false;
        if (!WaitUntil(30000, [&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }))
            return Fail(kNotFound, L"no picture of " + name + L" was taken within 30 s"), false;
        return true;
    }

private:
    std::wstring m_folder;
};

RECT WindowRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

// Somewhere on the desktop away from the dialog, so that nothing of it is
// hovered.
void ParkPointer(HWND dialog) {
    const RECT r = WindowRect(dialog);
    const int cx = GetSystemMetrics(SM_CXSCREEN);
    SetCursorPos(r.right + 40 < cx ? r.right + 40 : (r.left > 40 ? r.left - 40 : cx - 4), r.top > 8 ? r.top - 8 : 4);
}

int Play(const std::wstring& syncFolder, const std::wstring& wantedLetter) {
    HWND dialog = nullptr;
    if (!WaitUntil(30000, [&] {
            dialog = FindWindowW(nullptr, kTitle);
            return dialog && IsWindowVisible(dialog);
        }))
        return Fail(kNotFound, L"no visible window titled \"Kelvask\" within 30 s");
    HWND combo = GetDlgItem(dialog, drivekit::kDriveListId);
    HWND connect = GetDlgItem(dialog, IDOK);
    if (!combo || !connect) return Fail(kError, L"the dialog has no drive list or no Connect button");
    Shooter shots(syncFolder);
    SetForegroundWindow(dialog);

    ParkPointer(dialog);
    if (!shots.Take(L"1-idle", WindowRect(dialog))) return kNotFound;

    // Real pointer movement: the frame follows the pointer in the program's
    // message loop, which messages sent from here would bypass.
    const SIZE box = CaptionButtonSize(dialog);
    const RECT r = WindowRect(dialog);
    SetCursorPos(r.right - 10 - box.cx / 2, r.top + 4 + box.cy / 2);
    Say(L"pointer over the close button");
    if (!shots.Take(L"2-hover-close", WindowRect(dialog))) return kNotFound;
    ParkPointer(dialog);
    Sleep(kSettleMs);  // the frame hears that the pointer left

    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    if (count <= 0) return Fail(kError, L"the drive list is empty");
    LRESULT index = wantedLetter.empty()
                        ? CB_ERR
                        : SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(wantedLetter.c_str()));
    if (index == CB_ERR) index = 0;
    wchar_t letter[16] = {};
    if (SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0) < 16)
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(letter));
    // Choosing from code sends no notification: the dialog gets it from here.
    drivekit::SelectDriveItem(dialog, combo, static_cast<WPARAM>(index));
    Say(std::wstring(L"letter chosen: ") + letter);
    if (!WaitUntil(5000, [&] { return IsWindowEnabled(connect) != FALSE; }))
        return Fail(kError, L"Connect stayed disabled after a letter was chosen");

    SendMessageW(connect, BM_SETSTATE, TRUE, 0);
    const bool pressedShot = shots.Take(L"3-connect-pressed", WindowRect(dialog));
    SendMessageW(connect, BM_SETSTATE, FALSE, 0);
    if (!pressedShot) return kNotFound;
    drivekit::PostClick(connect);
    Say(L"Connect pressed");

    HWND result = nullptr;
    if (!WaitUntil(30000, [&] { return (result = drivekit::FindOwnedBox(dialog)) != nullptr; }))
        return Fail(kNotFound, L"no result box within 30 s");
    Sleep(kSettleMs);
    Say(L"the box says: " + drivekit::BoxText(result));
    RECT area = WindowRect(dialog);
    const RECT boxRect = WindowRect(result);
    UnionRect(&area, &area, &boxRect);
    const bool boxShot = shots.Take(L"4-success", area);
    drivekit::CloseBox(result);
    return boxShot ? kOk : kNotFound;
}

// ---------------------------------------------------------------- list, forget

std::wstring LetterName(int i) { return std::wstring{static_cast<wchar_t>(L'A' + i), L':'}; }

// Letters whose drive is live and connected to `remote`.
std::vector<std::wstring> MappedLetters(const std::wstring& remote) {
    std::vector<std::wstring> out;
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(mask & (1u << i))) continue;
        wchar_t name[512];
        DWORD len = 512;
        if (WNetGetConnectionW(LetterName(i).c_str(), name, &len) == NO_ERROR && lstrcmpiW(name, remote.c_str()) == 0)
            out.push_back(LetterName(i));
    }
    return out;
}

// Letters remembered under HKCU\Network for `remote`, live or not.
std::vector<std::wstring> RememberedLetters(const std::wstring& remote) {
    std::vector<std::wstring> out;
    for (int i = 0; i < 26; ++i) {
        const std::wstring key = L"Network\\" + std::wstring(1, static_cast<wchar_t>(L'A' + i));
        wchar_t path[512] = {};
        DWORD size = sizeof(path) - sizeof(wchar_t);
        if (RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"RemotePath", RRF_RT_REG_SZ, nullptr, path, &size) ==
                ERROR_SUCCESS &&
            lstrcmpiW(path, remote.c_str()) == 0)
            out.push_back(LetterName(i));
    }
    return out;
}

void ListFolder(const std::wstring& folder, const std::wstring& indent, int depth, int& budget) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((folder + L"*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (--budget < 0) {
            Say(indent + L"...");
            break;
        }
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            Say(indent + name + L"\\");
            if (depth < 3) ListFolder(folder + name + L"\\", indent + L"  ", depth + 1, budget);
        } else {
            const ULONGLONG bytes = (static_cast<ULONGLONG>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
            Say(indent + name + L"  (" + std::to_wstring(bytes) + L" bytes)");
        }
    } while (FindNextFileW(find, &fd));
    FindClose(find);
}

int List(const std::wstring& remote) {
    const std::vector<std::wstring> letters = MappedLetters(remote);
    if (letters.empty()) return Fail(kNotFound, L"no drive is mapped to " + remote);
    for (const std::wstring& letter : letters) {
        Say(letter + L"\\ is " + remote + L":");
        int budget = 200;
        ListFolder(letter + L"\\", L"  ", 0, budget);
    }
    return kOk;
}

int Forget(const std::wstring& remote) {
    std::vector<std::wstring> letters = MappedLetters(remote);
    for (const std::wstring& l : RememberedLetters(remote))
        if (std::find(letters.begin(), letters.end(), l) == letters.end()) letters.push_back(l);
    for (const std::wstring& letter : letters) {
        const DWORD rc = WNetCancelConnection2W(letter.c_str(), CONNECT_UPDATE_PROFILE, TRUE);
        Say(L"forgot " + letter + L" (" + remote + L"): " + (rc == NO_ERROR ? L"done" : L"error " + std::to_wstring(rc)));
    }
    return kOk;
}

int Usage() {
    return Fail(kError, L"usage:\n"
                        L"  volmark-demo play <sync-folder> [letter]\n"
                        L"  volmark-demo list <\\\\host\\share>\n"
                        L"  volmark-demo forget <\\\\host\\share>");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return Usage();
    const std::wstring cmd = argv[1];
    if (cmd == L"play" && argc <= 4) return Play(argv[2], argc == 4 ? argv[3] : L"");
    if (cmd == L"list" && argc == 3) return List(argv[2]);
    if (cmd == L"forget" && argc == 3) return Forget(argv[2]);
    return Usage();
}
