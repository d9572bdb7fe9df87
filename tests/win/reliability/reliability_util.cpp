#include "reliability_util.h"

#include <algorithm>
#include <cstdio>

#include "dialog_test_util.h"

namespace {

constexpr DWORD kPollMs = 10;

std::wstring FiguresPath() {
    std::wstring bin = BinDir();
    const size_t slash = bin.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? bin : bin.substr(0, slash)) + L"\\reliability.txt";
}

}  // namespace

std::string Narrow(const std::wstring& text) { return drivekit::Utf8(text); }

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::vector<unsigned char> ReadBytes(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    unsigned char chunk[65536];
    DWORD got = 0;
    while (ReadFile(h, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    CloseHandle(h);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = bytes.empty() ||
                    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == bytes.size();
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::wstring> FilesIn(const std::wstring& dir) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

void RecordFigure(const std::string& what, const std::string& figures) {
    const std::string key = "reliability: " + what + ":";
    const std::string line = key + " " + figures;
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);

    const std::wstring path = FiguresPath();
    const std::vector<unsigned char> old = ReadBytes(path);
    std::string kept;
    size_t start = 0;
    while (start < old.size()) {
        size_t end = start;
        while (end < old.size() && old[end] != '\n') ++end;
        const std::string existing(old.begin() + static_cast<std::ptrdiff_t>(start),
                                   old.begin() + static_cast<std::ptrdiff_t>(end));
        if (!existing.empty() && existing.compare(0, key.size(), key) != 0) kept += existing + "\n";
        start = end + 1;
    }
    kept += line + "\n";
    WriteBytes(path, std::vector<unsigned char>(kept.begin(), kept.end()));
}

ProgramCopy::ProgramCopy(bool withSkin) {
    m_dir = MakeTempDir();
    if (m_dir.empty()) return;
    const std::wstring bin = BinDir();
    if (!CopyFileW((bin + L"\\Volmark.exe").c_str(), exe().c_str(), FALSE)) return;
    if (withSkin) {
        if (!CreateDirectoryW((m_dir + L"\\skin").c_str(), nullptr)) return;
        const std::vector<std::wstring> files = FilesIn(bin + L"\\skin");
        if (files.empty()) return;
        for (const std::wstring& f : files) {
            if (!CopyFileW((bin + L"\\skin\\" + f).c_str(), skin(f).c_str(), FALSE)) return;
        }
    }
    m_ok = true;
}

ProgramCopy::~ProgramCopy() {
    if (!m_dir.empty()) RemoveTree(m_dir);
}

VolmarkProcess::~VolmarkProcess() { Kill(); }

bool VolmarkProcess::Launch(const std::wstring& exe, const std::wstring& workDir, DWORD timeoutMs) {
    m_dlg = m_combo = m_connect = nullptr;
    if (!m_runner.Start(exe, {}, workDir)) return false;
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if ((m_dlg = drivekit::FindWindowOfProcess(L"Kelvask", m_runner.Pid(), true))) break;
        // A process that ended (a crash, for one) shows no dialog any more.
        if (!m_runner.Running() || GetTickCount64() >= deadline) {
            Kill();
            return false;
        }
        Sleep(kPollMs);
    }
    m_combo = GetDlgItem(m_dlg, 1000);
    m_connect = GetDlgItem(m_dlg, IDOK);
    return m_combo != nullptr && m_connect != nullptr;
}

bool VolmarkProcess::Answers(DWORD timeoutMs) const {
    if (!m_runner.Running() || !IsWindow(m_dlg)) return false;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(m_dlg, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool VolmarkProcess::Send(const std::wstring& text) const { return SendRequest(m_dlg, text); }

bool VolmarkProcess::Select(wchar_t letter) const {
    const std::wstring local{letter, L':'};
    const std::vector<std::wstring> items = ComboItems(m_combo);
    const auto it = std::find(items.begin(), items.end(), local);
    if (it == items.end()) return false;
    drivekit::SelectDriveItem(m_dlg, m_combo, static_cast<WPARAM>(it - items.begin()));
    return IsWindowEnabled(m_connect) != FALSE;
}

std::wstring VolmarkProcess::ConnectAndCloseBox(DWORD timeoutMs) const {
    drivekit::PostClick(m_connect);
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    HWND box = nullptr;
    while (!(box = FindOwnedBox(m_dlg))) {
        if (!m_runner.Running() || GetTickCount64() >= deadline) return L"(no box)";
        Sleep(kPollMs);
    }
    const std::wstring text = drivekit::BoxText(box);
    drivekit::CloseBox(box);
    while (IsWindow(box) && IsWindowVisible(box) && GetTickCount64() < deadline) Sleep(kPollMs);
    return text;
}

bool VolmarkProcess::WaitExit(DWORD timeoutMs, DWORD* code) { return m_runner.Wait(timeoutMs, code); }

void VolmarkProcess::Kill() {
    if (m_runner.Running()) {
        m_runner.Kill();
        m_runner.Wait(5000);
    }
}

std::wstring AddConnectionLine(wchar_t letter, const std::wstring& user, const std::wstring& host,
                               const std::wstring& passwordNote, DWORD result) {
    return L"NPAddConnection3 type=1 local=" + std::wstring{letter, L':'} + L" remote=\\\\" + host + L"\\" + user +
           L" provider=null user=" + user + L" password=" + passwordNote + L" flags=0x1 result=" +
           std::to_wstring(result);
}
