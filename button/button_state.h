// The skin button's state rules: the look of each drawing state, and how the
// button keeps its owner-drawn type while taking part in the dialog's
// default-button handling. Plain code, no Windows header.
#pragma once

#include <cstdint>

#include "fw/geometry.h"

namespace vm {

// Colours are COLORREF values, 0x00BBGGRR.
struct ButtonColours {
    std::uint32_t pressedBk = 0;
    std::uint32_t pressedFg = 0;
    std::uint32_t normalBk = 0;
    std::uint32_t normalFg = 0;
    std::uint32_t focusBk = 0;
};

struct ButtonLook {
    std::uint32_t face = 0;
    std::uint32_t text = 0;  // not used when etched: the etched caption takes system colours
    Point imageShift;
    Point textShift;
    bool etched = false;
    friend bool operator==(const ButtonLook& a, const ButtonLook& b) {
        return a.face == b.face && a.text == b.text && a.imageShift == b.imageShift &&
               a.textShift == b.textShift && a.etched == b.etched;
    }
};

// Pressed wins over focused; a focused button keeps the normal text colour.
// Disabled changes only the caption (etched), never face or images. The text
// moves by a fixed (1, 1) when pressed, whatever the images' shift is.
ButtonLook LookForState(bool pressed, bool focused, bool disabled, const ButtonColours& colours,
                        Point pressedShift);

// Button style bits (low five bits of the window style: the button type).
constexpr std::uint32_t kButtonTypeMask = 0x1F;
constexpr std::uint32_t kButtonTypePush = 0x00;
constexpr std::uint32_t kButtonTypeDefPush = 0x01;
constexpr std::uint32_t kButtonTypeOwnerDraw = 0x0B;
constexpr std::uint32_t kDlgCodeDefPushButton = 0x0010;
constexpr std::uint32_t kDlgCodeUndefPushButton = 0x0020;

// Attaching to a control: the window becomes owner-drawn, and a default push
// button remembers that it is the default.
struct AttachStyle {
    bool isDefault = false;
    std::uint32_t remove = kButtonTypeMask;
    std::uint32_t add = kButtonTypeOwnerDraw;
};
AttachStyle AttachStyleFor(std::uint32_t windowStyle);

// BM_SETSTYLE: the dialog manager moves the default look with push-button
// types; any other type leaves the flag as it was.
bool DefaultAfterSetStyle(std::uintptr_t wParam, bool currentDefault);

// BM_SETSTYLE as passed on to the control's own procedure: same request with
// the type forced back to owner-drawn, so the window never loses it.
std::uintptr_t OwnerDrawSetStyleParam(std::uintptr_t wParam);

// WM_GETDLGCODE: the default answer plus the push-button role, so that the
// dialog manager treats the owner-drawn button like a push button.
std::uint32_t DialogCodeFor(std::uint32_t defaultCode, bool isDefault);

}  // namespace vm
