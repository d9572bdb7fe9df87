// The whole run under Wine: Volmark.exe started as the companion starts it,
// the request sent to its window, a letter picked and Connect pressed, the
// mapping made through the real MPR and the test network provider
// (volmark_testnp.dll, which logs every call).
#include <gtest/gtest.h>

#include <windows.h>
#include <winnetwk.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dialog_test_util.h"
#include "wintest_util.h"

namespace {

constexpr DWORD kWindowTimeout = 15000;
constexpr DWORD kBoxTimeout = 15000;
constexpr DWORD kExitTimeout = 15000;

const wchar_t kAlreadyConnected[] = L"이미 연결된 드라이브입니다";
const wchar_t kSucceeded[] = L"드라이브 연결에 성공하였습니다";
const wchar_t kFailed[] = L"드라이브 연결에 실패하였습니다";

std::wstring Local(wchar_t letter) { return std::wstring(1, letter) + L":"; }

bool StartsWith(const std::wstring& s, const std::wstring& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// One started Volmark, with the provider logging to a file of its own.
class VolmarkRun : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = MakeTempDir();
        ASSERT_FALSE(m_dir.empty());
        m_log = m_dir + L"\\np.log";
        SetEnvironmentVariableW(L"VOLMARK_NP_LOG", m_log.c_str());
        SetEnvironmentVariableW(L"VOLMARK_NP_FAIL", nullptr);
        SetEnvironmentVariableW(L"VOLMARK_NP_PASSWORD", L"pa55");
    }

    void TearDown() override {
        if (m_app.Running()) m_app.Kill();
        SetEnvironmentVariableW(L"VOLMARK_NP_LOG", nullptr);
        SetEnvironmentVariableW(L"VOLMARK_NP_PASSWORD", nullptr);
        SetEnvironmentVariableW(L"VOLMARK_NP_FAIL", nullptr);
        for (wchar_t l : m_letters) ForgetLetter(l);
        RemoveTree(m_dir);
    }

    // A letter this test uses: freed of anything an earlier run left.
    wchar_t UseLetter(wchar_t letter) {
        ForgetLetter(letter);
        m_letters.push_back(letter);
        return letter;
    }

    void Launch() {
        ASSERT_TRUE(m_app.Start(BinDir() + L"\\Volmark.exe"));
        m_dlg = WaitForWindowOfProcess(L"Kelvask", m_app.Pid(), kWindowTimeout);
        ASSERT_NE(m_dlg, nullptr) << "no Kelvask window";
        m_combo = GetDlgItem(m_dlg, 1000);
        m_connect = GetDlgItem(m_dlg, IDOK);
        ASSERT_NE(m_combo, nullptr);
        ASSERT_NE(m_connect, nullptr);
    }

    // CB_SETCURSEL sends no notification: the dialog is told as a real
    // selection would tell it.
    void Select(wchar_t letter) {
        const std::vector<std::wstring> items = ComboItems(m_combo);
        int index = -1;
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i] == Local(letter)) index = static_cast<int>(i);
        ASSERT_GE(index, 0) << "letter not listed";
        drivekit::SelectDriveItem(m_dlg, m_combo, static_cast<WPARAM>(index));
    }

    // Posted: the handler shows a modal box and would block a send.
    void ClickConnect() { drivekit::PostClick(m_connect); }

    std::wstring BoxText(HWND box) { return drivekit::BoxText(box); }

    // The text of the box Connect shows; the box is then closed.
    std::wstring ConnectAndReadBox() {
        ClickConnect();
        HWND box = WaitForOwnedBox(m_dlg, kBoxTimeout);
        if (!box) return L"(no box)";
        std::wstring text = BoxText(box);
        m_boxTitle = TextOf(box);
        // The quit request comes only after the box is closed.
        m_runningWhileBoxShown = m_app.Running();
        drivekit::CloseBox(box);
        PumpUntil([&] { return !IsWindow(box); }, kBoxTimeout);
        return text;
    }

    std::vector<std::wstring> Log() const { return ReadLogLines(m_log); }

    std::wstring m_dir, m_log, m_boxTitle;
    std::vector<wchar_t> m_letters;
    ProcessRunner m_app;
    HWND m_dlg = nullptr, m_combo = nullptr, m_connect = nullptr;
    bool m_runningWhileBoxShown = false;
};

