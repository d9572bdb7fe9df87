#include "button/button_state.h"

namespace vm {

ButtonLook LookForState(bool pressed, bool focused, bool disabled, const ButtonColours& colours,
                        Point pressedShift) {
    ButtonLook look;
    if (pressed) {
        look.face = colours.pressedBk;
        look.text = colours.pressedFg;
        look.imageShift = pressedShift;
        look.textShift = Point{1, 1};
    } else if (focused) {
        look.face = colours.focusBk;
        look.text = colours.normalFg;
    } else {
        look.face = colours.normalBk;
        look.text = colours.normalFg;
    }
    look.etched = disabled;
    return look;
}

AttachStyle AttachStyleFor(std::uint32_t windowStyle) {
    AttachStyle result;
    result.isDefault = (windowStyle & kButtonTypeMask) == kButtonTypeDefPush;
    return result;
}

bool DefaultAfterSetStyle(std::uintptr_t wParam, bool currentDefault) {
    switch (wParam & kButtonTypeMask) {
        case kButtonTypeDefPush: return true;
        case kButtonTypePush: return false;
        default: return currentDefault;
    }
}

std::uintptr_t OwnerDrawSetStyleParam(std::uintptr_t wParam) {
    return (wParam & ~static_cast<std::uintptr_t>(kButtonTypeMask)) | kButtonTypeOwnerDraw;
}

std::uint32_t DialogCodeFor(std::uint32_t defaultCode, bool isDefault) {
    return defaultCode | (isDefault ? kDlgCodeDefPushButton : kDlgCodeUndefPushButton);
}

}  // namespace vm
