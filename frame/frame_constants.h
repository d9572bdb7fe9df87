// Message numbers, style bits and command identifiers that the frame logic
// reasons about. The plain code includes no Windows header, so the values are
// spelled out here; the Win32 side static_asserts them against <windows.h>.
#pragma once

#include <cstdint>

namespace vm::frame {

// Window messages.
constexpr unsigned kWmKeyDown = 0x0100;
constexpr unsigned kWmKeyUp = 0x0101;
constexpr unsigned kWmChar = 0x0102;
constexpr unsigned kWmDeadChar = 0x0103;
constexpr unsigned kWmSysKeyDown = 0x0104;
constexpr unsigned kWmSysKeyUp = 0x0105;
constexpr unsigned kWmSysChar = 0x0106;
constexpr unsigned kWmSysDeadChar = 0x0107;
constexpr unsigned kWmNcMouseMove = 0x00A0;
constexpr unsigned kWmNcLButtonDown = 0x00A1;
constexpr unsigned kWmNcLButtonUp = 0x00A2;
constexpr unsigned kWmNcLButtonDblClk = 0x00A3;
constexpr unsigned kWmMouseMove = 0x0200;
constexpr unsigned kWmLButtonDown = 0x0201;
constexpr unsigned kWmLButtonUp = 0x0202;
constexpr unsigned kWmTimer = 0x0113;
constexpr unsigned kWmNcMouseLeave = 0x02A2;
// Sent by the taskbar when its button for the window is right-clicked.
constexpr unsigned kWmTaskbarSystemMenu = 0x0313;

// Virtual keys.
constexpr unsigned kVkReturn = 0x0D;
constexpr unsigned kVkEscape = 0x1B;
constexpr unsigned kVkF4 = 0x73;

// Style bits: WS_CAPTION is WS_BORDER | WS_DLGFRAME.
constexpr std::uint32_t kWsBorder = 0x00800000u;
constexpr std::uint32_t kWsDlgFrame = 0x00400000u;
constexpr std::uint32_t kWsCaption = kWsBorder | kWsDlgFrame;

// WM_SIZE types.
constexpr unsigned kSizeRestored = 0;
constexpr unsigned kSizeMinimized = 1;
constexpr unsigned kSizeMaximized = 2;

// System commands.
constexpr unsigned kScSize = 0xF000;
constexpr unsigned kScMove = 0xF010;
constexpr unsigned kScMinimize = 0xF020;
constexpr unsigned kScMaximize = 0xF030;
constexpr unsigned kScClose = 0xF060;
constexpr unsigned kScRestore = 0xF120;

// ShowWindow commands.
constexpr int kSwMinimize = 6;
constexpr int kSwRestore = 9;

// Hit-test codes of the sizing borders.
constexpr unsigned kHtLeft = 10;
constexpr unsigned kHtRight = 11;
constexpr unsigned kHtTop = 12;
constexpr unsigned kHtTopLeft = 13;
constexpr unsigned kHtTopRight = 14;
constexpr unsigned kHtBottom = 15;
constexpr unsigned kHtBottomLeft = 16;
constexpr unsigned kHtBottomRight = 17;

// The smallest size the user may drag the window to.
constexpr int kMinTrackWidth = 240;
constexpr int kMinTrackHeight = 100;

}  // namespace vm::frame
