// The display scale. The calls that tell a window's or a monitor's DPI came
// with later Windows versions, so each is looked up when needed: the library
// still loads, and draws at scale 1 or at the system DPI's scale, where they
// are missing.
#include "window/scale.h"

#include "window/layout.h"

int windowScale = 1;

enum {
    BASE_DPI = 96,
    MONITOR_DPI_EFFECTIVE = 0   // GetDpiForMonitor's MDT_EFFECTIVE_DPI
};

typedef DPI_AWARENESS_CONTEXT(WINAPI* SetThreadDpiAwarenessContextProc)(DPI_AWARENESS_CONTEXT);
typedef UINT(WINAPI* GetDpiForWindowProc)(HWND);
typedef HRESULT(WINAPI* GetDpiForMonitorProc)(HMONITOR, int, UINT*, UINT*);

static FARPROC user32Proc(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 ? GetProcAddress(user32, name) : NULL;
}

DPI_AWARENESS_CONTEXT enterPerMonitorDpi(void)
{
    SetThreadDpiAwarenessContextProc setContext =
        (SetThreadDpiAwarenessContextProc)(void*)user32Proc("SetThreadDpiAwarenessContext");
    if (!setContext)
        return NULL;
    DPI_AWARENESS_CONTEXT previous = setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (!previous)
        previous = setContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    return previous;
}

void leavePerMonitorDpi(DPI_AWARENESS_CONTEXT previous)
{
    SetThreadDpiAwarenessContextProc setContext =
        (SetThreadDpiAwarenessContextProc)(void*)user32Proc("SetThreadDpiAwarenessContext");
    if (setContext && previous)
        setContext(previous);
}

// How many whole windows fit side by side and one above the other in the
// monitor's work area: the largest scale that keeps the window inside it.
static long long largestFittingScale(HMONITOR monitor)
{
    MONITORINFO info;
    info.cbSize = sizeof(info);
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return 1;
    const long long across = ((long long)info.rcWork.right - info.rcWork.left) / WINDOW_WIDTH;
    const long long down = ((long long)info.rcWork.bottom - info.rcWork.top) / WINDOW_HEIGHT;
    return across < down ? across : down;
}

int scaleForDpi(UINT dpi, HMONITOR monitor)
{
    // In 64 bits, so that an absurd DPI cannot wrap around to a small one.
    long long scale = ((long long)dpi + BASE_DPI / 2) / BASE_DPI;
    const long long fitting = largestFittingScale(monitor);
    if (scale > fitting)
        scale = fitting;
    return scale < 1 ? 1 : (int)scale;
}

// The DPI that the screen's drawing context reports: the system's, for a
// thread that is aware of it, else 96.
static UINT systemDpi(void)
{
    HDC screen = GetDC(NULL);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : BASE_DPI;
    if (screen)
        ReleaseDC(NULL, screen);
    return dpi > 0 ? (UINT)dpi : BASE_DPI;
}

// The monitor's own DPI where the system can tell it (shcore, Windows 8.1
// on), else the system's.
static UINT monitorDpi(HMONITOR monitor)
{
    UINT dpi = 0;
    HMODULE shcore = LoadLibraryA("shcore.dll");
    if (shcore) {
        GetDpiForMonitorProc getDpi =
            (GetDpiForMonitorProc)(void*)GetProcAddress(shcore, "GetDpiForMonitor");
        UINT dpiY = 0;
        if (getDpi && getDpi(monitor, MONITOR_DPI_EFFECTIVE, &dpi, &dpiY) != S_OK)
            dpi = 0;
        FreeLibrary(shcore);
    }
    return dpi ? dpi : systemDpi();
}

int scaleAtPoint(int x, int y)
{
    const POINT corner = { x, y };
    HMONITOR monitor = MonitorFromPoint(corner, MONITOR_DEFAULTTONEAREST);
    return scaleForDpi(monitorDpi(monitor), monitor);
}

int scaleForWindow(HWND window)
{
    GetDpiForWindowProc getDpi = (GetDpiForWindowProc)(void*)user32Proc("GetDpiForWindow");
    UINT dpi = getDpi ? getDpi(window) : 0;
    if (!dpi)
        dpi = systemDpi();
    return scaleForDpi(dpi, MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

RECT scaledRect(const RECT* r)
{
    const RECT scaled = { r->left * windowScale, r->top * windowScale, r->right * windowScale,
                          r->bottom * windowScale };
    return scaled;
}

void scaledCopy(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY)
{
    const int s = windowScale;
    BitBlt(target, x * s, y * s, width * s, height * s, source, sourceX * s, sourceY * s, SRCCOPY);
}
