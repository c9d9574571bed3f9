// The visualizer window: a borderless, always-on-top popup dragged by its
// face, with a close button and three switches.
#ifndef HALDER_WINDOW_H
#define HALDER_WINDOW_H

#include "plugin/vis.h"

#define HALDER_WINDOW_CLASS "halderVis"

// Registers the class, creates, skins, shows and paints mainWindow and its
// close button. Returns 0, or 1 after a failure shown to the user.
int createMainWindow(VisModule* module);

// Destroys mainWindow if it still exists and unregisters the class.
// Returns UnregisterClassA's result.
BOOL destroyMainWindow(VisModule* module);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Toggles the switch under client point (x, y) and invalidates its label and
// both scales. Returns 1 when a switch was hit, 0 otherwise.
int toggleSwitchAt(HWND window, int x, int y);

#endif
