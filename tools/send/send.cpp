// volmark-send: does what the companion program does. It starts Volmark (or
// finds its running window), hands it the connection request (WM_COPYDATA,
// dwData 1004, the text user#password#host with its terminator), and with
// --launch waits for the program and returns its exit code.
//
//   volmark-send --launch PATH --user U --host H (--password P | --password-stdin)
//                [--window-timeout MS] [--exit-timeout MS]
//   volmark-send --running --user U --host H (--password P | --password-stdin)
//                [--window-timeout MS]
//
// --password-stdin reads one line from standard input, so the password never
// shows in a process list. A field must be non-empty and hold no '#': the
// receiver splits at '#' and folds empty fields, so such a request would
// arrive with its fields shifted.
//
// Exit status: with --launch, the program's own exit code (18 means a drive
// was mapped); with --running, 0 once the request was delivered. Errors of the
// tool itself use codes the program never returns:
//   64 bad arguments or a field that cannot be sent
//   65 the program could not be started
//   66 no window titled "Kelvask" appeared in time
//   67 the window did not take the message in time
//   68 the program did not end within --exit-timeout
//   69 the started program ended before its window appeared (another
//      instance was running, for one)
// Output is UTF-8 written with WriteFile (Wine's wprintf drops non-ASCII text).
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "dialog/connection_request.h"
#include "tools/drivekit/drivekit.h"

namespace {

constexpr int kBadArguments = 64;
constexpr int kLaunchFailed = 65;
constexpr int kNoWindow = 66;
constexpr int kNotDelivered = 67;
constexpr int kStillRunning = 68;
constexpr int kEndedEarly = 69;

constexpr wchar_t kTitle[] = L"Kelvask";
constexpr DWORD kPollMs = 50;
constexpr UINT kSendTimeoutMs = 10000;

using drivekit::WriteUtf8;

void Say(const std::wstring& text) { WriteUtf8(STD_OUTPUT_HANDLE, L"volmark-send: " + text + L"\n"); }
int Fail(int code, const std::wstring& text) {
    WriteUtf8(STD_ERROR_HANDLE, L"volmark-send: " + text + L"\n");
    return code;
}

int Usage(const std::wstring& why) {
    return Fail(kBadArguments,
                why + L"\nusage: volmark-send (--launch PATH | --running) --user U --host H"
                      L" (--password P | --password-stdin) [--window-timeout MS] [--exit-timeout MS]");
}

void Wipe(std::wstring& s) {
    if (!s.empty()) SecureZeroMemory(&s[0], s.size() * sizeof(wchar_t));
    s.clear();
}

// One line of standard input, without its line break. A console gets no
// echo; a pipe or file is read as UTF-8.
bool ReadPasswordLine(std::wstring& out) {
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (in == nullptr || in == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (GetConsoleMode(in, &mode)) {
        SetConsoleMode(in, mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT));
        wchar_t buf[1024];
        DWORD got = 0;
        BOOL ok = ReadConsoleW(in, buf, ARRAYSIZE(buf), &got, nullptr);
        SetConsoleMode(in, mode);
        if (!ok) return false;
        out.assign(buf, got);
        SecureZeroMemory(buf, sizeof(buf));
    } else {
        std::string bytes;
        char c;
        DWORD got = 0;
        while (ReadFile(in, &c, 1, &got, nullptr) && got == 1) {
            if (c == '\n') break;
            bytes += c;
            if (bytes.size() > 4096) break;
        }
        int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        out.assign(static_cast<size_t>(n > 0 ? n : 0), L'\0');
        if (n > 0) MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &out[0], n);
        if (!bytes.empty()) SecureZeroMemory(&bytes[0], bytes.size());
    }
    while (!out.empty() && (out.back() == L'\r' || out.back() == L'\n')) out.pop_back();
    return true;
}

bool ParseMs(const wchar_t* s, DWORD* out) {
    wchar_t* end = nullptr;
    unsigned long v = wcstoul(s, &end, 10);
    if (!s[0] || end == s || *end != L'\0') return false;
    *out = static_cast<DWORD>(v);
    return true;
}

// Polls for the window titled "Kelvask" (of process `pid` when non-zero).
// Stops early when `process` ends.
HWND WaitForKelvask(DWORD pid, HANDLE process, DWORD timeoutMs, bool* ended) {
    *ended = false;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND found = drivekit::FindWindowOfProcess(kTitle, pid, false)) return found;
        if (process && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            *ended = true;
            return nullptr;
        }
        if (GetTickCount64() >= deadline) return nullptr;
        Sleep(kPollMs);
    }
}

const wchar_t* FieldName(vm::RequestField f) {
    switch (f) {
    case vm::RequestField::User: return L"the user name";
    case vm::RequestField::Password: return L"the password";
    case vm::RequestField::Host: return L"the host";
    }
    return L"a field";
}

