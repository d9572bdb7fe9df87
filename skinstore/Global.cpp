#include "skinstore/Global.h"

#include "skinstore/skin_file_check.h"

namespace {

// The platform's loaders trust a file's headers and read past its end, or
// crash, when it is cut short or damaged; such a file must leave its slot
// empty instead, so it is checked before it is handed over.
bool FileIsWhole(const CString& path, bool (*check)(uint64_t, const vm::ReadAt&)) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    const bool whole =
        GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
        check(static_cast<uint64_t>(size.QuadPart), [file](uint64_t offset, void* out, size_t length) {
            LARGE_INTEGER at{};
            at.QuadPart = static_cast<LONGLONG>(offset);
            DWORD got = 0;
            return SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                   ReadFile(file, out, static_cast<DWORD>(length), &got, nullptr) && got == length;
        });
    CloseHandle(file);
    return whole;
}

}  // namespace

CGlobal::CGlobal()
    : m_bitmaps{},
      m_icons{},
      m_clrTransparent(0),
      m_clrBackground(0),
      m_clrCaptionTextActive(0),
      m_clrCaptionTextInactive(0) {}

CGlobal::~CGlobal() {
    ReleaseSkinBitmaps();
    ReleaseSkinIcons();
}

void CGlobal::LoadSkinBitmaps() { LoadSkinBitmapsFrom(GetModuleDirectory()); }

void CGlobal::LoadSkinIcons() { LoadSkinIconsFrom(GetModuleDirectory()); }

void CGlobal::LoadSkinBitmapsFrom(const CString& folder) {
    ReleaseSkinBitmaps();
    const CString base = folder + L"\\";
    for (int i = 0; i < SKIN_BITMAP_COUNT; ++i) {
        const CString name = GetSkinBitmapFileName(static_cast<SkinBitmapId>(i));
        if (name.IsEmpty()) continue;
        SkinBitmap& slot = m_bitmaps[i];
        const CString path = base + name;
        // A DIB section keeps the file's own pixel format; the button's mask
        // step relies on reading and writing those pixels exactly.
        if (FileIsWhole(path, vm::BmpFileIsWhole))
            slot.hBitmap = static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), path, IMAGE_BITMAP, 0, 0,
                                                           LR_CREATEDIBSECTION | LR_DEFAULTSIZE | LR_LOADFROMFILE));
        if (!slot.hBitmap || GetObjectW(slot.hBitmap, sizeof(BITMAP), &slot.bm) != sizeof(BITMAP))
            slot.bm = BITMAP{};
    }
}

void CGlobal::LoadSkinIconsFrom(const CString& folder) {
    ReleaseSkinIcons();
    const CString base = folder + L"\\";
    for (int i = 0; i < SKIN_ICON_COUNT; ++i) {
        const CString name = GetSkinIconFileName(static_cast<SkinIconId>(i));
        if (name.IsEmpty()) continue;
        const CString path = base + name;
        if (!FileIsWhole(path, vm::IcoFileIsWhole)) continue;
        for (int column = 0; column < SKIN_ICON_SIZE_COUNT; ++column) {
            const int n = vm::SkinIconPixels(static_cast<SkinIconSize>(column));
            m_icons[i][column] =
                static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), path, IMAGE_ICON, n, n, LR_LOADFROMFILE));
        }
    }
}

void CGlobal::ReleaseSkinBitmaps() {
    for (SkinBitmap& slot : m_bitmaps) {
        if (slot.hBitmap) {
            DeleteObject(slot.hBitmap);
            slot.hBitmap = nullptr;
        }
        slot.bm = BITMAP{};
    }
}

void CGlobal::ReleaseSkinIcons() {
    for (auto& sizes : m_icons)
        for (HICON& icon : sizes)
            if (icon) {
                DestroyIcon(icon);
                icon = nullptr;
            }
}

CString GetModuleDirectory() {
    // A path longer than MAX_PATH would be cut and every skin file would then
    // be looked for in a wrong folder: read it whole.
    const std::u16string path = vm::ReadWholePath([](char16_t* buffer, uint32_t size) {
        return static_cast<uint32_t>(GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(buffer), size));
    });
    return CString::FromU16(vm::FolderOfPath(path));
}

CString GetSkinBitmapFileName(SkinBitmapId id) { return CString::FromU16(vm::SkinBitmapFileName(id)); }

CString GetSkinIconFileName(SkinIconId id) { return CString::FromU16(vm::SkinIconFileName(id)); }
