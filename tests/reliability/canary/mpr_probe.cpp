// mpr-probe: loads mpr.dll by bare name with the default search order, as a
// program that does not guard against planting would, and says which one it
// got. Run beside (or in a working folder with) the planted copy, it shows
// that the placement is live, so that the program's refusal means something.
//
// Exit status: 0 the planted copy was loaded, 2 the system's, 1 none.
#include <windows.h>

#include <string>

namespace {

void Say(const std::wstring& text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &utf8[0], n, nullptr, nullptr);
    utf8.resize(utf8.size() - 1);
    utf8 += "\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace

int wmain() {
    HMODULE mpr = LoadLibraryW(L"mpr.dll");
    if (!mpr) {
        Say(L"mpr-probe: no mpr.dll could be loaded");
        return 1;
    }
    wchar_t path[MAX_PATH] = L"?";
    GetModuleFileNameW(mpr, path, MAX_PATH);
    const bool planted = GetProcAddress(mpr, "VolmarkCanary") != nullptr;
    wchar_t overrides[512] = L"";
    GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 512);
    Say(std::wstring(L"mpr-probe: ") + (planted ? L"planted copy " : L"system copy ") + path +
        L" (WINEDLLOVERRIDES=" + overrides + L")");
    return planted ? 0 : 2;
}