std::u16string_view U16(const std::wstring& s) {
    return std::u16string_view(reinterpret_cast<const char16_t*>(s.data()), s.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::wstring launch, user, host, password;
    bool running = false, passwordGiven = false, passwordStdin = false, userGiven = false, hostGiven = false;
    DWORD windowTimeout = 10000, exitTimeout = INFINITE;
    for (int i = 1; i < argc; ++i) {
        const std::wstring a = argv[i];
        auto value = [&](std::wstring& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        auto number = [&](DWORD* out) { return i + 1 < argc && ParseMs(argv[++i], out); };
        if (a == L"--launch") {
            if (!value(launch)) return Usage(L"--launch needs a program path");
        } else if (a == L"--running") {
            running = true;
        } else if (a == L"--user") {
            if (!value(user)) return Usage(L"--user needs a value");
            userGiven = true;
        } else if (a == L"--host") {
            if (!value(host)) return Usage(L"--host needs a value");
            hostGiven = true;
        } else if (a == L"--password") {
            if (!value(password)) return Usage(L"--password needs a value");
            SecureZeroMemory(argv[i], wcslen(argv[i]) * sizeof(wchar_t));
            passwordGiven = true;
        } else if (a == L"--password-stdin") {
            passwordStdin = true;
        } else if (a == L"--window-timeout") {
            if (!number(&windowTimeout)) return Usage(L"--window-timeout needs milliseconds");
        } else if (a == L"--exit-timeout") {
            if (!number(&exitTimeout)) return Usage(L"--exit-timeout needs milliseconds");
        } else if (a == L"-h" || a == L"--help") {
            return Usage(L"sends a connection request to Volmark");
        } else {
            return Usage(L"unknown argument: " + a);
        }
    }
    if (launch.empty() == !running) return Usage(L"give exactly one of --launch PATH and --running");
    if (!userGiven || !hostGiven) return Usage(L"--user and --host are required");
    if (passwordGiven == passwordStdin) return Usage(L"give exactly one of --password and --password-stdin");
    if (passwordStdin && !ReadPasswordLine(password)) return Fail(kBadArguments, L"cannot read the password from standard input");

    vm::ComposeResult request = vm::ComposeConnectionRequest(U16(user), U16(password), U16(host));
    Wipe(password);
    switch (request.error) {
    case vm::ComposeError::None: break;
    case vm::ComposeError::EmptyField:
        return Fail(kBadArguments, std::wstring(FieldName(request.field)) +
                                       L" is empty; the receiver folds empty fields, so the request would arrive "
                                       L"with its fields shifted");
    case vm::ComposeError::HashInField:
        return Fail(kBadArguments, std::wstring(FieldName(request.field)) +
                                       L" contains '#', which the receiver takes as a field separator; it cannot be "
                                       L"sent");
    case vm::ComposeError::NulInField:
        return Fail(kBadArguments, std::wstring(FieldName(request.field)) + L" contains a NUL character");
    case vm::ComposeError::TooLong:
        return Fail(kBadArguments, L"user name, password and host together exceed the 509 characters the receiver "
                                   L"keeps");
    }

    PROCESS_INFORMATION pi{};
    if (!launch.empty()) {
        const DWORD err = drivekit::StartProcess(launch, {}, L"", &pi.hProcess, &pi.dwProcessId);
        if (err != ERROR_SUCCESS) {
            SecureZeroMemory(&request.text[0], request.text.size() * sizeof(char16_t));
            return Fail(kLaunchFailed, L"cannot start " + launch + L" (error " + std::to_wstring(err) + L")");
        }
    }

    bool ended = false;
    HWND target = WaitForKelvask(pi.dwProcessId, pi.hProcess, windowTimeout, &ended);
    int rc = 0;
    if (!target) {
        if (ended) {
            DWORD code = 0;
            GetExitCodeProcess(pi.hProcess, &code);
            rc = Fail(kEndedEarly, L"the program ended (exit code " + std::to_wstring(code) +
                                       L") before its window appeared; nothing was sent (is another instance "
                                       L"running?)");
        } else {
            rc = Fail(kNoWindow, L"no window titled \"Kelvask\" appeared within " + std::to_wstring(windowTimeout) +
                                     L" ms; nothing was sent" + (pi.hProcess ? L", and the program was ended" : L""));
        }
    } else {
        COPYDATASTRUCT cds{};
        cds.dwData = vm::kConnectionRequestType;
        cds.cbData = static_cast<DWORD>((request.text.size() + 1) * sizeof(char16_t));
        cds.lpData = const_cast<char16_t*>(request.text.c_str());
        DWORD_PTR answer = 0;
        if (!SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                 kSendTimeoutMs, &answer)) {
            rc = Fail(kNotDelivered, L"the window did not take the request (error " +
                                         std::to_wstring(GetLastError()) + L")");
        } else {
            Say(L"request delivered");
        }
    }
    SecureZeroMemory(&request.text[0], request.text.size() * sizeof(char16_t));

    if (pi.hProcess) {
        if (rc == 0) {
            if (WaitForSingleObject(pi.hProcess, exitTimeout) != WAIT_OBJECT_0) {
                rc = Fail(kStillRunning, L"the program is still running after " + std::to_wstring(exitTimeout) +
                                             L" ms; it was left running");
            } else {
                DWORD code = 0;
                GetExitCodeProcess(pi.hProcess, &code);
                Say(L"the program ended with exit code " + std::to_wstring(code) +
                    (code == 18 ? L" (drive mapped)" : L""));
                rc = static_cast<int>(code);
            }
        } else if (rc == kNoWindow || rc == kNotDelivered) {
            // Nothing was handed over: the program would wait for a request
            // that never comes.
            TerminateProcess(pi.hProcess, 1);
        }
        CloseHandle(pi.hProcess);
    }
    return rc;
}
