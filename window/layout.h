// Panel geometry in client pixels, shared by hit testing, invalidation and
// painting so that what is clicked is exactly what is drawn.
#ifndef HALDER_LAYOUT_H
#define HALDER_LAYOUT_H

#include <windows.h>

enum {
    WINDOW_WIDTH = 363,
    WINDOW_HEIGHT = 150,
    CLOSE_BUTTON_ID = 1
};

extern const RECT titleBarRect;     // one column short of the window's width
extern const RECT rainSwitchRect;
extern const RECT mirrorSwitchRect;
extern const RECT reverseSwitchRect;
extern const RECT switchStripRect;  // the three switches together
extern const RECT leftScaleRect;
extern const RECT rightScaleRect;
extern const RECT closeButtonRect;

#endif
