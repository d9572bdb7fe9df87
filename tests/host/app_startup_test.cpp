#include "app/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every platform operation in the order the start-up asks for it.
class RecordingPlatform : public vm::StartupPlatform {
public:
    bool socketOk = true;
    bool otherInstance = false;
    std::vector<std::string> calls;
    vm::SkinColours colours{};
    std::u16string registryKey;

    void InitCommonControls() override { calls.push_back("commctrl"); }
    void BaseInitInstance() override { calls.push_back("base"); }
    bool SocketInit() override { calls.push_back("socket"); return socketOk; }
    void ShowSocketInitFailure() override { calls.push_back("msg103"); }
    void EnableControlContainer() override { calls.push_back("container"); }
    void SetRegistryKey(const std::u16string& key) override { calls.push_back("regkey"); registryKey = key; }
    void LoadSkinBitmaps() override { calls.push_back("bitmaps"); }
    void LoadSkinIcons() override { calls.push_back("icons"); }
    void SetSkinColours(const vm::SkinColours& c) override { calls.push_back("colours"); colours = c; }
    bool ActivateWindowTitled(const std::u16string& title) override {
        calls.push_back("find:" + std::string(title.begin(), title.end()));
        return otherInstance;
    }
    void PostQuit(int code) override { calls.push_back("quit" + std::to_string(code)); }
    void RunDialog() override { calls.push_back("dialog"); }
};

using Calls = std::vector<std::string>;

TEST(Startup, RunsEveryStepInOrderAndAnswersFalse) {
    RecordingPlatform p;
    EXPECT_FALSE(vm::RunStartup(p));
    EXPECT_EQ(p.calls, (Calls{"commctrl", "base", "socket", "container", "regkey", "bitmaps", "icons", "colours",
                              "find:Kelvask", "dialog"}));
    EXPECT_EQ(p.registryKey, u"로컬 응용 프로그램 마법사에서 생성된 응용 프로그램");
}

TEST(Startup, SetsTheFourSkinColoursBeforeTheDialog) {
    RecordingPlatform p;
    vm::RunStartup(p);
    EXPECT_EQ(p.colours.transparent, 0xFF00FFu);
    EXPECT_EQ(p.colours.background, 0xFFFFFFu);
    EXPECT_EQ(p.colours.captionTextActive, 0xFFFFFFu);
    EXPECT_EQ(p.colours.captionTextInactive, 0x646464u);
}

TEST(Startup, SocketFailureShowsTheMessageAndDoesNothingElse) {
    RecordingPlatform p;
    p.socketOk = false;
    EXPECT_FALSE(vm::RunStartup(p));
    EXPECT_EQ(p.calls, (Calls{"commctrl", "base", "socket", "msg103"}));
}

TEST(Startup, AnotherInstanceQueuesQuitZeroButTheDialogStillRuns) {
    RecordingPlatform p;
    p.otherInstance = true;
    vm::RunStartup(p);
    EXPECT_EQ(p.calls, (Calls{"commctrl", "base", "socket", "container", "regkey", "bitmaps", "icons", "colours",
                              "find:Kelvask", "quit0", "dialog"}));
}

}  // namespace
