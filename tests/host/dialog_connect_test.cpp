// The dialog's plain decisions: free letters, remote name and the Connect
// procedure over a recording fake of the platform.
#include "dialog/connect_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using vm::ConnectOutcome;

std::string Narrow(const std::u16string& s) {
    // Enough for the ASCII and backslashes these tests compare; Korean texts
    // are compared as u16string.
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::u16string U16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

struct DriveCase {
    const char* name;
    std::uint32_t mask;
    std::u16string expected;  // the items joined
};

class FreeLettersTest : public ::testing::TestWithParam<DriveCase> {};

TEST_P(FreeLettersTest, ListsTheLettersWhoseBitIsClear) {
    std::u16string joined;
    for (const std::u16string& item : vm::FreeDriveLetters(GetParam().mask)) {
        EXPECT_EQ(item.size(), 2u);
        joined += item;
    }
    EXPECT_EQ(joined, GetParam().expected);
}

const std::u16string kAll =
    u"A:B:C:D:E:F:G:H:I:J:K:L:M:N:O:P:Q:R:S:T:U:V:W:X:Y:Z:";
const std::u16string kAllButC = u"A:B:D:E:F:G:H:I:J:K:L:M:N:O:P:Q:R:S:T:U:V:W:X:Y:Z:";

INSTANTIATE_TEST_SUITE_P(
    Table, FreeLettersTest,
    ::testing::Values(DriveCase{"OnlyC", 0x00000004u, kAllButC},
                      DriveCase{"None", 0x00000000u, kAll},
                      DriveCase{"AllTwentySix", 0x03FFFFFFu, u""},
                      DriveCase{"HighBitsHaveNoLetter", 0xFC000000u, kAll},
                      DriveCase{"HighBitsDoNotChangeTheList", 0xFC000004u, kAllButC},
                      DriveCase{"AAndZTaken", 0x02000001u, kAll.substr(2, 48)},
                      DriveCase{"AlternateLetters", 0x02AAAAAAu,
                                u"A:C:E:G:I:K:M:O:Q:S:U:W:Y:"},
                      DriveCase{"WineDefaultCAndZ", 0x02000004u, kAllButC.substr(0, 48)}),
    [](const ::testing::TestParamInfo<DriveCase>& info) { return std::string(info.param.name); });

TEST(RemoteName, IsTheUserShareOnTheHost) {
    struct {
        std::u16string host, user, expected;
    } rows[] = {
        {u"fileserver", u"kim", u"\\\\fileserver\\kim"},
        {u"", u"", u"\\\\\\"},
        {u"fileserver", u"", u"\\\\fileserver\\"},
        {u" host ", u"김 철수", u"\\\\ host \\김 철수"},
    };
    for (const auto& r : rows) EXPECT_EQ(vm::BuildRemoteName(r.host, r.user), r.expected) << Narrow(r.expected);
}

// Records every platform call as one line, so a row can state the whole
// sequence.
class RecordingPlatform : public vm::IConnectPlatform {
public:
    std::uint32_t getResult = 2250;
    std::uint32_t addResult = 0;
    std::vector<std::string> calls;
    std::vector<std::u16string> boxes;
    std::vector<std::u16string> traces;
    std::u16string addedPassword, addedUser;
    bool waiting = false;
    bool boxWhileWaiting = false;

    std::uint32_t GetConnection(const std::u16string& local) override {
        calls.push_back("get " + Narrow(local));
        return getResult;
    }
    std::uint32_t CancelConnection(const std::u16string& local, std::uint32_t flags, bool force) override {
        calls.push_back("cancel " + Narrow(local) + " flags=" + std::to_string(flags) + " force=" + (force ? "1" : "0"));
        return 2250;
    }
    std::uint32_t AddConnection(const vm::NetResourceSpec& res, const std::u16string& password,
                                const std::u16string& user, std::uint32_t flags) override {
        calls.push_back("add type=" + std::to_string(res.type) + " local=" + Narrow(res.localName) +
                        " remote=" + Narrow(res.remoteName) + " flags=" + std::to_string(flags));
        addedPassword = password;
        addedUser = user;
        return addResult;
    }
    void BeginWait() override {
        waiting = true;
        calls.push_back("wait");
    }
    void EndWait() override {
        waiting = false;
        calls.push_back("endwait");
    }
    void ShowMessage(const std::u16string& text) override {
        if (waiting) boxWhileWaiting = true;
        boxes.push_back(text);
        calls.push_back("box");
    }
    void PostQuit(int code) override { calls.push_back("quit " + std::to_string(code)); }
    std::u16string ErrorText(std::uint32_t code) override {
        return U16("system text " + std::to_string(code) + ".\r\n");
    }
    void Trace(const std::u16string& line) override {
        traces.push_back(line);
        calls.push_back("trace");
    }
};

const char kGet[] = "get K:";
const char kCancel[] = "cancel K: flags=1 force=1";
const char kAdd[] = "add type=1 local=K: remote=\\\\fileserver\\kim flags=1";

struct ConnectCase {
    const char* name;
    std::uint32_t getResult;
    std::uint32_t addResult;
    ConnectOutcome outcome;
    std::vector<std::string> calls;
    std::u16string box;  // empty: no box
    std::u16string drive;
};

class ConnectTest : public ::testing::TestWithParam<ConnectCase> {};

TEST_P(ConnectTest, RunsTheStepsInOrder) {
    const ConnectCase& c = GetParam();
    RecordingPlatform p;
    p.getResult = c.getResult;
    p.addResult = c.addResult;
    vm::ConnectInput in{true, u"K:", u"fileserver", u"kim", u"s3cr3t-pw"};
    std::u16string drive = u"before";
    EXPECT_EQ(vm::RunConnect(in, p, drive), c.outcome);
    EXPECT_EQ(p.calls, c.calls);
    ASSERT_EQ(p.boxes.size(), c.box.empty() ? 0u : 1u);
    if (!c.box.empty()) {
        EXPECT_EQ(p.boxes[0], c.box);
    }
    EXPECT_EQ(drive, c.drive);
    EXPECT_FALSE(p.boxWhileWaiting);
    if (c.outcome == ConnectOutcome::Mapped || c.outcome == ConnectOutcome::Failed) {
        EXPECT_EQ(p.addedUser, u"kim");
        EXPECT_EQ(p.addedPassword, u"s3cr3t-pw");
    }

    // One trace line naming stage, letter, remote name, code and the system
    // text, and never the password.
    ASSERT_EQ(p.traces.size(), 1u);
    const std::u16string& line = p.traces[0];
    EXPECT_NE(line.find(u"K:"), std::u16string::npos);
    EXPECT_NE(line.find(u"\\\\fileserver\\kim"), std::u16string::npos);
    const std::uint32_t code = c.outcome == ConnectOutcome::AlreadyConnected ? c.getResult : c.addResult;
    EXPECT_NE(line.find(U16("code=" + std::to_string(code))), std::u16string::npos) << Narrow(line);
    EXPECT_NE(line.find(u"system text"), std::u16string::npos);
    EXPECT_EQ(line.find(u"s3cr3t"), std::u16string::npos);
    EXPECT_EQ(line.find(u'\r'), std::u16string::npos);
    EXPECT_EQ(line.find(u'\n'), line.size() - 1);
}

const std::vector<std::string> kMappedCalls = {"wait", kGet, kCancel, kAdd, "endwait", "trace", "box", "quit 18"};
const std::vector<std::string> kFailedCalls = {"wait", kGet, kCancel, kAdd, "endwait", "trace", "box"};
const std::vector<std::string> kConnectedCalls = {"wait", kGet, "endwait", "trace", "box"};

INSTANTIATE_TEST_SUITE_P(
    Table, ConnectTest,
    ::testing::Values(
        // 2250 ERROR_NOT_CONNECTED, 1200 ERROR_BAD_DEVICE, 1201 remembered but
        // not live, 2250 for a local drive too: all go on to cancel and map.
        ConnectCase{"NotConnectedMaps", 2250, 0, ConnectOutcome::Mapped, kMappedCalls, vm::kTextConnectSucceeded, u"K:"},
        ConnectCase{"NoDeviceMaps", 1200, 0, ConnectOutcome::Mapped, kMappedCalls, vm::kTextConnectSucceeded, u"K:"},
        ConnectCase{"RememberedIsCancelledThenMapped", 1201, 0, ConnectOutcome::Mapped, kMappedCalls,
                    vm::kTextConnectSucceeded, u"K:"},
        ConnectCase{"ConnectedIsLeftAlone", 0, 0, ConnectOutcome::AlreadyConnected, kConnectedCalls,
                    vm::kTextAlreadyConnected, u"before"},
        ConnectCase{"ConnectedWithLongRemoteNameIsLeftAlone", 234, 0, ConnectOutcome::AlreadyConnected,
                    kConnectedCalls, vm::kTextAlreadyConnected, u"before"},
        ConnectCase{"WrongPasswordFails", 2250, 86, ConnectOutcome::Failed, kFailedCalls, vm::kTextConnectFailed,
                    u"before"},
        ConnectCase{"NoProviderFails", 1200, 1222, ConnectOutcome::Failed, kFailedCalls, vm::kTextConnectFailed,
                    u"before"},
        ConnectCase{"NoSuchHostFails", 1201, 53, ConnectOutcome::Failed, kFailedCalls, vm::kTextConnectFailed,
                    u"before"}),
    [](const ::testing::TestParamInfo<ConnectCase>& info) { return std::string(info.param.name); });

TEST(Connect, NoSelectionMapsAndShowsNothing) {
    RecordingPlatform p;
    vm::ConnectInput in{false, u"", u"fileserver", u"kim", u"s3cr3t-pw"};
    std::u16string drive = u"before";
    EXPECT_EQ(vm::RunConnect(in, p, drive), ConnectOutcome::NoSelection);
    EXPECT_EQ(p.calls, (std::vector<std::string>{"trace"}));
    EXPECT_EQ(drive, u"before");
    ASSERT_EQ(p.traces.size(), 1u);
    EXPECT_EQ(p.traces[0].find(u"s3cr3t"), std::u16string::npos);
}

TEST(Connect, EmptyRequestValuesAreStillPassedAsStrings) {
    // No request before Connect: the remote name is three backslashes and the
    // mapping is attempted with empty user and password.
    RecordingPlatform p;
    p.addResult = 67;
    vm::ConnectInput in{true, u"Q:", u"", u"", u""};
    std::u16string drive;
    EXPECT_EQ(vm::RunConnect(in, p, drive), ConnectOutcome::Failed);
    EXPECT_EQ(p.calls[3], "add type=1 local=Q: remote=\\\\\\ flags=1");
    EXPECT_EQ(p.boxes, std::vector<std::u16string>{vm::kTextConnectFailed});
}

}  // namespace
