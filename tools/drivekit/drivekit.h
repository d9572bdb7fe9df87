// Plain Win32 helpers shared by the script tools and the Windows tests: they
// drive the Volmark dialog from another process the way a user would, write
// UTF-8 text and BMP files, and start programs. Nothing here depends on the
// program's own classes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace drivekit {

// The dialog's drive list, and the text control of a message box.
constexpr int kDriveListId = 1000;
constexpr int kBoxTextId = 0xFFFF;

// ---------------------------------------------------------------- text

// UTF-8 of UTF-16 text.
std::string Utf8(const std::wstring& text);

// Writes `text` as UTF-8 to a standard handle (STD_OUTPUT_HANDLE,
// STD_ERROR_HANDLE) with WriteFile: Wine's wprintf drops non-ASCII text.
void WriteUtf8(DWORD stdHandle, const std::wstring& text);

// ---------------------------------------------------------------- windows

// A top-level window titled exactly `title` that belongs to process `pid`
// (0: any process); with `visibleOnly`, hidden windows are passed over.
HWND FindWindowOfProcess(const wchar_t* title, DWORD pid, bool visibleOnly);

// A visible #32770 window owned by `owner` (a message box).
HWND FindOwnedBox(HWND owner);

// The window's text, read with WM_GETTEXT (bounded, so that a hung program
// does not hang the caller); empty on failure.
std::wstring TextOf(HWND hwnd);

// The message of a box: the text of its static control.
inline std::wstring BoxText(HWND box) { return TextOf(GetDlgItem(box, kBoxTextId)); }

// Selects item `index` of the dialog's drive list and tells the dialog, as a
// real selection would (CB_SETCURSEL alone sends no notification).
void SelectDriveItem(HWND dialog, HWND combo, WPARAM index);

// Clicks a button. Posted: Connect's handler shows a modal box, and a send
// would wait for it.
inline void PostClick(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }

// Closes a message box with OK.
inline void CloseBox(HWND box) { PostMessageW(box, WM_COMMAND, IDOK, 0); }

// ---------------------------------------------------------------- files

// Writes `bits` (bottom-up rows of 24-bit BGR, each `stride` bytes, padded to
// 4) as a BMP file; a partly written file is removed.
bool WriteBmp24(const wchar_t* path, int w, int h, const void* bits, DWORD stride);

// ---------------------------------------------------------------- processes

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring QuoteArg(const std::wstring& arg);

// Starts `exe` with `args` (quoted), in `workDir` unless it is empty.
// ERROR_SUCCESS and *process (the caller closes it) and *pid set, or
// CreateProcessW's error.
DWORD StartProcess(const std::wstring& exe, const std::vector<std::wstring>& args, const std::wstring& workDir,
                   HANDLE* process, DWORD* pid);

}  // namespace drivekit
