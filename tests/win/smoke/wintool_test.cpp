// volmark-wintool, run as scripts run it: as a separate process acting on a
// window of ours. Also proves ProcessRunner against a real child.
#include <gtest/gtest.h>

#include "quadrant_window.h"
#include "wintest_util.h"

namespace {

std::wstring Tool() { return BinDir() + L"\\volmark-wintool.exe"; }

// Runs the tool while this thread keeps pumping, since the tool talks to our
// window (finds it, posts to it, reads its pixels). Returns its exit code, or
// -1 when it did not start or end.
long RunTool(const std::vector<std::wstring>& args, DWORD timeoutMs = 20000) {
    ProcessRunner runner;
    if (!runner.Start(Tool(), args)) return -1;
    PumpUntil([&] { return !runner.Running(); }, timeoutMs);
    DWORD code = 0;
    if (!runner.Wait(0, &code)) return -1;
    return static_cast<long>(code);
}

class WinTool : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(GetFileAttributesW(Tool().c_str()), INVALID_FILE_ATTRIBUTES)
            << "volmark-wintool.exe is not built beside the tests";
    }
};

TEST_F(WinTool, WaitWindowFindsAKoreanTitleAndTimesOutOnAMissingOne) {
    QuadrantWindow win(L"켈바스크 도구 시험", 50, 50, 60, 40);
    ASSERT_NE(win.hwnd(), nullptr);
    EXPECT_EQ(RunTool({L"wait-window", L"켈바스크 도구 시험", L"5000"}), 0);
    EXPECT_EQ(RunTool({L"wait-window", L"Volmark no such window", L"100"}), 2);
}

TEST_F(WinTool, WaitGoneEndsWhenTheWindowCloses) {
    EXPECT_EQ(RunTool({L"wait-gone", L"Volmark no such window", L"100"}), 0);
    QuadrantWindow win(L"Volmark stays", 50, 50, 60, 40);
    EXPECT_EQ(RunTool({L"wait-gone", L"Volmark stays", L"100"}), 2);
}

TEST_F(WinTool, CloseWindowSendsWmClose) {
    QuadrantWindow win(L"Volmark close me", 50, 50, 60, 40);
    ASSERT_NE(win.hwnd(), nullptr);
    EXPECT_EQ(RunTool({L"close-window", L"Volmark close me"}), 0);
    EXPECT_TRUE(PumpUntil([&] { return win.closeSeen(); }, 5000));
    EXPECT_EQ(win.hwnd(), nullptr);
    EXPECT_EQ(RunTool({L"close-window", L"Volmark close me"}), 2);
}

// The capture of another process's window must have the window's size and
// its pixels the right way up.
TEST_F(WinTool, CaptureWritesTheWindowAsABmp) {
    const int w = 120, h = 80;
    QuadrantWindow win(L"Volmark capture", 200, 150, w, h);
    ASSERT_NE(win.hwnd(), nullptr);
    PumpMessages(200);
    std::wstring dir = MakeTempDir();
    ASSERT_FALSE(dir.empty());
    std::wstring out = dir + L"\\shot.bmp";
    ASSERT_EQ(RunTool({L"capture", L"Volmark capture", out}), 0);

    auto bmp = static_cast<HBITMAP>(
        LoadImageW(nullptr, out.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    ASSERT_NE(bmp, nullptr);
    BITMAP bm{};
    GetObjectW(bmp, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, w);
    EXPECT_EQ(bm.bmHeight, h);
    EXPECT_EQ(bm.bmBitsPixel, 24);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (auto [x, y] : {std::pair{1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}, {w / 2, h / 2}})
        EXPECT_EQ(PixelOf(dc, x, y), QuadrantWindow::Expected(x, y, w, h)) << x << "," << y;
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    RemoveTree(dir);

    EXPECT_EQ(RunTool({L"capture", L"Volmark no such window", out}), 2);
}

struct BadCall {
    const char* name;
    std::vector<std::wstring> args;
};

class WinToolBadCall : public WinTool, public testing::WithParamInterface<BadCall> {};

TEST_P(WinToolBadCall, ExitsWithOne) { EXPECT_EQ(RunTool(GetParam().args), 1); }

INSTANTIATE_TEST_SUITE_P(
    Calls, WinToolBadCall,
    testing::Values(BadCall{"no_command", {}}, BadCall{"unknown_command", {L"explode", L"x"}},
                    BadCall{"timeout_not_a_number", {L"wait-window", L"x", L"soon"}},
                    BadCall{"missing_timeout", {L"wait-window", L"x"}},
                    BadCall{"capture_without_file", {L"capture", L"x"}}),
    [](const testing::TestParamInfo<BadCall>& info) { return std::string(info.param.name); });

TEST_F(WinTool, CaptureToAnUnwritableFileFails) {
    QuadrantWindow win(L"Volmark bad capture", 300, 300, 20, 20);
    ASSERT_NE(win.hwnd(), nullptr);
    EXPECT_EQ(RunTool({L"capture", L"Volmark bad capture", L"C:\\no\\such\\dir\\x.bmp"}), 1);
}

TEST(ProcessRunnerChild, WaitIsBoundedAndKillEndsTheChild) {
    ProcessRunner runner;
    ASSERT_TRUE(runner.Start(Tool(), {L"wait-window", L"Volmark never appears", L"60000"}));
    EXPECT_TRUE(runner.Running());
    EXPECT_NE(runner.Pid(), 0u);
    EXPECT_FALSE(runner.Wait(200));
    runner.Kill();
    EXPECT_FALSE(runner.Running());
    DWORD code = 0;
    EXPECT_TRUE(runner.Wait(0, &code));
    EXPECT_EQ(code, 0xDEADu);
}

TEST(ProcessRunnerChild, RunProcessGivesTheExitCode) {
    EXPECT_EQ(RunProcess(Tool(), {L"wait-gone", L"Volmark no such window", L"10"}, 20000), 0);
    EXPECT_EQ(RunProcess(Tool(), {L"wait-window", L"Volmark no such window", L"10"}, 20000), 2);
    EXPECT_EQ(RunProcess(Tool(), {L"wait-window", L"Volmark no such window", L"60000"}, 200), -1);
}

}  // namespace
