#include "startup_bench.h"

#include <windows.h>
#include <psapi.h>

namespace {

double NowMs() {
    static LARGE_INTEGER freq = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

}  // namespace

StartupSample MeasureStartup(const std::wstring& exe) {
    StartupSample s;
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    std::wstring cmd = L"\"" + exe + L"\"";
    double t0 = NowMs();
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return s;
    HWND wnd = nullptr;
    // Idle means the first paint messages have been handled; the window
    // must also be there, so that a loop idling before creation cannot count.
    for (int i = 0; i < 400 && !wnd; ++i) {
        WaitForInputIdle(pi.hProcess, 50);
        HWND w = FindWindowW(nullptr, L"Kelvask");
        if (w && IsWindowVisible(w)) wnd = w;
    }
    if (wnd) {
        WaitForInputIdle(pi.hProcess, 5000);
        s.msToIdle = NowMs() - t0;
        PROCESS_MEMORY_COUNTERS_EX pmc{};
        pmc.cb = sizeof(pmc);
        if (GetProcessMemoryInfo(pi.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc))) {
            s.workingSetKiB = static_cast<double>(pmc.WorkingSetSize) / 1024.0;
            s.privateKiB = static_cast<double>(pmc.PrivateUsage) / 1024.0;
        }
        s.ok = true;
        PostMessageW(wnd, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return s;
}
