// volmark-drive: plays the user's part for scripts that run Volmark under
// Wine: picks a drive letter, presses Connect, reads the box that follows
// and closes it.
//
//   volmark-drive connect <letter> [timeout-ms] [debug-output-file]
//   volmark-drive forget <letter>
//
// connect prints "box: <text>" (UTF-8). With a debug-output file it first
// attaches to the program as a debugger, collects every debugger-output
// string the program sends until it ends, and writes them to that file
// (UTF-8, as they came). Wine prints a program's OutputDebugStringW text in
// no trace channel, so a debugger is the one way to see all of it.
// Exit status: 0 a box was shown and closed (and, with a file, the program
// ended while attached), 1 bad arguments, 2 no window titled "Kelvask", 3 the
// letter is not in the drive list, 4 no box appeared, 5 the debugger could
// not attach or the program did not end in time.
//
// forget drops the letter's connection and its persistent entry, as a run
// that mapped it leaves them; exit status 0.
#include <windows.h>
#include <winnetwk.h>

#include <string>
#include <vector>

#include "tools/drivekit/drivekit.h"

namespace {

constexpr DWORD kPollMs = 20;
// OutputDebugStringW's exception; older headers lack the name.
constexpr DWORD kPrintExceptionWide = 0x4001000A;

using drivekit::Utf8;

void Say(const std::wstring& text) { drivekit::WriteUtf8(STD_OUTPUT_HANDLE, text + L"\n"); }

// The debugger side: a thread of its own attaches (the thread that attaches
// is the one that must wait for the events) and collects the strings.
struct DebugCapture {
    DWORD pid = 0;
    HANDLE attached = nullptr;  // set once the attach succeeded or failed
    volatile LONG stop = 0;
    bool ok = false;
    bool exited = false;
    std::vector<std::string> strings;  // raw bytes of each string, UTF-8 for wide ones
};

std::string ReadRemote(HANDLE process, const void* at, size_t bytes) {
    std::string data(bytes, '\0');
    SIZE_T got = 0;
    if (!bytes || !ReadProcessMemory(process, at, &data[0], bytes, &got)) return {};
    data.resize(got);
    return data;
}

std::string ReadRemoteWide(HANDLE process, const void* at, size_t units) {
    const std::string raw = ReadRemote(process, at, units * sizeof(wchar_t));
    std::wstring w(raw.size() / sizeof(wchar_t), L'\0');
    if (!w.empty()) memcpy(&w[0], raw.data(), w.size() * sizeof(wchar_t));
    while (!w.empty() && w.back() == L'\0') w.pop_back();
    return Utf8(w);
}

DWORD WINAPI DebugLoop(void* param) {
    auto* c = static_cast<DebugCapture*>(param);
    c->ok = DebugActiveProcess(c->pid) != FALSE;
    // Should this tool end first, the program must go on, not be killed.
    if (c->ok) DebugSetProcessKillOnExit(FALSE);
    SetEvent(c->attached);
    if (!c->ok) return 0;
    HANDLE process = nullptr;
    while (!c->stop) {
        DEBUG_EVENT ev{};
        if (!WaitForDebugEvent(&ev, 100)) continue;
        DWORD status = DBG_CONTINUE;
        switch (ev.dwDebugEventCode) {
        case CREATE_PROCESS_DEBUG_EVENT:
            process = ev.u.CreateProcessInfo.hProcess;
            if (ev.u.CreateProcessInfo.hFile) CloseHandle(ev.u.CreateProcessInfo.hFile);
            break;
        case LOAD_DLL_DEBUG_EVENT:
            if (ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
            break;
        case OUTPUT_DEBUG_STRING_EVENT: {
            const OUTPUT_DEBUG_STRING_INFO& o = ev.u.DebugString;
            c->strings.push_back(o.fUnicode ? ReadRemoteWide(process, o.lpDebugStringData, o.nDebugStringLength)
                                            : ReadRemote(process, o.lpDebugStringData, o.nDebugStringLength));
            break;
        }
        case EXCEPTION_DEBUG_EVENT: {
            const EXCEPTION_RECORD& r = ev.u.Exception.ExceptionRecord;
            if (r.ExceptionCode == kPrintExceptionWide && r.NumberParameters >= 2) {
                c->strings.push_back(ReadRemoteWide(process, reinterpret_cast<const void*>(r.ExceptionInformation[1]),
                                                    static_cast<size_t>(r.ExceptionInformation[0])));
                // Not taken here: the program goes on to its narrow form,
                // which is seen as well.
                status = DBG_EXCEPTION_NOT_HANDLED;
            } else if (r.ExceptionCode != EXCEPTION_BREAKPOINT) {
                status = DBG_EXCEPTION_NOT_HANDLED;  // the attach break is ours; the rest the program's
            }
            break;
        }
        case EXIT_PROCESS_DEBUG_EVENT:
            c->exited = true;
            c->stop = 1;
            break;
        default:
            break;
        }
        ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
    }
    if (!c->exited) DebugActiveProcessStop(c->pid);
    return 0;
}

bool WriteStrings(const std::wstring& path, const std::vector<std::string>& strings) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    for (const std::string& s : strings) {
        DWORD written = 0;
        ok = ok && WriteFile(h, s.data(), static_cast<DWORD>(s.size()), &written, nullptr) && written == s.size();
    }
    CloseHandle(h);
    return ok;
}

int Forget(wchar_t letter) {
    const wchar_t local[] = {letter, L':', 0};
    WNetCancelConnection2W(local, CONNECT_UPDATE_PROFILE, TRUE);
    const std::wstring key = std::wstring(L"Network\\") + letter;
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    return 0;
}

int Connect(wchar_t letter, DWORD timeout, const wchar_t* debugFile) {
    const ULONGLONG deadline = GetTickCount64() + timeout;
    HWND dlg = nullptr;
    while (!(dlg = FindWindowW(nullptr, L"Kelvask"))) {
        if (GetTickCount64() >= deadline) {
            Say(L"volmark-drive: no window titled \"Kelvask\"");
            return 2;
        }
        Sleep(kPollMs);
    }
    HWND combo = GetDlgItem(dlg, drivekit::kDriveListId);
    HWND connect = GetDlgItem(dlg, IDOK);
    const wchar_t local[] = {letter, L':', 0};
    const LRESULT index =
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(local));
    if (!combo || !connect || index == CB_ERR) {
        Say(std::wstring(L"volmark-drive: ") + local + L" is not in the drive list");
        return 3;
    }

