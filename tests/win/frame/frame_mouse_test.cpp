// Caption buttons and the frame's message filter with real windows:
// hover and press images on screen, the close request, swallowed keys,
// the window menu and the system commands.
#include "frame_fixture.h"

namespace frametest {
namespace {

using FrameMouse = SkinnedWindow;

// Screen points over the buttons of the 300 x 200 window at (100, 100): the
// zones start 4 pixels below the top, the close zone at x 370 to 389.
constexpr int kZoneY = kTop + 10;
constexpr int kCloseX = kLeft + 280;
constexpr int kMiddleX = kLeft + 260;
constexpr int kLeftX = kLeft + 240;
// Button images in window coordinates.
constexpr int kImageY = 9;
constexpr int kCloseImageX = 280;
constexpr int kMiddleImageX = 260;
constexpr int kLeftImageX = 240;

TEST_F(FrameMouse, HoverShowsTheOverImageAndLeavingResets) {
    struct Case {
        int x;
        int imageX;
        int overSlot;
    };
    const Case cases[] = {
        {kCloseX, kCloseImageX, SKIN_BOX_EXIT_OVER},
        {kMiddleX, kMiddleImageX, SKIN_BOX_MAXIMIZE_OVER},
        {kLeftX, kLeftImageX, SKIN_BOX_MINIMIZE_OVER},
    };
    for (const Case& c : cases) {
        MSG m = MouseMsg(WM_NCMOUSEMOVE, c.x, kZoneY);
        EXPECT_FALSE(dlg->PreTranslateMessage(&m));
        EXPECT_EQ(PixelAt(c.imageX, kImageY), SlotColour(c.overSlot)) << c.x;
        // The others show their normal image.
        for (const Case& o : cases) {
            if (o.x == c.x) continue;
            EXPECT_NE(PixelAt(o.imageX, kImageY), SlotColour(o.overSlot)) << c.x << " / " << o.x;
        }
    }
    EXPECT_TRUE(dlg->m_bTrackingLeave);
    MSG leave = MouseMsg(WM_NCMOUSELEAVE, 0, 0, 0);
    dlg->PreTranslateMessage(&leave);
    EXPECT_FALSE(dlg->m_bTrackingLeave);
    EXPECT_EQ(PixelAt(kLeftImageX, kImageY), SlotColour(SKIN_BOX_MINIMIZE));
}

TEST_F(FrameMouse, ZonesStartFourPixelsBelowTheTop) {
    // Over the drawn close image (y 0 to 17 in the window) but above its zone.
    MSG m = MouseMsg(WM_NCMOUSEMOVE, kCloseX, kTop + 3);
    dlg->PreTranslateMessage(&m);
    EXPECT_EQ(PixelAt(kCloseImageX, kImageY), SlotColour(SKIN_BOX_EXIT));
    m = MouseMsg(WM_NCMOUSEMOVE, kCloseX, kTop + 4);
    dlg->PreTranslateMessage(&m);
    EXPECT_EQ(PixelAt(kCloseImageX, kImageY), SlotColour(SKIN_BOX_EXIT_OVER));
    m = MouseMsg(WM_NCMOUSEMOVE, kCloseX, kTop + 4 + 18);  // one below the zone
    dlg->PreTranslateMessage(&m);
    EXPECT_EQ(PixelAt(kCloseImageX, kImageY), SlotColour(SKIN_BOX_EXIT));
    m = MouseMsg(WM_NCMOUSEMOVE, kLeft + 290, kZoneY);  // x 390: right of the zone
    dlg->PreTranslateMessage(&m);
    EXPECT_EQ(PixelAt(kCloseImageX, kImageY), SlotColour(SKIN_BOX_EXIT));
}

TEST_F(FrameMouse, PressAndReleaseOnClosePostsOneClose) {
    CountPosted(WM_CLOSE);
    MSG down = MouseMsg(WM_NCLBUTTONDOWN, kCloseX, kZoneY, HTCLOSE);
    EXPECT_TRUE(dlg->PreTranslateMessage(&down));
    EXPECT_EQ(dlg->m_nPressedButton, 4);
    EXPECT_EQ(GetCapture(), hwnd);
    EXPECT_EQ(PixelAt(kCloseImageX, kImageY), SlotColour(SKIN_BOX_EXIT_ON));

    // Under the capture the release comes as a client-area message.
    MSG up = MouseMsg(WM_LBUTTONUP, kCloseX, kZoneY, 0);
    dlg->PreTranslateMessage(&up);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(dlg->m_nPressedButton, 0);
    EXPECT_EQ(CountPosted(WM_CLOSE), 1);
    // The pressed image stays until the pointer moves over the frame.
    EXPECT_EQ(PixelAt(kCloseImageX, kImageY), SlotColour(SKIN_BOX_EXIT_ON));

    // A second release closes nothing.
    dlg->PreTranslateMessage(&up);
    EXPECT_EQ(CountPosted(WM_CLOSE), 0);

    MSG move = MouseMsg(WM_NCMOUSEMOVE, kLeft + 150, kZoneY);
    dlg->PreTranslateMessage(&move);
    EXPECT_EQ(PixelAt(kCloseImageX, kImageY), SlotColour(SKIN_BOX_EXIT));
}

TEST_F(FrameMouse, ReleaseOutsideResetsAndReleaseOverAnotherButtonKeepsThePressedImage) {
    CountPosted(WM_CLOSE);
    MSG down = MouseMsg(WM_NCLBUTTONDOWN, kCloseX, kZoneY, HTCLOSE);
    dlg->PreTranslateMessage(&down);
    MSG upOutside = MouseMsg(WM_LBUTTONUP, kLeft + 150, kTop + 100, 0);
    dlg->PreTranslateMessage(&upOutside);
    EXPECT_EQ(CountPosted(WM_CLOSE), 0);
    EXPECT_EQ(PixelAt(kCloseImageX, kImageY), SlotColour(SKIN_BOX_EXIT));
    EXPECT_EQ(GetCapture(), nullptr);

    dlg->PreTranslateMessage(&down);
    MSG upLeft = MouseMsg(WM_NCLBUTTONUP, kLeftX, kZoneY, HTMINBUTTON);
    dlg->PreTranslateMessage(&upLeft);
    EXPECT_EQ(CountPosted(WM_CLOSE), 0);
    EXPECT_FALSE(IsIconic(hwnd));
    EXPECT_EQ(PixelAt(kCloseImageX, kImageY), SlotColour(SKIN_BOX_EXIT_ON));
}

TEST_F(FrameMouse, MiddleButtonPressIsSwallowedAndDoesNothing) {
    MSG down = MouseMsg(WM_NCLBUTTONDOWN, kMiddleX, kZoneY, HTMAXBUTTON);
    EXPECT_TRUE(dlg->PreTranslateMessage(&down));
    EXPECT_EQ(dlg->m_nPressedButton, 0);
    EXPECT_EQ(GetCapture(), nullptr);
    MSG up = MouseMsg(WM_NCLBUTTONUP, kMiddleX, kZoneY, HTMAXBUTTON);
    dlg->PreTranslateMessage(&up);
    EXPECT_FALSE(IsZoomed(hwnd));
}

TEST_F(FrameMouse, LeftButtonMinimisesAndRestores) {
    MSG down = MouseMsg(WM_NCLBUTTONDOWN, kLeftX, kZoneY, HTMINBUTTON);
    EXPECT_TRUE(dlg->PreTranslateMessage(&down));
    EXPECT_EQ(PixelAt(kLeftImageX, kImageY), SlotColour(SKIN_BOX_MINIMIZE_ON));
    MSG up = MouseMsg(WM_LBUTTONUP, kLeftX, kZoneY, 0);
    dlg->PreTranslateMessage(&up);
    PumpMessages(50);
    ASSERT_TRUE(IsIconic(hwnd));

    // Minimised, the left position is restore; the zones follow the window's
    // rectangle wherever the system put it.
    RECT wr{};
    GetWindowRect(hwnd, &wr);
    const int x = wr.right - 60;  // the left zone: right - 70 to right - 50
    const int y = wr.top + 10;
    MSG hover = MouseMsg(WM_NCMOUSEMOVE, x, y);
    dlg->PreTranslateMessage(&hover);
    EXPECT_EQ(dlg->m_hbmBoxRestore, g_skin.m_bitmaps[SKIN_BOX_RESTORE_OVER].hBitmap);
    MSG press = MouseMsg(WM_NCLBUTTONDOWN, x, y, HTMINBUTTON);
    EXPECT_TRUE(dlg->PreTranslateMessage(&press));
    EXPECT_EQ(dlg->m_hbmBoxRestore, g_skin.m_bitmaps[SKIN_BOX_RESTORE_ON].hBitmap);
    MSG release = MouseMsg(WM_LBUTTONUP, x, y, 0);
    dlg->PreTranslateMessage(&release);
    PumpMessages(50);
    EXPECT_FALSE(IsIconic(hwnd));
}

TEST_F(FrameMouse, MaximisedMiddleHoversRestoreAndCaptionPressIsSwallowed) {
    ShowWindow(hwnd, SW_MAXIMIZE);
    PumpMessages(50);
    ASSERT_TRUE(IsZoomed(hwnd));
    RECT wr{};
    GetWindowRect(hwnd, &wr);
    MSG hover = MouseMsg(WM_NCMOUSEMOVE, wr.right - 40, wr.top + 10);
    dlg->PreTranslateMessage(&hover);
    EXPECT_EQ(dlg->m_hbmBoxRestore, g_skin.m_bitmaps[SKIN_BOX_RESTORE_OVER].hBitmap);
    EXPECT_EQ(dlg->m_hbmBoxMaximize, g_skin.m_bitmaps[SKIN_BOX_MAXIMIZE].hBitmap);
    MSG caption = MouseMsg(WM_NCLBUTTONDOWN, wr.left + 150, wr.top + 10);
    EXPECT_TRUE(dlg->PreTranslateMessage(&caption));
    ShowWindow(hwnd, SW_RESTORE);
    PumpMessages(50);
    caption = MouseMsg(WM_NCLBUTTONDOWN, kLeft + 150, kZoneY);
    EXPECT_FALSE(dlg->PreTranslateMessage(&caption));
}

TEST_F(FrameMouse, CursorIsKeptWhileAButtonIsHeld) {
    MSG down = MouseMsg(WM_NCLBUTTONDOWN, kCloseX, kZoneY, HTCLOSE);
    dlg->PreTranslateMessage(&down);
    EXPECT_EQ(SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTLEFT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_TRUE(dlg->m_bOnSizingBorder);
    SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(HTCAPTION, WM_MOUSEMOVE));
    EXPECT_FALSE(dlg->m_bOnSizingBorder);
    MSG up = MouseMsg(WM_LBUTTONUP, kLeft + 150, kTop + 100, 0);
    dlg->PreTranslateMessage(&up);
}

TEST_F(FrameMouse, SizeMoveLoopClearsTheLeaveRequest) {
    dlg->m_bTrackingLeave = TRUE;
    dlg->m_bOnSizingBorder = TRUE;
    SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_TRUE(dlg->m_bTrackingLeave);  // a size loop keeps it until it ends
    SendMessageW(hwnd, WM_EXITSIZEMOVE, 0, 0);
    EXPECT_FALSE(dlg->m_bTrackingLeave);
    dlg->m_bTrackingLeave = TRUE;
    dlg->m_bOnSizingBorder = FALSE;
    SendMessageW(hwnd, WM_ENTERSIZEMOVE, 0, 0);
    EXPECT_FALSE(dlg->m_bTrackingLeave);
}

// Keys and mouse messages posted to the dialog, run through the filter as
// the modal loop runs them.
TEST_F(FrameMouse, EscEnterAndAltF4DoNothing) {
    const LPARAM altF4 = 0x20000001 | (0x3E << 16);
    struct Key {
        UINT message;
        WPARAM key;
        LPARAM lp;
    };
    const Key keys[] = {
        {WM_KEYDOWN, VK_ESCAPE, 1}, {WM_CHAR, VK_ESCAPE, 1}, {WM_KEYDOWN, VK_RETURN, 1},
        {WM_CHAR, VK_RETURN, 1},    {WM_SYSKEYDOWN, VK_F4, altF4},
    };
    for (const Key& k : keys) PostMessageW(hwnd, k.message, k.key, k.lp);
    PumpThroughFilter(200);
    EXPECT_EQ(dlg->cancels, 0);
    EXPECT_EQ(dlg->oks, 0);
    EXPECT_TRUE(IsWindow(hwnd));

    // The same keys reach the dialog manager when the frame does not stand
    // in the way: the probe does see them.
    for (const Key& k : keys) {
        PostMessageW(hwnd, k.message, k.key, k.lp);
        MSG m;
        const DWORD end = GetTickCount() + 200;
        while (static_cast<LONG>(end - GetTickCount()) > 0) {
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                if (!dlg->PlainDialogFilter(&m)) {
                    TranslateMessage(&m);
                    DispatchMessageW(&m);
                }
            }
            Sleep(5);
        }
    }
    EXPECT_GE(dlg->cancels, 2);  // Esc and Alt+F4
    EXPECT_GE(dlg->oks, 1);      // Enter
}

TEST_F(FrameMouse, MessagesCarrying13Or27AreNotMistakenForKeys) {
    PostMessageW(hwnd, WM_NCMOUSEMOVE, HTTOPLEFT, MAKELPARAM(kLeft + 1, kTop + 1));
    PostMessageW(hwnd, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT | MK_CONTROL, MAKELPARAM(50, 50));
    PostMessageW(hwnd, WM_TIMER, 27, 0);
    PumpThroughFilter(100);
    EXPECT_TRUE(dlg->Received(WM_NCMOUSEMOVE, HTTOPLEFT));
    EXPECT_TRUE(dlg->Received(WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT | MK_CONTROL));
    EXPECT_TRUE(dlg->Received(WM_TIMER, 27));
}

UINT MenuState(HWND hwnd, UINT id) { return GetMenuState(GetSystemMenu(hwnd, FALSE), id, MF_BYCOMMAND); }

TEST_F(FrameMouse, WindowMenuItemsByState) {
    struct Item {
        UINT id;
        bool grayedMaximised;
        bool grayedNormal;
    };
    const Item items[] = {
        {SC_SIZE, true, false},      {SC_MOVE, true, false},     {SC_MINIMIZE, false, false},
        {SC_MAXIMIZE, true, false},  {SC_RESTORE, false, true},
    };
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    ASSERT_NE(menu, nullptr);
    const UINT closeBefore = MenuState(hwnd, SC_CLOSE);

    ShowWindow(hwnd, SW_MAXIMIZE);
    PumpMessages(50);
    ASSERT_TRUE(IsZoomed(hwnd));
    dlg->EnableSystemMenuItems(menu);
    for (const Item& it : items) {
        const UINT st = MenuState(hwnd, it.id);
        ASSERT_NE(st, static_cast<UINT>(-1)) << std::hex << it.id << " missing from the window menu";
        EXPECT_EQ((st & MF_GRAYED) != 0, it.grayedMaximised) << "maximised " << std::hex << it.id;
    }

    ShowWindow(hwnd, SW_RESTORE);
    PumpMessages(50);
    dlg->EnableSystemMenuItems(menu);
    for (const Item& it : items) {
        EXPECT_EQ((MenuState(hwnd, it.id) & MF_GRAYED) != 0, it.grayedNormal) << "normal " << std::hex << it.id;
    }
    EXPECT_EQ(MenuState(hwnd, SC_CLOSE), closeBefore);
}

VOID CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

TEST_F(FrameMouse, TaskbarMenuRequestShowsTheMenuAndReturnsZero) {
    // The menu runs its own loop; a timer inside that loop closes it.
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseMenu);
    ASSERT_NE(timer, 0u);
    const LRESULT r = SendMessageW(hwnd, 0x0313, 0, 0);
    KillTimer(nullptr, timer);
    EXPECT_EQ(r, 0);
}

TEST_F(FrameMouse, WindowMenuCommandsArePostedAsSystemCommands) {
    CountPosted(WM_SYSCOMMAND);
    SendMessageW(hwnd, WM_COMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindow(hwnd));  // posted, not run inside the menu's loop
    MSG m{};
    ASSERT_TRUE(PeekMessageW(&m, hwnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(SC_CLOSE));
    EXPECT_EQ(CountPosted(WM_SYSCOMMAND), 0);

    for (WPARAM id : {static_cast<WPARAM>(SC_SIZE), static_cast<WPARAM>(SC_MOVE), static_cast<WPARAM>(SC_MINIMIZE),
                      static_cast<WPARAM>(SC_MAXIMIZE), static_cast<WPARAM>(SC_RESTORE)}) {
        SendMessageW(hwnd, WM_COMMAND, id, 0);
        ASSERT_TRUE(PeekMessageW(&m, hwnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) << std::hex << id;
        EXPECT_EQ(m.wParam, id);
    }
    // Other commands are not passed on, and the dialog's own still run.
    SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(CountPosted(WM_SYSCOMMAND), 0);
    EXPECT_EQ(dlg->oks, 1);
}

}  // namespace
}  // namespace frametest
