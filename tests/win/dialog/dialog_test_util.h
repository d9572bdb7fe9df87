// Helpers for driving the drive-mapping dialog from the tests: the test
// network provider's controls and log, drive letters of the prefix, and the
// windows of another process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tools/drivekit/drivekit.h"

// Sets an environment variable for this scope (the provider reads them at
// every call; a program started meanwhile inherits them) and restores the
// previous value.
class ScopedEnv {
public:
    ScopedEnv(const wchar_t* name, const wchar_t* value);  // value null: unset
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::wstring m_name;
    std::wstring m_old;
    bool m_hadOld = false;
};

// The provider's log, one entry per line (UTF-8 decoded); empty if none.
std::vector<std::wstring> ReadLogLines(const std::wstring& path);
// The lines that start with `prefix`.
std::vector<std::wstring> LinesStartingWith(const std::vector<std::wstring>& lines, const std::wstring& prefix);

// "M:" -> bit 12 set in GetLogicalDrives.
bool LetterInUse(wchar_t letter);
// Removes any mapping and remembered entry of the letter left by an earlier
// run (through MPR and the provider, then HKCU\Network directly).
void ForgetLetter(wchar_t letter);
// Writes HKCU\Network\<letter> as MPR does for a persistent connection of the
// test provider that is not live now.
bool RememberLetter(wchar_t letter, const std::wstring& remote);
bool LetterRemembered(wchar_t letter, std::wstring* remote = nullptr);
// Maps \\fileserver\<share> to the letter from this process (provider log
// off), so that the letter is live.
DWORD MapFromHere(wchar_t letter, const std::wstring& share);

// A top-level window with this exact title that belongs to process `pid`.
HWND WaitForWindowOfProcess(const wchar_t* title, DWORD pid, DWORD timeoutMs);
// A visible #32770 window owned by `owner` (a message box).
HWND WaitForOwnedBox(HWND owner, DWORD timeoutMs);
using drivekit::FindOwnedBox;
using drivekit::TextOf;

// The items of a combo box in another process.
std::vector<std::wstring> ComboItems(HWND combo);
// The items the dialog should list for the current drive mask.
std::vector<std::wstring> ExpectedFreeLetters();

// Sends a connection request the way the companion does.
bool SendRequest(HWND dialog, const std::wstring& text, ULONG_PTR type = 1004, DWORD cbData = 0xFFFFFFFF,
                 LRESULT* answer = nullptr);