TEST_F(VolmarkRun, OpensWithConnectDisabledFocusOnTheFreeLetters) {
    Launch();
    EXPECT_EQ(ComboItems(m_combo), ExpectedFreeLetters());
    EXPECT_EQ(SendMessageW(m_combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_FALSE(IsWindowEnabled(m_connect));
    GUITHREADINFO gti{};
    gti.cbSize = sizeof(gti);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(m_dlg, nullptr), &gti));
    EXPECT_EQ(gti.hwndFocus, m_combo);
}

TEST_F(VolmarkRun, RequestSelectionAndConnectMapTheShareThenExit18) {
    const wchar_t letter = UseLetter(L'M');
    Launch();
    ASSERT_TRUE(SendRequest(m_dlg, L"kim#pa55#fileserver"));
    Select(letter);
    EXPECT_TRUE(IsWindowEnabled(m_connect));

    EXPECT_EQ(ConnectAndReadBox(), kSucceeded);
    EXPECT_TRUE(m_runningWhileBoxShown);
    EXPECT_EQ(m_boxTitle, L"Volmark");
    DWORD code = 0;
    ASSERT_TRUE(m_app.Wait(kExitTimeout, &code));
    EXPECT_EQ(code, 18u);

    // The cancel comes first, then the mapping with the received values.
    const std::vector<std::wstring> calls = Log();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], L"NPCancelConnection name=M: force=1 result=2250");
    EXPECT_EQ(calls[1],
              L"NPAddConnection3 type=1 local=M: remote=\\\\fileserver\\kim provider=null user=kim "
              L"password=len:4,match flags=0x1 result=0");

    // A real network drive now, recorded among the persistent connections.
    EXPECT_TRUE(LetterInUse(letter));
    wchar_t remote[256];
    DWORD size = 256;
    ASSERT_EQ(WNetGetConnectionW(L"M:", remote, &size), static_cast<DWORD>(NO_ERROR));
    EXPECT_STREQ(remote, L"\\\\fileserver\\kim");
    std::wstring remembered;
    EXPECT_TRUE(LetterRemembered(letter, &remembered));
    EXPECT_EQ(remembered, L"\\\\fileserver\\kim");
}

TEST_F(VolmarkRun, ConnectedLetterIsNeitherCancelledNorMapped) {
    const wchar_t letter = UseLetter(L'N');
    Launch();
    // Connected after the list was filled, so that it is still offered.
    ASSERT_EQ(MapFromHere(letter, L"other"), static_cast<DWORD>(NO_ERROR));
    ASSERT_TRUE(SendRequest(m_dlg, L"kim#pa55#fileserver"));
    Select(letter);

    EXPECT_EQ(ConnectAndReadBox(), kAlreadyConnected);
    EXPECT_TRUE(Log().empty()) << Log().front();
    EXPECT_FALSE(m_app.Wait(300));
    EXPECT_TRUE(IsWindowEnabled(m_connect));
    wchar_t remote[256];
    DWORD size = 256;
    ASSERT_EQ(WNetGetConnectionW(L"N:", remote, &size), static_cast<DWORD>(NO_ERROR));
    EXPECT_STREQ(remote, L"\\\\fileserver\\other");
}

TEST_F(VolmarkRun, RefusedMappingKeepsTheDialogAndASecondTryWorks) {
    // Remembered but not live: the cancel forgets it even though the mapping
    // that follows is refused.
    const wchar_t letter = UseLetter(L'P');
    ASSERT_TRUE(RememberLetter(letter, L"\\\\old\\share"));
    Launch();
    ASSERT_TRUE(SendRequest(m_dlg, L"kim#wrong#fileserver"));
    Select(letter);

    EXPECT_EQ(ConnectAndReadBox(), kFailed);
    EXPECT_FALSE(m_app.Wait(300));
    EXPECT_TRUE(IsWindowEnabled(m_connect));
    EXPECT_FALSE(LetterInUse(letter));
    EXPECT_FALSE(LetterRemembered(letter));
    std::vector<std::wstring> calls = Log();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0], L"NPCancelConnection name=P: force=1 result=0");
    EXPECT_EQ(calls[1],
              L"NPAddConnection3 type=1 local=P: remote=\\\\fileserver\\kim provider=null user=kim "
              L"password=len:5,mismatch flags=0x1 result=86");

    // A new request replaces the values; Connect is still there to press.
    ASSERT_TRUE(SendRequest(m_dlg, L"kim#pa55#fileserver"));
    EXPECT_EQ(ConnectAndReadBox(), kSucceeded);
    DWORD code = 0;
    ASSERT_TRUE(m_app.Wait(kExitTimeout, &code));
    EXPECT_EQ(code, 18u);
    calls = Log();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_NE(calls[3].find(L"password=len:4,match flags=0x1 result=0"), std::wstring::npos) << calls[3];
}

