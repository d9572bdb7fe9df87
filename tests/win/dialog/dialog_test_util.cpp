#include "dialog_test_util.h"

#include <winnetwk.h>

#include "dialog/connect_logic.h"

ScopedEnv::ScopedEnv(const wchar_t* name, const wchar_t* value) : m_name(name) {
    wchar_t buf[4096];
    DWORD n = GetEnvironmentVariableW(name, buf, 4096);
    if (n > 0 && n < 4096) {
        m_old.assign(buf, n);
        m_hadOld = true;
    }
    SetEnvironmentVariableW(name, value);
}

ScopedEnv::~ScopedEnv() { SetEnvironmentVariableW(m_name.c_str(), m_hadOld ? m_old.c_str() : nullptr); }

std::vector<std::wstring> ReadLogLines(const std::wstring& path) {
    std::vector<std::wstring> lines;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return lines;
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(h);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        const std::string line = bytes.substr(start, end - start);
        int n = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring w(static_cast<size_t>(n > 0 ? n : 0), L'\0');
        if (n > 0) MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &w[0], n);
        lines.push_back(w);
        start = end + 1;
    }
    return lines;
}

std::vector<std::wstring> LinesStartingWith(const std::vector<std::wstring>& lines, const std::wstring& prefix) {
    std::vector<std::wstring> out;
    for (const auto& l : lines)
        if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
}

bool LetterInUse(wchar_t letter) { return (GetLogicalDrives() >> (letter - L'A')) & 1u; }

namespace {

std::wstring NetworkKey(wchar_t letter) { return std::wstring(L"Network\\") + letter; }

}  // namespace

void ForgetLetter(wchar_t letter) {
    ScopedEnv noLog(L"VOLMARK_NP_LOG", nullptr);
    const wchar_t local[] = {letter, L':', 0};
    WNetCancelConnection2W(local, CONNECT_UPDATE_PROFILE, TRUE);
    RegDeleteKeyW(HKEY_CURRENT_USER, NetworkKey(letter).c_str());
}

bool RememberLetter(wchar_t letter, const std::wstring& remote) {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, NetworkKey(letter).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const wchar_t provider[] = L"VolmarkTestNet";
    DWORD one = 1, type = 0x00FE0000;
    RegSetValueExW(key, L"RemotePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(remote.c_str()),
                   static_cast<DWORD>((remote.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"ProviderName", 0, REG_SZ, reinterpret_cast<const BYTE*>(provider), sizeof(provider));
    RegSetValueExW(key, L"ProviderType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), sizeof(type));
    RegSetValueExW(key, L"ConnectionType", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
    RegSetValueExW(key, L"UserName", 0, REG_SZ, reinterpret_cast<const BYTE*>(L""), sizeof(wchar_t));
    RegCloseKey(key);
    return true;
}

bool LetterRemembered(wchar_t letter, std::wstring* remote) {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, NetworkKey(letter).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    if (remote) {
        wchar_t buf[1024] = {};
        DWORD size = sizeof(buf) - sizeof(wchar_t);
        DWORD type = 0;
        if (RegQueryValueExW(key, L"RemotePath", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS)
            *remote = buf;
        else
            remote->clear();
    }
    RegCloseKey(key);
    return true;
}

DWORD MapFromHere(wchar_t letter, const std::wstring& share) {
    ScopedEnv noLog(L"VOLMARK_NP_LOG", nullptr);
    ScopedEnv noFail(L"VOLMARK_NP_FAIL", nullptr);
    ScopedEnv anyPassword(L"VOLMARK_NP_PASSWORD", nullptr);
    wchar_t local[] = {letter, L':', 0};
    std::wstring remote = L"\\\\fileserver\\" + share;
    NETRESOURCEW nr{};
    nr.dwType = RESOURCETYPE_DISK;
    nr.lpLocalName = local;
    nr.lpRemoteName = &remote[0];
    return WNetAddConnection2W(&nr, L"x", L"setup", 0);
}

HWND WaitForWindowOfProcess(const wchar_t* title, DWORD pid, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        HWND found = drivekit::FindWindowOfProcess(title, pid, false);
        if (found && IsWindowVisible(found)) return found;
        if (GetTickCount64() >= deadline) return nullptr;
        Sleep(50);
    }
}

HWND WaitForOwnedBox(HWND owner, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND h = FindOwnedBox(owner)) return h;
        if (GetTickCount64() >= deadline) return nullptr;
        Sleep(50);
    }
}

std::vector<std::wstring> ComboItems(HWND combo) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t buf[64] = {};
        LRESULT n = SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
        items.emplace_back(buf, n > 0 && n < 64 ? static_cast<size_t>(n) : 0);
    }
    return items;
}

std::vector<std::wstring> ExpectedFreeLetters() {
    std::vector<std::wstring> out;
    for (const std::u16string& s : vm::FreeDriveLetters(GetLogicalDrives()))
        out.emplace_back(reinterpret_cast<const wchar_t*>(s.c_str()), s.size());
    return out;
}

bool SendRequest(HWND dialog, const std::wstring& text, ULONG_PTR type, DWORD cbData, LRESULT* answer) {
    COPYDATASTRUCT cds{};
    cds.dwData = type;
    cds.cbData = cbData == 0xFFFFFFFF ? static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)) : cbData;
    cds.lpData = const_cast<wchar_t*>(text.c_str());
    DWORD_PTR result = 0;
    BOOL ok = SendMessageTimeoutW(dialog, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000,
                                  &result);
    if (answer) *answer = static_cast<LRESULT>(result);
    return ok != FALSE;
}
