// The drive-mapping decisions of the dialog: the free letters, the remote
// name and the Connect procedure over a small platform interface, so that
// they run and are tested without Windows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vm {

// The Win32 values the procedure speaks in (checked against <windows.h> on
// the Windows side).
constexpr std::uint32_t kNoError = 0;
constexpr std::uint32_t kErrorMoreData = 234;
constexpr std::uint32_t kConnectUpdateProfile = 0x00000001;
constexpr std::uint32_t kResourceTypeDisk = 0x00000001;
constexpr int kMappedExitCode = 18;

// The dialog's three fixed texts.
extern const char16_t kTextAlreadyConnected[];  // "이미 연결된 드라이브입니다"
extern const char16_t kTextConnectSucceeded[];  // "드라이브 연결에 성공하였습니다"
extern const char16_t kTextConnectFailed[];     // "드라이브 연결에 실패하였습니다"

// "A:" to "Z:" for every letter whose bit (bit 0 = A) is clear in the
// GetLogicalDrives mask, in alphabetical order. Bits 26 to 31 have no letter.
std::vector<std::u16string> FreeDriveLetters(std::uint32_t driveMask);

// \\host\user: the share named after the user on that host. Nothing is
// trimmed or checked; empty parts stay empty.
std::u16string BuildRemoteName(const std::u16string& host, const std::u16string& user);

// What WNetAddConnection2W gets in its NETRESOURCE (the members it reads).
struct NetResourceSpec {
    std::uint32_t type = kResourceTypeDisk;
    std::u16string localName;
    std::u16string remoteName;
    // The provider is always null: the platform chooses.
};

// The platform operations Connect needs.
class IConnectPlatform {
public:
    virtual ~IConnectPlatform() = default;
    // WNetGetConnectionW on the local name, with a buffer of its own.
    virtual std::uint32_t GetConnection(const std::u16string& localName) = 0;
    // WNetCancelConnection2W(localName, flags, force).
    virtual std::uint32_t CancelConnection(const std::u16string& localName, std::uint32_t flags, bool force) = 0;
    // WNetAddConnection2W(resource, password, user, flags); password and
    // user are always real strings, never null.
    virtual std::uint32_t AddConnection(const NetResourceSpec& resource, const std::u16string& password,
                                        const std::u16string& user, std::uint32_t flags) = 0;
    // The wait cursor around the network calls; never shown over a box.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
    // A modal box with an OK button; returns when the user has closed it.
    virtual void ShowMessage(const std::u16string& text) = 0;
    // The quit request that ends the modal loop with this exit code.
    virtual void PostQuit(int exitCode) = 0;
    // The system's text for a Win32 error code (may end in a line break).
    virtual std::u16string ErrorText(std::uint32_t code) = 0;
    // One line of debugger output.
    virtual void Trace(const std::u16string& line) = 0;
};

// What Connect works on: the selected item (if any) and the request values.
struct ConnectInput {
    bool hasSelection = false;
    std::u16string localName;  // the selected item's text, "X:"
    std::u16string host;
    std::u16string user;
    std::u16string password;
};

enum class ConnectOutcome {
    NoSelection,       // nothing mapped, nothing shown
    AlreadyConnected,  // the letter is live: nothing cancelled or mapped
    Mapped,            // mapped; the quit request with 18 has been posted
    Failed,            // the mapping was refused; the dialog stays
};

// The Connect procedure. On success `mappedDrive` receives the local name;
// otherwise it is left as it was. Writes one trace line per outcome, with
// the stage, letter, remote name and code, never the password.
ConnectOutcome RunConnect(const ConnectInput& input, IConnectPlatform& platform, std::u16string& mappedDrive);

// The trace line for one outcome (exposed for the tests).
std::u16string FormatConnectTrace(const char16_t* stage, const std::u16string& localName,
                                  const std::u16string& remoteName, std::uint32_t code,
                                  const std::u16string& errorText);

}  // namespace vm
