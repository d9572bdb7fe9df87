// A companion gone wild: 10,000 connection requests in a row to the running
// program. Every one must be taken within the send's time limit, the
// program's memory must stay flat once it has warmed up (a request keeps
// nothing but the three values it replaces), and the last request must be
// the one that counts.
#include <gtest/gtest.h>

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

#include "dialog_test_util.h"
#include "reliability_util.h"
#include "wintest_util.h"

namespace {

constexpr int kWarmUp = 1000;
constexpr int kRequests = 10000;
constexpr UINT kSendTimeoutMs = 5000;
// Growth allowed between the reading after the warm-up and the last one.
constexpr SIZE_T kFlatBytes = 256 * 1024;
constexpr wchar_t kLetter = L'K';

struct Memory {
    SIZE_T privateBytes = 0;
    SIZE_T workingSet = 0;
};

Memory Read(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof(pmc);
    Memory m;
    if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc))) {
        // Windows counts the private commit in both; Wine fills only
        // PagefileUsage, from the process's anonymous resident pages.
        m.privateBytes = pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
        m.workingSet = pmc.WorkingSetSize;
    }
    return m;
}

std::string KiB(SIZE_T bytes) { return std::to_string(bytes / 1024) + " KiB"; }

long long Growth(SIZE_T from, SIZE_T to) { return static_cast<long long>(to) - static_cast<long long>(from); }

// Request i: fields of varying length, so that the strings are sized anew.
std::wstring RequestText(int i) {
    return L"user" + std::wstring(static_cast<size_t>(i % 41), L'u') + std::to_wstring(i) + L"#pw" +
           std::to_wstring(i % 13) + L"#host" + std::wstring(static_cast<size_t>(i % 37), L'h');
}

TEST(MessageFlood, TenThousandRequestsNoTimeOutMemoryFlat) {
    const std::wstring dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    const std::wstring log = dir + L"\\np.log";
    ForgetLetter(kLetter);
    VolmarkProcess app;
    {
        ScopedEnv logTo(L"VOLMARK_NP_LOG", log.c_str());
        ScopedEnv refuse(L"VOLMARK_NP_FAIL", L"1222");
        ScopedEnv password(L"VOLMARK_NP_PASSWORD", nullptr);
        ASSERT_TRUE(app.Launch(BinDir() + L"\\Volmark.exe"));
    }
    PumpMessages(300);
    const Memory start = Read(app.Handle());
    ASSERT_GT(start.workingSet, 0u) << "no memory figures for the program";
    ASSERT_GT(start.privateBytes, 0u) << "no private memory figure for the program";

    int timeouts = 0;
    Memory warm;
    const double t0 = NowMs();
    double tWarm = t0;
    for (int i = 0; i < kRequests; ++i) {
        const std::wstring text = RequestText(i);
        COPYDATASTRUCT cds{1004, static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)),
                           const_cast<wchar_t*>(text.c_str())};
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(app.dialog(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds),
                                 SMTO_NORMAL | SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
            ++timeouts;
        }
        if (i + 1 == kWarmUp) {
            warm = Read(app.Handle());
            tWarm = NowMs();
        }
    }
    const double t1 = NowMs();
    const Memory end = Read(app.Handle());
    EXPECT_EQ(timeouts, 0);
    EXPECT_TRUE(app.Answers());

    // The last request is what Connect uses.
    ASSERT_TRUE(app.Select(kLetter));
    app.ConnectAndCloseBox();
    const std::vector<std::wstring> adds = LinesStartingWith(ReadLogLines(log), L"NPAddConnection3");
    ASSERT_EQ(adds.size(), 1u);
    const int last = kRequests - 1;
    const std::wstring user = L"user" + std::wstring(static_cast<size_t>(last % 41), L'u') + std::to_wstring(last);
    const std::wstring host = L"host" + std::wstring(static_cast<size_t>(last % 37), L'h');
    const std::wstring password = L"pw" + std::to_wstring(last % 13);
    EXPECT_EQ(adds[0], AddConnectionLine(kLetter, user, host, L"len:" + std::to_wstring(password.size()), 1222));

    const long long privateGrowth = Growth(warm.privateBytes, end.privateBytes);
    const long long workingGrowth = Growth(warm.workingSet, end.workingSet);
    EXPECT_LT(privateGrowth, static_cast<long long>(kFlatBytes));
    EXPECT_LT(workingGrowth, static_cast<long long>(kFlatBytes));
    char rate[96];
    std::snprintf(rate, sizeof(rate), " (%.0f us a request after the warm-up)",
                  1000.0 * (t1 - tWarm) / (kRequests - kWarmUp));
    RecordFigure("message flood",
                 std::to_string(kRequests) + " requests, " + std::to_string(timeouts) +
                     " time-outs; private " + KiB(start.privateBytes) + " / " + KiB(warm.privateBytes) + " / " +
                     KiB(end.privateBytes) + ", working set " + KiB(start.workingSet) + " / " +
                     KiB(warm.workingSet) + " / " + KiB(end.workingSet) + " (start / after " +
                     std::to_string(kWarmUp) + " / after " + std::to_string(kRequests) + "); growth after warm-up " +
                     std::to_string(privateGrowth / 1024) + " KiB private, " + std::to_string(workingGrowth / 1024) +
                     " KiB working set, bound " + KiB(kFlatBytes) + rate);
    app.Kill();
    ForgetLetter(kLetter);
    RemoveTree(dir);
}

}  // namespace
