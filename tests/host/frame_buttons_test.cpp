// Caption buttons as a state machine, the key filter, the window-menu table
// and the small rules around them.
#include "frame/frame_buttons.h"
#include "frame/frame_constants.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace vm::frame;
using V = BoxVariant;

// A compact spelling of a step's actions, in the order the window runs them.
std::string Actions(const CaptionButtonStep& s) {
    std::string out;
    auto add = [&](bool on, const char* word) {
        if (!on) return;
        if (!out.empty()) out += ' ';
        out += word;
    };
    add(s.requestLeaveNotice, "notice");
    add(s.releaseCapture, "release");
    add(s.setCapture, "capture");
    add(s.postClose, "close");
    add(s.showWindow == kSwMinimize, "minimize");
    add(s.showWindow == kSwRestore, "restore");
    add(s.redraw, "draw");
    out += s.swallow ? (out.empty() ? "swallow" : " swallow") : (out.empty() ? "pass" : " pass");
    return out;
}

std::string Images(const BoxImages& b) {
    auto v = [](BoxVariant x) { return x == V::Normal ? '-' : x == V::Over ? 'o' : 'X'; };
    // minimize, maximize, restore, exit
    return {v(b.minimize), v(b.maximize), v(b.restore), v(b.exit)};
}

TEST(FrameKeys, OnlyKeyboardEscEnterAndAltF4AreSwallowed) {
    struct Case {
        unsigned message;
        std::uintptr_t wParam;
        bool swallowed;
    };
    const Case cases[] = {
        {kWmKeyDown, kVkEscape, true},     {kWmKeyUp, kVkEscape, true},      {kWmChar, kVkEscape, true},
        {kWmKeyDown, kVkReturn, true},     {kWmKeyUp, kVkReturn, true},      {kWmChar, kVkReturn, true},
        {kWmDeadChar, kVkReturn, true},    {kWmSysKeyDown, kVkReturn, true}, {kWmSysKeyUp, kVkEscape, true},
        {kWmSysChar, kVkReturn, true},     {kWmSysDeadChar, kVkEscape, true},
        {kWmSysKeyDown, kVkF4, true},      // Alt+F4
        {kWmKeyDown, kVkF4, false},        // plain F4
        {kWmSysKeyUp, kVkF4, false},
        {kWmKeyDown, 'A', false},          {kWmSysKeyDown, 'X', false},
        // 13 or 27 in a message that is not a keystroke
        {kWmNcMouseMove, kHtTopLeft, false},       // HTTOPLEFT is 13
        {kWmNcLButtonDown, kHtTopLeft, false},
        {kWmMouseMove, 0x0001 | 0x0004 | 0x0008, false},  // MK_LBUTTON | MK_SHIFT | MK_CONTROL
        {kWmTimer, 27, false},             {kWmTimer, 13, false},
        {0x0109, kVkReturn, false},        // WM_UNICHAR, past the keyboard range
        {0x00FF, kVkEscape, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsSwallowedKey(c.message, c.wParam), c.swallowed) << std::hex << c.message << " " << c.wParam;
    }
}

TEST(FrameMouseFilter, FiveMessagesOnly) {
    EXPECT_EQ(ClassifyFrameMouse(kWmNcMouseMove), FrameMouse::NcMouseMove);
    EXPECT_EQ(ClassifyFrameMouse(kWmNcLButtonDown), FrameMouse::NcLButtonDown);
    EXPECT_EQ(ClassifyFrameMouse(kWmNcLButtonUp), FrameMouse::NcLButtonUp);
    EXPECT_EQ(ClassifyFrameMouse(kWmLButtonUp), FrameMouse::LButtonUp);
    EXPECT_EQ(ClassifyFrameMouse(kWmNcMouseLeave), FrameMouse::NcMouseLeave);
    for (unsigned m : {kWmNcLButtonDblClk, kWmLButtonDown, kWmMouseMove, kWmKeyDown, 0u}) {
        EXPECT_FALSE(ClassifyFrameMouse(m).has_value()) << std::hex << m;
    }
}

struct StepCase {
    const char* name;
    int pressed;
    bool tracking;
    const char* imagesBefore;  // minimize, maximize, restore, exit: '-' normal, 'o' over, 'X' on
    FrameMouse message;
    CaptionZone zone;
    WindowState window;
    int pressedAfter;
    bool trackingAfter;
    const char* imagesAfter;
    const char* actions;
};

