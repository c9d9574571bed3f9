// The state that lives from library load to unload: where the window stands,
// the three switches and the display mode they select, the focus look and the
// window itself. The lifecycle reads and clamps it, the window procedure and
// the painting keep it current, the settings file stores part of it.
#ifndef HALDER_STATE_H
#define HALDER_STATE_H

#include <windows.h>

// Display modes, derived from the rain and mirror switches.
enum {
    MODE_NORMAL = 0,
    MODE_RAIN = 1,
    MODE_MIRROR = 2,
    MODE_RAIN_MIRROR = 3
};

extern int screenX;             // window's top-left corner in screen pixels
extern int screenY;
extern int isRain;              // the three switches, 0 or 1
extern int isMirror;
extern int isReverse;
extern unsigned displayMode;    // MODE_* derived from isRain and isMirror
extern HWND mainWindow;         // the visualizer window, or null once it is gone
extern int isActive;            // 1 while the window or its close button has the focus

// The display mode the rain and mirror switches select.
unsigned computeDisplayMode(void);

#endif
