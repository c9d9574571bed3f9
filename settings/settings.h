// The settings file: window position and switches, kept from one run to the
// next in plugin.ini beside the library.
#ifndef HALDER_SETTINGS_H
#define HALDER_SETTINGS_H

#include "plugin/vis.h"

#define HALDER_SETTINGS_FILE "plugin.ini"

// Room for a full Windows path, terminator included.
enum { SETTINGS_PATH_SIZE = MAX_PATH };

// The path last built for reading or writing; empty when it could not be built.
extern char settingsPath[SETTINGS_PATH_SIZE];

// Builds settingsPath from the library's file name. Returns 0 when the path
// would not fit whole: a cut-off path would name some other file.
int buildSettingsPath(HINSTANCE instance);

// Reads the five settings; a missing key leaves its value as it is.
void loadSettings(VisModule* module);

// Writes the five settings. Failures to write are not reported.
void saveSettings(VisModule* module);

#endif