TEST_F(VolmarkRun, ProviderFailureCodeShowsTheFailureText) {
    const wchar_t letter = UseLetter(L'Q');
    SetEnvironmentVariableW(L"VOLMARK_NP_FAIL", L"1222");  // no network
    Launch();
    ASSERT_TRUE(SendRequest(m_dlg, L"kim#pa55#fileserver"));
    Select(letter);
    EXPECT_EQ(ConnectAndReadBox(), kFailed);
    EXPECT_FALSE(LetterInUse(letter));
    const std::vector<std::wstring> adds = LinesStartingWith(Log(), L"NPAddConnection3");
    ASSERT_EQ(adds.size(), 1u);
    EXPECT_NE(adds[0].find(L"result=1222"), std::wstring::npos);
}

TEST_F(VolmarkRun, NoRequestAttemptsThreeBackslashesAndFails) {
    const wchar_t letter = UseLetter(L'R');
    SetEnvironmentVariableW(L"VOLMARK_NP_PASSWORD", nullptr);
    Launch();
    Select(letter);
    EXPECT_EQ(ConnectAndReadBox(), kFailed);
    const std::vector<std::wstring> adds = LinesStartingWith(Log(), L"NPAddConnection3");
    ASSERT_EQ(adds.size(), 1u);
    // Empty user and password arrive as empty strings, not null.
    EXPECT_EQ(adds[0], L"NPAddConnection3 type=1 local=R: remote=\\\\\\ provider=null user= password=len:0 "
                       L"flags=0x1 result=67");
}

TEST_F(VolmarkRun, ConnectWithoutSelectionMapsAndShowsNothing) {
    Launch();
    ASSERT_TRUE(SendRequest(m_dlg, L"kim#pa55#fileserver"));
    // The list has no selection; the button is forced on from outside.
    EnableWindow(m_connect, TRUE);
    ClickConnect();
    SendMessageW(m_dlg, WM_NULL, 0, 0);
    EXPECT_EQ(WaitForOwnedBox(m_dlg, 1000), nullptr);
    EXPECT_TRUE(Log().empty());
    EXPECT_TRUE(m_app.Running());
}

TEST_F(VolmarkRun, EnterEscapeAndAltF4ChangeNothing) {
    const wchar_t letter = UseLetter(L'S');
    Launch();
    ASSERT_TRUE(SendRequest(m_dlg, L"kim#pa55#fileserver"));
    Select(letter);
    struct Key {
        UINT msg;
        WPARAM vk;
        LPARAM lp;
    };
    const Key keys[] = {
        {WM_KEYDOWN, VK_RETURN, 1},           {WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001)},
        {WM_KEYDOWN, VK_ESCAPE, 1},           {WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001)},
        {WM_SYSKEYDOWN, VK_F4, 0x20000001},   {WM_SYSKEYUP, VK_F4, static_cast<LPARAM>(0xE0000001)},
    };
    for (HWND target : {m_combo, m_connect, m_dlg}) {
        for (const Key& k : keys) PostMessageW(target, k.msg, k.vk, k.lp);
    }
    // The keys went through the dialog's loop once this returns.
    SendMessageW(m_dlg, WM_NULL, 0, 0);
    PumpMessages(500);
    EXPECT_TRUE(IsWindow(m_dlg));
    EXPECT_EQ(FindOwnedBox(m_dlg), nullptr);
    EXPECT_TRUE(m_app.Running());
    EXPECT_TRUE(Log().empty());
    EXPECT_FALSE(LetterInUse(letter));
}

