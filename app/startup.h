// The start-up order of the program, over the platform operations it needs,
// so that the order itself can be exercised without Windows.
#pragma once

#include <cstdint>
#include <string>

namespace vm {

struct SkinColours {
    uint32_t transparent;
    uint32_t background;
    uint32_t captionTextActive;
    uint32_t captionTextInactive;
};

// The four colours of the skin, COLORREF layout 0x00BBGGRR.
constexpr SkinColours kSkinColours{0xFF00FF, 0xFFFFFF, 0xFFFFFF, 0x646464};

// The title of the dialog, also what the single-instance rule looks for.
extern const char16_t kDialogTitle[];
// Recorded for the profile functions; nothing is ever stored under it.
extern const char16_t kRegistryKey[];

class StartupPlatform {
public:
    virtual ~StartupPlatform() = default;
    virtual void InitCommonControls() = 0;           // ICC_WIN95_CLASSES
    virtual void BaseInitInstance() = 0;             // the framework's own start-up
    virtual bool SocketInit() = 0;                   // Windows Sockets 1.1
    virtual void ShowSocketInitFailure() = 0;        // string 103, OK button
    virtual void EnableControlContainer() = 0;
    virtual void SetRegistryKey(const std::u16string& key) = 0;
    virtual void LoadSkinBitmaps() = 0;
    virtual void LoadSkinIcons() = 0;
    virtual void SetSkinColours(const SkinColours& colours) = 0;
    // Brings a window of that exact title forward; false when there is none.
    virtual bool ActivateWindowTitled(const std::u16string& title) = 0;
    virtual void PostQuit(int exitCode) = 0;
    virtual void RunDialog() = 0;                    // constructs the dialog, runs it modally
};

// Runs the whole start-up; returns what InitInstance answers (always false:
// the framework then goes straight to its exit processing).
bool RunStartup(StartupPlatform& platform);

}  // namespace vm
