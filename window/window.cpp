// The visualizer window: class, creation, and one small handler per message.
#include "window/window.h"

#include "display/strip.h"
#include "plugin/state.h"
#include "window/layout.h"
#include "window/scale.h"
#include "window/skin.h"

#include <windowsx.h>

const RECT titleBarRect = { 0, 0, 362, 14 };
const RECT rainSwitchRect = { 38, 23, 61, 31 };
const RECT mirrorSwitchRect = { 61, 23, 94, 31 };
const RECT reverseSwitchRect = { 94, 23, 128, 31 };
const RECT switchStripRect = { 38, 23, 128, 31 };
const RECT leftScaleRect = { 33, 33, 36, 128 };
const RECT rightScaleRect = { 327, 33, 330, 128 };
const RECT closeButtonRect = { 352, 3, 361, 12 };

static const char kErrorCaption[] = "blah";

// Set when a paint found no drawing context to paint into, so that a start
// can tell a window it never managed to show.
static int paintFailed = 0;

// The switches in hit-test order: on a shared edge the right-hand one wins.
struct Switch {
    const RECT* place;
    int* flag;
};

static const Switch kSwitches[] = {
    { &rainSwitchRect, &isRain },
    { &mirrorSwitchRect, &isMirror },
    { &reverseSwitchRect, &isReverse },
};

static void reportError(VisModule* module, const char* text)
{
    MessageBoxA(module->parentWindow, text, kErrorCaption, MB_OK);
}

static VisModule* attachedModule(HWND window)
{
    return (VisModule*)GetWindowLongPtrA(window, GWLP_USERDATA);
}

// The outer size that gives a client area of WINDOW_WIDTH by WINDOW_HEIGHT
// times scale: that plus whatever frame the window has.
static SIZE outerSizeAt(HWND window, int scale)
{
    RECT outer = {}, client = {};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    const SIZE size = { WINDOW_WIDTH * scale + (outer.right - outer.left) - client.right,
                        WINDOW_HEIGHT * scale + (outer.bottom - outer.top) - client.bottom };
    return size;
}

// Sizes the window so that its client area is the panel at windowScale.
static void fitClientArea(HWND window)
{
    const SIZE size = outerSizeAt(window, windowScale);
    SetWindowPos(window, NULL, 0, 0, size.cx, size.cy, SWP_NOZORDER | SWP_NOMOVE);
}

static void invalidateScaled(HWND window, const RECT* r)
{
    const RECT scaled = scaledRect(r);
    InvalidateRect(window, &scaled, FALSE);
}

// Keeps screenX and screenY on the window's corner; leaves them as they are
// while the window's rectangle cannot be read.
static void storeWindowPosition(HWND window)
{
    RECT outer;
    if (window && GetWindowRect(window, &outer)) {
        screenX = outer.left;
        screenY = outer.top;
    }
}

static void createCloseButton(VisModule* module)
{
    const RECT place = scaledRect(&closeButtonRect);
    CreateWindowExA(0, "button", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, place.left, place.top,
                    place.right - place.left, place.bottom - place.top, mainWindow,
                    (HMENU)(INT_PTR)CLOSE_BUTTON_ID, module->instance, NULL);
}

