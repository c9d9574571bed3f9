// The display scale: the window and every copy that draws it grow by a whole
// factor on high-DPI monitors, so the pixel art stays sharp (each pixel
// repeated s x s times) instead of coming out tiny or blurred.
#ifndef HALDER_SCALE_H
#define HALDER_SCALE_H

#include <windows.h>

// The factor that the window, the skin surfaces and every copy's coordinates
// are multiplied by: 1 at library load and at 100 % and 125 %, 2 at 150 % to
// 200 %, 3 at 250 % and 300 %. Set before the skin is created and changed
// only together with it (init, a move to a monitor of another scale).
extern int windowScale;

// Puts the calling thread into per-monitor DPI awareness (version 2, else
// version 1), so that the window made next scales by itself and every
// coordinate measured is a physical pixel. Returns what to hand to
// leavePerMonitorDpi, which puts back the previous awareness. On systems
// without these calls nothing changes.
DPI_AWARENESS_CONTEXT enterPerMonitorDpi(void);
void leavePerMonitorDpi(DPI_AWARENESS_CONTEXT previous);

// The scale for a DPI on a monitor: (dpi + 48) / 96, at least 1, lowered
// while the window would not fit the monitor's work area.
int scaleForDpi(UINT dpi, HMONITOR monitor);

// The scale of a window that does not exist yet, with its top-left corner at
// (x, y): from the DPI of the monitor there.
int scaleAtPoint(int x, int y);

// The scale of an existing window: from its own DPI, on its monitor.
int scaleForWindow(HWND window);

// r with every coordinate times windowScale.
RECT scaledRect(const RECT* r);

// A SRCCOPY of a rectangle given in unscaled pixels at both ends, made at
// windowScale. At scale 1 it is the plain copy.
void scaledCopy(HDC target, int x, int y, int width, int height, HDC source, int sourceX,
                int sourceY);

#endif
