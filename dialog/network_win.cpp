#include "dialog/network_win.h"

#include <winnetwk.h>

#include <vector>

#include "fw/fw.h"

static_assert(vm::kNoError == NO_ERROR && vm::kErrorMoreData == ERROR_MORE_DATA);
static_assert(vm::kConnectUpdateProfile == CONNECT_UPDATE_PROFILE && vm::kResourceTypeDisk == RESOURCETYPE_DISK);

namespace {

using GetConnectionFn = DWORD(WINAPI*)(LPCWSTR, LPWSTR, LPDWORD);
using CancelConnection2Fn = DWORD(WINAPI*)(LPCWSTR, DWORD, BOOL);
using AddConnection2Fn = DWORD(WINAPI*)(LPNETRESOURCEW, LPCWSTR, LPCWSTR, DWORD);

// MPR, loaded once from the system directory and kept for the whole run, so
// that no mpr.dll planted beside the program or in the working directory is
// ever taken.
struct Mpr {
    GetConnectionFn getConnection = nullptr;
    CancelConnection2Fn cancelConnection2 = nullptr;
    AddConnection2Fn addConnection2 = nullptr;
};

template <class Fn>
Fn Proc(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const Mpr& LoadMpr() {
    static const Mpr mpr = [] {
        Mpr m;
        HMODULE module = LoadLibraryExW(L"mpr.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (!module) {
            // Systems without the search flags: the full path is just as safe.
            wchar_t dir[MAX_PATH];
            UINT n = GetSystemDirectoryW(dir, MAX_PATH);
            if (n > 0 && n < MAX_PATH - 9) {
                std::wstring path(dir, n);
                path += L"\\mpr.dll";
                module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
            }
        }
        if (module) {
            m.getConnection = Proc<GetConnectionFn>(module, "WNetGetConnectionW");
            m.cancelConnection2 = Proc<CancelConnection2Fn>(module, "WNetCancelConnection2W");
            m.addConnection2 = Proc<AddConnection2Fn>(module, "WNetAddConnection2W");
        }
        return m;
    }();
    return mpr;
}

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

}  // namespace

CWin32ConnectPlatform::~CWin32ConnectPlatform() { EndWait(); }

std::uint32_t CWin32ConnectPlatform::GetConnection(const std::u16string& localName) {
    const Mpr& mpr = LoadMpr();
    if (!mpr.getConnection) return ERROR_PROC_NOT_FOUND;
    // Room for the longest remote name a provider may report, so that a live
    // connection answers NO_ERROR; its text is not used.
    std::vector<wchar_t> remote(32768, L'\0');
    DWORD length = static_cast<DWORD>(remote.size());
    return mpr.getConnection(W(localName), remote.data(), &length);
}

std::uint32_t CWin32ConnectPlatform::CancelConnection(const std::u16string& localName, std::uint32_t flags,
                                                      bool force) {
    const Mpr& mpr = LoadMpr();
    if (!mpr.cancelConnection2) return ERROR_PROC_NOT_FOUND;
    return mpr.cancelConnection2(W(localName), flags, force ? TRUE : FALSE);
}

std::uint32_t CWin32ConnectPlatform::AddConnection(const vm::NetResourceSpec& resource,
                                                   const std::u16string& password, const std::u16string& user,
                                                   std::uint32_t flags) {
    const Mpr& mpr = LoadMpr();
    if (!mpr.addConnection2) return ERROR_PROC_NOT_FOUND;
    NETRESOURCEW nr{};
    nr.dwType = resource.type;
    nr.lpLocalName = const_cast<LPWSTR>(W(resource.localName));
    nr.lpRemoteName = const_cast<LPWSTR>(W(resource.remoteName));
    nr.lpProvider = nullptr;
    // c_str() is never null: empty values go as empty strings.
    return mpr.addConnection2(&nr, W(password), W(user), flags);
}

void CWin32ConnectPlatform::BeginWait() {
    if (m_bWaiting) return;
    m_hOldCursor = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    m_bWaiting = true;
}

void CWin32ConnectPlatform::EndWait() {
    if (!m_bWaiting) return;
    ::SetCursor(m_hOldCursor ? m_hOldCursor : ::LoadCursorW(nullptr, IDC_ARROW));
    m_bWaiting = false;
}

void CWin32ConnectPlatform::ShowMessage(const std::u16string& text) { AfxMessageBox(W(text), MB_OK, 0); }

void CWin32ConnectPlatform::PostQuit(int exitCode) { ::PostQuitMessage(exitCode); }

std::u16string CWin32ConnectPlatform::ErrorText(std::uint32_t code) {
    wchar_t* text = nullptr;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::u16string result;
    if (n > 0 && text) result.assign(reinterpret_cast<const char16_t*>(text), n);
    if (text) LocalFree(text);
    return result;
}

void CWin32ConnectPlatform::Trace(const std::u16string& line) { ::OutputDebugStringW(W(line)); }
