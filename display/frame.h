// Drawing a frame: each bar is one column copied from the bar strip plus its
// marker cells, composed in the bar buffer and shown in one copy. Positions
// and sizes are unscaled pixels; every copy multiplies them by windowScale.
#ifndef HALDER_FRAME_H
#define HALDER_FRAME_H

#include "display/dynamics.h"

enum {
    BAR_AREA_X = 38,        // client position of the bar area
    BAR_AREA_Y = 34,
    BAR_AREA_WIDTH = 288,
    BAR_AREA_HEIGHT = 94,
    BAR_WIDTH = 8,
    CELL_HEIGHT = 2,
    CELLS_TALL = 47,        // cell rows of a single-field mode
    CELLS_MAIN_FIELD = 31,  // cell rows above the reflection in mirror modes
    REFLECTION_TOP = 62,    // first pixel row of the reflection field
    LAST_CELL_TOP = 92      // top pixel row of the lowest cell
};

// Bar i with its state after this frame's update, in each mode's look.
void drawNormalBar(int i, const BarState* bar);
void drawRainBar(int i, const BarState* bar);
void drawMirrorBar(int i, const BarState* bar);
void drawRainMirrorBar(int i, const BarState* bar);

// Copies the composed bar area onto the window. A null window shows nothing.
void showFrame(HWND window);

#endif
