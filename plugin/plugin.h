// Lifecycle of a visualization run: the module's four operations, the state
// that links them, and the records handed to the player.
#ifndef HALDER_PLUGIN_H
#define HALDER_PLUGIN_H

#include "plugin/vis.h"

#define HALDER_MODULE_NAME "TOLVA"
#define HALDER_LIBRARY_DESCRIPTION "halder Visualization Library v" HALDER_VERSION // from CMake

// Display modes, derived from the rain and mirror switches.
enum {
    MODE_NORMAL = 0,
    MODE_RAIN = 1,
    MODE_MIRROR = 2,
    MODE_RAIN_MIRROR = 3
};

// Lifecycle state. Set at library load and kept across runs for as long as
// the library stays loaded, so a second run starts from where the first ended.
extern int screenX;             // window's top-left corner in screen pixels
extern int screenY;
extern int isRain;              // the three switches, 0 or 1
extern int isMirror;
extern int isReverse;
extern unsigned displayMode;    // MODE_* derived from isRain and isMirror
extern HWND mainWindow;         // the visualizer window, or null
extern int isActive;            // 1 while the window or its close button has the focus

extern VisHeader visHeader;
extern VisModule visModule;

extern "C" VisHeader* VIS_CALL winampVisGetHeader(void);
VisModule* VIS_CALL getModule(int index);
void VIS_CALL config(VisModule* module);
int VIS_CALL init(VisModule* module);
int VIS_CALL render(VisModule* module);
void VIS_CALL quit(VisModule* module);

unsigned computeDisplayMode(void);

#endif