BoxImages Parse(const char* s) {
    auto v = [](char c) { return c == 'o' ? V::Over : c == 'X' ? V::On : V::Normal; };
    return BoxImages{v(s[0]), v(s[1]), v(s[2]), v(s[3])};
}

using M = FrameMouse;
using Z = CaptionZone;
using W = WindowState;

const StepCase kSteps[] = {
    // hover
    {"first move asks for a leave notice", 0, false, "----", M::NcMouseMove, Z::Close, W::Normal, 0, true, "---o",
     "notice draw pass"},
    {"hover close", 0, true, "----", M::NcMouseMove, Z::Close, W::Normal, 0, true, "---o", "draw pass"},
    {"hover middle", 0, true, "---o", M::NcMouseMove, Z::Middle, W::Normal, 0, true, "-o--", "draw pass"},
    {"hover middle maximised", 0, true, "----", M::NcMouseMove, Z::Middle, W::Maximised, 0, true, "--o-",
     "draw pass"},
    {"hover middle minimised", 0, true, "----", M::NcMouseMove, Z::Middle, W::Minimised, 0, true, "-o--",
     "draw pass"},
    {"hover left", 0, true, "----", M::NcMouseMove, Z::Left, W::Normal, 0, true, "o---", "draw pass"},
    {"hover left minimised", 0, true, "----", M::NcMouseMove, Z::Left, W::Minimised, 0, true, "--o-", "draw pass"},
    {"move off the buttons resets", 0, true, "o---", M::NcMouseMove, Z::None, W::Normal, 0, true, "----",
     "draw pass"},
    {"move clears a pressed image left by a release", 0, true, "---X", M::NcMouseMove, Z::Close, W::Normal, 0, true,
     "---o", "draw pass"},
    {"move while pressed changes nothing", 4, true, "---X", M::NcMouseMove, Z::Left, W::Normal, 4, true, "---X",
     "pass"},
    {"move while pressed still asks for a notice", 4, false, "---X", M::NcMouseMove, Z::None, W::Normal, 4, true,
     "---X", "notice pass"},
    // press
    {"press close", 0, true, "---o", M::NcLButtonDown, Z::Close, W::Normal, 4, true, "---X", "capture draw swallow"},
    {"press middle does nothing", 0, true, "-o--", M::NcLButtonDown, Z::Middle, W::Normal, 0, true, "-o--",
     "swallow"},
    {"press left", 0, true, "o---", M::NcLButtonDown, Z::Left, W::Normal, 1, true, "X---", "capture draw swallow"},
    {"press left minimised", 0, true, "--o-", M::NcLButtonDown, Z::Left, W::Minimised, 1, true, "--X-",
     "capture draw swallow"},
    {"press on the caption moves the window", 0, true, "----", M::NcLButtonDown, Z::None, W::Normal, 0, true, "----",
     "pass"},
    {"press on a maximised caption is swallowed", 0, true, "----", M::NcLButtonDown, Z::None, W::Maximised, 0, true,
     "----", "swallow"},
    // release
    {"release close on close", 4, true, "---X", M::LButtonUp, Z::Close, W::Normal, 0, true, "---X",
     "release close pass"},
    {"non-client release close on close", 4, true, "---X", M::NcLButtonUp, Z::Close, W::Normal, 0, true, "---X",
     "release close pass"},
    {"release close outside", 4, true, "---X", M::LButtonUp, Z::None, W::Normal, 0, true, "----",
     "release draw pass"},
    {"release close over left", 4, true, "---X", M::LButtonUp, Z::Left, W::Normal, 0, true, "---X", "release pass"},
    {"release close over middle", 4, true, "---X", M::LButtonUp, Z::Middle, W::Normal, 0, true, "---X",
     "release pass"},
    {"release left on left minimises", 1, true, "X---", M::LButtonUp, Z::Left, W::Normal, 0, true, "X---",
     "release minimize pass"},
    {"release left on left restores when minimised", 1, true, "--X-", M::NcLButtonUp, Z::Left, W::Minimised, 0, true,
     "--X-", "release restore pass"},
    {"release left on close does not close", 1, true, "X---", M::LButtonUp, Z::Close, W::Normal, 0, true, "X---",
     "release pass"},
    {"unpressed release outside resets", 0, true, "---o", M::LButtonUp, Z::None, W::Normal, 0, true, "----",
     "draw pass"},
    {"unpressed release on close does nothing", 0, true, "---o", M::LButtonUp, Z::Close, W::Normal, 0, true, "---o",
     "pass"},
    {"unpressed release on left does nothing", 0, true, "o---", M::NcLButtonUp, Z::Left, W::Normal, 0, true, "o---",
     "pass"},
    // leave
    {"leave resets", 0, true, "---o", M::NcMouseLeave, Z::None, W::Normal, 0, false, "----", "draw pass"},
    {"leave clears a pressed image left by a release", 0, true, "X---", M::NcMouseLeave, Z::Left, W::Normal, 0, false,
     "----", "draw pass"},
    {"leave while pressed only clears the flag", 4, true, "---X", M::NcMouseLeave, Z::None, W::Normal, 4, false,
     "---X", "pass"},
};