static void placeCloseButton(HWND window)
{
    const RECT place = scaledRect(&closeButtonRect);
    SetWindowPos(GetDlgItem(window, CLOSE_BUTTON_ID), NULL, place.left, place.top,
                 place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// A start whose window could not be created leaves the class registered, and
// a class outlives even the unloading of the library that registered it. Such
// a class is ours to use again when it still leads to this window procedure
// and no window of ours is alive; a second start beside a live window is not.
static int isLeftFromFailedStart(HINSTANCE instance)
{
    WNDCLASSA existing;
    return GetClassInfoA(instance, HALDER_WINDOW_CLASS, &existing)
        && existing.lpfnWndProc == mainWindowProc && !IsWindow(mainWindow);
}

// Returns 1 when the class is ready for a new window.
static int registerWindowClass(HINSTANCE instance)
{
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof(windowClass));
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = HALDER_WINDOW_CLASS;
    return RegisterClassA(&windowClass) != 0 || isLeftFromFailedStart(instance);
}

// Undoes a start whose window could not be skinned or painted, which is what
// a process short of GDI handles meets: a window that stays black is worse
// than none. The handles are given back before the user is told, so that the
// message box has some to draw with. Returns init's failure.
static int abandonStart(VisModule* module)
{
    destroySkin();
    // Forgotten first, so that its end is not taken for the user closing it:
    // a quit message would end the player's next run at once.
    HWND window = mainWindow;
    mainWindow = NULL;
    DestroyWindow(window);
    UnregisterClassA(HALDER_WINDOW_CLASS, module->instance);
    reportError(module, "Error creating skin");
    return 1;
}

int createMainWindow(VisModule* module)
{
    if (!registerWindowClass(module->instance)) {
        reportError(module, "Error registering window class");
        return 1;
    }

    mainWindow = CreateWindowExA(WS_EX_TOPMOST, HALDER_WINDOW_CLASS, module->description,
                                 WS_POPUP | WS_VISIBLE, screenX, screenY,
                                 WINDOW_WIDTH * windowScale, WINDOW_HEIGHT * windowScale,
                                 module->parentWindow, NULL, module->instance, NULL);
    if (mainWindow == NULL) {
        reportError(module, "Error creating window");
        return 1;
    }
    SetWindowLongPtrA(mainWindow, GWLP_USERDATA, (LONG_PTR)module);
    // The scale was foreseen from the monitor at the stored position; the
    // window's own DPI, now that it exists, is what counts.
    windowScale = scaleForWindow(mainWindow);
    fitClientArea(mainWindow);
    storeWindowPosition(mainWindow);
    if (!createSkin(module->instance))
        return abandonStart(module);
    ShowWindow(mainWindow, SW_SHOWNORMAL);
    paintFailed = 0;
    InvalidateRect(mainWindow, NULL, FALSE);
    UpdateWindow(mainWindow);
    if (paintFailed)
        return abandonStart(module);
    createCloseButton(module);
    return 0;
}

BOOL destroyMainWindow(VisModule* module)
{
    if (mainWindow)
        DestroyWindow(mainWindow);
    mainWindow = NULL;
    return UnregisterClassA(HALDER_WINDOW_CLASS, module->instance);
}

int toggleSwitchAt(HWND window, int x, int y)
{
    POINT point = { x / windowScale, y / windowScale };
    for (size_t i = 0; i < sizeof(kSwitches) / sizeof(kSwitches[0]); i++) {
        const Switch* hit = &kSwitches[i];
        if (!PtInRect(hit->place, point))
            continue;
        *hit->flag = (*hit->flag == 0) ? 1 : 0;
        invalidateScaled(window, hit->place);
        invalidateScaled(window, &leftScaleRect);
        invalidateScaled(window, &rightScaleRect);
        return 1;
    }
    return 0;
}

static void repaintTitleBar(HWND window)
{
    invalidateScaled(window, &titleBarRect);
    UpdateWindow(window);
}

static LRESULT onDestroy(HWND window)
{
    // The window may be gone before quit (the user closed it): forget it so
    // that later frames and quit neither draw on nor destroy a reused handle.
    // A window of an abandoned start was forgotten already and ends quietly.
    if (window != mainWindow)
        return 0;
    mainWindow = NULL;
    PostQuitMessage(0);
    return 0;
}

static LRESULT onMove(HWND window)
{
    // During creation mainWindow is not stored yet, so nothing is read.
    if (window == mainWindow)
        storeWindowPosition(mainWindow);
    return 0;
}

static LRESULT onSetFocus(HWND window)
{
    isActive = 1;
    repaintTitleBar(window);
    return 0;
}

static LRESULT onKillFocus(HWND window, HWND gainingFocus)
{
    // Focus moving to our own close button keeps the window looking active.
    if (gainingFocus != NULL && GetParent(gainingFocus) == window)
        return 0;
    isActive = 0;
    repaintTitleBar(window);
    return 0;
}

static LRESULT onPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc)
        paintPanel(window, dc);
    else
        paintFailed = 1;
    EndPaint(window, &paint);
    return 0;
}