// Volmark started under this process as its debugger, so that its debugger
// output can be read. The debug loop must run on the thread that started it.
class DebuggedVolmark {
public:
    bool Start(const std::wstring& exe) {
        m_thread = std::thread([this, exe] { Loop(exe); });
        for (int i = 0; i < 200 && m_pid == 0 && !m_failed; ++i) Sleep(25);
        return m_pid != 0;
    }
    ~DebuggedVolmark() {
        if (m_process && m_running) TerminateProcess(m_process, 1);
        if (m_thread.joinable()) m_thread.join();
        if (m_process) CloseHandle(m_process);
    }
    DWORD Pid() const { return m_pid; }
    bool WaitExit(DWORD timeoutMs, DWORD* code) {
        for (DWORD waited = 0; m_running && waited < timeoutMs; waited += 25) Sleep(25);
        if (m_running) return false;
        if (m_thread.joinable()) m_thread.join();
        *code = m_exitCode;
        return true;
    }
    std::vector<std::wstring> Lines() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }

private:
    void Loop(const std::wstring& exe) {
        std::wstring cmd = ProcessRunner::QuoteArg(exe);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr, nullptr,
                            &si, &pi)) {
            m_failed = true;
            return;
        }
        CloseHandle(pi.hThread);
        m_process = pi.hProcess;
        m_running = true;
        m_pid = pi.dwProcessId;
        DEBUG_EVENT ev{};
        while (WaitForDebugEvent(&ev, 30000)) {
            DWORD status = DBG_CONTINUE;
            switch (ev.dwDebugEventCode) {
            case OUTPUT_DEBUG_STRING_EVENT: {
                const OUTPUT_DEBUG_STRING_INFO& info = ev.u.DebugString;
                std::vector<char> raw(static_cast<size_t>(info.nDebugStringLength) * (info.fUnicode ? 2 : 1) + 2, 0);
                SIZE_T got = 0;
                ReadProcessMemory(m_process, info.lpDebugStringData, raw.data(), raw.size() - 2, &got);
                std::wstring text;
                if (info.fUnicode) {
                    text = reinterpret_cast<const wchar_t*>(raw.data());
                } else {
                    int n = MultiByteToWideChar(CP_ACP, 0, raw.data(), -1, nullptr, 0);
                    text.assign(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
                    if (n > 1) MultiByteToWideChar(CP_ACP, 0, raw.data(), -1, &text[0], n);
                }
                std::lock_guard<std::mutex> lock(m_mutex);
                m_lines.push_back(text);
                break;
            }
            case EXCEPTION_DEBUG_EVENT:
                if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT)
                    status = DBG_EXCEPTION_NOT_HANDLED;
                break;
            case LOAD_DLL_DEBUG_EVENT:
                if (ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
                break;
            case CREATE_PROCESS_DEBUG_EVENT:
                if (ev.u.CreateProcessInfo.hFile) CloseHandle(ev.u.CreateProcessInfo.hFile);
                break;
            case EXIT_PROCESS_DEBUG_EVENT:
                m_exitCode = ev.u.ExitProcess.dwExitCode;
                ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, DBG_CONTINUE);
                m_running = false;
                return;
            default:
                break;
            }
            ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
        }
        m_running = false;
    }

    std::thread m_thread;
    std::atomic<DWORD> m_pid{0};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_failed{false};
    HANDLE m_process = nullptr;
    DWORD m_exitCode = 0;
    std::mutex m_mutex;
    std::vector<std::wstring> m_lines;
};

TEST_F(VolmarkRun, DebuggerOutputNamesEachOutcomeButNeverThePassword) {
    const wchar_t letter = UseLetter(L'V');
    SetEnvironmentVariableW(L"VOLMARK_NP_PASSWORD", L"s3cret-pw");
    DebuggedVolmark app;
    ASSERT_TRUE(app.Start(BinDir() + L"\\Volmark.exe"));
    m_dlg = WaitForWindowOfProcess(L"Kelvask", app.Pid(), kWindowTimeout);
    ASSERT_NE(m_dlg, nullptr);
    m_combo = GetDlgItem(m_dlg, 1000);
    m_connect = GetDlgItem(m_dlg, IDOK);
    ASSERT_TRUE(SendRequest(m_dlg, L"kim#s3cret-px#fileserver"));
    Select(letter);
    EXPECT_EQ(ConnectAndReadBox(), kFailed);
    ASSERT_TRUE(SendRequest(m_dlg, L"kim#s3cret-pw#fileserver"));
    EXPECT_EQ(ConnectAndReadBox(), kSucceeded);
    DWORD code = 0;
    ASSERT_TRUE(app.WaitExit(kExitTimeout, &code));
    EXPECT_EQ(code, 18u);

    std::vector<std::wstring> traces;
    for (const std::wstring& l : app.Lines())
        if (StartsWith(l, L"Volmark: connect")) traces.push_back(l);
    ASSERT_EQ(traces.size(), 2u);
    EXPECT_TRUE(StartsWith(traces[0], L"Volmark: connect mapping failed: local=V: remote=\\\\fileserver\\kim "))
        << traces[0];
    EXPECT_NE(traces[0].find(L"code=86 ("), std::wstring::npos) << traces[0];
    // The system's text for the code sits in the parentheses.
    EXPECT_GT(traces[0].find(L")\n") - traces[0].find(L"code=86 ("), 10u) << traces[0];
    EXPECT_TRUE(StartsWith(traces[1], L"Volmark: connect mapped: local=V: remote=\\\\fileserver\\kim code=0 ("))
        << traces[1];
    for (const std::wstring& l : app.Lines()) EXPECT_EQ(l.find(L"s3cret"), std::wstring::npos) << l;
}

