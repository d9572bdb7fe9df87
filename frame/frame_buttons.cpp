#include "frame/frame_buttons.h"

#include "frame/frame_constants.h"
#include "skinstore/skin_names.h"

namespace vm::frame {

bool IsSwallowedKey(unsigned message, std::uintptr_t wParam) {
    if (message == kWmSysKeyDown && wParam == kVkF4) return true;
    const bool keyboard = message >= kWmKeyDown && message <= kWmSysDeadChar;
    return keyboard && (wParam == kVkEscape || wParam == kVkReturn);
}

std::optional<FrameMouse> ClassifyFrameMouse(unsigned message) {
    switch (message) {
    case kWmNcMouseMove: return FrameMouse::NcMouseMove;
    case kWmNcLButtonDown: return FrameMouse::NcLButtonDown;
    case kWmNcLButtonUp: return FrameMouse::NcLButtonUp;
    case kWmLButtonUp: return FrameMouse::LButtonUp;
    case kWmNcMouseLeave: return FrameMouse::NcMouseLeave;
    default: return std::nullopt;
    }
}

namespace {

CaptionButtonStep::ImageChange Change(BoxImage which, BoxVariant variant) {
    return CaptionButtonStep::ImageChange{which, variant};
}

}  // namespace

CaptionButtonStep StepCaptionButtons(const CaptionButtonState& state, FrameMouse message, CaptionZone zone,
                                     WindowState window) {
    const bool minimised = window == WindowState::Minimised;
    const bool maximised = window == WindowState::Maximised;
    CaptionButtonStep s;
    s.state = state;

    switch (message) {
    case FrameMouse::NcMouseMove:
        if (!s.state.trackingLeave) {
            s.state.trackingLeave = true;
            s.requestLeaveNotice = true;
        }
        // While a button is held its pressed image stays, whatever the pointer crosses.
        if (s.state.pressed != kPressedNone) return s;
        s.resetImages = true;
        switch (zone) {
        case CaptionZone::Close: s.setImage = Change(BoxImage::Exit, BoxVariant::Over); break;
        case CaptionZone::Middle:
            s.setImage = Change(maximised ? BoxImage::Restore : BoxImage::Maximize, BoxVariant::Over);
            break;
        case CaptionZone::Left:
            s.setImage = Change(minimised ? BoxImage::Restore : BoxImage::Minimize, BoxVariant::Over);
            break;
        case CaptionZone::None: break;
        }
        s.redraw = true;
        return s;

    case FrameMouse::NcLButtonDown:
        switch (zone) {
        case CaptionZone::Close:
            s.setCapture = true;
            s.state.pressed = kPressedClose;
            s.setImage = Change(BoxImage::Exit, BoxVariant::On);
            s.redraw = true;
            s.swallow = true;
            return s;
        case CaptionZone::Middle:
            // The middle button has no action of its own; the press must not
            // reach the default handling either.
            s.swallow = true;
            return s;
        case CaptionZone::Left:
            s.setCapture = true;
            s.state.pressed = kPressedLeft;
            s.setImage = Change(minimised ? BoxImage::Restore : BoxImage::Minimize, BoxVariant::On);
            s.redraw = true;
            s.swallow = true;
            return s;
        case CaptionZone::None:
            s.state.pressed = kPressedNone;
            // A maximised window is not dragged by its caption.
            s.swallow = maximised;
            return s;
        }
        return s;

    case FrameMouse::NcLButtonUp:
    case FrameMouse::LButtonUp:
        if (s.state.pressed != kPressedNone) s.releaseCapture = true;
        switch (zone) {
        case CaptionZone::Close:
            s.postClose = s.state.pressed == kPressedClose;
            break;
        case CaptionZone::Middle: break;
        case CaptionZone::Left:
            if (s.state.pressed == kPressedLeft) s.showWindow = minimised ? kSwRestore : kSwMinimize;
            break;
        case CaptionZone::None:
            s.resetImages = true;
            s.redraw = true;
            break;
        }
        s.state.pressed = kPressedNone;
        return s;

    case FrameMouse::NcMouseLeave:
        s.state.trackingLeave = false;
        if (s.state.pressed != kPressedNone) return s;
        s.resetImages = true;
        s.redraw = true;
        return s;
    }
    return s;
}

int BoxImageSlot(BoxImage which, BoxVariant variant) {
    struct Slots {
        SkinBitmapId normal, over, on;
    };
    static constexpr Slots kSlots[] = {
        {SKIN_BOX_MINIMIZE, SKIN_BOX_MINIMIZE_OVER, SKIN_BOX_MINIMIZE_ON},
        {SKIN_BOX_MAXIMIZE, SKIN_BOX_MAXIMIZE_OVER, SKIN_BOX_MAXIMIZE_ON},
        {SKIN_BOX_RESTORE, SKIN_BOX_RESTORE_OVER, SKIN_BOX_RESTORE_ON},
        {SKIN_BOX_EXIT, SKIN_BOX_EXIT_OVER, SKIN_BOX_EXIT_ON},
    };
    const Slots& s = kSlots[static_cast<int>(which)];
    switch (variant) {
    case BoxVariant::Over: return s.over;
    case BoxVariant::On: return s.on;
    case BoxVariant::Normal: break;
    }
    return s.normal;
}

BoxImages ApplyImageChanges(BoxImages images, const CaptionButtonStep& step) {
    if (step.resetImages) images = BoxImages{};
    if (step.setImage) {
        switch (step.setImage->which) {
        case BoxImage::Minimize: images.minimize = step.setImage->variant; break;
        case BoxImage::Maximize: images.maximize = step.setImage->variant; break;
        case BoxImage::Restore: images.restore = step.setImage->variant; break;
        case BoxImage::Exit: images.exit = step.setImage->variant; break;
        }
    }
    return images;
}

std::array<MenuItemEnable, 5> WindowMenuEnables(WindowState window) {
    const bool maximised = window == WindowState::Maximised;
    const bool minimised = window == WindowState::Minimised;
    const bool normal = !maximised && !minimised;
    return {{
        {kScSize, normal},
        {kScMove, normal},
        {kScMinimize, !minimised},
        {kScMaximize, !maximised},
        {kScRestore, !normal},
    }};
}

bool IsForwardedSysCommand(unsigned id) {
    switch (id) {
    case kScSize:
    case kScMove:
    case kScMinimize:
    case kScMaximize:
    case kScClose:
    case kScRestore: return true;
    default: return false;
    }
}

bool IsSizingBorder(unsigned hitTest) { return hitTest >= kHtLeft && hitTest <= kHtBottomRight; }

}  // namespace vm::frame
