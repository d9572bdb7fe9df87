#include "skinstore/skin_names.h"

#include <algorithm>
#include <vector>

namespace vm {
namespace {

const char16_t* const kBitmapFiles[SKIN_BITMAP_COUNT] = {
    u"skin\\caption_left.bmp",       u"skin\\caption_center.bmp",    u"skin\\caption_right.bmp",
    u"skin\\frame_left.bmp",         u"skin\\frame_leftbottom.bmp",  u"skin\\frame_bottom.bmp",
    u"skin\\frame_rightbottom.bmp",  u"skin\\frame_right.bmp",       u"skin\\box_minimize.bmp",
    u"skin\\box_maximize.bmp",       u"skin\\box_restore.bmp",       u"skin\\box_exit.bmp",
    u"skin\\box_minimize_on.bmp",    u"skin\\box_maximize_on.bmp",   u"skin\\box_restore_on.bmp",
    u"skin\\box_exit_on.bmp",        u"skin\\box_minimize_over.bmp", u"skin\\box_maximize_over.bmp",
    u"skin\\box_restore_over.bmp",   u"skin\\box_exit_over.bmp",     u"skin\\btn_base.bmp",
};

const char16_t* const kIconFiles[SKIN_ICON_COUNT] = {
    u"skin\\skin.ico", u"skin\\skin_inactive.ico", u"skin\\connect.ico", u"skin\\close.ico",
    u"skin\\orlaway_logo.ico",
};

const int kIconPixels[SKIN_ICON_SIZE_COUNT] = {16, 24, 32};

}  // namespace

std::u16string SkinBitmapFileName(SkinBitmapId id) {
    const int i = static_cast<int>(id);
    return i >= 0 && i < SKIN_BITMAP_COUNT ? kBitmapFiles[i] : u"";
}

std::u16string SkinIconFileName(SkinIconId id) {
    const int i = static_cast<int>(id);
    return i >= 0 && i < SKIN_ICON_COUNT ? kIconFiles[i] : u"";
}

int SkinIconPixels(SkinIconSize column) {
    const int i = static_cast<int>(column);
    return i >= 0 && i < SKIN_ICON_SIZE_COUNT ? kIconPixels[i] : 0;
}

std::u16string FolderOfPath(const std::u16string& path) {
    const size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? path : path.substr(0, slash);
}

std::u16string ReadWholePath(const std::function<uint32_t(char16_t* buffer, uint32_t size)>& read,
                             uint32_t firstSize) {
    uint32_t size = std::clamp<uint32_t>(firstSize, 1, kMaxPathBuffer);
    for (;;) {
        std::vector<char16_t> buffer(size, u'\0');
        const uint32_t written = read(buffer.data(), size);
        if (written == 0) return std::u16string();
        // A result of the whole buffer means the path was cut: try a larger one.
        if (written < size || size >= kMaxPathBuffer) {
            const auto end = buffer.begin() + std::min(written, size);
            return std::u16string(buffer.begin(), std::find(buffer.begin(), end, u'\0'));
        }
        size = std::min(size * 2, kMaxPathBuffer);
    }
}

}  // namespace vm
