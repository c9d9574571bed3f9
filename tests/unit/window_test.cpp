// The visualizer window in a real run: painting, switches, hit test, focus,
// keys and closing, checked through messages and pixels read back.
#include "window_support.h"

#include "support/dialogs.h"

#include <windowsx.h>

namespace {

// Label rows of the indicator bitmap, off and on, per switch.
const struct { const RECT* place; int offY, onY; } kLabels[] = {
    { &rainSwitchRect, 0, 8 }, { &mirrorSwitchRect, 16, 24 }, { &reverseSwitchRect, 32, 40 },
};

TEST_F(WindowRun, FirstPaintShowsTheWholePanelWithEmptyBars)
{
    const struct { int rain, mirror, reverse; } runs[] = {
        { 0, 0, 0 }, { 1, 0, 0 }, { 0, 1, 1 }, { 1, 1, 0 },
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(testing::Message() << "rain " << run.rain << " mirror " << run.mirror
                                        << " reverse " << run.reverse);
        isActive = 1;
        start(100, 100, run.rain, run.mirror, run.reverse);
        Picture panel = captureClient(mainWindow);
        ASSERT_EQ(363, panel.width);
        ASSERT_EQ(150, panel.height);

        const char empty = run.reverse ? 'L' : 'u';
        for (int i = 0; i < BAR_COUNT; i++)
            ASSERT_EQ(std::string(47, empty), cellColumn(panel, 38 + 8 * i, 34)) << "bar " << i;

        const int mode = run.mirror * 2 + run.rain;
        expectSkin(panel, 0, 0, 362, 14, "TITLEBAR", 0, 0, "active title bar");
        expectSkin(panel, 362, 0, 1, 150, "FACE", 362, 0, "last column");
        expectSkin(panel, 0, 14, 33, 136, "FACE", 0, 14, "face, left part");
        expectSkin(panel, 33, 33, 3, 95, "SCALE", 3 * mode, 0, "left scale");
        expectSkin(panel, 327, 33, 3, 95, "SCALE", 3 * mode, 0, "right scale");
        const int* flags[] = { &run.rain, &run.mirror, &run.reverse };
        for (int s = 0; s < 3; s++) {
            const RECT* r = kLabels[s].place;
            expectSkin(panel, r->left, r->top, r->right - r->left, r->bottom - r->top, "INDICATOR",
                       0, *flags[s] ? kLabels[s].onY : kLabels[s].offY, "switch label");
        }
        expectSkin(panel, 352, 3, 9, 9, "TITLEBAR", 363, 0, "close button");
        stop();
    }
}

TEST_F(WindowRun, FocusChoosesTheTitleBarAndCloseButtonLook)
{
    start(100, 100);
    HDC dc = GetDC(mainWindow);
    SetPixel(dc, 362, 5, RGB(255, 0, 0)); // outside the title bar's repaint
    ReleaseDC(mainWindow, dc);

    // Focus going to our own close button keeps the active look.
    send(WM_KILLFOCUS, (WPARAM)closeButton());
    EXPECT_EQ(1, isActive);

    send(WM_KILLFOCUS, (WPARAM)player);
    drainMessages();
    EXPECT_EQ(0, isActive);
    Picture panel = captureClient(mainWindow);
    expectSkin(panel, 0, 0, 362, 14, "TITLEBAR", 0, 14, "inactive title bar");
    expectSkin(panel, 352, 3, 9, 9, "TITLEBAR", 363, 18, "inactive close button");
    EXPECT_EQ(RGB(255, 0, 0), panel.at(362, 5)) << "column 362 was repainted";

    send(WM_SETFOCUS);
    drainMessages();
    EXPECT_EQ(1, isActive);
    panel = captureClient(mainWindow);
    expectSkin(panel, 0, 0, 362, 14, "TITLEBAR", 0, 0, "active title bar");
    expectSkin(panel, 352, 3, 9, 9, "TITLEBAR", 363, 0, "active close button");

    send(WM_KILLFOCUS, 0);
    EXPECT_EQ(0, isActive) << "focus going nowhere makes the window inactive";

    // A held-down button shows its pressed image, focused or not.
    SendMessageA(closeButton(), BM_SETSTATE, TRUE, 0);
    drainMessages();
    expectSkin(captureClient(mainWindow), 352, 3, 9, 9, "TITLEBAR", 363, 9, "pressed close button");
    SendMessageA(closeButton(), BM_SETSTATE, FALSE, 0);
}

TEST_F(WindowRun, PressesToggleTheSwitchUnderThePointer)
{
    start(100, 100);
    const struct { int x, y; int* flag; } hits[] = {
        { 38, 23, &isRain }, { 60, 30, &isRain }, { 61, 23, &isMirror }, { 93, 30, &isMirror },
        { 94, 23, &isReverse }, { 127, 30, &isReverse },
    };
    for (const auto& hit : hits) {
        SCOPED_TRACE(testing::Message() << "press at (" << hit.x << ", " << hit.y << ")");
        int rain = isRain, mirror = isMirror, reverse = isReverse;
        EXPECT_EQ(1, toggleSwitchAt(mainWindow, hit.x, hit.y));
        EXPECT_EQ(hit.flag == &isRain ? !rain : rain, isRain);
        EXPECT_EQ(hit.flag == &isMirror ? !mirror : mirror, isMirror);
        EXPECT_EQ(hit.flag == &isReverse ? !reverse : reverse, isReverse);
    }
    const POINT misses[] = { { 37, 25 }, { 128, 25 }, { 50, 22 }, { 50, 31 } };
    for (const POINT& miss : misses)
        EXPECT_EQ(0, toggleSwitchAt(mainWindow, miss.x, miss.y)) << miss.x << ", " << miss.y;
    EXPECT_EQ(0, isRain + isMirror + isReverse) << "every switch was pressed twice";

    // A stored value other than 0 or 1 counts as on.
    isRain = 5;
    toggleSwitchAt(mainWindow, 40, 25);
    EXPECT_EQ(0, isRain);
}

TEST_F(WindowRun, OnlyTheSwitchStripIsClientAreaWhereverTheWindowIs)
{
    start(100, 100);
    const struct { int x, y; LRESULT hit; } points[] = {
        { 38, 23, HTCLIENT }, { 127, 30, HTCLIENT }, { 37, 25, HTCAPTION }, { 128, 25, HTCAPTION },
        { 50, 22, HTCAPTION }, { 50, 31, HTCAPTION }, { 200, 80, HTCAPTION }, { 5, 5, HTCAPTION },
    };
    // Also from the left of and above the primary screen, where coordinates
    // are negative.
    const POINT corners[] = { { 100, 100 }, { -700, -300 } };
    for (const POINT& corner : corners) {
        screenX = corner.x;
        screenY = corner.y;
        for (const auto& p : points)
            EXPECT_EQ(p.hit, send(WM_NCHITTEST, 0, MAKELPARAM(corner.x + p.x, corner.y + p.y)))
                << "client (" << p.x << ", " << p.y << ") with the window at " << corner.x;
    }
}

TEST_F(WindowRun, PressRepaintsLabelAndScalesAndRebuildsTheStrip)
{
    start(100, 100);
    HBITMAP oldStrip = barStrip;
    press(70, 25); // mirror
    EXPECT_EQ(1, isMirror);
    EXPECT_EQ((unsigned)MODE_MIRROR, displayMode);
    EXPECT_NE(oldStrip, barStrip);
    Picture panel = captureClient(mainWindow);
    expectSkin(panel, 61, 23, 33, 8, "INDICATOR", 0, 24, "mirror label on");
    expectSkin(panel, 33, 33, 3, 95, "SCALE", 6, 0, "left scale");
    expectSkin(panel, 327, 33, 3, 95, "SCALE", 6, 0, "right scale");
    EXPECT_EQ(std::string(47, 'u'), cellColumn(panel, 38, 34)) << "bars wait for the next frame";

    // Reverse leaves the mode alone but still rebuilds the strip.
    oldStrip = barStrip;
    press(100, 25);
    EXPECT_EQ((unsigned)MODE_MIRROR, displayMode);
    EXPECT_NE(oldStrip, barStrip);
    EXPECT_EQ(std::string(47, 'L'), cellColumn(skinDC, 0));
    render(module);
    EXPECT_EQ(std::string(47, 'L'), cellColumn(captureClient(mainWindow), 38, 34))
        << "the next frame draws from the new strip";

    // A double click is two presses.
    press(45, 25);
    press(45, 25);
    EXPECT_EQ(0, isRain);
    EXPECT_EQ((unsigned)MODE_MIRROR, displayMode);
    EXPECT_EQ((HGDIOBJ)barStrip, GetCurrentObject(skinDC, OBJ_BITMAP));
    EXPECT_EQ((HGDIOBJ)barBuffer, GetCurrentObject(bufferDC, OBJ_BITMAP));
}

TEST_F(WindowRun, KeysArePostedToThePlayer)
{
    start(100, 100);
    const struct { UINT message; bool forwarded; } keys[] = {
        { WM_KEYDOWN, true }, { WM_KEYUP, true }, { WM_CHAR, false },
        { WM_SYSKEYDOWN, false }, { WM_SYSKEYUP, false },
    };
    for (const auto& key : keys) {
        send(key.message, 'Q', 0x00100001);
        MSG posted;
        BOOL got = PeekMessageA(&posted, player, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
        EXPECT_EQ(key.forwarded, got != 0) << "message 0x" << std::hex << key.message;
        if (got) {
            EXPECT_EQ(key.message, posted.message);
            EXPECT_EQ((WPARAM)'Q', posted.wParam);
            EXPECT_EQ((LPARAM)0x00100001, posted.lParam);
        }
    }
}

TEST_F(WindowRun, CloseButtonClosesAndANewRunStartsAfterIt)
{
    start(100, 100);
    HWND window = mainWindow;
    send(WM_COMMAND, MAKEWPARAM(CLOSE_BUTTON_ID, BN_DOUBLECLICKED), (LPARAM)closeButton());
    send(WM_COMMAND, MAKEWPARAM(2, BN_CLICKED), 0);
    drainMessages();
    EXPECT_TRUE(IsWindow(window)) << "only a click of control 1 closes";

    send(WM_COMMAND, MAKEWPARAM(CLOSE_BUTTON_ID, BN_CLICKED), (LPARAM)closeButton());
    EXPECT_TRUE(IsWindow(window)) << "the close is posted, not done at once";
    int exitCode = -1;
    EXPECT_EQ(1, takeQuit(&exitCode));
    EXPECT_EQ(0, exitCode);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, mainWindow);

    // Frames and quit after the user closed the window touch no window.
    setBarInput(module, 0, 200);
    EXPECT_EQ(0, render(module));
    stop();
    EXPECT_EQ(settingsText(100, 100, 0, 0, 0), readSettings());

    start(120, 110);
    EXPECT_TRUE(IsWindowVisible(mainWindow));
}

TEST_F(WindowRun, DrawItemForAnotherControlDrawsNothing)
{
    start(100, 100);
    HDC dc = GetDC(mainWindow);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = 7;
    item.hDC = dc;
    SetRect(&item.rcItem, 200, 60, 209, 69);
    SetPixel(dc, 204, 64, RGB(255, 0, 255));
    EXPECT_EQ(0, send(WM_DRAWITEM, 7, (LPARAM)&item));
    EXPECT_EQ(RGB(255, 0, 255), GetPixel(dc, 204, 64));
    ReleaseDC(mainWindow, dc);
}

TEST_F(WindowRun, MovedWindowIsRememberedAndItsSwitchesFollowIt)
{
    start(100, 100);
    SetWindowPos(mainWindow, NULL, 200, 120, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    drainMessages();
    EXPECT_EQ(200, screenX);
    EXPECT_EQ(120, screenY);
    EXPECT_EQ(HTCLIENT, send(WM_NCHITTEST, 0, MAKELPARAM(200 + 70, 120 + 25)));
    press(70, 25);
    stop();
    EXPECT_EQ(settingsText(200, 120, 0, 1, 0), readSettings());
}

// Refuses our window while installed.
bool refuseOurWindow = false;

LRESULT CALLBACK refusingHook(int code, WPARAM wParam, LPARAM lParam)
{
    char className[32] = "";
    GetClassNameA((HWND)wParam, className, sizeof(className));
    if (code == HCBT_CREATEWND && refuseOurWindow && strcmp(className, "halderVis") == 0)
        return 1;
    return CallNextHookEx(NULL, code, wParam, lParam);
}

TEST_F(WindowRun, AStartWhoseWindowCouldNotBeCreatedDoesNotBlockTheNext)
{
    MessageBoxAnswerer boxes;
    HHOOK hook = SetWindowsHookExA(WH_CBT, refusingHook, NULL, GetCurrentThreadId());
    ASSERT_NE(nullptr, hook);
    WNDCLASSA ours;
    refuseOurWindow = true;
    EXPECT_EQ(1, init(module));
    refuseOurWindow = false;
    EXPECT_NE(std::string::npos, boxes.text().find("Error creating window")) << boxes.text();
    EXPECT_EQ(nullptr, mainWindow);
    EXPECT_EQ(nullptr, skinDC) << "a failed start leaves no skin behind";
    EXPECT_TRUE(GetClassInfoA(module->instance, "halderVis", &ours)) << "class still registered";

    // The next start, with no quit in between, uses the class left behind...
    start(100, 100);
    // ...but a start beside a live window of ours still fails.
    HWND live = mainWindow;
    boxes.clear();
    EXPECT_EQ(1, init(module));
    EXPECT_NE(std::string::npos, boxes.text().find("Error registering window class")) << boxes.text();
    EXPECT_EQ(live, mainWindow);
    UnhookWindowsHookEx(hook);

    stop();
    EXPECT_FALSE(GetClassInfoA(module->instance, "halderVis", &ours)) << "quit unregisters the class";
}

} // namespace
