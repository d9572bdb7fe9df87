// The real platform behind the Connect procedure: MPR's connection
// functions (resolved from the system directory only), the wait cursor,
// the framework's message box, the quit request and debugger output.
#pragma once

#include "dialog/connect_logic.h"

#include <windows.h>

class CWin32ConnectPlatform : public vm::IConnectPlatform {
public:
    CWin32ConnectPlatform() = default;
    ~CWin32ConnectPlatform() override;
    CWin32ConnectPlatform(const CWin32ConnectPlatform&) = delete;
    CWin32ConnectPlatform& operator=(const CWin32ConnectPlatform&) = delete;

    std::uint32_t GetConnection(const std::u16string& localName) override;
    std::uint32_t CancelConnection(const std::u16string& localName, std::uint32_t flags, bool force) override;
    std::uint32_t AddConnection(const vm::NetResourceSpec& resource, const std::u16string& password,
                                const std::u16string& user, std::uint32_t flags) override;
    void BeginWait() override;
    void EndWait() override;
    void ShowMessage(const std::u16string& text) override;
    void PostQuit(int exitCode) override;
    std::u16string ErrorText(std::uint32_t code) override;
    void Trace(const std::u16string& line) override;

private:
    HCURSOR m_hOldCursor = nullptr;
    bool m_bWaiting = false;
};
