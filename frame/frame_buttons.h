// Behaviour of the caption buttons and the frame's message filter as plain
// functions: which keys are swallowed, how each frame mouse message moves the
// buttons between idle, hover and pressed, and how the window menu's items are
// enabled. The Win32 class carries out the actions these return.
#pragma once

#include "frame/frame_geometry.h"

#include <array>
#include <cstdint>
#include <optional>

namespace vm::frame {

// Alt+F4, and Esc or Enter in a keyboard message: neither closes, cancels
// nor confirms the dialog. Other messages whose wParam happens to be 13 or 27
// (a hit-test code, mouse key flags, a timer id) pass.
bool IsSwallowedKey(unsigned message, std::uintptr_t wParam);

// The five mouse messages the caption buttons react to.
enum class FrameMouse { NcMouseMove, NcLButtonDown, NcLButtonUp, LButtonUp, NcMouseLeave };
std::optional<FrameMouse> ClassifyFrameMouse(unsigned message);

// Which caption button is held down; the values are those of m_nPressedButton.
enum PressedButton : int { kPressedNone = 0, kPressedLeft = 1, kPressedClose = 4 };

enum class BoxVariant { Normal, Over, On };

// The variant each caption-button image member holds.
struct BoxImages {
    BoxVariant minimize = BoxVariant::Normal;
    BoxVariant maximize = BoxVariant::Normal;
    BoxVariant restore = BoxVariant::Normal;
    BoxVariant exit = BoxVariant::Normal;
    friend bool operator==(const BoxImages& a, const BoxImages& b) {
        return a.minimize == b.minimize && a.maximize == b.maximize && a.restore == b.restore && a.exit == b.exit;
    }
};

struct CaptionButtonState {
    int pressed = kPressedNone;
    bool trackingLeave = false;
};

// What the window does for one frame mouse message, in this order: ask for
// a leave notice, release then take the capture, reset the images and set one,
// post WM_CLOSE or show the window, repaint the frame; then either swallow
// the message or hand it on to the dialog's own filter.
struct CaptionButtonStep {
    CaptionButtonState state;
    bool requestLeaveNotice = false;
    bool releaseCapture = false;
    bool setCapture = false;
    bool resetImages = false;
    struct ImageChange {
        BoxImage which;
        BoxVariant variant;
    };
    std::optional<ImageChange> setImage;
    bool postClose = false;
    int showWindow = 0;  // 0 none, else kSwMinimize or kSwRestore
    bool redraw = false;
    bool swallow = false;
};

CaptionButtonStep StepCaptionButtons(const CaptionButtonState& state, FrameMouse message, CaptionZone zone,
                                     WindowState window);

// The skin store's bitmap slot (a SkinBitmapId) for a caption-button image
// member holding a variant.
int BoxImageSlot(BoxImage which, BoxVariant variant);

// The images after a step, given those before it.
BoxImages ApplyImageChanges(BoxImages images, const CaptionButtonStep& step);

// The window menu's items as the taskbar's menu shows them.
struct MenuItemEnable {
    unsigned id;
    bool enabled;
};
std::array<MenuItemEnable, 5> WindowMenuEnables(WindowState window);

// The menu commands passed on to the window as system commands.
bool IsForwardedSysCommand(unsigned commandId);

// Is the hit-test code one of the eight sizing borders?
bool IsSizingBorder(unsigned hitTest);

}  // namespace vm::frame
