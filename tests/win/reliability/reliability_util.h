// Helpers of the reliability runs: the figures they print, files and folders
// for the runs that need a copy of the program, and one started Volmark.exe
// driven as a user would drive it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "wintest_util.h"

// Prints "reliability: <what>: <figures>" and puts the same line into
// reliability.txt of the build folder (the parent of bin\), replacing an
// earlier line of the same "<what>", so that a rerun updates its figure and
// the test command can print them all at the end.
void RecordFigure(const std::string& what, const std::string& figures);

// Milliseconds since some fixed point, for the figures.
double NowMs();

// Whole files as bytes. ReadBytes gives an empty vector on failure; use
// FileExists to tell an empty file from a missing one.
std::vector<unsigned char> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::vector<unsigned char>& bytes);
bool FileExists(const std::wstring& path);

// The names of the files in a folder (no sub-folders), sorted.
std::vector<std::wstring> FilesIn(const std::wstring& dir);

// A folder that holds a copy of Volmark.exe and, unless `withSkin` is false,
// of bin\skin: the program reads the skin beside its executable. Removed by
// the destructor.
class ProgramCopy {
public:
    explicit ProgramCopy(bool withSkin = true);
    ~ProgramCopy();
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    bool ok() const { return m_ok; }
    const std::wstring& dir() const { return m_dir; }
    std::wstring exe() const { return m_dir + L"\\Volmark.exe"; }
    std::wstring skin(const std::wstring& file) const { return m_dir + L"\\skin\\" + file; }

private:
    std::wstring m_dir;
    bool m_ok = false;
};

// One running Volmark.exe and its dialog's controls.
class VolmarkProcess {
public:
    VolmarkProcess() = default;
    ~VolmarkProcess();
    VolmarkProcess(const VolmarkProcess&) = delete;
    VolmarkProcess& operator=(const VolmarkProcess&) = delete;

    // Starts the program and waits for its dialog. False (and the process
    // ended) when no dialog of that process appeared in time.
    bool Launch(const std::wstring& exe, const std::wstring& workDir = L"", DWORD timeoutMs = 15000);

    // Running, and its dialog answers a message within the time.
    bool Answers(DWORD timeoutMs = 5000) const;

    // The connection request as the companion sends it (terminator counted).
    bool Send(const std::wstring& text) const;

    // Picks the letter in the drive list and tells the dialog, as a real
    // selection would (CB_SETCURSEL alone sends no notification).
    bool Select(wchar_t letter) const;

    // Presses Connect and returns the text of the box it shows, after
    // closing that box; "(no box)" when none appeared in time.
    std::wstring ConnectAndCloseBox(DWORD timeoutMs = 15000) const;

    // Waits for the process to end; its exit code in *code.
    bool WaitExit(DWORD timeoutMs, DWORD* code);

    void Kill();
    bool Running() const { return m_runner.Running(); }
    HANDLE Handle() const { return m_runner.Handle(); }
    HWND dialog() const { return m_dlg; }
    HWND combo() const { return m_combo; }
    HWND connect() const { return m_connect; }

private:
    ProcessRunner m_runner;
    HWND m_dlg = nullptr, m_combo = nullptr, m_connect = nullptr;
};

// The provider's NPAddConnection3 line for a refused mapping with these
// values: what the dialog held when Connect was pressed. `passwordNote` is
// the provider's "len:N,match" or "len:N,mismatch".
std::wstring AddConnectionLine(wchar_t letter, const std::wstring& user, const std::wstring& host,
                               const std::wstring& passwordNote, DWORD result);

// UTF-8 of a wide string, for messages.
std::string Narrow(const std::wstring& text);