static LRESULT onDrawItem(const DRAWITEMSTRUCT* item)
{
    if (item->CtlID == CLOSE_BUTTON_ID)
        drawCloseButton(item);
    return 0;
}

// Only the switch strip is client area; the rest of the face is a caption
// the system drags. The strip is placed from the stored position.
static LRESULT onHitTest(LPARAM lParam)
{
    POINT point = { GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam) };
    RECT strip = scaledRect(&switchStripRect);
    OffsetRect(&strip, screenX, screenY);
    return PtInRect(&strip, point) ? HTCLIENT : HTCAPTION;
}

static LRESULT onKey(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    VisModule* module = attachedModule(window);
    if (module)
        PostMessageA(module->parentWindow, message, wParam, lParam);
    return 0;
}

static LRESULT onCommand(HWND window, WPARAM wParam)
{
    // Posted, so the window goes only after the button's click has returned.
    if (wParam == MAKEWPARAM(CLOSE_BUTTON_ID, BN_CLICKED))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return 0;
}

static LRESULT onLeftButtonDown(HWND window, LPARAM lParam)
{
    if (toggleSwitchAt(window, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
        displayMode = computeDisplayMode();
        UpdateWindow(window);
        buildBarStrip();
    }
    return 0;
}

// The window moved to a monitor of another DPI, or its monitor's scaling
// changed: the art is rebuilt at the new scale and the window takes its size
// there, at the top-left corner that the system suggests.
static LRESULT onDpiChanged(HWND window, UINT dpi, const RECT* suggested)
{
    VisModule* module = attachedModule(window);
    if (window != mainWindow || !module)
        return 0;
    const int scale = scaleForDpi(dpi, MonitorFromRect(suggested, MONITOR_DEFAULTTONEAREST));
    if (scale != windowScale)
        rescaleSkin(module->instance, scale);
    SetWindowPos(window, NULL, suggested->left, suggested->top, 0, 0,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
    fitClientArea(window);
    placeCloseButton(window);
    InvalidateRect(window, NULL, FALSE);
    return 0;
}

// Asked before a move to another DPI, so that the system suggests a
// rectangle of the size the window will take there.
static LRESULT onGetDpiScaledSize(HWND window, UINT dpi, SIZE* size)
{
    *size = outerSizeAt(window, scaleForDpi(dpi, MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)));
    return TRUE;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return 0;
    case WM_DESTROY: return onDestroy(window);
    case WM_MOVE: return onMove(window);
    case WM_SETFOCUS: return onSetFocus(window);
    case WM_KILLFOCUS: return onKillFocus(window, (HWND)wParam);
    case WM_PAINT: return onPaint(window);
    case WM_ERASEBKGND: return 0;
    case WM_DRAWITEM: return onDrawItem((const DRAWITEMSTRUCT*)lParam);
    case WM_NCHITTEST: return onHitTest(lParam);
    case WM_KEYDOWN:
    case WM_KEYUP: return onKey(window, message, wParam, lParam);
    case WM_COMMAND: return onCommand(window, wParam);
    case WM_LBUTTONDOWN: return onLeftButtonDown(window, lParam);
    case WM_DPICHANGED: return onDpiChanged(window, LOWORD(wParam), (const RECT*)lParam);
    case WM_GETDPISCALEDSIZE: return onGetDpiScaledSize(window, (UINT)wParam, (SIZE*)lParam);
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}
