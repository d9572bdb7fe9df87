// A network provider for tests under Wine. MPR loads it into the process that
// maps a drive; it records every call in a UTF-8 log, can be told to refuse a
// mapping, and on success turns the letter into a real network drive through
// Wine's mount manager, so that GetLogicalDrives lists it and
// WNetGetConnectionW answers with its remote name.
//
// Controlled by environment variables, read at every call (so a test can
// change them between calls in its own process, and a program it starts
// inherits them):
//   VOLMARK_NP_LOG       file to append the log to (no log when unset)
//   VOLMARK_NP_FAIL      a Win32 code that NPAddConnection3 returns instead
//                        of mapping (e.g. 86 for a wrong password)
//   VOLMARK_NP_PASSWORD  when set, the only password the "server" accepts;
//                        any other gets 86 (ERROR_INVALID_PASSWORD)
//
// The password itself is never written to the log: a line says only whether
// it was null, its length, and whether it matched VOLMARK_NP_PASSWORD.
//
// Log lines (one per call, fields separated by single spaces):
//   NPAddConnection3 type=1 local=K: remote=\\fileserver\kim provider=null
//       user=kim password=len:8,match flags=0x1 result=0
//   NPAddConnection type=... (same fields, without flags)
//   NPCancelConnection name=K: force=1 result=0
//   NPGetConnection local=K: result=2250
// A string argument that is null is logged as "null", an empty one as "".
//
// What the provider does:
//   NPAddConnection3  refuses a deviceless or non-disk request, a name that is
//                     not \\host\share (67), a wrong password (86) and a letter
//                     already in use (85); otherwise makes the folder
//                     $WINEPREFIX/dosdevices/unc/<host>/<share> and defines the
//                     letter as a DRIVE_REMOTE drive mounted on "unc/<host>/<share>"
//                     (the form from which Wine's MPR reads the remote name back).
//   NPCancelConnection  removes such a drive (DRIVE_NO_ROOT_DIR) and answers 0;
//                     a letter only remembered under HKCU\Network with our
//                     provider name also answers 0, so that MPR forgets it;
//                     anything else answers 2250 (not connected).
//
// Setting up a letter in a test:
//   connected   WNetAddConnection2W from the test process itself (this DLL is
//               loaded there too), with flags 0 so that nothing is remembered;
//   remembered  write HKCU\Network\<letter> (RemotePath, ProviderName
//               "VolmarkTestNet", ProviderType, ConnectionType 1, UserName) with
//               no live drive: WNetGetConnectionW answers 1200 for it, and the
//               cancel then drops the entry.
// Drives and entries outlive the process (the mount manager keeps the drive
// in the prefix): a test cancels what it made.
#include <windows.h>
#include <winioctl.h>
// mingw's npapi.h declares the entry points without C linkage.
extern "C" {
#include <npapi.h>
}

#include <string>