    DebugCapture capture;
    HANDLE debugger = nullptr;
    if (debugFile) {
        GetWindowThreadProcessId(dlg, &capture.pid);
        capture.attached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        debugger = CreateThread(nullptr, 0, DebugLoop, &capture, 0, nullptr);
        WaitForSingleObject(capture.attached, INFINITE);
        if (!capture.ok) {
            Say(L"volmark-drive: cannot attach to the program as a debugger");
            WaitForSingleObject(debugger, INFINITE);
            return 5;
        }
    }

    drivekit::SelectDriveItem(dlg, combo, static_cast<WPARAM>(index));
    drivekit::PostClick(connect);

    int rc = 0;
    HWND box = nullptr;
    while (!(box = drivekit::FindOwnedBox(dlg))) {
        if (GetTickCount64() >= deadline) {
            Say(L"volmark-drive: no box after Connect");
            rc = 4;
            break;
        }
        Sleep(kPollMs);
    }
    if (box) {
        Say(L"box: " + drivekit::BoxText(box));
        drivekit::CloseBox(box);
    }

    if (debugger) {
        // The program ends by itself after a successful mapping; else this
        // tool lets go of it at the deadline.
        while (!capture.exited && GetTickCount64() < deadline) Sleep(kPollMs);
        capture.stop = 1;
        WaitForSingleObject(debugger, INFINITE);
        CloseHandle(debugger);
        CloseHandle(capture.attached);
        if (!WriteStrings(debugFile, capture.strings)) {
            Say(L"volmark-drive: cannot write the debugger output");
            return 5;
        }
        Say(L"debugger strings: " + std::to_wstring(capture.strings.size()));
        if (rc == 0 && !capture.exited) {
            Say(L"volmark-drive: the program did not end while attached");
            rc = 5;
        }
    }
    return rc;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool letterOk = argc >= 3 && argv[2][0] && !argv[2][1];
    if (letterOk && argc <= 5 && lstrcmpW(argv[1], L"connect") == 0) {
        const DWORD timeout = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 15000;
        return Connect(argv[2][0], timeout, argc > 4 ? argv[4] : nullptr);
    }
    if (letterOk && argc == 3 && lstrcmpW(argv[1], L"forget") == 0) return Forget(argv[2][0]);
    Say(L"usage: volmark-drive connect <letter> [timeout-ms] [debug-output-file] | forget <letter>");
    return 1;
}
