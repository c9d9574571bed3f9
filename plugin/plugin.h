// Lifecycle of a visualization run: the module's four operations and the
// records handed to the player. The state that links the runs is in state.h.
#ifndef HALDER_PLUGIN_H
#define HALDER_PLUGIN_H

#include "plugin/state.h"
#include "plugin/vis.h"

#define HALDER_MODULE_NAME "TOLVA"
#define HALDER_LIBRARY_DESCRIPTION "halder Visualization Library v" HALDER_VERSION // from CMake

extern VisHeader visHeader;
extern VisModule visModule;

extern "C" VisHeader* VIS_CALL winampVisGetHeader(void);
VisModule* VIS_CALL getModule(int index);
void VIS_CALL config(VisModule* module);
int VIS_CALL init(VisModule* module);
int VIS_CALL render(VisModule* module);
void VIS_CALL quit(VisModule* module);

#endif