namespace {

// Wine's mount manager extension, as Wine 8 lays it out.
constexpr DWORD kMountMgrType = 'm';
constexpr DWORD kIoctlDefineUnixDrive =
    CTL_CODE(kMountMgrType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr DWORD kIoctlQueryUnixDrive = CTL_CODE(kMountMgrType, 33, METHOD_BUFFERED, FILE_READ_ACCESS);

struct MountMgrUnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};

constexpr DWORD kNetType = 0x00FE0000;  // a network type no real provider uses
constexpr wchar_t kProviderName[] = L"VolmarkTestNet";

std::wstring Env(const wchar_t* name, bool* present = nullptr) {
    wchar_t buf[1024];
    DWORD n = GetEnvironmentVariableW(name, buf, ARRAYSIZE(buf));
    if (present) *present = n > 0 && n < ARRAYSIZE(buf);
    return (n > 0 && n < ARRAYSIZE(buf)) ? std::wstring(buf, n) : std::wstring();
}

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring Arg(const wchar_t* s) { return s ? std::wstring(s) : std::wstring(L"null"); }

void Log(const std::wstring& line) {
    const std::wstring path = Env(L"VOLMARK_NP_LOG");
    if (path.empty()) return;
    HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    const std::string bytes = Utf8(line + L"\n");
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

HANDLE OpenMountManager() {
    return CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

// A drive letter from "K:" (either case); 0 when the name is no letter.
wchar_t LetterOf(const wchar_t* name) {
    if (!name || !name[0] || name[1] != L':' || name[2] != L'\0') return 0;
    wchar_t c = name[0];
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return (c >= L'A' && c <= L'Z') ? c : 0;
}

// The mount point of a letter as the mount manager reports it ("" if none).
std::string QueryMountPoint(wchar_t letter) {
    HANDLE mgr = OpenMountManager();
    if (mgr == INVALID_HANDLE_VALUE) return {};
    alignas(8) char buffer[2048] = {};
    auto* data = reinterpret_cast<MountMgrUnixDrive*>(buffer);
    data->letter = static_cast<WCHAR>(letter - L'A' + L'a');
    DWORD got = 0;
    std::string mount;
    if (DeviceIoControl(mgr, kIoctlQueryUnixDrive, data, sizeof(*data), buffer, sizeof(buffer) - 1, &got, nullptr) &&
        data->mountPointOffset && data->mountPointOffset < sizeof(buffer)) {
        mount = buffer + data->mountPointOffset;
    }
    CloseHandle(mgr);
    return mount;
}

// Defines (type DRIVE_REMOTE, mount point given) or removes
// (DRIVE_NO_ROOT_DIR, no mount point) the letter in the mount manager.
bool DefineDrive(wchar_t letter, ULONG type, const std::string& mountPoint) {
    HANDLE mgr = OpenMountManager();
    if (mgr == INVALID_HANDLE_VALUE) return false;
    std::string block(sizeof(MountMgrUnixDrive), '\0');
    auto* data = reinterpret_cast<MountMgrUnixDrive*>(&block[0]);
    data->type = type;
    data->letter = static_cast<WCHAR>(letter - L'A' + L'a');
    if (!mountPoint.empty()) {
        data->mountPointOffset = static_cast<USHORT>(block.size());
        block += mountPoint;
        block += '\0';
        data = reinterpret_cast<MountMgrUnixDrive*>(&block[0]);
    }
    data->size = static_cast<ULONG>(block.size());
    DWORD got = 0;
    BOOL ok = DeviceIoControl(mgr, kIoctlDefineUnixDrive, &block[0], static_cast<DWORD>(block.size()), nullptr, 0,
                              &got, nullptr);
    CloseHandle(mgr);
    return ok != FALSE;
}

// \\host\share with two plain, non-empty parts; anything else is no name
// this network knows.
bool SplitRemote(const wchar_t* remote, std::wstring& host, std::wstring& share) {
    if (!remote || remote[0] != L'\\' || remote[1] != L'\\') return false;
    std::wstring rest(remote + 2);
    size_t slash = rest.find(L'\\');
    if (slash == std::wstring::npos) return false;
    host = rest.substr(0, slash);
    share = rest.substr(slash + 1);
    auto plain = [](const std::wstring& s) {
        if (s.empty() || s == L"." || s == L"..") return false;
        return s.find_first_of(L"\\/:*?\"<>|") == std::wstring::npos;
    };
    return plain(host) && plain(share);
}

// Makes $WINEPREFIX/dosdevices/unc/<host>/<share>, the folder the drive shows.
bool MakeShareFolder(const std::wstring& host, const std::wstring& share) {
    std::wstring prefix = Env(L"WINEPREFIX");
    if (prefix.empty()) prefix = Env(L"HOME") + L"/.wine";
    using ToDos = WCHAR*(CDECL*)(const char*);
    auto toDos = reinterpret_cast<ToDos>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
    if (!toDos) return false;
    std::string unixPath = Utf8(prefix) + "/dosdevices/unc";
    for (const std::wstring* part : {static_cast<const std::wstring*>(nullptr), &host, &share}) {
        if (part) unixPath += "/" + Utf8(*part);
        WCHAR* dos = toDos(unixPath.c_str());
        if (!dos) return false;
        CreateDirectoryW(dos, nullptr);
        DWORD attr = GetFileAttributesW(dos);
        HeapFree(GetProcessHeap(), 0, dos);
        if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) return false;
    }
    return true;
}

std::wstring PasswordNote(const wchar_t* password, bool* accepted) {
    bool expectSet = false;
    const std::wstring expected = Env(L"VOLMARK_NP_PASSWORD", &expectSet);
    *accepted = true;
    if (!password) {
        *accepted = !expectSet;
        return L"null";
    }
    std::wstring note = L"len:" + std::to_wstring(wcslen(password));
    if (expectSet) {
        *accepted = expected == password;
        note += *accepted ? L",match" : L",mismatch";
    }
    return note;
}

DWORD AddConnection(const wchar_t* api, LPNETRESOURCEW res, LPWSTR password, LPWSTR user, DWORD flags,
                    bool withFlags) {
    std::wstring line = api;
    DWORD result = WN_BAD_VALUE;
    bool accepted = true;
    const std::wstring pwNote = PasswordNote(password, &accepted);
    if (!res) {
        line += L" resource=null";
    } else {
        line += L" type=" + std::to_wstring(res->dwType) + L" local=" + Arg(res->lpLocalName) + L" remote=" +
                Arg(res->lpRemoteName) + L" provider=" + Arg(res->lpProvider);
    }
    line += L" user=" + Arg(user) + L" password=" + pwNote;
    if (withFlags) {
        wchar_t hex[16];
        wsprintfW(hex, L"0x%X", flags);
        line += std::wstring(L" flags=") + hex;
    }

    std::wstring host, share;
    bool failSet = false;
    const std::wstring fail = Env(L"VOLMARK_NP_FAIL", &failSet);
    const wchar_t letter = res ? LetterOf(res->lpLocalName) : 0;
    if (!res) {
        result = WN_BAD_VALUE;
    } else if (res->dwType != RESOURCETYPE_DISK) {
        result = WN_BAD_DEV_TYPE;
    } else if (failSet) {
        result = static_cast<DWORD>(wcstoul(fail.c_str(), nullptr, 10));
    } else if (!SplitRemote(res->lpRemoteName, host, share)) {
        result = WN_BAD_NETNAME;
    } else if (!accepted) {
        result = ERROR_INVALID_PASSWORD;
    } else if (!letter) {
        result = WN_BAD_LOCALNAME;  // deviceless connections are not offered
    } else if (GetLogicalDrives() & (1u << (letter - L'A'))) {
        result = WN_ALREADY_CONNECTED;
    } else if (!MakeShareFolder(host, share) ||
               !DefineDrive(letter, DRIVE_REMOTE, "unc/" + Utf8(host) + "/" + Utf8(share))) {
        result = WN_NO_NETWORK;
    } else {
        result = WN_SUCCESS;
    }
    line += L" result=" + std::to_wstring(result);
    Log(line);
    return result;
}

bool Remembered(wchar_t letter) {
    wchar_t key[] = L"Network\\?";
    key[8] = letter;
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    wchar_t name[64] = {};
    DWORD size = sizeof(name) - sizeof(wchar_t);
    DWORD type = 0;
    bool ours = RegQueryValueExW(h, L"ProviderName", nullptr, &type, reinterpret_cast<BYTE*>(name), &size) ==
                    ERROR_SUCCESS &&
                type == REG_SZ && lstrcmpiW(name, kProviderName) == 0;
    RegCloseKey(h);
    return ours;
}

}  // namespace

extern "C" {

DWORD WINAPI NPGetCaps(DWORD index) {
    switch (index) {
    case WNNC_SPEC_VERSION: return WNNC_SPEC_VERSION51;
    case WNNC_NET_TYPE: return kNetType;
    case WNNC_DRIVER_VERSION: return 1;
    case WNNC_CONNECTION:
        return WNNC_CON_ADDCONNECTION | WNNC_CON_ADDCONNECTION3 | WNNC_CON_CANCELCONNECTION | WNNC_CON_GETCONNECTIONS;
    case WNNC_START: return 1;  // running
    default: return 0;
    }
}

DWORD WINAPI NPAddConnection3(HWND, LPNETRESOURCEW res, LPWSTR password, LPWSTR user, DWORD flags) {
    return AddConnection(L"NPAddConnection3", res, password, user, flags, true);
}

DWORD WINAPI NPAddConnection(LPNETRESOURCEW res, LPWSTR password, LPWSTR user) {
    return AddConnection(L"NPAddConnection", res, password, user, 0, false);
}

// Drops a live drive of ours; a letter only remembered (HKCU\Network) counts
// as cancelled too, so that MPR forgets it.
DWORD WINAPI NPCancelConnection(LPWSTR name, BOOL force) {
    const wchar_t letter = LetterOf(name);
    DWORD result = WN_NOT_CONNECTED;
    if (letter) {
        const std::string mount = QueryMountPoint(letter);
        if (mount.compare(0, 4, "unc/") == 0) {
            result = DefineDrive(letter, DRIVE_NO_ROOT_DIR, std::string()) ? WN_SUCCESS : WN_NO_NETWORK;
        } else if (mount.empty() && Remembered(letter)) {
            result = WN_SUCCESS;
        }
    }
    Log(L"NPCancelConnection name=" + Arg(name) + L" force=" + std::to_wstring(force ? 1 : 0) + L" result=" +
        std::to_wstring(result));
    return result;
}

DWORD WINAPI NPGetConnection(LPWSTR local, LPWSTR remote, LPDWORD length) {
    const wchar_t letter = LetterOf(local);
    DWORD result = WN_NOT_CONNECTED;
    if (!length) {
        result = WN_BAD_VALUE;
    } else if (letter) {
        const std::string mount = QueryMountPoint(letter);
        if (mount.compare(0, 4, "unc/") == 0) {
            std::wstring name = L"\\\\";
            int n = MultiByteToWideChar(CP_UTF8, 0, mount.c_str() + 4, -1, nullptr, 0);
            std::wstring tail(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
            if (n > 1) MultiByteToWideChar(CP_UTF8, 0, mount.c_str() + 4, -1, &tail[0], n);
            for (wchar_t& c : tail)
                if (c == L'/') c = L'\\';
            name += tail;
            if (!remote || *length < name.size() + 1) {
                *length = static_cast<DWORD>(name.size() + 1);
                result = WN_MORE_DATA;
            } else {
                lstrcpyW(remote, name.c_str());
                result = WN_SUCCESS;
            }
        }
    }
    Log(L"NPGetConnection local=" + Arg(local) + L" result=" + std::to_wstring(result));
    return result;
}

}  // extern "C"
