// The skin's slot tables: which file each bitmap and icon slot is read from,
// the icon sizes, and how the executable's folder is taken from its path.
// Plain code, no Windows header; UTF-16 text as char16_t.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Bitmap slots, in the order of the store's table. A slot is called by its
// file's base name (the box_exit bitmap, the btn_base bitmap).
enum SkinBitmapId : int {
    SKIN_CAPTION_LEFT = 0,
    SKIN_CAPTION_CENTER = 1,
    SKIN_CAPTION_RIGHT = 2,
    SKIN_FRAME_LEFT = 3,
    SKIN_FRAME_LEFTBOTTOM = 4,
    SKIN_FRAME_BOTTOM = 5,
    SKIN_FRAME_RIGHTBOTTOM = 6,
    SKIN_FRAME_RIGHT = 7,
    SKIN_BOX_MINIMIZE = 8,
    SKIN_BOX_MAXIMIZE = 9,
    SKIN_BOX_RESTORE = 10,
    SKIN_BOX_EXIT = 11,
    SKIN_BOX_MINIMIZE_ON = 12,
    SKIN_BOX_MAXIMIZE_ON = 13,
    SKIN_BOX_RESTORE_ON = 14,
    SKIN_BOX_EXIT_ON = 15,
    SKIN_BOX_MINIMIZE_OVER = 16,
    SKIN_BOX_MAXIMIZE_OVER = 17,
    SKIN_BOX_RESTORE_OVER = 18,
    SKIN_BOX_EXIT_OVER = 19,
    SKIN_BTN_BASE = 20,
    SKIN_BITMAP_COUNT = 21
};

// Icon slots; each file is loaded at the three sizes of SkinIconSize.
enum SkinIconId : int {
    SKIN_ICON_SKIN = 0,
    SKIN_ICON_SKIN_INACTIVE = 1,
    SKIN_ICON_CONNECT = 2,
    SKIN_ICON_CLOSE = 3,
    SKIN_ICON_LOGO = 4,
    SKIN_ICON_COUNT = 5
};

// Size columns of the icon table.
enum SkinIconSize : int {
    SKIN_ICON_16 = 0,
    SKIN_ICON_24 = 1,
    SKIN_ICON_32 = 2,
    SKIN_ICON_SIZE_COUNT = 3
};

namespace vm {

// "skin\caption_left.bmp" and so on, relative to the executable's folder;
// empty for an id outside the table.
std::u16string SkinBitmapFileName(SkinBitmapId id);
std::u16string SkinIconFileName(SkinIconId id);

// Width and height in pixels of an icon column (16, 24, 32); 0 outside.
int SkinIconPixels(SkinIconSize column);

// The folder part of a path: everything before its last backslash, or the
// whole path when it has none.
std::u16string FolderOfPath(const std::u16string& path);

// Reads a path through a GetModuleFileNameW-shaped call: read(buffer, size)
// fills at most size units and returns the units written, size itself when
// the path was cut, 0 on failure. Starts with firstSize units (MAX_PATH) and
// grows the buffer until the whole path fits, so a long path is never
// silently cut. Returns the text before the first NUL; empty on failure.
std::u16string ReadWholePath(const std::function<uint32_t(char16_t* buffer, uint32_t size)>& read,
                             uint32_t firstSize = 260);

// Largest buffer ReadWholePath tries: no Windows path is longer.
constexpr uint32_t kMaxPathBuffer = 32768;

}  // namespace vm