class FrameCaptionButtons : public ::testing::TestWithParam<StepCase> {};

TEST_P(FrameCaptionButtons, Step) {
    const StepCase& c = GetParam();
    const CaptionButtonStep s = StepCaptionButtons(CaptionButtonState{c.pressed, c.tracking}, c.message, c.zone,
                                                   c.window);
    EXPECT_EQ(s.state.pressed, c.pressedAfter);
    EXPECT_EQ(s.state.trackingLeave, c.trackingAfter);
    EXPECT_EQ(Images(ApplyImageChanges(Parse(c.imagesBefore), s)), c.imagesAfter);
    EXPECT_EQ(Actions(s), c.actions);
}

INSTANTIATE_TEST_SUITE_P(Table, FrameCaptionButtons, ::testing::ValuesIn(kSteps),
                         [](const ::testing::TestParamInfo<StepCase>& info) {
                             std::string n = info.param.name;
                             for (char& ch : n) {
                                 if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             }
                             return n;
                         });

TEST(FrameCaptionButtonsRun, PressAndReleaseOnCloseClosesOnce) {
    CaptionButtonState st;
    BoxImages img;
    int closes = 0;
    auto feed = [&](M m, Z z) {
        const CaptionButtonStep s = StepCaptionButtons(st, m, z, W::Normal);
        st = s.state;
        img = ApplyImageChanges(img, s);
        closes += s.postClose ? 1 : 0;
    };
    feed(M::NcMouseMove, Z::Close);
    feed(M::NcLButtonDown, Z::Close);
    feed(M::LButtonUp, Z::Close);
    // A stray second release (a child control's, say) must not close again.
    feed(M::LButtonUp, Z::Close);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(Images(img), "---X");  // the pressed image stays until the pointer moves
    feed(M::NcMouseMove, Z::None);
    EXPECT_EQ(Images(img), "----");
    EXPECT_EQ(st.pressed, kPressedNone);
}

TEST(FrameWindowMenu, EnableTable) {
    struct Case {
        WindowState window;
        bool size, move, minimize, maximize, restore;
    };
    const Case cases[] = {
        {W::Maximised, false, false, true, false, true},
        {W::Minimised, false, false, false, true, true},
        {W::Normal, true, true, true, true, false},
    };
    for (const Case& c : cases) {
        const auto items = WindowMenuEnables(c.window);
        const bool expected[] = {c.size, c.move, c.minimize, c.maximize, c.restore};
        const unsigned ids[] = {kScSize, kScMove, kScMinimize, kScMaximize, kScRestore};
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(items[i].id, ids[i]);
            EXPECT_EQ(items[i].enabled, expected[i]) << static_cast<int>(c.window) << " item " << i;
        }
    }
}

TEST(FrameCommands, SystemCommandsPassedOn) {
    for (unsigned id : {kScSize, kScMove, kScMinimize, kScMaximize, kScClose, kScRestore}) {
        EXPECT_TRUE(IsForwardedSysCommand(id)) << std::hex << id;
    }
    for (unsigned id : {0u, 1u, 2u, 1000u, 0xF100u /* SC_KEYMENU */, 0xF040u /* SC_NEXTWINDOW */, 0xF061u}) {
        EXPECT_FALSE(IsForwardedSysCommand(id)) << std::hex << id;
    }
}

TEST(FrameCursor, SizingBordersAreTenToSeventeen) {
    for (unsigned ht = 0; ht < 25; ++ht) EXPECT_EQ(IsSizingBorder(ht), ht >= 10 && ht <= 17) << ht;
}

}  // namespace
