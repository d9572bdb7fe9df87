#include "dialog/connect_logic.h"

namespace vm {

const char16_t kTextAlreadyConnected[] = u"이미 연결된 드라이브입니다";
const char16_t kTextConnectSucceeded[] = u"드라이브 연결에 성공하였습니다";
const char16_t kTextConnectFailed[] = u"드라이브 연결에 실패하였습니다";

std::vector<std::u16string> FreeDriveLetters(std::uint32_t driveMask) {
    std::vector<std::u16string> letters;
    for (int bit = 0; bit < 26; ++bit) {
        if (driveMask & (std::uint32_t{1} << bit)) continue;
        letters.push_back(std::u16string{static_cast<char16_t>(u'A' + bit), u':'});
    }
    return letters;
}

std::u16string BuildRemoteName(const std::u16string& host, const std::u16string& user) {
    return u"\\\\" + host + u"\\" + user;
}

namespace {

std::u16string Decimal(std::uint32_t v) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + v % 10));
        v /= 10;
    } while (v != 0);
    return digits;
}

// Ends the wait cursor on every path out, before any box is shown.
class WaitScope {
public:
    explicit WaitScope(IConnectPlatform& p) : m_p(p) { m_p.BeginWait(); }
    ~WaitScope() { End(); }
    void End() {
        if (m_active) m_p.EndWait();
        m_active = false;
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    IConnectPlatform& m_p;
    bool m_active = true;
};

}  // namespace

std::u16string FormatConnectTrace(const char16_t* stage, const std::u16string& localName,
                                  const std::u16string& remoteName, std::uint32_t code,
                                  const std::u16string& errorText) {
    std::u16string text = errorText;
    // FormatMessage ends its text with a line break; the trace has its own.
    while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) text.pop_back();
    std::u16string line = u"Volmark: connect ";
    line += stage;
    line += u": local=";
    line += localName;
    line += u" remote=";
    line += remoteName;
    line += u" code=";
    line += Decimal(code);
    line += u" (";
    line += text;
    line += u")\n";
    return line;
}

ConnectOutcome RunConnect(const ConnectInput& input, IConnectPlatform& platform, std::u16string& mappedDrive) {
    const std::u16string remote = BuildRemoteName(input.host, input.user);
    if (!input.hasSelection) {
        // The button is disabled until a letter is picked; should a click come
        // anyway, there is no letter to map.
        platform.Trace(FormatConnectTrace(u"no drive selected", u"", remote, kNoError, u""));
        return ConnectOutcome::NoSelection;
    }

    NetResourceSpec resource;
    resource.type = kResourceTypeDisk;
    resource.localName = input.localName;
    resource.remoteName = remote;

    WaitScope wait(platform);
    const std::uint32_t current = platform.GetConnection(resource.localName);
    // ERROR_MORE_DATA says the letter is live with a long remote name: it must
    // not be cancelled.
    if (current == kNoError || current == kErrorMoreData) {
        wait.End();
        platform.Trace(FormatConnectTrace(u"already connected", resource.localName, remote, current,
                                          platform.ErrorText(current)));
        platform.ShowMessage(kTextAlreadyConnected);
        return ConnectOutcome::AlreadyConnected;
    }

    // Drops a remembered, not live, connection of the letter; the result does
    // not matter.
    platform.CancelConnection(resource.localName, kConnectUpdateProfile, true);
    const std::uint32_t added = platform.AddConnection(resource, input.password, input.user, kConnectUpdateProfile);
    wait.End();
    platform.Trace(FormatConnectTrace(added == kNoError ? u"mapped" : u"mapping failed", resource.localName, remote,
                                      added, platform.ErrorText(added)));
    if (added == kNoError) {
        mappedDrive = resource.localName;
        platform.ShowMessage(kTextConnectSucceeded);
        platform.PostQuit(kMappedExitCode);
        return ConnectOutcome::Mapped;
    }
    platform.ShowMessage(kTextConnectFailed);
    return ConnectOutcome::Failed;
}

}  // namespace vm
