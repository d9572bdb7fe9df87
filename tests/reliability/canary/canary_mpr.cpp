// A planted mpr.dll. If a program ever loads it, the load itself is the
// fault: on attach it appends a line to the file named by
// VOLMARK_CANARY_MARKER and then does nothing else. It exports no network
// function, so a program that took it could map nothing.
#include <windows.h>

extern "C" __declspec(dllexport) int VolmarkCanary() { return 1; }

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t marker[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"VOLMARK_CANARY_MARKER", marker, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return TRUE;
    HANDLE h = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return TRUE;
    wchar_t exe[MAX_PATH] = L"?";
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    char line[3 * MAX_PATH + 32] = "loaded into ";
    const int used = lstrlenA(line);
    const int m = WideCharToMultiByte(CP_UTF8, 0, exe, -1, line + used, static_cast<int>(sizeof(line)) - used - 3,
                                      nullptr, nullptr);
    if (m > 0) lstrcatA(line, "\r\n");
    DWORD written = 0;
    WriteFile(h, line, static_cast<DWORD>(lstrlenA(line)), &written, nullptr);
    CloseHandle(h);
    return TRUE;
}
