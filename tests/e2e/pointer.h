// A user at the pointer: real mouse input, sent from another thread while
// this thread runs the player's frame loop.
#ifndef HALDER_TEST_POINTER_H
#define HALDER_TEST_POINTER_H

#include "pluginrun.h"

// Screen points of a drag by the window's face, then of a click on the rain
// switch and one on the close button of the window where the drag left it.
struct PointerScript {
    POINT grab;          // where the face is pressed
    POINT release;       // where the drag ends
    POINT rainSwitch;    // relative to the window's corner after the drag
    POINT closeButton;
    POINT corner;        // the corner after the drag
};

// Plays the built-in signal in real time while a second thread plays the
// script, for at most 15 seconds; the click on the close button ends it.
RunResult runAsUser(VisModule* module, const PointerScript& script);

#endif