struct CloseCase {
    const char* name;
    UINT msg;
    WPARAM wp;
};

class VolmarkClose : public VolmarkRun, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(VolmarkClose, EndsWithoutMappingAndNot18) {
    const wchar_t letter = UseLetter(L'T');
    Launch();
    ASSERT_TRUE(SendRequest(m_dlg, L"kim#pa55#fileserver"));
    Select(letter);
    PostMessageW(m_dlg, GetParam().msg, GetParam().wp, 0);
    DWORD code = 0;
    ASSERT_TRUE(m_app.Wait(kExitTimeout, &code));
    EXPECT_NE(code, 18u);
    EXPECT_TRUE(Log().empty());
    EXPECT_FALSE(LetterInUse(letter));
}

INSTANTIATE_TEST_SUITE_P(Frame, VolmarkClose,
                         ::testing::Values(CloseCase{"WmClose", WM_CLOSE, 0},
                                           CloseCase{"WindowMenuClose", WM_SYSCOMMAND, SC_CLOSE}),
                         [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

// The companion's part played by volmark-send, the password on its standard
// input.
class VolmarkSend : public VolmarkRun {
protected:
    // Runs volmark-send with `stdinText` on its standard input; returns false
    // if it could not start. Its output (stdout and stderr) is collected by
    // Finish().
    bool StartSend(const std::vector<std::wstring>& args, const std::string& stdinText) {
        SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
        HANDLE inRead, inWrite, outRead, outWrite;
        if (!CreatePipe(&inRead, &inWrite, &sa, 0)) return false;
        if (!CreatePipe(&outRead, &outWrite, &sa, 0)) return false;
        SetHandleInformation(inWrite, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
        std::wstring exe = BinDir() + L"\\volmark-send.exe";
        std::wstring cmd = ProcessRunner::QuoteArg(exe);
        for (const auto& a : args) cmd += L" " + ProcessRunner::QuoteArg(a);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = inRead;
        si.hStdOutput = outWrite;
        si.hStdError = outWrite;
        PROCESS_INFORMATION pi{};
        BOOL ok = CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
        CloseHandle(inRead);
        CloseHandle(outWrite);
        if (!ok) {
            CloseHandle(inWrite);
            CloseHandle(outRead);
            return false;
        }
        CloseHandle(pi.hThread);
        m_send = pi.hProcess;
        m_sendPid = pi.dwProcessId;
        m_out = outRead;
        DWORD written = 0;
        WriteFile(inWrite, stdinText.data(), static_cast<DWORD>(stdinText.size()), &written, nullptr);
        CloseHandle(inWrite);
        return true;
    }

    // Reads what the tool printed until `marker` shows up, the pipe ends or
    // the time is up.
    bool ReadUntil(const std::string& marker, DWORD timeoutMs = kWindowTimeout) {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        char buf[512];
        while (m_output.find(marker) == std::string::npos) {
            DWORD avail = 0;
            if (!PeekNamedPipe(m_out, nullptr, 0, nullptr, &avail, nullptr)) return false;  // ended
            if (avail == 0) {
                if (GetTickCount64() >= deadline) return false;
                Sleep(20);
                continue;
            }
            DWORD got = 0;
            if (!ReadFile(m_out, buf, avail < sizeof(buf) ? avail : sizeof(buf), &got, nullptr) || got == 0)
                return false;
            m_output.append(buf, got);
        }
        return true;
    }

    DWORD Finish(DWORD timeoutMs) {
        DWORD code = 0xFFFFFFFF;
        if (WaitForSingleObject(m_send, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(m_send, &code);
        ReadUntil("\x01", 2000);  // drains what is left
        return code;
    }

    void TearDown() override {
        if (m_send) {
            if (WaitForSingleObject(m_send, 0) != WAIT_OBJECT_0) TerminateProcess(m_send, 1);
            CloseHandle(m_send);
        }
        if (m_out) CloseHandle(m_out);
        // Volmark was started by the tool, not by m_app.
        if (m_dlg && IsWindow(m_dlg)) {
            DWORD pid = 0;
            GetWindowThreadProcessId(m_dlg, &pid);
            if (HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, pid)) {
                TerminateProcess(p, 1);
                CloseHandle(p);
            }
        }
        VolmarkRun::TearDown();
    }

    HANDLE m_send = nullptr;
    DWORD m_sendPid = 0;
    HANDLE m_out = nullptr;
    std::string m_output;
};

TEST_F(VolmarkSend, LaunchMapsEndToEndAndReturns18) {
    const wchar_t letter = UseLetter(L'U');
    ASSERT_TRUE(StartSend({L"--launch", BinDir() + L"\\Volmark.exe", L"--user", L"kim", L"--host", L"fileserver",
                           L"--password-stdin"},
                          "pa55\r\n"));
    ASSERT_TRUE(ReadUntil("request delivered")) << m_output;
    // The window of the program the tool started: the only Kelvask of a
    // child of the tool.
    HWND dlg = FindWindowW(nullptr, L"Kelvask");
    ASSERT_NE(dlg, nullptr);
    m_dlg = dlg;
    m_combo = GetDlgItem(dlg, 1000);
    m_connect = GetDlgItem(dlg, IDOK);
    Select(letter);
    ClickConnect();
    HWND box = WaitForOwnedBox(m_dlg, kBoxTimeout);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), kSucceeded);
    PostMessageW(box, WM_COMMAND, IDOK, 0);

    EXPECT_EQ(Finish(kExitTimeout), 18u) << m_output;
    EXPECT_NE(m_output.find("exit code 18"), std::string::npos) << m_output;
    EXPECT_EQ(m_output.find("pa55"), std::string::npos);
    const std::vector<std::wstring> adds = LinesStartingWith(Log(), L"NPAddConnection3");
    ASSERT_EQ(adds.size(), 1u);
    EXPECT_EQ(adds[0], L"NPAddConnection3 type=1 local=U: remote=\\\\fileserver\\kim provider=null user=kim "
                       L"password=len:4,match flags=0x1 result=0");
}

struct SendErrorCase {
    const char* name;
    std::vector<std::wstring> args;
    DWORD code;
    const char* message;
};

class VolmarkSendErrors : public VolmarkSend, public ::testing::WithParamInterface<SendErrorCase> {};

TEST_P(VolmarkSendErrors, ExplainsAndUsesItsOwnCode) {
    ASSERT_TRUE(StartSend(GetParam().args, ""));
    EXPECT_EQ(Finish(kExitTimeout), GetParam().code) << m_output;
    EXPECT_NE(m_output.find(GetParam().message), std::string::npos) << m_output;
}

INSTANTIATE_TEST_SUITE_P(
    Table, VolmarkSendErrors,
    ::testing::Values(
        SendErrorCase{"HashInPassword",
                      {L"--running", L"--user", L"kim", L"--host", L"h", L"--password", L"a#b"},
                      64,
                      "the password contains '#'"},
        SendErrorCase{"EmptyPassword", {L"--running", L"--user", L"kim", L"--host", L"h", L"--password", L""}, 64,
                      "the password is empty"},
        SendErrorCase{"NoMode", {L"--user", L"kim", L"--host", L"h", L"--password", L"p"}, 64, "usage:"},
        SendErrorCase{"NoWindow",
                      {L"--running", L"--user", L"kim", L"--host", L"h", L"--password", L"p", L"--window-timeout",
                       L"200"},
                      66,
                      "no window titled \"Kelvask\""},
        SendErrorCase{"LaunchFails",
                      {L"--launch", L"C:\\no\\such\\Volmark.exe", L"--user", L"kim", L"--host", L"h", L"--password",
                       L"p"},
                      65,
                      "cannot start"}),
    [](const ::testing::TestParamInfo<SendErrorCase>& info) { return std::string(info.param.name); });

}  // namespace
