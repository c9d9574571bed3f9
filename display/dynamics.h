// Bar dynamics: how each frame's spectrum becomes 36 bar levels with peak
// markers (normal and mirror modes) or falling drops (the two rain modes).
#ifndef HALDER_DYNAMICS_H
#define HALDER_DYNAMICS_H

#include "plugin/vis.h"

#include <stdint.h>

enum {
    BAR_COUNT = 36,
    BINS_PER_BAR = 8,
    STEP_NARROW = 8,    // sink per frame in normal and rain modes
    STEP_WIDE = 10,     // sink per frame in the two mirror modes
    HOLD_FRAMES = 11,   // set when a peak is raised or a drop released
    MARKER_HOLD = 10    // a marker shows only while hold is below this
};

// One bar's state in one mode. Peak-marker modes leave fall at zero.
struct BarState {
    uint16_t level;
    uint16_t peak;
    uint16_t fall;
    uint16_t hold;
};

// Per-bar state of each mode: zero at library load, written only by the
// mode's own renderer and never reset, so a mode resumes where it was left.
extern uint16_t normalLevel[BAR_COUNT], normalPeak[BAR_COUNT], normalHold[BAR_COUNT];
extern uint16_t rainLevel[BAR_COUNT], rainPeak[BAR_COUNT], rainFall[BAR_COUNT], rainHold[BAR_COUNT];
extern uint16_t mirrorLevel[BAR_COUNT], mirrorPeak[BAR_COUNT], mirrorHold[BAR_COUNT];
extern uint16_t rainMirrorLevel[BAR_COUNT], rainMirrorPeak[BAR_COUNT],
    rainMirrorFall[BAR_COUNT], rainMirrorHold[BAR_COUNT];

// The bar's input: the largest byte of its eight bins over the channels.
unsigned foldBar(const VisModule* module, int bar);

// One frame of one bar with input v, in a mode with a hovering peak marker.
void updatePeakBar(BarState* bar, unsigned v, unsigned step);

// One frame of one bar with input v, in a mode whose marker is a falling drop.
void updateDropBar(BarState* bar, unsigned v, unsigned step);

// The four renderers: advance every bar of their mode, draw it, show the frame.
int renderNormal(VisModule* module, HWND window);
int renderRain(VisModule* module, HWND window);
int renderMirror(VisModule* module, HWND window);
int renderRainMirror(VisModule* module, HWND window);

#endif
